// Picking by geometry: which objects a frame draws inside a small rectangle of
// the viewer, and at which depth. It gives what the OpenGL selection mode
// gives: every triangle is clipped against the frustum of the rectangle (the
// projection restricted to it), back faces are culled as when drawing, and an
// object's hit depth is the smallest window depth of what remains. Nothing
// hides anything: the object with the smallest depth is the nearest.
//
// A broad phase first tests each object's bounding sphere against the
// rectangle's frustum, so that only the few objects near the mouse ray cost
// any triangle work.
#include "spiral/TScene.h"
#include "spiral/TSceneBuffer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

struct Vec4d {
    double x, y, z, w;
};

struct Mat4d {
    double m[4][4];
};

Mat4d toDouble(const Matrix4f& a) {
    Mat4d r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][j];
    return r;
}

Mat4d mul(const Mat4d& a, const Mat4d& b) {
    Mat4d r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

Vec4d transform(double x, double y, double z, const Mat4d& a) {
    return {x * a.m[0][0] + y * a.m[1][0] + z * a.m[2][0] + a.m[3][0],
            x * a.m[0][1] + y * a.m[1][1] + z * a.m[2][1] + a.m[3][1],
            x * a.m[0][2] + y * a.m[1][2] + z * a.m[2][2] + a.m[3][2],
            x * a.m[0][3] + y * a.m[1][3] + z * a.m[2][3] + a.m[3][3]};
}

// The six clip planes: -w <= x, y, z <= w. Signed distance >= 0 is inside.
inline double planeDist(const Vec4d& v, int p) {
    switch (p) {
    case 0: return v.w + v.x;
    case 1: return v.w - v.x;
    case 2: return v.w + v.y;
    case 3: return v.w - v.y;
    case 4: return v.w + v.z;
    default: return v.w - v.z;
    }
}

inline unsigned outcode(const Vec4d& v) {
    unsigned c = 0;
    for (int p = 0; p < 6; ++p)
        if (planeDist(v, p) < 0)
            c |= 1u << p;
    return c;
}

// A clipped triangle has at most 3 + 6 vertices.
using Polygon = std::array<Vec4d, 12>;

// Clips the polygon against the planes whose bits are set; returns the new count.
int clipPolygon(Polygon& poly, int n, unsigned planes) {
    Polygon out;
    for (int p = 0; p < 6 && n > 0; ++p) {
        if (!(planes & (1u << p)))
            continue;
        int m = 0;
        for (int i = 0; i < n; ++i) {
            const Vec4d& a = poly[std::size_t(i)];
            const Vec4d& b = poly[std::size_t((i + 1) % n)];
            const double da = planeDist(a, p), db = planeDist(b, p);
            if (da >= 0)
                out[std::size_t(m++)] = a;
            if ((da >= 0) != (db >= 0)) {
                const double t = da / (da - db);
                out[std::size_t(m++)] = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t,
                                         a.w + (b.w - a.w) * t};
            }
        }
        n = m;
        for (int i = 0; i < n; ++i)
            poly[std::size_t(i)] = out[std::size_t(i)];
    }
    return n;
}

struct HitRange {
    double zNear = 2, zFar = -1;
    bool hit() const { return zFar >= zNear; }
};

// Tests one triangle given in clip coordinates; widens the object's hit range.
void testTriangle(const Vec4d& a, const Vec4d& b, const Vec4d& c, bool cull, HitRange& range) {
    const unsigned ca = outcode(a), cb = outcode(b), cc = outcode(c);
    if (ca & cb & cc)
        return;
    Polygon poly;
    poly[0] = a;
    poly[1] = b;
    poly[2] = c;
    int n = 3;
    if (ca | cb | cc)
        n = clipPolygon(poly, n, ca | cb | cc);
    if (n < 3)
        return;
    // Orientation in normalised device coordinates: counter-clockwise is the
    // front; back faces (and faces seen edge-on) are culled.
    double area = 0;
    double zmin = 2, zmax = -2;
    for (int i = 0; i < n; ++i) {
        const Vec4d& p = poly[std::size_t(i)];
        const Vec4d& q = poly[std::size_t((i + 1) % n)];
        area += (p.x / p.w) * (q.y / q.w) - (q.x / q.w) * (p.y / p.w);
        const double z = p.z / p.w;
        zmin = std::min(zmin, z);
        zmax = std::max(zmax, z);
    }
    if (cull && !(area > 0))
        return;
    const double dn = std::clamp((zmin + 1) / 2, 0.0, 1.0), df = std::clamp((zmax + 1) / 2, 0.0, 1.0);
    range.zNear = std::min(range.zNear, dn);
    range.zFar = std::max(range.zFar, df);
}

HitRange testMesh(const TMesh& mesh, const Mat4d& toClip, bool cull, double stopBelow) {
    HitRange range;
    const auto& verts = mesh.Vertices();
    const auto& idx = mesh.Indices();
    static thread_local std::vector<Vec4d> clip;
    clip.resize(verts.size());
    for (std::size_t i = 0; i < verts.size(); ++i)
        clip[i] = transform(verts[i].x, verts[i].y, verts[i].z, toClip);
    for (const TMeshStrip& s : mesh.Strips()) {
        for (int i = 0; i + 2 < s.count; ++i) {
            const Vec4d& v0 = clip[std::size_t(idx[std::size_t(s.first + i)])];
            const Vec4d& v1 = clip[std::size_t(idx[std::size_t(s.first + i + 1)])];
            const Vec4d& v2 = clip[std::size_t(idx[std::size_t(s.first + i + 2)])];
            if (i % 2 == 0)
                testTriangle(v0, v1, v2, cull, range);
            else
                testTriangle(v1, v0, v2, cull, range);
        }
        // Nothing can come nearer than the near plane.
        if (range.zNear <= stopBelow)
            break;
    }
    return range;
}

struct Candidate {
    TBaseSceneObject* object;
    const Matrix4f* world;
    double depthBound; // no part of the object lies nearer than this window depth
    int order;
};

} // namespace

TBaseSceneObject* TSceneBuffer::PickAt(int x, int y) {
    TPickList list;
    pick({x - 1, y - 1, x + 1, y + 1}, list, true);
    return list.empty() ? nullptr : list.front().object;
}

void TSceneBuffer::PickInRect(const TPickRect& rect, TPickList& list, int expectedCount) {
    (void)expectedCount; // the list grows as needed
    pick(rect, list, false);
}

void TSceneBuffer::pick(const TPickRect& rect, TPickList& list, bool nearestOnly) {
    list.clear();
    if (!m_camera || !m_scene)
        return;
    BusyGuard busy(*this);

    // The projection restricted to the rectangle (as a pick matrix does):
    // centre ((left + right) div 2, height - (top + bottom) div 2), size
    // |right - left| by |bottom - top|. An empty rectangle leaves it whole.
    const Mat4d proj = toDouble(ProjectionMatrix());
    Mat4d pickM = toDouble(Matrix4f());
    const double w = std::abs(rect.right - rect.left), h = std::abs(rect.bottom - rect.top);
    if (w > 0 && h > 0) {
        const double cx = (rect.left + rect.right) / 2; // integer division, truncated
        const double cy = m_height - (rect.top + rect.bottom) / 2;
        pickM.m[0][0] = m_width / w;
        pickM.m[1][1] = m_height / h;
        pickM.m[3][0] = (m_width - 2 * cx) / w;
        pickM.m[3][1] = (m_height - 2 * cy) / h;
    }
    const Mat4d view = toDouble(ViewMatrix());
    const Mat4d viewPick = mul(view, mul(proj, pickM));

    // Frustum planes of the rectangle in world coordinates, normalised so that
    // the plane value of a point is its distance.
    double planes[6][4];
    for (int p = 0; p < 6; ++p) {
        const int axis = p / 2;
        const double sign = (p % 2 == 0) ? 1 : -1;
        for (int i = 0; i < 4; ++i)
            planes[p][i] = viewPick.m[i][3] + sign * viewPick.m[i][axis];
        const double len = std::sqrt(planes[p][0] * planes[p][0] + planes[p][1] * planes[p][1] +
                                     planes[p][2] * planes[p][2]);
        if (len > 0)
            for (double& c : planes[p])
                c /= len;
    }

    std::vector<TDrawItem> items;
    CollectDrawList(items);
    std::vector<Candidate> candidates;
    for (std::size_t k = 0; k < items.size(); ++k) {
        TDrawItem& item = items[k];
        Vector3f c;
        float r;
        if (!item.object->LocalBoundingSphere(c, r))
            continue;
        const Matrix4f& wm = item.world;
        double scale = 0;
        for (int i = 0; i < 3; ++i)
            scale = std::max(scale, std::sqrt(double(wm.m[i][0]) * wm.m[i][0] + double(wm.m[i][1]) * wm.m[i][1] +
                                              double(wm.m[i][2]) * wm.m[i][2]));
        const Vector3f cw = TransformPoint(c, wm);
        const double rw = r * scale * 1.0001 + 1e-6;
        bool outside = false;
        for (const auto& pl : planes)
            if (pl[0] * cw.x + pl[1] * cw.y + pl[2] * cw.z + pl[3] < -rw) {
                outside = true;
                break;
            }
        if (outside)
            continue;
        // Lower bound of the window depth: the sphere's nearest eye distance.
        const Vec4d e = transform(cw.x, cw.y, cw.z, view);
        const double d = -e.z - rw;
        double bound = 0;
        if (d > 0) {
            const double zc = -d * proj.m[2][2] + proj.m[3][2];
            bound = std::clamp((zc / d + 1) / 2, 0.0, 1.0);
        }
        candidates.push_back({item.object, &item.world, bound, int(k)});
    }
    if (nearestOnly)
        std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
            return a.depthBound != b.depthBound ? a.depthBound < b.depthBound : a.order < b.order;
        });

    std::vector<std::pair<int, TPickInfo>> hits;
    double best = 2;
    int bestOrder = 0;
    for (const Candidate& cand : candidates) {
        if (nearestOnly && cand.depthBound > best)
            break;
        const auto mesh = cand.object->Mesh();
        const Mat4d toClip = mul(toDouble(*cand.world), viewPick);
        const HitRange range = testMesh(*mesh, toClip, m_faceCulling, nearestOnly ? 0.0 : -1.0);
        if (!range.hit())
            continue;
        if (nearestOnly) {
            // Equal depths go to the object drawn first.
            if (range.zNear < best || (range.zNear == best && cand.order < bestOrder)) {
                best = range.zNear;
                bestOrder = cand.order;
                hits.assign(1, {cand.order, {cand.object, range.zNear, range.zFar}});
            }
        } else {
            hits.push_back({cand.order, {cand.object, range.zNear, range.zFar}});
        }
    }
    std::sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) {
        return a.second.zNear != b.second.zNear ? a.second.zNear < b.second.zNear : a.first < b.first;
    });
    for (const auto& hit : hits)
        list.push_back(hit.second);
}
