// Picking by geometry: which objects a frame draws inside a small rectangle of
// the viewer, and at which depth. It gives what the OpenGL selection mode
// gives: every triangle is clipped against the frustum of the rectangle (the
// projection restricted to it), back faces are culled as when drawing, and an
// object's hit depth is the smallest window depth of what remains. Nothing
// hides anything: the object with the smallest depth is the nearest.
//
// A broad phase first tests each object's bounding sphere against the
// rectangle's frustum, so that only the few objects near the mouse ray cost
// any triangle work. While nothing that places, shapes or blends an object
// changes and the camera stays, a grid of the viewport kept from the first
// pick tells which objects' bounding spheres may reach the rectangle: the
// next picks look at those alone, so hovering over a million markers answers
// at once.
#include "spiral/TScene.h"
#include "spiral/TSceneBuffer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <typeinfo>

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
    Matrix4f world;
    double depthBound; // no part of the object lies nearer than this window depth
    int order;
};

// Pixels a side of the cells of the picking grid.
constexpr int kCell = 16;

// The object's bounding sphere in world coordinates (a little wider); false
// when it has none.
bool worldSphere(TBaseSceneObject* o, const Matrix4f& wm, Vector3f& centre, double& radius) {
    Vector3f c;
    float r;
    if (!o->LocalBoundingSphere(c, r))
        return false;
    double scale = 0;
    for (int i = 0; i < 3; ++i)
        scale = std::max(scale, std::sqrt(double(wm.m[i][0]) * wm.m[i][0] + double(wm.m[i][1]) * wm.m[i][1] +
                                          double(wm.m[i][2]) * wm.m[i][2]));
    centre = TransformPoint(c, wm);
    radius = r * scale * 1.0001 + 1e-6;
    return true;
}

} // namespace

bool TSceneBuffer::pickCacheHolds() const {
    const PickCache& c = m_pickCache;
    return c.valid && c.scene == m_scene && c.camera == m_camera && c.width == m_width && c.height == m_height &&
           c.placeChanges == TBaseSceneObject::AllChanges() - TBaseSceneObject::ColourChanges() &&
           c.frees == TBaseSceneObject::Frees() && c.tree == TBaseSceneObject::TreeChanges() &&
           SameBits(c.view, ViewMatrix()) && SameBits(c.projection, ProjectionMatrix());
}

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

    std::vector<Candidate> candidates;
    // The broad phase for one object, k-th in drawing order.
    // The broad phase for one object, k-th in drawing order, with its
    // bounding sphere in world coordinates.
    auto consider = [&](TBaseSceneObject* object, const Matrix4f& wm, int k, const Vector3f& cw, double rw) {
        for (const auto& pl : planes)
            if (pl[0] * cw.x + pl[1] * cw.y + pl[2] * cw.z + pl[3] < -rw)
                return;
        // Lower bound of the window depth: the sphere's nearest eye distance.
        const Vec4d e = transform(cw.x, cw.y, cw.z, view);
        const double d = -e.z - rw;
        double bound = 0;
        if (d > 0) {
            const double zc = -d * proj.m[2][2] + proj.m[3][2];
            bound = std::clamp((zc / d + 1) / 2, 0.0, 1.0);
        }
        candidates.push_back({object, wm, bound, k});
    };
    PickCache& cache = m_pickCache;
    auto cell = [](double v, int last) { return int(std::clamp(std::floor(v / kCell), 0.0, double(last))); };
    if (pickCacheHolds()) {
        // The objects of the cells the rectangle (a little wider) reaches,
        // and those of unknown reach, in drawing order. An empty rectangle
        // is the whole viewport.
        std::vector<std::uint32_t> numbers = cache.everywhere;
        int c0 = 0, c1 = cache.columns - 1, r0 = 0, r1 = cache.rows - 1;
        if (w > 0 && h > 0) {
            c0 = cell(std::min(rect.left, rect.right) - 2.0, cache.columns - 1);
            c1 = cell(std::max(rect.left, rect.right) + 2.0, cache.columns - 1);
            r0 = cell(std::min(rect.top, rect.bottom) - 2.0, cache.rows - 1);
            r1 = cell(std::max(rect.top, rect.bottom) + 2.0, cache.rows - 1);
        }
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) {
                const std::size_t i = std::size_t(r) * std::size_t(cache.columns) + std::size_t(c);
                numbers.insert(numbers.end(), cache.entries.begin() + cache.cellStart[i],
                               cache.entries.begin() + cache.cellStart[i + 1]);
            }
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
        for (const std::uint32_t k : numbers) {
            TBaseSceneObject* o = cache.objects[k];
            const Matrix4f wm = o->WorldMatrix();
            Vector3f cw;
            double rw;
            if (worldSphere(o, wm, cw, rw))
                consider(o, wm, int(k), cw, rw);
        }
    } else {
        // Every object, as the draw list gives them (handed over one by one,
        // no list kept), and the grid for the next picks: each object's
        // bounding sphere, put in its cube, whose corners' pictures bound the
        // sphere's when all lie in front of the eye.
        cache = PickCache{};
        cache.columns = (m_width + kCell - 1) / kCell;
        cache.rows = (m_height + kCell - 1) / kCell;
        const Mat4d viewProj = mul(view, proj);
        struct Reach {
            std::int16_t c0, c1, r0, r1; // c0 > c1: nowhere; c0 < 0: unknown
        };
        std::vector<Reach> reach;
        std::vector<std::uint32_t> counts(std::size_t(cache.columns) * std::size_t(cache.rows) + 1, 0);
        std::vector<TDrawItem> none;
        CollectDrawList(none, [&](TBaseSceneObject* o, const Matrix4f& world) {
            const std::uint32_t k = std::uint32_t(cache.objects.size());
            cache.objects.push_back(o);
            reach.push_back({1, 0, 0, 0});
            Vector3f cw;
            double rw;
            if (!worldSphere(o, world, cw, rw))
                return true;
            consider(o, world, int(k), cw, rw);
            double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
            int front = 0;
            for (int corner = 0; corner < 8; ++corner) {
                const Vec4d p = transform(cw.x + ((corner & 1) ? rw : -rw), cw.y + ((corner & 2) ? rw : -rw),
                                          cw.z + ((corner & 4) ? rw : -rw), viewProj);
                if (!(p.w > 1e-9))
                    continue;
                ++front;
                const double x = (p.x / p.w + 1) / 2 * m_width, y = (1 - p.y / p.w) / 2 * m_height;
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
            if (front == 0)
                return true; // wholly behind the eye: in no frustum
            Reach& re = reach.back();
            if (front < 8 || !(x1 - x0 < 1e6 && y1 - y0 < 1e6)) {
                re.c0 = -1;
                cache.everywhere.push_back(k);
                return true;
            }
            re.c0 = std::int16_t(cell(x0 - 1, cache.columns - 1));
            re.c1 = std::int16_t(cell(x1 + 1, cache.columns - 1));
            re.r0 = std::int16_t(cell(y0 - 1, cache.rows - 1));
            re.r1 = std::int16_t(cell(y1 + 1, cache.rows - 1));
            for (int r = re.r0; r <= re.r1; ++r)
                for (int c = re.c0; c <= re.c1; ++c)
                    ++counts[std::size_t(r) * std::size_t(cache.columns) + std::size_t(c) + 1];
            return true;
        });
        for (std::size_t i = 1; i < counts.size(); ++i)
            counts[i] += counts[i - 1];
        cache.cellStart = counts;
        cache.entries.resize(counts.back());
        for (std::size_t k = 0; k < reach.size(); ++k) {
            const Reach& re = reach[k];
            if (re.c0 < 0 || re.c0 > re.c1)
                continue;
            for (int r = re.r0; r <= re.r1; ++r)
                for (int c = re.c0; c <= re.c1; ++c)
                    cache.entries[counts[std::size_t(r) * std::size_t(cache.columns) + std::size_t(c)]++] =
                        std::uint32_t(k);
        }
        cache.objects.shrink_to_fit();
        cache.scene = m_scene;
        cache.camera = m_camera;
        cache.width = m_width;
        cache.height = m_height;
        cache.view = ViewMatrix();
        cache.projection = ProjectionMatrix();
        cache.placeChanges = TBaseSceneObject::AllChanges() - TBaseSceneObject::ColourChanges();
        cache.frees = TBaseSceneObject::Frees();
        cache.tree = TBaseSceneObject::TreeChanges();
        cache.valid = true;
    }
    if (nearestOnly)
        std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
            return a.depthBound != b.depthBound ? a.depthBound < b.depthBound : a.order < b.order;
        });

    // Objects rebuilt at every use (the markers) share their mesh while their
    // geometry keys are equal: it is built once for the pick.
    std::vector<std::pair<TGeometryKey, std::shared_ptr<const TMesh>>> keyed;
    auto meshOf = [&keyed](TBaseSceneObject* o) {
        TGeometryKey key;
        key.type = &typeid(*o);
        if (!o->UncachedGeometry() || !o->GeometryKey(key))
            return o->Mesh();
        for (const auto& [k, mesh] : keyed)
            if (k == key)
                return mesh;
        keyed.emplace_back(key, o->Mesh());
        return keyed.back().second;
    };
    std::vector<std::pair<int, TPickInfo>> hits;
    double best = 2;
    int bestOrder = 0;
    for (const Candidate& cand : candidates) {
        if (nearestOnly && cand.depthBound > best)
            break;
        const auto mesh = meshOf(cand.object);
        const Mat4d toClip = mul(toDouble(cand.world), viewPick);
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
