#include "spiral/VisibleTriangles.h"

#include <algorithm>
#include <cmath>
#include <system_error>
#include <thread>

namespace {

// Window coordinates of the vertices handled here stay within [-8192, 8192)
// (see `safe` below): shifted by 8192 they are positive and truncate like
// floor. The sum may round up to the next integer, which only widens a range.
constexpr float kShift = 8192;
inline int floorToInt(float v) { return int(v + kShift) - int(kShift); }

// The vertices of a mesh in window coordinates, with the range of pixel
// centres i + 0.5 each may reach: a triangle holds a pixel centre in its
// bounding box only when max(hi) >= min(lo) on both axes. Kept as arrays of
// each value so that the vertex pass runs as vector code; `safe` as in
// TWindowVertex (1 or 0), the other values are 0 for a vertex that is not.
struct WindowArrays {
    std::vector<float> x, y, z;
    std::vector<int> loX, hiX, loY, hiY, safe;
    void resize(std::size_t n) {
        for (auto* v : {&x, &y, &z})
            v->resize(n);
        for (auto* v : {&loX, &hiX, &loY, &hiY, &safe})
            v->resize(n);
    }
};

// Window position, pixel ranges and safety of `count` vertices given as
// arrays of x, y and z: ToWindow's operations and then the ranges, computed
// on every vertex without branches (the unsafe ones then set to 0) so that
// the compiler turns the loop into vector code.
void windowBlock(const float* __restrict vxs, const float* __restrict vys, const float* __restrict vzs,
                 std::size_t count, const float* __restrict mat, float hw, float hh, float margin,
                 float* __restrict ox, float* __restrict oy, float* __restrict oz, int* __restrict loX, int* __restrict hiX,
                 int* __restrict loY, int* __restrict hiY, int* __restrict safe) {
    const float m00 = mat[0], m01 = mat[1], m02 = mat[2], m03 = mat[3];
    const float m10 = mat[4], m11 = mat[5], m12 = mat[6], m13 = mat[7];
    const float m20 = mat[8], m21 = mat[9], m22 = mat[10], m23 = mat[11];
    const float m30 = mat[12], m31 = mat[13], m32 = mat[14], m33 = mat[15];
    for (std::size_t k = 0; k < count; ++k) {
        const float vx = vxs[k], vy = vys[k], vz = vzs[k];
        const float x = vx * m00 + vy * m10 + vz * m20 + m30;
        const float y = vx * m01 + vy * m11 + vz * m21 + m31;
        const float z = vx * m02 + vy * m12 + vz * m22 + m32;
        const float w = vx * m03 + vy * m13 + vz * m23 + m33;
        const float fw = 4 * w;
        const int ok = (w > 1e-6f) & (z >= -w) & (z <= w) & (std::fabs(x) <= fw) & (std::fabs(y) <= fw);
        const float inv = 1.0f / (ok ? w : 1.0f);
        const float px = (x * inv + 1) * hw, py = (y * inv + 1) * hh, pz = (z * inv + 1) * 0.5f;
        const float wx = ok ? px : 0.0f, wy = ok ? py : 0.0f;
        ox[k] = wx;
        oy[k] = wy;
        oz[k] = ok ? pz : 0.0f;
        loX[k] = -floorToInt(-(wx - margin - 0.5f));
        hiX[k] = floorToInt(wx + margin - 0.5f);
        loY[k] = -floorToInt(-(wy - margin - 0.5f));
        hiY[k] = floorToInt(wy + margin - 0.5f);
        safe[k] = ok;
    }
}

// Fills `w` for the n vertices, a block at a time.
void windowPass(const Vector3f* verts, std::size_t n, const Matrix4f& toClip, float hw, float hh, float margin,
                WindowArrays& w) {
    constexpr std::size_t kBlock = 64;
    float bx[kBlock], by[kBlock], bz[kBlock];
    for (std::size_t first = 0; first < n; first += kBlock) {
        const std::size_t count = std::min(kBlock, n - first);
        for (std::size_t k = 0; k < count; ++k) {
            bx[k] = verts[first + k].x;
            by[k] = verts[first + k].y;
            bz[k] = verts[first + k].z;
        }
        windowBlock(bx, by, bz, count, toClip.Data(), hw, hh, margin, w.x.data() + first, w.y.data() + first, w.z.data() + first,
                    w.loX.data() + first, w.hiX.data() + first, w.loY.data() + first, w.hiY.data() + first,
                    w.safe.data() + first);
    }
}

// Whether the triangle a, b, c (counter-clockwise when sign is 1, clockwise
// when -1), grown by the margin (pixels), holds the pixel centre (px, py).
inline bool holdsPoint(const WindowArrays& w, int a, int b, int c, float sign, float px, float py, float margin) {
    auto edge = [&](int p, int q) {
        const float ex = w.x[std::size_t(q)] - w.x[std::size_t(p)], ey = w.y[std::size_t(q)] - w.y[std::size_t(p)];
        const float e = sign * (ex * (py - w.y[std::size_t(p)]) - ey * (px - w.x[std::size_t(p)]));
        return e >= -margin * (std::fabs(ex) + std::fabs(ey));
    };
    return edge(a, b) && edge(b, c) && edge(c, a);
}

} // namespace

void SelectVisibleTriangles(const TMesh& mesh, const Matrix4f& toClip, int width, int height, bool cullBackFaces,
                            TTriangleBatch& batch, bool keepAll, float margin,
                            std::vector<TWindowVertex>* cornerWindows) {
    if (cornerWindows)
        cornerWindows->clear();
    const auto& verts = mesh.Vertices();
    const std::vector<int>& corners = mesh.Corners();
    const std::size_t n = verts.size(), triangles = corners.size() / 3;
    if (width > kMaxCulledViewport || height > kMaxCulledViewport)
        keepAll = true;
    // The kept triangles, in a scratch array large enough for all.
    static thread_local std::vector<unsigned> kept;
    kept.resize(triangles);
    std::size_t count = 0;
    if (keepAll) {
        for (std::size_t t = 0; t < triangles; ++t)
            kept[count++] = unsigned(t);
        batch.triangles.Assign(kept.data(), count, triangles);
        return;
    }
    static thread_local WindowArrays win;
    win.resize(n);
    windowPass(verts.data(), n, toClip, width * 0.5f, height * 0.5f, margin, win);
    const float* wx = win.x.data();
    const float* wy = win.y.data();
    const int* loXs = win.loX.data();
    const int* hiXs = win.hiX.data();
    const int* loYs = win.loY.data();
    const int* hiYs = win.hiY.data();
    const int* safe = win.safe.data();
    const int lastX = width - 1, lastY = height - 1;
    const int* corner = corners.data();
    for (std::size_t t = 0; t < triangles; ++t, corner += 3) {
        const int a = corner[0], b = corner[1], c = corner[2];
        const std::size_t ua = std::size_t(a), ub = std::size_t(b), uc = std::size_t(c);
        if (safe[ua] & safe[ub] & safe[uc]) {
            const float area = (wx[ub] - wx[ua]) * (wy[uc] - wy[ua]) - (wx[uc] - wx[ua]) * (wy[ub] - wy[ua]);
            if (cullBackFaces && area < -1e-3f)
                continue;
            const int loX = std::max(std::min({loXs[ua], loXs[ub], loXs[uc]}), 0);
            const int hiX = std::min(std::max({hiXs[ua], hiXs[ub], hiXs[uc]}), lastX);
            if (hiX < loX)
                continue;
            const int loY = std::max(std::min({loYs[ua], loYs[ub], loYs[uc]}), 0);
            const int hiY = std::min(std::max({hiYs[ua], hiYs[ub], hiYs[uc]}), lastY);
            if (hiY < loY)
                continue;
            // A small triangle: look at each pixel centre of its box.
            if (std::fabs(area) > 1e-3f && (hiX - loX + 1) * (hiY - loY + 1) <= 4) {
                const float sign = area > 0 ? 1.0f : -1.0f;
                bool hit = false;
                for (int py = loY; py <= hiY && !hit; ++py)
                    for (int px = loX; px <= hiX && !hit; ++px)
                        hit = holdsPoint(win, a, b, c, sign, px + 0.5f, py + 0.5f, margin);
                if (!hit)
                    continue;
            }
        }
        kept[count++] = unsigned(t);
    }
    batch.triangles.Assign(kept.data(), count, triangles);
    if (cornerWindows) {
        cornerWindows->resize(3 * count);
        TWindowVertex* out = cornerWindows->data();
        for (std::size_t j = 0; j < count; ++j) {
            const int* c = corners.data() + 3 * std::size_t(kept[j]);
            for (int k = 0; k < 3; ++k, ++out) {
                const std::size_t v = std::size_t(c[k]);
                *out = {win.x[v], win.y[v], win.z[v], win.safe[v]};
            }
        }
    }
}

void RunInParallel(std::size_t count, const std::function<void(std::size_t, std::size_t)>& work) {
    // Below this many items a second thread costs more than it saves.
    constexpr std::size_t kMinParallel = 64;
    static const unsigned cores = std::thread::hardware_concurrency();
    if (count < kMinParallel || cores < 2) {
        work(0, count);
        return;
    }
    const std::size_t half = count / 2;
    std::thread other;
    try {
        other = std::thread([&] { work(half, count); });
    } catch (const std::system_error&) {
        work(0, count); // no thread to be had: all here
        return;
    }
    work(0, half);
    other.join();
}
