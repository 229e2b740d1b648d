// When the kept picture of a frame's opaque part still shows what a new
// frame would draw.
#include "spiral/KeptPicture.h"
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

TEST(KeptPicture, HoldsWhileOnlyTheBlendedTailChanges) {
    struct Case {
        const char* change;
        std::function<void(TSpiralScene&, TSceneBuffer&)> apply;
        bool holds;
    };
    const Case cases[] = {
        {"nothing", [](TSpiralScene&, TSceneBuffer&) {}, true},
        {"the date sphere moves", [](TSpiralScene& s, TSceneBuffer&) { PlaceOnSpiral(*s.SpherePos, 5, 1.0, 0.3, -300); },
         true},
        {"the date sphere's colour", [](TSpiralScene& s, TSceneBuffer&) {
             s.SpherePos->Material().FrontProperties().Diffuse().SetRed(0.1f);
         }, true},
        {"a marker's colour", [](TSpiralScene& s, TSceneBuffer&) {
             s.EventMarkers[0]->Material().FrontProperties().Emission().SetRed(0.5f);
         }, false},
        {"a marker moves", [](TSpiralScene& s, TSceneBuffer&) { PlaceOnSpiral(*s.EventMarkers[1], 5, 1.0, 0.3, -2); },
         false},
        {"the camera orbits", [](TSpiralScene& s, TSceneBuffer&) { s.Camera1->OrbitTarget(0, 1); }, false},
        {"the light", [](TSpiralScene& s, TSceneBuffer&) { s.LightSource1->Position().SetX(4); }, false},
        {"the background", [](TSpiralScene&, TSceneBuffer& b) { b.SetBackgroundColor(0x00FF0000); }, false},
        {"the viewport", [](TSpiralScene&, TSceneBuffer& b) { b.SetViewport(600, 413); }, false},
        {"the date sphere turns opaque", [](TSpiralScene& s, TSceneBuffer&) {
             s.SpherePos->Material().SetBlendingMode(bmOpaque);
         }, false},
        {"the date sphere hidden", [](TSpiralScene& s, TSceneBuffer&) { s.SpherePos->SetVisible(false); }, false},
        {"the date sphere gets a child", [](TSpiralScene& s, TSceneBuffer&) {
             s.SpherePos->AddNewChild<TSphere>();
         }, false},
        {"a marker freed", [](TSpiralScene& s, TSceneBuffer&) { delete s.EventMarkers[2]; }, false},
        {"the date sphere freed", [](TSpiralScene& s, TSceneBuffer&) { delete s.SpherePos; }, false},
    };
    for (const Case& c : cases) {
        TSpiralScene scene;
        BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
        PlaceOnSpiral(*scene.SpherePos, 5, 1.0, 0.3, 0);
        for (double date : {-2000.0, -600.0, -3.0}) {
            auto* m = scene.BaseSpirale->AddNewChild<TSphere>();
            m->SetRadius(0.03f);
            PlaceOnSpiral(*m, 5, 1.0, 0.3, date);
            scene.EventMarkers.push_back(m);
        }
        TSceneBuffer buffer;
        buffer.SetViewport(517, 413);
        buffer.SetCamera(scene.Camera1);
        std::vector<TDrawItem> items, tail;
        buffer.CollectDrawList(items);
        ASSERT_EQ(items.size(), 6u);
        ASSERT_EQ(items.back().object, scene.SpherePos);
        TKeptPicture kept;
        const TKeptFrame frame{517, 413, 8};
        ASSERT_TRUE(kept.Record(buffer, frame, items, 5));
        c.apply(scene, buffer);
        EXPECT_EQ(kept.Holds(buffer, {buffer.Width(), buffer.Height(), 8}, tail), c.holds) << c.change;
        if (c.holds) {
            // The tail as the draw list gives it now.
            buffer.CollectDrawList(items);
            ASSERT_EQ(tail.size(), 1u);
            EXPECT_EQ(tail[0].object, items.back().object);
            EXPECT_EQ(std::memcmp(tail[0].world.m, items.back().world.m, sizeof tail[0].world.m), 0) << c.change;
        }
    }
}

} // namespace
