// The picture of the window with the 3D view drawn offscreen at the picture's size.
#include "app/Dialogs.h"
#include "app/TAevoriumF1.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"
#include "widgets/TBtnRot.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr double Pi = 3.14159265358979323846;

// The pixel of the view where the camera projects a point of the scene.
QPointF projected(TSceneViewer* viewer, Vector3f world) {
    const TSceneBuffer& b = viewer->Buffer();
    const Vector4f clip = Transform(Vector4f(world, 1), b.ViewMatrix() * b.ProjectionMatrix());
    return {(clip.x / clip.w + 1) / 2 * viewer->width(), (1 - clip.y / clip.w) / 2 * viewer->height()};
}

bool reddish(QColor c) { return c.red() > 150 && c.red() > c.green() + 60 && c.red() > c.blue() + 60; }

TEST(LessonImageTest, TheDateSphereShowsWhereTheCameraProjectsIt) {
    SetMessageHook([](const TMessageRequest&) { return 1; });
    TAevoriumF1 window;
    window.FormCreate();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(window.SceneViewer1->isVisible());
    window.BtnRot3->SetAngleBtn(-66 * 2 * Pi * 100);
    window.BtnRot1AngleChange(window.BtnRot3);

    TSceneViewer* v = window.SceneViewer1;
    const QPointF sphere = projected(v, window.Scene->SpherePos->WorldPosition());
    const QPoint origin = v->mapTo(window.centralWidget(), QPoint());
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        const QImage image = window.WindowImage(scale);
        ASSERT_EQ(image.size(), QSize(912, 654) * scale);
        EXPECT_TRUE(reddish(image.pixelColor(((origin + sphere) * scale).toPoint())));
        // The view's teal background in its corner.
        EXPECT_EQ(image.pixelColor((origin + QPoint(3, 3)) * scale), QColor(0, 128, 128));
    }
    // The offscreen frame is the view drawn again, not the window's frame enlarged.
    const QImage big = v->RenderImage(v->size() * 2);
    ASSERT_EQ(big.size(), v->size() * 2);
    EXPECT_TRUE(reddish(big.pixelColor((sphere * 2).toPoint())));
    SetMessageHook({});
}

} // namespace
