// Which spheres a frame draws as stand-ins, and the stand-ins themselves.
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/StandIns.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(StandIns, SmallSpheresAboveTheThresholdCrowdingPixelsKeepTheNearest) {
    TSpiralScene scene;
    BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
    PlaceOnSpiral(*scene.SpherePos, 5, 1.0, 0.3, 0);
    TSceneBuffer buffer;
    buffer.SetViewport(517, 413);
    buffer.SetCamera(scene.Camera1);
    // Markers along the spiral, then two on one spot (the second one hidden
    // in the first's pixel), a big one and a half sphere.
    auto add = [&](float radius, double date) {
        auto* m = scene.BaseSpirale->AddNewChild<TSphere>();
        m->SetRadius(radius);
        PlaceOnSpiral(*m, 5, 1.0, 0.3, date);
        return m;
    };
    for (int i = 0; i < 200; ++i)
        add(0.03f, -4550.0 + 4580.0 * i / 200);
    add(0.03f, -1);
    TSphere* behind = add(0.03f, -1);
    behind->Position().SetY(behind->Position().Y() - 0.001f);
    TSphere* big = add(0.3f, -100);
    add(0.03f, -50)->SetTop(0);
    std::vector<TDrawItem> all;
    buffer.CollectDrawList(all);
    const Matrix4f view = buffer.ViewMatrix(), projection = buffer.ProjectionMatrix();

    struct Case {
        std::size_t threshold;
        bool standIns;
    };
    for (const Case& c : {Case{1000, false}, Case{100, true}}) {
        std::vector<TDrawItem> items = all;
        TStandIns standIns;
        standIns.Build(items, view, projection, 517, 413, c.threshold);
        if (!c.standIns) {
            // Below the threshold the list is given back as it was, bit for bit.
            ASSERT_EQ(items.size(), all.size());
            for (std::size_t k = 0; k < all.size(); ++k) {
                EXPECT_EQ(items[k].object, all[k].object);
                EXPECT_EQ(std::memcmp(items[k].world.m, all[k].world.m, sizeof all[k].world.m), 0) << k;
            }
            EXPECT_TRUE(standIns.Groups().empty());
            continue;
        }
        // Left as objects, in order: the tubes, the big sphere, the half
        // sphere and the date sphere (blended) last.
        std::vector<TBaseSceneObject*> left;
        for (const TDrawItem& i : items)
            left.push_back(i.object);
        ASSERT_EQ(left.size(), 5u);
        EXPECT_EQ(left[0], scene.Spirale);
        EXPECT_EQ(left[2], big);
        EXPECT_EQ(left.back(), scene.SpherePos);
        EXPECT_EQ(standIns.Taken(), 202u); // the half sphere and the big one stay
        // One look, 24 triangles a stand-in; fewer stand-ins than spheres
        // (crowded pixels), never the hidden twin.
        ASSERT_EQ(standIns.Groups().size(), 1u);
        EXPECT_EQ(standIns.Groups()[0].vertices.size(), standIns.Drawn() * 3 * 3 * kStandInSides);
        EXPECT_LT(standIns.Drawn(), 201u);
        EXPECT_GT(standIns.Drawn(), 100u);
        // Every vertex lies on or just outside the sphere of its centre,
        // its normal of unit length, facing the eye or across it.
        for (const TStandInVertex& v : standIns.Groups()[0].vertices) {
            EXPECT_NEAR(Length(v.normal), 1, 1e-4);
            EXPECT_LE(Dot(v.normal, Normalized(-v.position)), 1.001f);
        }
        // The twin behind adds nothing: without it the same stand-ins.
        std::vector<TDrawItem> withoutTwin;
        for (const TDrawItem& i : all)
            if (i.object != behind)
                withoutTwin.push_back(i);
        TStandIns other;
        other.Build(withoutTwin, view, projection, 517, 413, c.threshold);
        EXPECT_EQ(other.Drawn(), standIns.Drawn());
    }
}

} // namespace
