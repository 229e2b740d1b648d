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

// A vertex in window coordinates, with the range of pixel centres i + 0.5 it
// may reach: a triangle holds a pixel centre in its bounding box only when
// max(hi) >= min(lo) on both axes.
struct WindowVertex {
    float x, y, z;
    int loX, hiX, loY, hiY;
    bool safe; // in front of the near plane and inside the depth range: no clipping
};

// Whether the triangle (counter-clockwise when sign is 1, clockwise when -1),
// grown by the margin (pixels), holds the pixel centre (px, py).
inline bool holdsPoint(const WindowVertex& a, const WindowVertex& b, const WindowVertex& c, float sign, float px,
                       float py, float margin) {
    auto edge = [&](const WindowVertex& p, const WindowVertex& q) {
        const float ex = q.x - p.x, ey = q.y - p.y;
        const float e = sign * (ex * (py - p.y) - ey * (px - p.x));
        return e >= -margin * (std::fabs(ex) + std::fabs(ey));
    };
    return edge(a, b) && edge(b, c) && edge(c, a);
}

} // namespace

void SelectVisibleTriangles(const TMesh& mesh, const Matrix4f& toClip, int width, int height, bool cullBackFaces,
                            TTriangleBatch& batch, bool keepAll, float margin) {
    const auto& verts = mesh.Vertices();
    const auto& idx = mesh.Indices();
    const std::size_t n = verts.size();
    if (width > kMaxCulledViewport || height > kMaxCulledViewport)
        keepAll = true;
    static thread_local std::vector<WindowVertex> win;
    win.resize(n);
    const float hw = width * 0.5f, hh = height * 0.5f;
    if (!keepAll) {
        for (std::size_t i = 0; i < n; ++i) {
            const TWindowVertex v = ToWindow(verts[i], toClip, hw, hh);
            WindowVertex& o = win[i];
            o.x = v.x, o.y = v.y, o.z = v.z;
            o.safe = v.safe;
            if (v.safe) {
                o.loX = -floorToInt(-(o.x - margin - 0.5f));
                o.hiX = floorToInt(o.x + margin - 0.5f);
                o.loY = -floorToInt(-(o.y - margin - 0.5f));
                o.hiY = floorToInt(o.y + margin - 0.5f);
            }
        }
    }
    // The kept triangles, in a scratch array large enough for all.
    static thread_local std::vector<unsigned> kept;
    kept.resize(3 * idx.size());
    std::size_t count = 0;
    const int lastX = width - 1, lastY = height - 1;
    for (const TMeshStrip& s : mesh.Strips()) {
        const int* strip = idx.data() + s.first;
        for (int i = 0; i + 2 < s.count; ++i) {
            // Strip order: odd triangles swap their first two vertices.
            const int a = strip[i + (i & 1)], b = strip[i + 1 - (i & 1)], c = strip[i + 2];
            if (!keepAll) {
                const WindowVertex &va = win[std::size_t(a)], &vb = win[std::size_t(b)], &vc = win[std::size_t(c)];
                if (va.safe && vb.safe && vc.safe) {
                    const float area = (vb.x - va.x) * (vc.y - va.y) - (vc.x - va.x) * (vb.y - va.y);
                    if (cullBackFaces && area < -1e-3f)
                        continue;
                    const int loX = std::max(std::min({va.loX, vb.loX, vc.loX}), 0);
                    const int hiX = std::min(std::max({va.hiX, vb.hiX, vc.hiX}), lastX);
                    if (hiX < loX)
                        continue;
                    const int loY = std::max(std::min({va.loY, vb.loY, vc.loY}), 0);
                    const int hiY = std::min(std::max({va.hiY, vb.hiY, vc.hiY}), lastY);
                    if (hiY < loY)
                        continue;
                    // A small triangle: look at each pixel centre of its box.
                    if (std::fabs(area) > 1e-3f && (hiX - loX + 1) * (hiY - loY + 1) <= 4) {
                        const float sign = area > 0 ? 1.0f : -1.0f;
                        bool hit = false;
                        for (int py = loY; py <= hiY && !hit; ++py)
                            for (int px = loX; px <= hiX && !hit; ++px)
                                hit = holdsPoint(va, vb, vc, sign, px + 0.5f, py + 0.5f, margin);
                        if (!hit)
                            continue;
                    }
                }
            }
            kept[count++] = unsigned(a);
            kept[count++] = unsigned(b);
            kept[count++] = unsigned(c);
        }
    }
    batch.indices.Assign(kept.data(), count, n);
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
