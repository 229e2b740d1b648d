// The object tree: ownership, behaviours, materials, notifications, drawing order.
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/TSceneBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct CountingBehaviour : TBehaviour {
    explicit CountingBehaviour(int* freedCount, int v = 0) : freed(freedCount), value(v) {}
    ~CountingBehaviour() override { ++*freed; }
    std::unique_ptr<TBehaviour> Clone() const override { return std::make_unique<CountingBehaviour>(freed, value); }
    int* freed;
    int value;
};

TEST(TBaseSceneObject, OwnershipAndReparent) {
    TSpiralScene scene;
    TDummyCube* base = scene.BaseSpirale;
    ASSERT_EQ(base->Count(), 3);
    auto* m = new TSphere(base);
    EXPECT_EQ(m->Parent(), nullptr); // owned, not yet in the tree
    m->Reparent(base);
    EXPECT_EQ(base->Count(), 4);
    EXPECT_EQ(base->Children(3), m);
    EXPECT_EQ(m->Scene(), scene.Scene1.get());
    // Reparent appends as the last child.
    scene.Spirale->Reparent(base);
    EXPECT_EQ(base->Children(3), scene.Spirale);
    EXPECT_EQ(base->Children(0), scene.SpherePos);
    int freed = 0;
    m->Behaviours().Add(std::make_unique<CountingBehaviour>(&freed));
    EXPECT_EQ(m->Behaviours()[0]->OwnerBaseSceneObject(), m);
    delete m;
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(base->Count(), 3);
    EXPECT_EQ(base->IndexOfChild(m), -1);
}

TEST(TBaseSceneObject, FreeingAnOwnerFreesWhatItOwns) {
    int freed = 0;
    {
        TScene scene;
        auto* owner = scene.Objects().AddNewChild<TDummyCube>();
        auto* elsewhere = scene.Objects().AddNewChild<TDummyCube>();
        auto* a = new TSphere(owner);
        a->Reparent(elsewhere); // owned by one, child of another
        a->Behaviours().Add(std::make_unique<CountingBehaviour>(&freed));
        delete owner;
        EXPECT_EQ(freed, 1);
        EXPECT_EQ(elsewhere->Count(), 0);
    }
    EXPECT_EQ(freed, 1);
}

TEST(TBaseSceneObject, BehavioursCopy) {
    TScene scene;
    auto* a = scene.Objects().AddNewChild<TSphere>();
    auto* b = scene.Objects().AddNewChild<TSphere>();
    int freed = 0;
    a->Behaviours().Add(std::make_unique<CountingBehaviour>(&freed, 7));
    a->Behaviours().Add(std::make_unique<CountingBehaviour>(&freed, 8));
    b->Behaviours().Add(std::make_unique<CountingBehaviour>(&freed, 1));
    b->Behaviours().Assign(a->Behaviours());
    EXPECT_EQ(freed, 1); // b's own one is replaced
    ASSERT_EQ(b->Behaviours().Count(), 2);
    EXPECT_EQ(static_cast<CountingBehaviour*>(b->Behaviours()[0])->value, 7);
    EXPECT_EQ(static_cast<CountingBehaviour*>(b->Behaviours()[1])->value, 8);
    EXPECT_EQ(b->Behaviours()[1]->OwnerBaseSceneObject(), b);
    EXPECT_NE(b->Behaviours()[0], a->Behaviours()[0]);
    EXPECT_EQ(b->Behaviours().GetByClass<CountingBehaviour>(), b->Behaviours()[0]);
}

TEST(TBaseSceneObject, FreedTargetsAndCamerasAreForgotten) {
    TSpiralScene scene;
    TSceneBuffer buffer;
    buffer.SetCamera(scene.Camera1);
    auto* target = scene.Scene1->Objects().AddNewChild<TDummyCube>();
    scene.Camera1->SetTargetObject(target);
    delete target;
    EXPECT_EQ(scene.Camera1->TargetObject(), nullptr);
    delete scene.CibleCamera; // frees Camera1 with it
    EXPECT_EQ(buffer.Camera(), nullptr);
    EXPECT_EQ(buffer.PickAt(10, 10), nullptr);
}

TEST(TMaterial, AssignCopiesEverything) {
    TSpiralScene scene;
    TSphere m;
    m.Material() = scene.SpherePos->Material();
    EXPECT_EQ(m.Material().BlendingMode(), bmTransparency);
    EXPECT_TRUE(m.IsBlended());
    const TFaceProperties& f = m.Material().FrontProperties();
    EXPECT_FLOAT_EQ(f.Diffuse().Red(), float(245 / 255.0));
    EXPECT_FLOAT_EQ(f.Diffuse().Alpha(), 0.722f);
    EXPECT_FLOAT_EQ(f.Emission().Alpha(), 0.706f);
    EXPECT_FLOAT_EQ(f.Specular().Red(), float(20 / 255.0));
    EXPECT_FLOAT_EQ(f.Ambient().Blue(), float(4 / 255.0));
    m.Material().SetBlendingMode(scene.Spirale->Material().BlendingMode());
    EXPECT_FALSE(m.IsBlended());
    // Defaults of a new material.
    TSphere n;
    EXPECT_FLOAT_EQ(n.Material().FrontProperties().Ambient().Red(), 0.2f);
    EXPECT_FLOAT_EQ(n.Material().FrontProperties().Diffuse().Green(), 0.8f);
    EXPECT_FLOAT_EQ(n.Material().FrontProperties().Emission().Alpha(), 1.0f);
}

TEST(TBaseSceneObject, ChildrenStayInOrderWhateverIsFreed) {
    TScene scene;
    TBaseSceneObject& root = scene.Objects();
    std::vector<TSphere*> kids;
    for (int i = 0; i < 40; ++i)
        kids.push_back(root.AddNewChild<TSphere>());
    // One in three freed, then the first half: the others keep their order.
    auto expectOrder = [&] {
        ASSERT_EQ(root.Count(), int(kids.size()));
        for (int i = 0; i < root.Count(); ++i) {
            EXPECT_EQ(root.Children(i), kids[std::size_t(i)]);
            EXPECT_EQ(root.IndexOfChild(kids[std::size_t(i)]), i);
        }
    };
    for (std::size_t i = 0; i < kids.size(); i += 2) {
        delete kids[i];
        kids.erase(kids.begin() + std::ptrdiff_t(i));
    }
    expectOrder();
    while (kids.size() > 10) {
        delete kids.front();
        kids.erase(kids.begin());
    }
    expectOrder();
    kids.push_back(root.AddNewChild<TSphere>());
    kids.front()->Reparent(&root); // to the end
    std::rotate(kids.begin(), kids.begin() + 1, kids.end());
    expectOrder();
    // A child that owns a later sibling frees it while its parent is freed.
    auto* group = root.AddNewChild<TDummyCube>();
    auto* first = group->AddNewChild<TSphere>();
    auto* second = new TSphere(first);
    second->Reparent(group);
    int freed = 0;
    second->Behaviours().Add(std::make_unique<CountingBehaviour>(&freed));
    delete group;
    EXPECT_EQ(freed, 1);
    expectOrder();
}

TEST(TScene, ChangesAskForRepaintsUnlessBusy) {
    TSpiralScene scene;
    TSceneBuffer buffer;
    int repaints = 0;
    buffer.OnChange = [&] { ++repaints; };
    buffer.SetCamera(scene.Camera1);
    repaints = 0;
    scene.SpherePos->Position().SetX(0.5f);
    EXPECT_EQ(repaints, 1);
    scene.SpherePos->Position().SetX(0.5f); // the same value: nothing
    EXPECT_EQ(repaints, 1);
    scene.SpherePos->Material().FrontProperties().Diffuse().SetGreen(0.3f);
    scene.Spirale->SetRadius(0.02f);
    scene.Spirale2->Nodes().Clear(); // already empty: nothing
    EXPECT_EQ(repaints, 3);
    {
        TSceneBuffer::BusyGuard busy(buffer);
        scene.SpherePos->Position().SetY(0.25f);
    }
    EXPECT_EQ(repaints, 3);
    // Objects outside the tree notify nobody.
    TSphere loose;
    loose.Position().SetX(3);
    EXPECT_EQ(repaints, 3);
    // Picking draws nothing visible and asks for no repaint.
    buffer.SetViewport(517, 413);
    BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
    repaints = 0;
    buffer.PickAt(258, 206);
    EXPECT_EQ(repaints, 0);
    // Changes between BeginUpdate and EndUpdate ask for one repaint at the end.
    {
        TSceneUpdate outer(*scene.Scene1);
        TSceneUpdate inner(*scene.Scene1);
        scene.SpherePos->Position().SetX(0.1f);
        scene.Spirale->SetRadius(0.03f);
    }
    EXPECT_EQ(repaints, 1);
    { TSceneUpdate nothing(*scene.Scene1); }
    EXPECT_EQ(repaints, 1);
}

TEST(TSceneBuffer, DrawingOrder) {
    TSpiralScene scene;
    BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
    PlaceOnSpiral(*scene.SpherePos, 5, 1.0, 0.3, 0);
    auto* m1 = scene.BaseSpirale->AddNewChild<TSphere>();
    auto* m2 = scene.BaseSpirale->AddNewChild<TSphere>();
    TSceneBuffer buffer;
    buffer.SetCamera(scene.Camera1);
    std::vector<TDrawItem> items;
    buffer.CollectDrawList(items);
    // Dummy cubes, the light and the camera draw nothing; the translucent
    // date sphere comes after the opaque tubes and markers.
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].object, scene.Spirale);
    EXPECT_EQ(items[1].object, scene.Spirale2);
    EXPECT_EQ(items[2].object, m1);
    EXPECT_EQ(items[3].object, m2);
    EXPECT_EQ(items[4].object, scene.SpherePos);
    // Two blended children: the farther from the camera first.
    m1->Material().SetBlendingMode(bmAdditive);
    m1->Position().SetPoint(0, 0, 0); // the centre is farther than the present
    buffer.CollectDrawList(items);
    EXPECT_EQ(items[3].object, m1);
    EXPECT_EQ(items[4].object, scene.SpherePos);
    // Invisible objects are skipped with their children.
    auto* child = m2->AddNewChild<TSphere>();
    m2->SetVisible(false);
    buffer.CollectDrawList(items);
    for (const TDrawItem& it : items) {
        EXPECT_NE(it.object, m2);
        EXPECT_NE(it.object, child);
    }
}

} // namespace
