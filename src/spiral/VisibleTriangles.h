#pragma once

// Before a mesh is handed to a software rasteriser, the triangles that cannot
// produce a single fragment are dropped: back faces (when culled) and
// triangles whose window-space bounding box holds no pixel centre, which is
// most of a small sphere's triangles. The triangles that remain are the
// mesh's own, named by their numbers in the mesh, and are drawn from its
// vertex and normal arrays in the same vertex order (so the same orientation
// and the same last vertex for flat shading); the picture is the same, with
// less work for the rasteriser.

#include "spiral/TMesh.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

// A vertex in window coordinates as the rasteriser sees it: x, y in pixels
// from the lower left corner of the viewport, z the window depth (0 at the
// near plane, 1 at the far plane). `safe`: in front of the near plane, inside
// the depth range and not far outside the window, so that the rasteriser
// takes the triangles it starts as they are, unclipped; x, y, z are only
// meaningful then. (`safe` is an int, 0 or 1, so that the four members fill
// the 16 bytes: a copy is then two plain moves.)
struct TWindowVertex {
    float x = 0, y = 0, z = 0;
    int safe = 0;
};

// Where a vertex of the object's frame lands in a viewport of half-width hw
// and half-height hh (pixels), through toClip (object frame to clip
// coordinates). Every pass that sorts triangles by window position uses this
// one computation.
inline TWindowVertex ToWindow(const Vector3f& v, const Matrix4f& toClip, float hw, float hh) {
    const auto& m = toClip.m;
    const float x = v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0] + m[3][0];
    const float y = v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1] + m[3][1];
    const float z = v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2] + m[3][2];
    const float w = v.x * m[0][3] + v.y * m[1][3] + v.z * m[2][3] + m[3][3];
    TWindowVertex o;
    // Far outside the window the integer ranges of the passes could
    // overflow: such vertices are left to OpenGL.
    o.safe = (w > 1e-6f && z >= -w && z <= w && std::fabs(x) <= 4 * w && std::fabs(y) <= 4 * w) ? 1 : 0;
    if (o.safe) {
        const float inv = 1.0f / w;
        o.x = (x * inv + 1) * hw;
        o.y = (y * inv + 1) * hh;
        o.z = (z * inv + 1) * 0.5f;
    }
    return o;
}

// Numbers below a bound (the triangles of a mesh): 16 bits each while the
// bound is at most 65 536 (every sphere), two 16-bit halves beyond. A frame
// keeps such lists for every object, so their size is what a large scene
// costs.
class TIndexList {
public:
    // Empties the list for numbers below `bound`.
    void Reset(std::size_t bound) {
        m_wide = bound > 65536;
        std::vector<std::uint16_t>().swap(m_data);
    }
    void push_back(unsigned i) {
        m_data.push_back(std::uint16_t(i));
        if (m_wide)
            m_data.push_back(std::uint16_t(i >> 16));
    }
    std::size_t size() const { return m_wide ? m_data.size() / 2 : m_data.size(); }
    bool empty() const { return m_data.empty(); }
    unsigned operator[](std::size_t k) const {
        return m_wide ? unsigned(m_data[2 * k]) | unsigned(m_data[2 * k + 1]) << 16 : m_data[k];
    }
    // The list becomes data[0 .. count), numbers below `bound`, in a vector
    // of exactly that size.
    void Assign(const unsigned* data, std::size_t count, std::size_t bound) {
        m_wide = bound > 65536;
        // The array already held is reused unless it is more than twice the
        // size: a frame reselects every object while the camera turns.
        const std::size_t n = m_wide ? 2 * count : count;
        if (m_data.capacity() >= n && m_data.capacity() <= 2 * n + 16)
            m_data.resize(n);
        else
            std::vector<std::uint16_t>(n).swap(m_data);
        for (std::size_t k = 0; k < count; ++k) {
            if (m_wide) {
                m_data[2 * k] = std::uint16_t(data[k]);
                m_data[2 * k + 1] = std::uint16_t(data[k] >> 16);
            } else {
                m_data[k] = std::uint16_t(data[k]);
            }
        }
    }
    bool operator==(const TIndexList& o) const {
        if (size() != o.size())
            return false;
        for (std::size_t k = 0; k < size(); ++k)
            if ((*this)[k] != o[k])
                return false;
        return true;
    }

private:
    std::vector<std::uint16_t> m_data;
    bool m_wide = false;
};

// Some triangles of one mesh, by their numbers in TMesh::Corners(), in the
// mesh's order: two bytes a triangle for a sphere.
struct TTriangleBatch {
    TIndexList triangles;
    bool Empty() const { return triangles.empty(); }
};

// Above this viewport size (pixels, either side) nothing is dropped: the
// window coordinates would no longer fit the integer ranges used here.
constexpr int kMaxCulledViewport = 2048;

// Slack, in pixels, for the rasteriser's own rounding: it snaps vertices to
// a fraction of a pixel (1/256 for the software one), far below this. See
// PixelMargin for coarser ones.
constexpr float kPixelMargin = 1.0f / 32;
// The slack for a rasteriser with this many bits of sub-pixel precision:
// kPixelMargin, or four snapping steps when that is wider.
inline float PixelMargin(int subpixelBits) {
    const float step = subpixelBits >= 0 && subpixelBits < 16 ? 1.0f / float(1 << subpixelBits) : 0.0f;
    return 4 * step > kPixelMargin ? 4 * step : kPixelMargin;
}

// Fills `batch` with the numbers of the mesh's triangles that can reach a
// pixel centre.
// toClip: object frame to clip coordinates (world x view x projection);
// width, height: the viewport in device pixels. With keepAll every triangle
// of the strips is kept (the reference picture). margin: see kPixelMargin.
// cornerWindows, when given (and keepAll false), receives the window
// positions of the kept triangles' corners, three a triangle, as ToWindow
// gives them: the occlusion pass that follows need not work them out again.
void SelectVisibleTriangles(const TMesh& mesh, const Matrix4f& toClip, int width, int height, bool cullBackFaces,
                            TTriangleBatch& batch, bool keepAll = false, float margin = kPixelMargin,
                            std::vector<TWindowVertex>* cornerWindows = nullptr);

// Runs work(begin, end) over [0, count) in `parts` chunks, shared with a
// second thread (kept for the whole run) when the machine has two cores and
// there is enough to share. The chunks must be independent; an exception
// from either thread reaches the caller once both have stopped.
void RunInParallel(std::size_t count, const std::function<void(std::size_t, std::size_t)>& work,
                   std::size_t parts = 32);

// Starts the job on that helper thread and returns at once; false (nothing
// started) when the helper is taken or missing: the caller then runs the job
// itself. WaitForBackground waits for the job started last and rethrows
// what it threw. While it runs, RunInParallel runs on its caller alone.
bool StartInBackground(std::function<void()> job);
void WaitForBackground();
