// Picking the object drawn under the mouse in the 517 x 413 view.
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/TSceneBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

struct PickingTest : ::testing::Test {
    TSpiralScene scene;
    TSceneBuffer buffer;

    void SetUp() override {
        BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
        PlaceOnSpiral(*scene.SpherePos, 5, 1.0, 0.3, 0);
        buffer.SetViewport(517, 413);
        buffer.SetCamera(scene.Camera1);
    }

    // Mouse position (y downwards) over a point of BaseSpirale's frame.
    void mouseOver(Vector3f local, int& x, int& y) {
        const Matrix4f toClip = scene.BaseSpirale->WorldMatrix() * buffer.ViewMatrix() * buffer.ProjectionMatrix();
        const Vector4f c = Transform(Vector4f(local, 1), toClip);
        x = int(std::lround((c.x / c.w + 1) / 2 * 517));
        y = 413 - int(std::lround((c.y / c.w + 1) / 2 * 413));
    }
    TBaseSceneObject* pickOver(Vector3f local) {
        int x, y;
        mouseOver(local, x, y);
        return buffer.PickAt(x, y);
    }
    Vector3f node(const TPipe* p, int i) { return {p->Nodes()[i].X, p->Nodes()[i].Y, p->Nodes()[i].Z}; }
};

TEST_F(PickingTest, BackgroundTubesAndSphere) {
    EXPECT_EQ(buffer.PickAt(5, 5), nullptr);
    EXPECT_EQ(buffer.PickAt(500, 400), nullptr);
    EXPECT_EQ(buffer.PickAt(-50, 30), nullptr);
    EXPECT_EQ(pickOver({1, 0, 1.5f}), scene.SpherePos);
    for (int i : {30, 50, 70})
        EXPECT_EQ(pickOver(node(scene.Spirale, i)), scene.Spirale) << i;
    EXPECT_EQ(pickOver(node(scene.Spirale2, 12)), scene.Spirale2);
    EXPECT_EQ(scene.Spirale->Tag(), 0);
}

TEST_F(PickingTest, NearestWinsWhateverTheOrder) {
    // A marker inside the date sphere: the sphere's front is nearer.
    auto* marker = new TSphere(scene.BaseSpirale);
    marker->Reparent(scene.BaseSpirale);
    marker->SetRadius(0.03f);
    marker->SetTag(1);
    PlaceOnSpiral(*marker, 5, 1.0, 0.3, 0);
    EXPECT_EQ(pickOver({1, 0, 1.5f}), scene.SpherePos);
    // Moved towards the camera, out in front of the sphere: the marker.
    const Vector3f eye = scene.BaseSpirale->AbsoluteToLocal(scene.Camera1->WorldPosition());
    const Vector3f front = Vector3f(1, 0, 1.5f) + Normalized(eye - Vector3f(1, 0, 1.5f)) * 0.2f;
    marker->Position().SetPoint(front.x, front.y, front.z);
    EXPECT_EQ(pickOver({1, 0, 1.5f}), marker);
    // Every object drawn there is in the list, nearest first.
    int x, y;
    mouseOver({1, 0, 1.5f}, x, y);
    TPickList list;
    buffer.PickInRect({x - 1, y - 1, x + 1, y + 1}, list);
    ASSERT_GE(list.size(), 3u);
    EXPECT_EQ(list[0].object, marker);
    EXPECT_EQ(list[1].object, scene.SpherePos);
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_LE(list[i - 1].zNear, list[i].zNear);
    for (const TPickInfo& h : list) {
        EXPECT_GE(h.zNear, 0);
        EXPECT_LE(h.zNear, h.zFar);
        EXPECT_LE(h.zFar, 1);
    }
}

TEST_F(PickingTest, HiddenAndEmptyObjectsAreNotHit) {
    scene.SpherePos->SetVisible(false);
    TBaseSceneObject* under = pickOver({1, 0, 1.5f});
    EXPECT_TRUE(under == scene.Spirale || under == scene.Spirale2);
    const Vector3f mid = node(scene.Spirale2, 12);
    scene.Spirale2->Nodes().Clear();
    EXPECT_EQ(pickOver(mid), nullptr);
    // Dummy cubes draw nothing: the target's centre shows the background here.
    scene.Spirale->SetVisible(false);
    scene.SpherePos->SetVisible(false);
    EXPECT_EQ(buffer.PickAt(258, 206), nullptr);
    TSceneBuffer noCamera;
    noCamera.SetViewport(517, 413);
    EXPECT_EQ(noCamera.PickAt(258, 206), nullptr);
}

TEST_F(PickingTest, ManyMarkersStillNearestFirst) {
    std::vector<TSphere*> markers;
    for (int i = 0; i < 2000; ++i) {
        auto* m = new TSphere(scene.BaseSpirale);
        m->Reparent(scene.BaseSpirale);
        m->SetRadius(0.03f);
        m->SetTag(i + 1);
        PlaceOnSpiral(*m, 5, 1.0, 0.3, -4550.0 + 4580.0 * i / 2000);
        markers.push_back(m);
    }
    // Over each of a few markers the answer is the nearest hit of the full list.
    for (int i : {100, 900, 1500, 1990}) {
        int x, y;
        mouseOver(markers[std::size_t(i)]->Position().AsVector(), x, y);
        TPickList list;
        buffer.PickInRect({x - 1, y - 1, x + 1, y + 1}, list);
        ASSERT_FALSE(list.empty());
        EXPECT_EQ(buffer.PickAt(x, y), list.front().object) << i;
    }
}

// Picks after the first use what the buffer kept of the scene (a grid of
// the view); a buffer that has kept nothing looks at every object. Both
// answer the same over the whole view, while the markers change colour as
// under the mouse, and again once one moves and the camera turns.
TEST_F(PickingTest, KeptGridAnswersAsTheWholeList) {
    std::vector<TSphere*> markers;
    for (int i = 0; i < 1500; ++i) {
        auto* m = new TSphere(scene.BaseSpirale);
        m->Reparent(scene.BaseSpirale);
        m->SetRadius(0.03f);
        m->SetUncachedGeometry(true);
        m->SetTag(i + 1);
        PlaceOnSpiral(*m, 5, 1.0, 0.3, -4550.0 + 4580.0 * i / 1500);
        markers.push_back(m);
    }
    auto differences = [&] {
        int n = 0, hits = 0;
        for (int y = 3; y < 413; y += 11)
            for (int x = 2; x < 517; x += 11) {
                TSceneBuffer fresh;
                fresh.SetViewport(517, 413);
                fresh.SetCamera(scene.Camera1);
                TBaseSceneObject* expected = fresh.PickAt(x, y);
                TBaseSceneObject* kept = buffer.PickAt(x, y);
                n += kept != expected;
                hits += expected != nullptr;
                if (auto* m = dynamic_cast<TSphere*>(kept))
                    m->Material().FrontProperties().Diffuse().SetRed(0.5f); // the hover's colour
            }
        TPickList all, kept;
        for (const TPickRect& r : {TPickRect{100, 100, 300, 250}, TPickRect{0, 0, 0, 0}}) {
            TSceneBuffer fresh;
            fresh.SetViewport(517, 413);
            fresh.SetCamera(scene.Camera1);
            fresh.PickInRect(r, all);
            buffer.PickInRect(r, kept);
            n += all.size() != kept.size() || !std::equal(all.begin(), all.end(), kept.begin(), [](auto& a, auto& b) {
                     return a.object == b.object && a.zNear == b.zNear && a.zFar == b.zFar;
                 });
        }
        EXPECT_GT(hits, 100);
        return n;
    };
    EXPECT_EQ(differences(), 0);
    markers[700]->Position().SetY(markers[700]->Position().Y() + 0.2f);
    EXPECT_EQ(differences(), 0) << "a marker moved";
    scene.Camera1->OrbitTarget(40, -30);
    EXPECT_EQ(differences(), 0) << "the camera turned";
}

} // namespace
