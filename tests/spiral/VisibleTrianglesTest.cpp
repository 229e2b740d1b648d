// Dropping the triangles that cannot reach a pixel centre.
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/TSceneBuffer.h"
#include "spiral/VisibleTriangles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>
#include <tuple>

namespace {

struct Win {
    double x, y;
};

Win toWindow(Vector3f v, const Matrix4f& m, int w, int h) {
    const Vector4f c = Transform(Vector4f(v, 1), m);
    return {(c.x / c.w + 1) / 2 * w, (c.y / c.w + 1) / 2 * h};
}

// Whether a pixel centre lies strictly inside the triangle, by brute force.
bool coversACentre(Win a, Win b, Win c, int w, int h) {
    const double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (area == 0)
        return false;
    const double s = area > 0 ? 1 : -1;
    const int x0 = std::max(0, int(std::floor(std::min({a.x, b.x, c.x})))), x1 = std::min(w - 1, int(std::max({a.x, b.x, c.x})));
    const int y0 = std::max(0, int(std::floor(std::min({a.y, b.y, c.y})))), y1 = std::min(h - 1, int(std::max({a.y, b.y, c.y})));
    for (int py = y0; py <= y1; ++py)
        for (int px = x0; px <= x1; ++px) {
            const double X = px + 0.5, Y = py + 0.5;
            auto e = [&](Win p, Win q) { return s * ((q.x - p.x) * (Y - p.y) - (q.y - p.y) * (X - p.x)); };
            if (e(a, b) > 0 && e(b, c) > 0 && e(c, a) > 0)
                return true;
        }
    return false;
}

// The window's spiral in its 517 x 413 view, with a marker-like sphere.
struct SpiralView {
    TSpiralScene scene;
    TSceneBuffer buffer;
    TSphere sphere{scene.BaseSpirale};
    SpiralView() {
        BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
        buffer.SetViewport(517, 413);
        buffer.SetCamera(scene.Camera1);
        sphere.Reparent(scene.BaseSpirale);
        sphere.SetRadius(0.03f);
        sphere.SetSlices(20);
        sphere.SetStacks(20);
    }
};

TEST(SelectVisibleTriangles, DropsOnlyTrianglesWithoutFragments) {
    SpiralView view;
    TSceneBuffer& buffer = view.buffer;
    TSphere& s = view.sphere;
    for (double date : {-4000.0, -100.0, -1.0}) {
        PlaceOnSpiral(s, 5, 1.0, 0.3, date);
        const Matrix4f toClip = s.WorldMatrix() * buffer.ViewMatrix() * buffer.ProjectionMatrix();
        const auto mesh = s.Mesh();
        TTriangleBatch all, kept;
        SelectVisibleTriangles(*mesh, toClip, 517, 413, true, all, true);
        SelectVisibleTriangles(*mesh, toClip, 517, 413, true, kept);
        ASSERT_EQ(all.triangles.size(), 800u);
        EXPECT_LT(kept.triangles.size(), all.triangles.size() / 2);
        EXPECT_GT(kept.triangles.size(), 0u);
        const std::vector<Vector3f>& v = mesh->Vertices();
        const std::vector<int>& corners = mesh->Corners();
        auto corner = [&](const TTriangleBatch& b, std::size_t j, int k) {
            return v[std::size_t(corners[3 * b.triangles[j] + unsigned(k)])];
        };
        // The kept triangles, as vertex triples, in order.
        std::set<std::tuple<float, float, float, float, float, float, float, float, float>> keptSet;
        for (std::size_t j = 0; j < kept.triangles.size(); ++j) {
            const Vector3f a = corner(kept, j, 0), b = corner(kept, j, 1), c = corner(kept, j, 2);
            keptSet.insert({a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z});
        }
        int dropped = 0;
        for (std::size_t i = 0; i < all.triangles.size(); ++i) {
            const Vector3f a = corner(all, i, 0), b = corner(all, i, 1), c = corner(all, i, 2);
            if (keptSet.count({a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z}))
                continue;
            ++dropped;
            const Win wa = toWindow(a, toClip, 517, 413), wb = toWindow(b, toClip, 517, 413),
                      wc = toWindow(c, toClip, 517, 413);
            const double area = (wb.x - wa.x) * (wc.y - wa.y) - (wc.x - wa.x) * (wb.y - wa.y);
            // Dropped: a back face, or a front face without a pixel centre.
            if (area > 0) {
                EXPECT_FALSE(coversACentre(wa, wb, wc, 517, 413)) << date << " triangle " << i;
            }
        }
        EXPECT_GT(dropped, 400);
    }
}

// The rules of the selection one triangle at a time, as plainly as they
// read: the vector code must keep exactly these triangles.
std::vector<unsigned> plainSelection(const TMesh& mesh, const Matrix4f& toClip, int w, int h, float margin) {
    std::vector<TWindowVertex> win;
    for (const Vector3f& v : mesh.Vertices())
        win.push_back(ToWindow(v, toClip, w * 0.5f, h * 0.5f));
    // Pixel-centre ranges, floored after a shift by 8192 as the selection does
    // (that may round up to the next integer: ranges only grow).
    auto floorShifted = [](float v) { return int(v + 8192.0f) - 8192; };
    auto lo = [&](float c) { return -floorShifted(-(c - margin - 0.5f)); };
    auto hi = [&](float c) { return floorShifted(c + margin - 0.5f); };
    std::vector<unsigned> kept;
    const std::vector<int>& corners = mesh.Corners();
    for (std::size_t t = 0; 3 * t < corners.size(); ++t) {
        const TWindowVertex &a = win[std::size_t(corners[3 * t])], &b = win[std::size_t(corners[3 * t + 1])],
                            &c = win[std::size_t(corners[3 * t + 2])];
        if (a.safe && b.safe && c.safe) {
            const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
            const int x0 = std::max(std::min({lo(a.x), lo(b.x), lo(c.x)}), 0);
            const int x1 = std::min(std::max({hi(a.x), hi(b.x), hi(c.x)}), w - 1);
            const int y0 = std::max(std::min({lo(a.y), lo(b.y), lo(c.y)}), 0);
            const int y1 = std::min(std::max({hi(a.y), hi(b.y), hi(c.y)}), h - 1);
            if (area < -1e-3f || x1 < x0 || y1 < y0)
                continue;
            if (std::fabs(area) > 1e-3f && (x1 - x0 + 1) * (y1 - y0 + 1) <= 4) {
                const float sign = area > 0 ? 1.0f : -1.0f;
                auto in = [&](const TWindowVertex& p, const TWindowVertex& q, float px, float py) {
                    const float ex = q.x - p.x, ey = q.y - p.y;
                    return sign * (ex * (py - p.y) - ey * (px - p.x)) >= -margin * (std::fabs(ex) + std::fabs(ey));
                };
                bool hit = false;
                for (int py = y0; py <= y1; ++py)
                    for (int px = x0; px <= x1; ++px)
                        hit = hit || (in(a, b, px + 0.5f, py + 0.5f) && in(b, c, px + 0.5f, py + 0.5f) &&
                                      in(c, a, px + 0.5f, py + 0.5f));
                if (!hit)
                    continue;
            }
        }
        kept.push_back(unsigned(t));
    }
    return kept;
}

TEST(SelectVisibleTriangles, KeepsWhatThePlainRulesKeep) {
    SpiralView spiral;
    TSceneBuffer& buffer = spiral.buffer;
    TSphere& s = spiral.sphere;
    std::size_t total = 0;
    for (int view = 0; view < 12; ++view) {
        spiral.scene.Camera1->OrbitTarget(17, view % 3 == 0 ? 25 : -9);
        for (double date : {-4400.0, -2000.0, -300.0, -1.0}) {
            s.SetRadius(view % 2 ? 0.03f : 0.2f);
            PlaceOnSpiral(s, 5, 1.0, 0.3, date);
            const Matrix4f toClip = s.WorldMatrix() * buffer.ViewMatrix() * buffer.ProjectionMatrix();
            const auto mesh = s.Mesh();
            TTriangleBatch kept;
            SelectVisibleTriangles(*mesh, toClip, 517, 413, true, kept);
            std::vector<unsigned> got;
            for (std::size_t j = 0; j < kept.triangles.size(); ++j)
                got.push_back(kept.triangles[j]);
            EXPECT_EQ(got, plainSelection(*mesh, toClip, 517, 413, kPixelMargin)) << view << " " << date;
            total += got.size();
        }
    }
    EXPECT_GT(total, 2000u);
}

// Lists of numbers past 65 535 (meshes of more triangles) keep every bit.
TEST(TIndexList, WideNumbersSurvive) {
    const std::vector<unsigned> numbers = {0, 65535, 65536, 70001, 123456};
    TIndexList assigned, pushed;
    assigned.Assign(numbers.data(), numbers.size(), 200000);
    pushed.Reset(200000);
    for (unsigned n : numbers)
        pushed.push_back(n);
    ASSERT_EQ(assigned.size(), numbers.size());
    for (std::size_t k = 0; k < numbers.size(); ++k)
        EXPECT_EQ(assigned[k], numbers[k]);
    EXPECT_TRUE(assigned == pushed);
}

} // namespace
