// The collision manager: registration, the pair tests and the order of the reports.
#include "spiral/CollisionManager.h"
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/TScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>
#include <vector>

namespace {

using TPair = std::pair<TBaseSceneObject*, TBaseSceneObject*>;

// A scene with objects under the root, each with one collision behaviour.
struct TWorld {
    TScene scene;
    TCollisionManager manager;
    std::vector<TPair> reported;

    TWorld() {
        manager.OnCollision = [this](TCollisionManager* sender, TBaseSceneObject* a, TBaseSceneObject* b) {
            EXPECT_EQ(sender, &manager);
            reported.emplace_back(a, b);
        };
    }
    TSphere* add(TCollisionBoundingMode mode, float x, float y, float z, float radius = 0.03f) {
        auto* s = scene.Objects().AddNewChild<TSphere>();
        s->SetRadius(radius);
        s->Position().SetPoint(x, y, z);
        auto* b = s->Behaviours().Add(std::make_unique<TCollisionBehaviour>());
        b->SetManager(&manager);
        b->SetBoundingMode(mode);
        return s;
    }
    std::vector<TPair> check() {
        reported.clear();
        manager.RunCollisionCheck();
        return reported;
    }
};

TCollisionBehaviour* behaviourOf(TBaseSceneObject* o) { return o->Behaviours().GetByClass<TCollisionBehaviour>(); }

} // namespace

TEST(TCollisionManager, RegistrationOrderAndManagerChanges) {
    TWorld w;
    TSphere* a = w.add(cbmPoint, 0, 0, 0);
    TSphere* b = w.add(cbmSphere, 1, 0, 0);
    ASSERT_EQ(w.manager.Count(), 2);
    EXPECT_EQ(w.manager.Items(0), behaviourOf(a));
    EXPECT_EQ(w.manager.Items(1), behaviourOf(b));
    // Setting the same manager again registers nothing twice.
    behaviourOf(a)->SetManager(&w.manager);
    EXPECT_EQ(w.manager.Count(), 2);
    // Moving to another manager and back appends at the end.
    TCollisionManager other;
    behaviourOf(a)->SetManager(&other);
    EXPECT_EQ(w.manager.Count(), 1);
    EXPECT_EQ(other.Count(), 1);
    behaviourOf(a)->SetManager(&w.manager);
    EXPECT_EQ(other.Count(), 0);
    EXPECT_EQ(w.manager.Items(0), behaviourOf(b));
    EXPECT_EQ(w.manager.Items(1), behaviourOf(a));
    // Freeing the object frees and unregisters its behaviour.
    delete b;
    ASSERT_EQ(w.manager.Count(), 1);
    EXPECT_EQ(w.manager.Items(0), behaviourOf(a));
}

TEST(TCollisionManager, FreeingTheManagerClearsTheBehavioursManager) {
    TScene scene;
    auto* s = scene.Objects().AddNewChild<TSphere>();
    auto* b = s->Behaviours().Add(std::make_unique<TCollisionBehaviour>());
    {
        TCollisionManager m;
        b->SetManager(&m);
        EXPECT_EQ(b->Manager(), &m);
    }
    EXPECT_EQ(b->Manager(), nullptr);
    delete s; // nothing to unregister from
}

TEST(TCollisionManager, CopiedBehavioursKeepManagerAndModeButNotGroup) {
    TWorld w;
    TSphere* a = w.add(cbmPoint, 0, 0, 0);
    behaviourOf(a)->SetGroupIndex(7);
    TSphere* b = w.add(cbmSphere, 5, 0, 0);
    auto* c = w.scene.Objects().AddNewChild<TSphere>();
    c->Behaviours().Assign(a->Behaviours());
    ASSERT_EQ(c->Behaviours().Count(), 1);
    TCollisionBehaviour* copy = behaviourOf(c);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Manager(), &w.manager);
    EXPECT_EQ(copy->BoundingMode(), cbmPoint);
    EXPECT_EQ(copy->GroupIndex(), 0);
    EXPECT_EQ(copy->OwnerBaseSceneObject(), c);
    ASSERT_EQ(w.manager.Count(), 3);
    EXPECT_EQ(w.manager.Items(2), copy); // at the end of the list
    (void)b;
}

TEST(TCollisionManager, NothingIsReportedWithoutHandlerOrPartner) {
    TWorld w;
    w.add(cbmPoint, 0, 0, 0);
    EXPECT_TRUE(w.check().empty()); // only one behaviour
    w.add(cbmSphere, 0, 0, 0);
    TObjectCollisionEvent handler = w.manager.OnCollision;
    w.manager.OnCollision = nullptr;
    w.manager.RunCollisionCheck(); // no handler: nothing happens
    EXPECT_TRUE(w.reported.empty());
    w.manager.OnCollision = handler;
    EXPECT_EQ(w.check().size(), 1u);
}

TEST(TCollisionManager, PointAndSphereTouchUpToTheRadiusIncluded) {
    TWorld w;
    TSphere* p = w.add(cbmPoint, 0, 0, 0);
    TSphere* m = w.add(cbmSphere, 0.03f, 0, 0);
    EXPECT_EQ(w.check(), (std::vector<TPair>{{p, m}}));
    m->Position().SetX(std::nextafter(0.03f, 1.0f));
    EXPECT_TRUE(w.check().empty());
    m->Position().SetPoint(0, -0.03f, 0);
    EXPECT_EQ(w.check().size(), 1u);
    // The sphere registered first: object1 is the sphere.
    TWorld v;
    TSphere* m2 = v.add(cbmSphere, 0, 0, 0.03f);
    TSphere* p2 = v.add(cbmPoint, 0, 0, 0);
    EXPECT_EQ(v.check(), (std::vector<TPair>{{m2, p2}}));
}

TEST(TCollisionManager, PointPointAndSphereSphereTests) {
    TWorld w;
    TSphere* a = w.add(cbmPoint, 0, 0, 0);
    TSphere* b = w.add(cbmPoint, 0.0009f, 0, 0);
    EXPECT_EQ(w.check(), (std::vector<TPair>{{a, b}}));
    b->Position().SetX(0.0011f);
    EXPECT_TRUE(w.check().empty());
    TWorld v;
    TSphere* c = v.add(cbmSphere, 0, 0, 0, 0.03f);
    TSphere* d = v.add(cbmSphere, 0, 0.0599f, 0, 0.03f);
    EXPECT_EQ(v.check(), (std::vector<TPair>{{c, d}}));
    d->Position().SetY(0.0601f);
    EXPECT_TRUE(v.check().empty());
}

TEST(TCollisionManager, BoundingRadiusIsTheLargestHalfExtent) {
    TWorld w;
    TSphere* p = w.add(cbmPoint, 0, 0, 0);
    TSphere* s = w.add(cbmSphere, 0.05f, 0.05f, 0, 0.03f);
    s->Scale().SetPoint(2, 1, 1); // radius 0.06 from the largest component, not the length
    EXPECT_FLOAT_EQ(BoundingRadius(*s), 0.06f);
    EXPECT_TRUE(w.check().empty()); // the centre is 0.0707 away
    s->Scale().SetPoint(3, 1, 1);
    EXPECT_EQ(w.check(), (std::vector<TPair>{{p, s}}));
    TDummyCube cube;
    cube.Scale().SetPoint(1, 4, 2);
    EXPECT_FLOAT_EQ(BoundingRadius(cube), 2.0f);
}

TEST(TCollisionManager, SameNonZeroGroupIsNeverTested) {
    TWorld w;
    TSphere* a = w.add(cbmSphere, 0, 0, 0);
    TSphere* b = w.add(cbmSphere, 0, 0, 0);
    TSphere* c = w.add(cbmSphere, 0, 0, 0);
    behaviourOf(a)->SetGroupIndex(3);
    behaviourOf(b)->SetGroupIndex(3);
    EXPECT_EQ(w.check(), (std::vector<TPair>{{a, c}, {b, c}})); // group 0 meets everything
    behaviourOf(c)->SetGroupIndex(3);
    EXPECT_TRUE(w.check().empty());
    behaviourOf(b)->SetGroupIndex(4);
    EXPECT_EQ(w.check(), (std::vector<TPair>{{a, b}, {b, c}}));
}

TEST(TCollisionManager, OtherModesUseTheHalfExtentsAlongTheWorldAxes) {
    TWorld w;
    TSphere* box = w.add(cbmCube, 0, 0, 0, 0.1f);
    TSphere* p = w.add(cbmPoint, 0.1f, 0.1f, 0.1f); // the corner
    EXPECT_EQ(w.check(), (std::vector<TPair>{{box, p}}));
    behaviourOf(box)->SetBoundingMode(cbmEllipsoid); // the corner lies outside the ellipsoid
    EXPECT_TRUE(w.check().empty());
    p->Position().SetPoint(0.1f, 0, 0);
    EXPECT_EQ(w.check().size(), 1u);
    behaviourOf(box)->SetBoundingMode(cbmFaces); // as a cube
    p->Position().SetPoint(0.1f, 0.1f, 0.1f);
    EXPECT_EQ(w.check().size(), 1u);
}

// The date sphere and two markers at one date in the window's scene.
TEST(TCollisionManager, TwoMarkersAtOneDate) {
    TSpiralScene s;
    std::vector<TPair> reported;
    s.CollisionManager1.OnCollision = [&](TCollisionManager*, TBaseSceneObject* a, TBaseSceneObject* b) {
        reported.emplace_back(a, b);
    };
    ASSERT_EQ(s.CollisionManager1.Count(), 1);
    EXPECT_EQ(s.CollisionManager1.Items(0)->OwnerBaseSceneObject(), s.SpherePos);
    EXPECT_EQ(s.CollisionManager1.Items(0)->BoundingMode(), cbmPoint);
    std::vector<TSphere*> markers;
    for (int i = 0; i < 3; ++i) {
        auto* m = new TSphere(s.BaseSpirale);
        m->Reparent(s.BaseSpirale);
        m->SetRadius(0.03f);
        m->Behaviours().Assign(s.SpherePos->Behaviours());
        behaviourOf(m)->SetBoundingMode(cbmSphere);
        PlaceOnSpiral(*m, 5, 1.0, 0.3, i == 1 ? -1000.0 : -65.0);
        markers.push_back(m);
    }
    PlaceOnSpiral(*s.SpherePos, 5, 1.0, 0.3, -65.0);
    s.CollisionManager1.RunCollisionCheck();
    EXPECT_EQ(reported, (std::vector<TPair>{{s.SpherePos, markers[0]}, {s.SpherePos, markers[2]}, {markers[0], markers[2]}}));
    // Moving the date sphere away leaves only the pair of markers.
    reported.clear();
    PlaceOnSpiral(*s.SpherePos, 5, 1.0, 0.3, -60.0);
    s.CollisionManager1.RunCollisionCheck();
    EXPECT_EQ(reported, (std::vector<TPair>{{markers[0], markers[2]}}));
}

TEST(TCollisionManager, AHandlerMayFreeObjects) {
    TWorld w;
    TSphere* a = w.add(cbmSphere, 0, 0, 0);
    TSphere* b = w.add(cbmSphere, 0, 0, 0);
    TSphere* c = w.add(cbmSphere, 0, 0, 0);
    std::vector<TPair> seen;
    w.manager.OnCollision = [&](TCollisionManager*, TBaseSceneObject* x, TBaseSceneObject* y) {
        seen.emplace_back(x, y);
        if (y == b) {
            delete b;
            b = nullptr;
        }
    };
    w.manager.RunCollisionCheck();
    // (a, b) frees b: (a, c) follows, (b, c) is skipped.
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], TPair(a, c));
    EXPECT_EQ(w.manager.Count(), 2);
}

// Against the plain double loop over random scenes, with objects moving,
// appearing and going between checks: the same pairs in the same order.
TEST(TCollisionManager, SameReportsAsTheDoubleLoop) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> coord(-0.5f, 0.5f);
    std::uniform_int_distribution<int> pick(0, 99);
    TWorld w;
    std::vector<TSphere*> objects;
    auto randomMode = [&] {
        const int r = pick(rng);
        return r < 10 ? cbmPoint : r < 85 ? cbmSphere : r < 90 ? cbmEllipsoid : r < 95 ? cbmCube : cbmFaces;
    };
    for (int i = 0; i < 300; ++i) {
        TSphere* s = w.add(randomMode(), coord(rng), coord(rng), coord(rng) * 0.2f, 0.03f + coord(rng) * 0.02f);
        if (pick(rng) < 5)
            behaviourOf(s)->SetGroupIndex(1 + pick(rng) % 2);
        if (pick(rng) < 2)
            s->Position().SetX(NAN);
        objects.push_back(s);
    }
    auto expected = [&] {
        std::vector<TPair> out;
        const int n = w.manager.Count();
        for (int i = 0; i + 1 < n; ++i)
            for (int j = i + 1; j < n; ++j) {
                TCollisionBehaviour* b1 = w.manager.Items(i);
                TCollisionBehaviour* b2 = w.manager.Items(j);
                if (b1->GroupIndex() != 0 && b1->GroupIndex() == b2->GroupIndex())
                    continue;
                TBaseSceneObject* o1 = b1->OwnerBaseSceneObject();
                TBaseSceneObject* o2 = b2->OwnerBaseSceneObject();
                const Vector3f p1 = o1->WorldPosition(), p2 = o2->WorldPosition();
                const float dx = p2.x - p1.x, dy = p2.y - p1.y, dz = p2.z - p1.z;
                const float d2 = dx * dx + dy * dy + dz * dz;
                const float r1 = BoundingRadius(*o1), r2 = BoundingRadius(*o2);
                const auto m1 = b1->BoundingMode(), m2 = b2->BoundingMode();
                bool hit = false;
                if (m1 == cbmPoint && m2 == cbmPoint)
                    hit = d2 <= 0.000001f;
                else if (m1 == cbmPoint && m2 == cbmSphere)
                    hit = r2 * r2 >= d2;
                else if (m1 == cbmSphere && m2 == cbmPoint)
                    hit = r1 * r1 >= d2;
                else if (m1 == cbmSphere && m2 == cbmSphere)
                    hit = (r1 + r2) * (r1 + r2) >= d2;
                else
                    continue; // the other modes are compared below through the manager's own answer
                if (hit)
                    out.emplace_back(o1, o2);
            }
        return out;
    };
    auto simpleOnly = [&](const std::vector<TPair>& pairs) {
        std::vector<TPair> out;
        for (const TPair& p : pairs) {
            const auto m1 = behaviourOf(p.first)->BoundingMode(), m2 = behaviourOf(p.second)->BoundingMode();
            if ((m1 == cbmPoint || m1 == cbmSphere) && (m2 == cbmPoint || m2 == cbmSphere))
                out.push_back(p);
        }
        return out;
    };
    // The pairs of one object: the full check's reports that involve it, in its order.
    auto involving = [&](const std::vector<TPair>& all, TBaseSceneObject* o) {
        std::vector<TPair> out;
        for (const TPair& p : all)
            if (p.first == o || p.second == o)
                out.push_back(p);
        return out;
    };
    std::size_t total = 0, withOne = 0;
    for (int round = 0; round < 40; ++round) {
        const std::vector<TPair> got = w.check();
        ASSERT_EQ(simpleOnly(got), expected()) << "round " << round;
        total += got.size();
        for (TSphere* o : {objects[150], objects.back(), objects[0]}) {
            w.reported.clear();
            w.manager.RunCollisionCheckWith(o);
            ASSERT_EQ(w.reported, involving(got, o)) << "round " << round;
            withOne += w.reported.size();
        }
        // Asked again for the same object after it moved alone, or after
        // another one moved: what it kept must not hide either move.
        TSphere* other = objects[std::size_t(round * 7 % 300)];
        for (TSphere* moved : {objects[0], other}) {
            moved->Position().SetPoint(objects[5]->Position().X(), objects[5]->Position().Y(), objects[0]->Position().Z());
            w.reported.clear();
            w.manager.RunCollisionCheckWith(objects[0]);
            const std::vector<TPair> again = w.reported;
            ASSERT_EQ(again, involving(w.check(), objects[0])) << "round " << round;
        }
        // The first objects move a little (the date sphere), sometimes many move,
        // sometimes objects come and go.
        const int movers = round % 7 == 3 ? 100 : 1 + round % 3;
        for (int k = 0; k < movers; ++k) {
            TSphere* s = objects[std::size_t((k * 37 + round * 11) % int(objects.size()))];
            s->Position().SetPoint(s->Position().X() + coord(rng) * 0.1f, s->Position().Y() + coord(rng) * 0.1f,
                                   s->Position().Z());
        }
        if (round % 5 == 2) {
            delete objects[10];
            objects.erase(objects.begin() + 10);
            objects.push_back(w.add(cbmSphere, coord(rng), coord(rng), 0));
        }
        if (round % 9 == 4)
            behaviourOf(objects[20])->SetGroupIndex(round);
    }
    EXPECT_GT(total, 40u * 100u); // enough touching pairs to mean something
    EXPECT_GT(withOne, 100u);
}

TEST(TCollisionManager, RepeatedChecksWithoutChangeGiveTheSameReports) {
    TWorld w;
    for (int i = 0; i < 50; ++i)
        w.add(i % 10 == 0 ? cbmPoint : cbmSphere, float(i % 7) * 0.02f, float(i % 5) * 0.02f, 0);
    const std::vector<TPair> first = w.check();
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(w.check(), first);
    EXPECT_EQ(w.check(), first);
}

TEST(TCollisionManager, ObjectsThatMoveTogetherBetweenChecks) {
    TWorld w;
    std::vector<TSphere*> s;
    for (int i = 0; i < 40; ++i)
        s.push_back(w.add(cbmSphere, float(i), 0, 0));
    EXPECT_TRUE(w.check().empty());
    s[30]->Position().SetPoint(100, 100, 0);
    s[10]->Position().SetPoint(100, 100.05f, 0);
    s[20]->Position().SetPoint(5, 0.01f, 0); // meets the unmoved s[5]
    EXPECT_EQ(w.check(), (std::vector<TPair>{{s[5], s[20]}, {s[10], s[30]}}));
    s[10]->Position().SetPoint(10, 0, 0);
    EXPECT_EQ(w.check(), (std::vector<TPair>{{s[5], s[20]}}));
}
