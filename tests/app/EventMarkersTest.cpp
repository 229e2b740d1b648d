// Event markers in the main window's scene: their values, the touched event
// and hovering over the 3D view.
#include "app/TAevoriumF1.h"
#include "app/TEditionEven.h"
#include "events/EventFile.h"
#include "spiral/CollisionManager.h"
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"
#include "timescale/StrToFloat.h"

#include <QLabel>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

class EventMarkersTest : public ::testing::Test {
protected:
    std::unique_ptr<TAevoriumF1> w;
    TSpiralScene* s = nullptr;

    void SetUp() override {
        w = std::make_unique<TAevoriumF1>();
        s = w->Scene;
        w->SceneViewer1->Buffer().SetViewport(517, 413);
        w->BuildSpiral(5, 1.0, 0.3);
    }
    void setEvents(std::initializer_list<std::pair<const char*, const char*>> events) {
        w->EventList.Clear();
        for (const auto& e : events)
            w->EventList.Append(QString::fromUtf8(e.first), QString::fromUtf8(e.second));
    }
    // What the date update does around the collision check.
    void moveDateSphereTo(double date) {
        w->CurrentDate = date;
        w->PlaceDateSphere();
        w->Label3->clear();
        w->SelectedEventIndex = -1;
        w->RunCollisionCheck();
    }
    // The pixel of the viewer where a world point shows.
    QPoint pixelOf(const TBaseSceneObject* o) const {
        const TSceneBuffer& b = w->SceneViewer1->Buffer();
        const Vector4f c = Transform(Vector4f(o->WorldPosition(), 1), b.ViewMatrix() * b.ProjectionMatrix());
        const double x = (c.x / c.w + 1) / 2 * b.Width();
        const double y = (1 - c.y / c.w) / 2 * b.Height();
        return {int(std::lround(x)), int(std::lround(y))};
    }
    static Vector4f diffuse(TSphere* m) { return m->Material().FrontProperties().Diffuse().AsVector(); }
    static Vector4f emission(TSphere* m) { return m->Material().FrontProperties().Emission().AsVector(); }
    static void expectColour(Vector4f c, float r, float g, float b, float a) {
        EXPECT_FLOAT_EQ(c.x, r);
        EXPECT_FLOAT_EQ(c.y, g);
        EXPECT_FLOAT_EQ(c.z, b);
        EXPECT_FLOAT_EQ(c.w, a);
    }
    void expectNormal(TSphere* m) {
        expectColour(diffuse(m), 0, 0.5f, 0.5f, 1);
        expectColour(emission(m), 0, 0.5f, 0.5f, 0.706f);
    }
    void expectHighlighted(TSphere* m) {
        expectColour(diffuse(m), 0.5f, 0.5f, 0, 1);
        expectColour(emission(m), 0.5f, 0.5f, 0, 0.706f);
    }
};

} // namespace

TEST_F(EventMarkersTest, EveryValueOfAMarker) {
    setEvents({{"-65,000", "Extinction"}, {"-1000.5", "point"}, {"abc", "illisible"}});
    w->CreateEventMarkers();
    ASSERT_EQ(s->EventMarkers.size(), 3u);
    // Appended to BaseSpirale after its own children.
    ASSERT_EQ(s->BaseSpirale->Count(), 6);
    EXPECT_EQ(s->BaseSpirale->Children(0), s->Spirale);
    EXPECT_EQ(s->BaseSpirale->Children(1), s->SpherePos);
    EXPECT_EQ(s->BaseSpirale->Children(2), s->Spirale2);
    const double dates[3] = {-65.0, -1000.5, -1.0}; // a text that is no number reads as -1
    ASSERT_EQ(s->CollisionManager1.Count(), 4);
    EXPECT_EQ(s->CollisionManager1.Items(0)->OwnerBaseSceneObject(), s->SpherePos);
    for (int i = 0; i < 3; ++i) {
        TSphere* m = s->EventMarkers[std::size_t(i)];
        SCOPED_TRACE(i);
        EXPECT_EQ(s->BaseSpirale->Children(3 + i), m);
        EXPECT_EQ(m->Owner(), s->BaseSpirale);
        EXPECT_FLOAT_EQ(m->Radius(), 0.03f);
        EXPECT_EQ(m->Slices(), 20);
        EXPECT_EQ(m->Stacks(), 20);
        const TFaceProperties& f = m->Material().FrontProperties();
        expectColour(f.Ambient().AsVector(), 0, 0, float(4 / 255.0), 1);
        expectColour(f.Specular().AsVector(), float(20 / 255.0), 0, 0, 1);
        expectNormal(m);
        EXPECT_EQ(m->Material().BlendingMode(), bmOpaque);
        EXPECT_FALSE(m->IsBlended());
        EXPECT_EQ(m->Tag(), i + 1);
        EXPECT_EQ(m->Name(), QStringLiteral("Evenement%1").arg(i + 1));
        ASSERT_EQ(m->Behaviours().Count(), 1);
        auto* b = dynamic_cast<TCollisionBehaviour*>(m->Behaviours()[0]);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Manager(), &s->CollisionManager1);
        EXPECT_EQ(b->BoundingMode(), cbmSphere);
        EXPECT_EQ(b->GroupIndex(), 0);
        EXPECT_EQ(s->CollisionManager1.Items(1 + i), b);
        const Vector3f p = SpiralPoint(5, 1.0, 0.3, dates[i]);
        EXPECT_EQ(m->Position().X(), p.x);
        EXPECT_EQ(m->Position().Y(), p.y);
        EXPECT_EQ(m->Position().Z(), p.z);
    }
    // The date sphere keeps its own look.
    EXPECT_EQ(s->SpherePos->Material().BlendingMode(), bmTransparency);
}

TEST_F(EventMarkersTest, ClearingFreesEveryMarker) {
    setEvents({{"-65,000", "a"}, {"-1,000", "b"}});
    w->CreateEventMarkers();
    w->HoverMarkerAt(0, 0);
    w->Label2->setText(QStringLiteral(" un événement de l'ancienne liste"));
    w->Label3->setText(QStringLiteral("reste aussi"));
    w->ClearEventMarkers();
    EXPECT_TRUE(s->EventMarkers.empty());
    EXPECT_EQ(s->HoveredMarker, nullptr);
    EXPECT_EQ(s->BaseSpirale->Count(), 3);
    EXPECT_EQ(s->CollisionManager1.Count(), 1);
    EXPECT_EQ(w->Label2->text(), QString()); // the hovered event is gone with its marker
    EXPECT_EQ(w->Label3->text(), QStringLiteral("reste aussi"));
    // An empty list gives no markers; creating twice never doubles them.
    w->EventList.Clear();
    w->CreateEventMarkers();
    EXPECT_TRUE(s->EventMarkers.empty());
    setEvents({{"-65,000", "a"}});
    w->CreateEventMarkers();
    w->CreateEventMarkers();
    EXPECT_EQ(s->EventMarkers.size(), 1u);
    EXPECT_EQ(s->CollisionManager1.Count(), 2);
}

TEST_F(EventMarkersTest, TheTouchedEventIsNamedAtTheTopRight) {
    setEvents({{"-65,000", "Extinction"}, {"-1000,000", "Mille"}});
    w->CreateEventMarkers();
    moveDateSphereTo(-1000.0);
    EXPECT_EQ(w->SelectedEventIndex, 1);
    EXPECT_EQ(w->Label3->text(), QStringLiteral(" Mille"));
    moveDateSphereTo(-800.0);
    EXPECT_EQ(w->SelectedEventIndex, -1);
    EXPECT_EQ(w->Label3->text(), QString());
    // Within 0.03 of the marker's centre it is still touched, beyond it no longer.
    TSphere* m = s->EventMarkers[0];
    s->SpherePos->Position().SetPoint(m->Position().X(), m->Position().Y(), m->Position().Z() + 0.029f);
    w->RunCollisionCheck();
    EXPECT_EQ(w->SelectedEventIndex, 0);
    EXPECT_EQ(w->Label3->text(), QStringLiteral(" Extinction"));
    w->SelectedEventIndex = -1;
    w->Label3->clear();
    s->SpherePos->Position().SetZ(m->Position().Z() + 0.031f);
    w->RunCollisionCheck();
    EXPECT_EQ(w->SelectedEventIndex, -1);
}

TEST_F(EventMarkersTest, OfTwoMarkersAtOneDateTheLaterWins) {
    setEvents({{"-65,000", "premier"}, {"-10,000", "autre"}, {"-65,000", "second"}});
    w->CreateEventMarkers();
    moveDateSphereTo(-65.0);
    EXPECT_EQ(w->SelectedEventIndex, 2);
    EXPECT_EQ(w->Label3->text(), QStringLiteral(" second"));
    // A pair of markers says nothing.
    w->SelectedEventIndex = -1;
    w->CollisionManager1Collision(&s->CollisionManager1, s->EventMarkers[0], s->EventMarkers[2]);
    EXPECT_EQ(w->SelectedEventIndex, -1);
}

TEST_F(EventMarkersTest, HoveringLightsUpAndNamesOneMarkerAtATime) {
    setEvents({{"-1000,000", "Mille"}, {"-2000,000", "Deux mille"}});
    w->CreateEventMarkers();
    moveDateSphereTo(30.0); // out of the way
    TSphere* a = s->EventMarkers[0];
    TSphere* b = s->EventMarkers[1];
    const QPoint pa = pixelOf(a), pb = pixelOf(b);
    ASSERT_EQ(w->SceneViewer1->PickAt(pa.x(), pa.y()), a);
    ASSERT_EQ(w->SceneViewer1->PickAt(pb.x(), pb.y()), b);

    w->HoverMarkerAt(pa.x(), pa.y());
    expectHighlighted(a);
    expectNormal(b);
    EXPECT_EQ(s->HoveredMarker, a);
    EXPECT_EQ(w->Label2->text(), QStringLiteral(" Mille"));
    EXPECT_EQ(w->SceneViewer1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(w->SceneViewer1->ShowHint());

    // Straight from A to B: A back to normal, B lit.
    w->HoverMarkerAt(pb.x(), pb.y());
    expectNormal(a);
    expectHighlighted(b);
    EXPECT_EQ(w->Label2->text(), QStringLiteral(" Deux mille"));

    // The background: nothing lit, the hint and the default cursor back.
    w->HoverMarkerAt(2, 2);
    EXPECT_EQ(w->SceneViewer1->PickAt(2, 2), nullptr);
    expectNormal(a);
    expectNormal(b);
    EXPECT_EQ(w->Label2->text(), QString());
    EXPECT_EQ(w->SceneViewer1->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(w->SceneViewer1->ShowHint());
    EXPECT_EQ(s->HoveredMarker, b); // kept, already restored
}

TEST_F(EventMarkersTest, TheDateSphereAndTheTubeAreNotMarkers) {
    setEvents({{"-1000,000", "Mille"}});
    w->CreateEventMarkers();
    // The date sphere on the marker hides it: the nearer object wins.
    moveDateSphereTo(-1000.0);
    const QPoint p = pixelOf(s->EventMarkers[0]);
    ASSERT_EQ(w->SceneViewer1->PickAt(p.x(), p.y()), s->SpherePos);
    w->Label2->setText(QStringLiteral("x"));
    w->HoverMarkerAt(p.x(), p.y());
    expectNormal(s->EventMarkers[0]);
    EXPECT_EQ(w->Label2->text(), QString());
    EXPECT_TRUE(w->SceneViewer1->ShowHint());
    EXPECT_EQ(s->HoveredMarker, nullptr);
}

TEST_F(EventMarkersTest, ALeftDragOverAMarkerLightsItAndOrbits) {
    setEvents({{"-1000,000", "Mille"}});
    w->CreateEventMarkers();
    moveDateSphereTo(30.0);
    const QPoint p = pixelOf(s->EventMarkers[0]);
    const Vector3f before = s->Camera1->Position().AsVector();
    w->SceneViewer1MouseDown(Qt::LeftButton, Qt::NoModifier, p.x() + 1, p.y());
    w->SceneViewer1MouseMove(Qt::LeftButton, Qt::NoModifier, p.x(), p.y());
    expectHighlighted(s->EventMarkers[0]);
    const Vector3f after = s->Camera1->Position().AsVector();
    EXPECT_TRUE(before.x != after.x || before.y != after.y || before.z != after.z);
}

TEST_F(EventMarkersTest, HoveringAfterARebuildTouchesOnlyTheNewMarkers) {
    setEvents({{"-1000,000", "Mille"}});
    w->CreateEventMarkers();
    moveDateSphereTo(30.0);
    const QPoint p = pixelOf(s->EventMarkers[0]);
    w->HoverMarkerAt(p.x(), p.y());
    w->ClearEventMarkers();
    w->CreateEventMarkers();
    w->HoverMarkerAt(2, 2);
    expectNormal(s->EventMarkers[0]);
    w->HoverMarkerAt(p.x(), p.y());
    expectHighlighted(s->EventMarkers[0]);
}

// 100 000 events: one marker each, and at a sample of dates the touched event
// is the last one in list order whose marker holds the date sphere's centre
// (d² <= r², as 32-bit floats).
TEST_F(EventMarkersTest, ALargeListNamesTheLastMarkerWithinReach) {
    constexpr int count = 100000;
    std::mt19937 rng(2026);
    std::uniform_real_distribution<double> anyDate(-4550.0, 30.0);
    w->EventList.Clear();
    while (w->EventList.Count() < count) {
        const double d = anyDate(rng);
        if (d < -100 || d > -50) // a stretch without events
            w->EventList.Append(FormatDateText(d), QString::number(w->EventList.Count()));
    }
    w->CreateEventMarkers();
    ASSERT_EQ(s->EventMarkers.size(), std::size_t(count));
    EXPECT_EQ(s->BaseSpirale->Count(), 3 + count);
    EXPECT_EQ(s->CollisionManager1.Count(), 1 + count);
    std::vector<Vector3f> centres;
    for (TSphere* m : s->EventMarkers)
        centres.push_back(m->WorldPosition());
    const float r = BoundingRadius(*s->EventMarkers[0]);
    for (int k = 0; k < 40; ++k) {
        const double date = k % 3 == 0 ? StrToFloatLenient(w->EventList.Date(k * 2477)) : k % 3 == 1 ? anyDate(rng) : -75.0 + k;
        moveDateSphereTo(date);
        const Vector3f p = s->SpherePos->WorldPosition();
        int expected = -1;
        for (int i = 0; i < count; ++i) {
            const Vector3f c = centres[std::size_t(i)];
            const float dx = c.x - p.x, dy = c.y - p.y, dz = c.z - p.z;
            if (r * r >= dx * dx + dy * dy + dz * dz)
                expected = i;
        }
        ASSERT_EQ(w->SelectedEventIndex, expected) << "date " << date;
        EXPECT_EQ(w->Label3->text(), expected < 0 ? QString() : QLatin1Char(' ') + w->EventList.Text(expected));
    }
}

// After an edit the markers are what a rebuild would make: values, order in
// the tree and in the collision manager, no highlight.
TEST_F(EventMarkersTest, EditsLeaveTheMarkersAsARebuildWould) {
    setEvents({{"-65,000", "a"}, {"-1000,000", "b"}, {"-65,000", "c"}, {"-3000,000", "d"}});
    w->CreateEventMarkers();
    auto state = [this] {
        QStringList out;
        for (int i = 0; i < s->BaseSpirale->Count(); ++i) {
            auto* o = dynamic_cast<TCustomSceneObject*>(s->BaseSpirale->Children(i));
            const Vector3f p = o->Position().AsVector();
            const Vector4f d = o->Material().FrontProperties().Diffuse().AsVector();
            out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7").arg(o->Name()).arg(o->Tag()).arg(p.x).arg(p.y).arg(p.z).arg(d.x).arg(d.z);
        }
        for (int i = 0; i < s->CollisionManager1.Count(); ++i)
            out << s->CollisionManager1.Items(i)->OwnerBaseSceneObject()->Name();
        out << QString::number(s->EventMarkers.size());
        for (TSphere* m : s->EventMarkers)
            out << m->Name();
        return out;
    };
    auto expectAsRebuilt = [&](const char* what) {
        EXPECT_EQ(s->HoveredMarker, nullptr) << what;
        EXPECT_EQ(w->Label2->text(), QString()) << what;
        const QStringList edited = state();
        w->CreateEventMarkers();
        EXPECT_EQ(edited, state()) << what;
    };
    auto hover = [&](int i) {
        s->HoveredMarker = s->EventMarkers[std::size_t(i)];
        w->Label2->setText(QLatin1Char(' ') + w->EventList.Text(i));
        s->EventMarkers[std::size_t(i)]->Material().FrontProperties().Diffuse().SetRed(0.5f);
    };
    hover(1);
    w->ApplyEventEdit(TEditionEven::ActionAdd, -1, -200.0, QStringLiteral("e"));
    expectAsRebuilt("add");
    hover(4);
    w->ApplyEventEdit(TEditionEven::ActionModify, 2, 0, QStringLiteral("C"));
    expectAsRebuilt("modify");
    hover(1);
    w->ApplyEventEdit(TEditionEven::ActionDelete, 1, 0, QString());
    expectAsRebuilt("delete");
    EXPECT_EQ(w->EventList.Texts(), QStringList({"a", "C", "d", "e"}));
}
