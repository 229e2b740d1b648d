// Dropping the triangles that cannot reach a pixel centre.
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/TSceneBuffer.h"
#include "spiral/VisibleTriangles.h"

#include <gtest/gtest.h>

#include <set>
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

TEST(SelectVisibleTriangles, DropsOnlyTrianglesWithoutFragments) {
    TSpiralScene scene;
    BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
    TSceneBuffer buffer;
    buffer.SetViewport(517, 413);
    buffer.SetCamera(scene.Camera1);
    for (double date : {-4000.0, -100.0, -1.0}) {
        TSphere s(scene.BaseSpirale);
        s.Reparent(scene.BaseSpirale);
        s.SetRadius(0.03f);
        s.SetSlices(20);
        s.SetStacks(20);
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

} // namespace
