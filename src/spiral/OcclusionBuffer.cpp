#include "spiral/OcclusionBuffer.h"

#include <algorithm>
#include <cmath>

namespace {

// Larger triangles (in pixel centres of their bounding box) are neither
// recorded nor tested: the tubes and the spheres are made of small ones.
constexpr long kMaxBoxPixels = 1024;
// Above every window depth: no occluder.
constexpr float kOpen = 4;

// Safe vertices lie within four half-viewports of the centre, and viewports
// here are at most kMaxCulledViewport wide: shifted by this, the values that
// are floored are positive and truncate like floor.
constexpr float kShift = 4 * kMaxCulledViewport;
inline int floorToInt(float v) { return int(v + kShift) - int(kShift); }

using Triangle = TOcclusionSetUp;

double plane(const Triangle& t, double x, double y) {
    return double(t.za) + double(t.dzdx) * (x - double(t.xa)) + double(t.dzdy) * (y - double(t.ya));
}
// (Differences of float coordinates are exact in doubles.)
inline bool edge(double px, double py, double qx, double qy, double x, double y, double sign, double m) {
    const double ex = qx - px, ey = qy - py;
    return sign * (ex * (y - py) - ey * (x - px)) >= m * (std::fabs(ex) + std::fabs(ey));
}
// e >= m * (|ex| + |ey|) on the three edges, in the orientation `sign`:
// m > 0 is inside by m pixels at least, m < 0 within -m pixels outside.
inline bool holds(const Triangle& t, double x, double y, double sign, double m) {
    return edge(t.xa, t.ya, t.xb, t.yb, x, y, sign, m) && edge(t.xb, t.yb, t.xc, t.yc, x, y, sign, m) &&
           edge(t.xc, t.yc, t.xa, t.ya, x, y, sign, m);
}

// Fills t (its state included) from the corners a, b, c.
void setup(const TWindowVertex& a, const TWindowVertex& b, const TWindowVertex& c, int width, int height,
           float margin, Triangle& t) {
    t.state = TOcclusionSetUp::Unknown;
    if (!(a.safe && b.safe && c.safe))
        return;
    // Pixel centres i + 0.5 within the margin of the bounding box.
    const float minX = std::min(std::min(a.x, b.x), c.x), maxX = std::max(std::max(a.x, b.x), c.x);
    const float minY = std::min(std::min(a.y, b.y), c.y), maxY = std::max(std::max(a.y, b.y), c.y);
    const int loX = std::max(-floorToInt(-(minX - margin - 0.5f)), 0);
    const int hiX = std::min(floorToInt(maxX + margin - 0.5f), width - 1);
    const int loY = std::max(-floorToInt(-(minY - margin - 0.5f)), 0);
    const int hiY = std::min(floorToInt(maxY + margin - 0.5f), height - 1);
    t.loX = std::int16_t(loX), t.hiX = std::int16_t(hiX), t.loY = std::int16_t(loY), t.hiY = std::int16_t(hiY);
    if (hiX < loX || hiY < loY) {
        t.state = TOcclusionSetUp::NoPixel;
        return;
    }
    if (long(hiX - loX + 1) * long(hiY - loY + 1) > kMaxBoxPixels)
        return;
    t.xa = a.x, t.ya = a.y, t.za = a.z;
    t.xb = b.x, t.yb = b.y;
    t.xc = c.x, t.yc = c.y;
    const double abx = double(b.x) - a.x, aby = double(b.y) - a.y, abz = double(b.z) - a.z;
    const double acx = double(c.x) - a.x, acy = double(c.y) - a.y, acz = double(c.z) - a.z;
    const double area = abx * acy - acx * aby;
    if (!(std::fabs(area) >= 1e-6))
        return;
    const double dzdx = (abz * acy - acz * aby) / area;
    const double dzdy = (abx * acz - acx * abz) / area;
    t.area = float(area);
    t.dzdx = float(dzdx);
    t.dzdy = float(dzdy);
    t.zmin = std::min(std::min(a.z, b.z), c.z);
    t.zmax = std::max(std::max(a.z, b.z), c.z);
    const double slope = std::fabs(dzdx) + std::fabs(dzdy);
    // Snapping and coordinates: the slope over half the margin (several
    // times the snapping step); float evaluation of the plane across the
    // viewport: a few units of the last place of its largest terms; then the
    // steps of a 24-bit depth buffer. (The float roundings of this setup are
    // far below these.)
    t.error = float(4e-6 + slope * (0.5 * margin + 2e-6 * (width + height)) + 4.0 / (1 << 24));
    t.state = TOcclusionSetUp::Usable;
}

// Lowers the bounds at the pixel centres the triangle certainly covers, in
// the rows [firstRow, endRow). Each bound is the least of the values
// recorded there, whatever their order: rows can be shared out.
void record(const Triangle& t, float margin, float* upper, int width, int firstRow = 0,
            int endRow = kMaxCulledViewport) {
    const double sign = t.area > 0 ? 1 : -1;
    const int hiY = std::min(int(t.hiY), endRow - 1);
    for (int py = std::max(int(t.loY), firstRow); py <= hiY; ++py) {
        float* row = upper + std::size_t(py) * std::size_t(width);
        const double y = py + 0.5;
        for (int px = t.loX; px <= t.hiX; ++px) {
            const double x = px + 0.5;
            if (!holds(t, x, y, sign, margin))
                continue;
            // Inside, the fragment's depth is the plane's, between the vertices' depths.
            const float bound = float(std::min(double(t.zmax), plane(t, x, y)) + t.error);
            row[px] = std::min(row[px], bound);
        }
    }
}

// Whether the triangle may leave a fragment that is not certainly behind the bounds.
bool mayShow(const Triangle& t, float margin, const float* upper, int width) {
    if (t.state != TOcclusionSetUp::Usable)
        return t.state == TOcclusionSetUp::Unknown;
    const double sign = t.area > 0 ? 1 : -1;
    for (int py = t.loY; py <= t.hiY; ++py) {
        const float* row = upper + std::size_t(py) * std::size_t(width);
        const double y = py + 0.5;
        for (int px = t.loX; px <= t.hiX; ++px) {
            const double x = px + 0.5;
            if (!holds(t, x, y, sign, -margin))
                continue;
            // A fragment here, if any, lies no nearer than this.
            const double lower = std::max(double(t.zmin), plane(t, x, y)) - t.error;
            if (!(lower > double(row[px])))
                return true;
        }
    }
    return false;
}

// Collects the kept triangles of `in` and hands them to `out` at the end.
class Compactor {
public:
    Compactor(const TPlacedBatch& in, TTriangleBatch& out)
        : m_in(in.triangles->triangles), m_out(out), m_bound(in.corners->size() / 3) {
        m_kept.clear();
    }
    ~Compactor() { m_out.triangles.Assign(m_kept.data(), m_kept.size(), m_bound); }
    Compactor(const Compactor&) = delete;
    Compactor& operator=(const Compactor&) = delete;
    // Keeps the j-th triangle of `in`.
    void keep(std::size_t j) { m_kept.push_back(m_in[j]); }

private:
    const TIndexList& m_in;
    TTriangleBatch& m_out;
    std::size_t m_bound;
    static thread_local std::vector<unsigned> m_kept;
};
thread_local std::vector<unsigned> Compactor::m_kept;

// The window positions of a placed batch's vertices: given, or worked out
// once each as the triangles ask for them.
class Window {
public:
    Window(const TPlacedBatch& b, int width, int height)
        : m_given(b.window), m_vertices(b.vertices), m_toClip(b.toClip), m_hw(width * 0.5f), m_hh(height * 0.5f) {
        if (m_given)
            return;
        if (++m_generation == 0) { // wrapped: forget every stamp
            std::fill(m_stamp.begin(), m_stamp.end(), 0u);
            m_generation = 1;
        }
        if (m_stamp.size() < m_vertices->size()) {
            m_stamp.resize(m_vertices->size(), 0u);
            m_cache.resize(m_vertices->size());
        }
    }
    const TWindowVertex& operator[](unsigned k) {
        if (m_given)
            return (*m_given)[k];
        if (m_stamp[k] != m_generation) {
            m_stamp[k] = m_generation;
            m_cache[k] = ToWindow((*m_vertices)[k], m_toClip, m_hw, m_hh);
        }
        return m_cache[k];
    }

private:
    const std::vector<TWindowVertex>* m_given;
    const std::vector<Vector3f>* m_vertices;
    const Matrix4f& m_toClip;
    float m_hw, m_hh;
    static thread_local std::vector<TWindowVertex> m_cache;
    static thread_local std::vector<unsigned> m_stamp;
    static thread_local unsigned m_generation;
};
thread_local std::vector<TWindowVertex> Window::m_cache;
thread_local std::vector<unsigned> Window::m_stamp;
thread_local unsigned Window::m_generation = 0;

// Calls f(j, a, b, c) for the j-th triangle of the batch and the window
// positions of its corners, in the batch's order.
template <class F> void eachTriangle(const TPlacedBatch& batch, int width, int height, F&& f) {
    const TIndexList& tris = batch.triangles->triangles;
    Window win(batch, width, height);
    const int* corners = batch.corners->data();
    for (std::size_t j = 0; j < tris.size(); ++j) {
        const int* c = corners + 3 * std::size_t(tris[j]);
        f(j, win[unsigned(c[0])], win[unsigned(c[1])], win[unsigned(c[2])]);
    }
}

} // namespace

void TOcclusionBuffer::SetUp(const TWindowVertex* corners, std::size_t count, int width, int height, float margin,
                             std::vector<TOcclusionSetUp>& out) {
    width = std::min(std::max(width, 1), kMaxCulledViewport);
    height = std::min(std::max(height, 1), kMaxCulledViewport);
    out.resize(count);
    for (std::size_t j = 0; j < count; ++j, corners += 3)
        setup(corners[0], corners[1], corners[2], width, height, margin, out[j]);
}

void TOcclusionBuffer::Reset(int width, int height, float margin) {
    m_margin = margin;
    m_width = std::min(std::max(width, 1), kMaxCulledViewport);
    m_height = std::min(std::max(height, 1), kMaxCulledViewport);
    m_upper.assign(std::size_t(m_width) * std::size_t(m_height), kOpen);
}

void TOcclusionBuffer::BeginShared(int width, int height, float margin) {
    Reset(width, height, margin);
    m_upper2.assign(m_upper.size(), kOpen);
}

void TOcclusionBuffer::RecordShared(const std::vector<TOcclusionSetUp>& setUps, bool cullBackFaces, int part) {
    float* const upper = part == 0 ? m_upper.data() : m_upper2.data();
    for (const Triangle& t : setUps)
        if (t.state == TOcclusionSetUp::Usable && (!cullBackFaces || t.area > 0))
            record(t, m_margin, upper, m_width);
}

void TOcclusionBuffer::EndShared() {
    const float* b = m_upper2.data();
    float* a = m_upper.data();
    for (std::size_t i = 0, n = m_upper.size(); i < n; ++i)
        a[i] = std::min(a[i], b[i]);
}

void TOcclusionBuffer::AddOccluders(const TPlacedBatch& batch, bool cullBackFaces) {
    auto add = [&](const Triangle& t) {
        if (t.state == TOcclusionSetUp::Usable && (!cullBackFaces || t.area > 0))
            record(t, m_margin, m_upper.data(), m_width);
    };
    if (batch.setUps) {
        for (const Triangle& t : *batch.setUps)
            add(t);
        return;
    }
    eachTriangle(batch, m_width, m_height,
                 [&](std::size_t, const TWindowVertex& a, const TWindowVertex& b, const TWindowVertex& c) {
                     Triangle t;
                     setup(a, b, c, m_width, m_height, m_margin, t);
                     add(t);
                 });
}

void TOcclusionBuffer::RemoveHidden(const TPlacedBatch& in, TTriangleBatch& out) const {
    Compactor kept(in, out);
    if (in.setUps) {
        const std::size_t count = in.triangles->triangles.size();
        for (std::size_t j = 0; j < count; ++j)
            if (mayShow((*in.setUps)[j], m_margin, m_upper.data(), m_width))
                kept.keep(j);
        return;
    }
    eachTriangle(in, m_width, m_height,
                 [&](std::size_t j, const TWindowVertex& a, const TWindowVertex& b, const TWindowVertex& c) {
                     Triangle t;
                     setup(a, b, c, m_width, m_height, m_margin, t);
                     if (mayShow(t, m_margin, m_upper.data(), m_width))
                         kept.keep(j);
                 });
}

void TOcclusionBuffer::RecordAmong(const std::vector<TPlacedBatch>& in, bool cullBackFaces) {
    // Each triangle is set up once for both passes: by the caller (the
    // batch's own set-ups), or here when all of them fit in the set-up
    // buffer. Otherwise (many markers: keeping every set-up until the second
    // pass would take more memory than all the batches together) the bounds
    // are lowered a run of batches at a time, the buffer reused from run to
    // run, and the second pass sets the triangles up again.
    constexpr std::size_t kRunTriangles = std::size_t(1) << 18;
    std::vector<std::size_t>& first = m_first;
    auto own = [&](std::size_t b) { return in[b].setUps ? std::size_t(0) : in[b].triangles->triangles.size(); };
    m_allKept = false;
    for (std::size_t b0 = 0; b0 < in.size();) {
        first.assign(1, 0);
        std::size_t b1 = b0;
        while (b1 < in.size() && (b1 == b0 || first.back() + own(b1) <= kRunTriangles)) {
            first.push_back(first.back() + own(b1));
            ++b1;
        }
        m_allKept = b0 == 0 && b1 == in.size();
        m_setUps.resize(first.back());
        Triangle* const ups = m_setUps.data();
        // The set-ups are independent; the bounds are then lowered in drawing order.
        RunInParallel(b1 - b0, [&](std::size_t begin, std::size_t end) {
            for (std::size_t r = begin; r < end; ++r) {
                if (in[b0 + r].setUps)
                    continue;
                Triangle* const u = ups + first[r];
                eachTriangle(in[b0 + r], m_width, m_height,
                             [&](std::size_t j, const TWindowVertex& a, const TWindowVertex& b, const TWindowVertex& c) {
                                 setup(a, b, c, m_width, m_height, m_margin, u[j]);
                             });
            }
        });
        // Each thread lowers the bounds of its own rows.
        RunInParallel(std::size_t(m_height), [&](std::size_t firstRow, std::size_t endRow) {
            const int lo = int(firstRow), hi = int(endRow);
            for (std::size_t r = 0; r < b1 - b0; ++r) {
                const TPlacedBatch& batch = in[b0 + r];
                if (batch.recorded)
                    continue;
                const Triangle* t = batch.setUps ? batch.setUps->data() : ups + first[r];
                const Triangle* const end = t + batch.triangles->triangles.size();
                for (; t != end; ++t)
                    if (t->state == TOcclusionSetUp::Usable && t->loY < hi && t->hiY >= lo &&
                        (!cullBackFaces || t->area > 0))
                        record(*t, m_margin, m_upper.data(), m_width, lo, hi);
            }
        }, 2);
        b0 = b1;
    }
}

void TOcclusionBuffer::SortOut(const std::vector<TPlacedBatch>& in, std::size_t b, TTriangleBatch& out) const {
    if (in[b].setUps || !m_allKept) {
        RemoveHidden(in[b], out);
        return;
    }
    const std::size_t count = in[b].triangles->triangles.size();
    Compactor kept(in[b], out);
    const Triangle* t = m_setUps.data() + m_first[b];
    for (std::size_t j = 0; j < count; ++j)
        if (mayShow(t[j], m_margin, m_upper.data(), m_width))
            kept.keep(j);
}
