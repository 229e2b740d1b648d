// The 3D view of the main window: the date sphere and orbiting with the mouse.
#include "app/TAevoriumF1.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

namespace {

struct SpiralViewTest : ::testing::Test {
    TAevoriumF1 window;

    void SetUp() override {
        window.BuildSpiral(5, 1.0, 0.3);
        window.PlaceDateSphere();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint p,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent e(type, QPointF(p), QPointF(window.SceneViewer1->mapToGlobal(p)), button, buttons, mods);
        QApplication::sendEvent(window.SceneViewer1, &e);
    }
    Vector3f cameraOffset() {
        return window.Scene->Camera1->WorldPosition() - window.Scene->CibleCamera->WorldPosition();
    }
};

TEST_F(SpiralViewTest, TheViewerShowsTheWindowScene) {
    TSceneViewer* v = window.SceneViewer1;
    EXPECT_TRUE(v->OpenGLAvailable());
    EXPECT_EQ(v->Camera(), window.Scene->Camera1);
    EXPECT_EQ(v->size(), QSize(517, 413));
    EXPECT_EQ(v->Buffer().Width(), 517);
    EXPECT_EQ(v->Buffer().BackgroundColor(), 0x00808000u);
    EXPECT_EQ(v->ContextOptions(), 63u);
    EXPECT_EQ(v->Buffer().ShadeModel(), smSmooth);
}

TEST_F(SpiralViewTest, PlacingTheDateSphereRepaintsAtOnce) {
    // Once the first frames have been shown (as long before any dial is turned).
    QTest::qWait(200);
    const int frames = window.SceneViewer1->FrameCount();
    window.CurrentDate = -65;
    window.PlaceDateSphere();
    EXPECT_GT(window.SceneViewer1->FrameCount(), frames); // without returning to the event loop
    const TSphere* s = window.Scene->SpherePos;
    EXPECT_NEAR(s->Position().X(), -0.681149, 1e-5);
    EXPECT_NEAR(s->Position().Y(), -0.196560, 1e-5);
    EXPECT_NEAR(s->Position().Z(), 1.063414, 1e-5);
    EXPECT_TRUE(s->UncachedGeometry());
}

TEST_F(SpiralViewTest, LeftDragOrbits) {
    const Vector3f start = cameraOffset();
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {200, 200});
    EXPECT_FALSE(window.SceneViewer1->ShowHint());
    EXPECT_EQ(window.LastMouseX, 200);
    EXPECT_EQ(window.LastMouseY, 200);
    send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {190, 205});
    EXPECT_EQ(window.LastMouseX, 190);
    EXPECT_EQ(window.LastMouseY, 205);
    const Vector3f moved = cameraOffset();
    EXPECT_GT(Length(moved - start), 0.1f);
    EXPECT_NEAR(Length(moved), 4, 1e-4);
    // The same steps applied to the camera directly give the same place.
    TSpiralScene reference;
    reference.Camera1->OrbitTarget(-5, 10);
    const Vector3f expected = reference.Camera1->WorldPosition() - reference.CibleCamera->WorldPosition();
    EXPECT_NEAR(moved.x, expected.x, 1e-5);
    EXPECT_NEAR(moved.y, expected.y, 1e-5);
    EXPECT_NEAR(moved.z, expected.z, 1e-5);
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {190, 205});
    EXPECT_TRUE(window.SceneViewer1->ShowHint());
}

TEST_F(SpiralViewTest, OtherButtonsAndKeysDoNotOrbit) {
    const Vector3f start = cameraOffset();
    send(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, {100, 120});
    EXPECT_EQ(window.LastMouseX, 100); // a right press still records the position
    EXPECT_EQ(window.LastMouseY, 120);
    send(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, {150, 150});
    send(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, {150, 150});
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {100, 120}, Qt::ShiftModifier);
    send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {150, 150}, Qt::ShiftModifier);
    send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::RightButton, {160, 150});
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {160, 150});
    const Vector3f end = cameraOffset();
    EXPECT_EQ(end.x, start.x);
    EXPECT_EQ(end.y, start.y);
    EXPECT_EQ(end.z, start.z);
    EXPECT_EQ(window.LastMouseX, 100);
}

} // namespace
