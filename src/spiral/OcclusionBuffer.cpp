#include "spiral/OcclusionBuffer.h"

#include <algorithm>
#include <cmath>
#include <memory>

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

// One triangle in window coordinates, with its depth plane.
// Stored as floats (window coordinates are floats to begin with), worked in doubles.
struct Triangle {
    float xa, ya, za, xb, yb, zb, xc, yc, zc;
    float area;       // twice the signed area, counter-clockwise (front) positive
    float dzdx, dzdy; // depth per pixel
    float zmin, zmax;
    // Bound of the difference between the rasteriser's depth at a pixel
    // centre and this plane's: its float rounding, its snapping of the
    // vertices, its own window coordinates, its depth buffer steps.
    float error;
    int loX, hiX, loY, hiY; // pixel centres the triangle may reach, within the viewport

    double plane(double x, double y) const {
        return double(za) + double(dzdx) * (x - double(xa)) + double(dzdy) * (y - double(ya));
    }
    // e >= m * (|ex| + |ey|) on the three edges, in the orientation `sign`:
    // m > 0 is inside by m pixels at least, m < 0 within -m pixels outside.
    bool holds(double x, double y, double sign, double m) const {
        return edge(xa, ya, xb, yb, x, y, sign, m) && edge(xb, yb, xc, yc, x, y, sign, m) &&
               edge(xc, yc, xa, ya, x, y, sign, m);
    }
    // (Differences of float coordinates are exact in doubles.)
    static bool edge(double px, double py, double qx, double qy, double x, double y, double sign, double m) {
        const double ex = qx - px, ey = qy - py;
        return sign * (ex * (y - py) - ey * (x - px)) >= m * (std::fabs(ex) + std::fabs(ey));
    }
};

enum class Setup { Usable, NoPixel, Unknown };

// Unknown: a vertex that is not safe, a triangle too thin for a depth plane,
// or too large; NoPixel: no pixel centre of the viewport within reach.
Setup setup(const TWindowVertex& a, const TWindowVertex& b, const TWindowVertex& c, int width, int height,
            float margin, Triangle& t) {
    if (!(a.safe && b.safe && c.safe))
        return Setup::Unknown;
    // Pixel centres i + 0.5 within the margin of the bounding box.
    const float minX = std::min(std::min(a.x, b.x), c.x), maxX = std::max(std::max(a.x, b.x), c.x);
    const float minY = std::min(std::min(a.y, b.y), c.y), maxY = std::max(std::max(a.y, b.y), c.y);
    t.loX = std::max(-floorToInt(-(minX - margin - 0.5f)), 0);
    t.hiX = std::min(floorToInt(maxX + margin - 0.5f), width - 1);
    t.loY = std::max(-floorToInt(-(minY - margin - 0.5f)), 0);
    t.hiY = std::min(floorToInt(maxY + margin - 0.5f), height - 1);
    if (t.hiX < t.loX || t.hiY < t.loY)
        return Setup::NoPixel;
    if (long(t.hiX - t.loX + 1) * long(t.hiY - t.loY + 1) > kMaxBoxPixels)
        return Setup::Unknown;
    t.xa = a.x, t.ya = a.y, t.za = a.z;
    t.xb = b.x, t.yb = b.y, t.zb = b.z;
    t.xc = c.x, t.yc = c.y, t.zc = c.z;
    const double abx = double(b.x) - a.x, aby = double(b.y) - a.y, abz = double(b.z) - a.z;
    const double acx = double(c.x) - a.x, acy = double(c.y) - a.y, acz = double(c.z) - a.z;
    const double area = abx * acy - acx * aby;
    if (!(std::fabs(area) >= 1e-6))
        return Setup::Unknown;
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
    return Setup::Usable;
}

// Lowers the bounds at the pixel centres the triangle certainly covers, in
// the rows [firstRow, endRow). Each bound is the least of the values
// recorded there, whatever their order: rows can be shared out.
void record(const Triangle& t, float margin, float* upper, int width, int firstRow = 0,
            int endRow = kMaxCulledViewport) {
    const double sign = t.area > 0 ? 1 : -1;
    const int hiY = std::min(t.hiY, endRow - 1);
    for (int py = std::max(t.loY, firstRow); py <= hiY; ++py) {
        float* row = upper + std::size_t(py) * std::size_t(width);
        const double y = py + 0.5;
        for (int px = t.loX; px <= t.hiX; ++px) {
            const double x = px + 0.5;
            if (!t.holds(x, y, sign, margin))
                continue;
            // Inside, the fragment's depth is the plane's, between the vertices' depths.
            const float bound = float(std::min(double(t.zmax), t.plane(x, y)) + t.error);
            row[px] = std::min(row[px], bound);
        }
    }
}

// Whether the triangle may leave a fragment that is not certainly behind the bounds.
bool mayShow(const Triangle& t, Setup s, float margin, const float* upper, int width) {
    if (s != Setup::Usable)
        return s == Setup::Unknown;
    const double sign = t.area > 0 ? 1 : -1;
    for (int py = t.loY; py <= t.hiY; ++py) {
        const float* row = upper + std::size_t(py) * std::size_t(width);
        const double y = py + 0.5;
        for (int px = t.loX; px <= t.hiX; ++px) {
            const double x = px + 0.5;
            if (!t.holds(x, y, sign, -margin))
                continue;
            // A fragment here, if any, lies no nearer than this.
            const double lower = std::max(double(t.zmin), t.plane(x, y)) - t.error;
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
    if (batch.cornerWindows) {
        const TWindowVertex* w = batch.cornerWindows->data();
        for (std::size_t j = 0; j < tris.size(); ++j, w += 3)
            f(j, w[0], w[1], w[2]);
        return;
    }
    Window win(batch, width, height);
    const int* corners = batch.corners->data();
    for (std::size_t j = 0; j < tris.size(); ++j) {
        const int* c = corners + 3 * std::size_t(tris[j]);
        f(j, win[unsigned(c[0])], win[unsigned(c[1])], win[unsigned(c[2])]);
    }
}

struct SetUp {
    Triangle t;
    Setup s;
};

} // namespace

void TOcclusionBuffer::Reset(int width, int height, float margin) {
    m_margin = margin;
    m_width = std::min(std::max(width, 1), kMaxCulledViewport);
    m_height = std::min(std::max(height, 1), kMaxCulledViewport);
    m_upper.assign(std::size_t(m_width) * std::size_t(m_height), kOpen);
}

void TOcclusionBuffer::AddOccluders(const TPlacedBatch& batch, bool cullBackFaces) {
    eachTriangle(batch, m_width, m_height,
                 [&](std::size_t, const TWindowVertex& a, const TWindowVertex& b, const TWindowVertex& c) {
                     Triangle t{};
                     if (setup(a, b, c, m_width, m_height, m_margin, t) == Setup::Usable &&
                         (!cullBackFaces || t.area > 0))
                         record(t, m_margin, m_upper.data(), m_width);
                 });
}

void TOcclusionBuffer::RemoveHidden(const TPlacedBatch& in, TTriangleBatch& out) const {
    Compactor kept(in, out);
    eachTriangle(in, m_width, m_height,
                 [&](std::size_t j, const TWindowVertex& a, const TWindowVertex& b, const TWindowVertex& c) {
                     Triangle t{};
                     const Setup s = setup(a, b, c, m_width, m_height, m_margin, t);
                     if (mayShow(t, s, m_margin, m_upper.data(), m_width))
                         kept.keep(j);
                 });
}

struct TOcclusionBuffer::SetUps {
    std::vector<SetUp> all;
};

TOcclusionBuffer::TOcclusionBuffer() : m_setUps(std::make_unique<SetUps>()) {}
TOcclusionBuffer::~TOcclusionBuffer() = default;

void TOcclusionBuffer::RecordAmong(const std::vector<TPlacedBatch>& in, bool cullBackFaces) {
    // Each triangle is set up once for both passes when all of them fit in
    // the set-up buffer. Otherwise (many markers: keeping every set-up until
    // the second pass would take more memory than all the batches together)
    // the bounds are lowered a run of batches at a time, the buffer reused
    // from run to run, and the second pass sets the triangles up again.
    constexpr std::size_t kRunTriangles = std::size_t(1) << 18;
    std::vector<SetUp>& setUps = m_setUps->all;
    std::vector<std::size_t>& first = m_first;
    m_allKept = false;
    for (std::size_t b0 = 0; b0 < in.size();) {
        first.assign(1, 0);
        std::size_t b1 = b0;
        while (b1 < in.size() && (b1 == b0 || first.back() + in[b1].triangles->triangles.size() <= kRunTriangles)) {
            first.push_back(first.back() + in[b1].triangles->triangles.size());
            ++b1;
        }
        m_allKept = b0 == 0 && b1 == in.size();
        setUps.resize(first.back());
        SetUp* const ups = setUps.data();
        // The set-ups are independent; the bounds are then lowered in drawing order.
        RunInParallel(b1 - b0, [&](std::size_t begin, std::size_t end) {
            for (std::size_t r = begin; r < end; ++r) {
                SetUp* const u = ups + first[r];
                eachTriangle(in[b0 + r], m_width, m_height,
                             [&](std::size_t j, const TWindowVertex& a, const TWindowVertex& b, const TWindowVertex& c) {
                                 u[j].t = Triangle{};
                                 u[j].s = setup(a, b, c, m_width, m_height, m_margin, u[j].t);
                             });
            }
        });
        // Each thread lowers the bounds of its own rows.
        RunInParallel(std::size_t(m_height), [&](std::size_t firstRow, std::size_t endRow) {
            for (const SetUp& u : setUps)
                if (u.s == Setup::Usable && (!cullBackFaces || u.t.area > 0))
                    record(u.t, m_margin, m_upper.data(), m_width, int(firstRow), int(endRow));
        }, 2);
        b0 = b1;
    }
}

void TOcclusionBuffer::SortOut(const std::vector<TPlacedBatch>& in, std::size_t b, TTriangleBatch& out) const {
    if (!m_allKept) {
        RemoveHidden(in[b], out);
        return;
    }
    const std::vector<SetUp>& all = m_setUps->all;
    const std::size_t count = in[b].triangles->triangles.size();
    Compactor kept(in[b], out);
    std::size_t next = m_first[b];
    for (std::size_t j = 0; j < count; ++j, ++next)
        if (mayShow(all[next].t, all[next].s, m_margin, m_upper.data(), m_width))
            kept.keep(j);
}

void TOcclusionBuffer::HideAmong(const std::vector<TPlacedBatch>& in, const std::vector<TTriangleBatch*>& out,
                                 bool cullBackFaces) {
    RecordAmong(in, cullBackFaces);
    // The bounds are complete: the batches are sorted out independently.
    RunInParallel(in.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t b = begin; b < end; ++b)
            SortOut(in, b, *out[b]);
    });
}
