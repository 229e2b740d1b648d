// The OpenGL viewer drawing the scene of the main window (under xvfb-run).
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

struct ViewerFixture : ::testing::Test {
    TSpiralScene scene;
    TSceneViewer viewer;
    void SetUp() override {
        ASSERT_TRUE(viewer.OpenGLAvailable());
        viewer.resize(517, 413);
        viewer.SetCamera(scene.Camera1);
        viewer.Buffer().SetBackgroundColor(0x00808000);
        viewer.SetContextOptions(63);
        viewer.Buffer().SetShadeModel(smSmooth);
        BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
        PlaceOnSpiral(*scene.SpherePos, 5, 1.0, 0.3, 0);
    }
};

TEST_F(ViewerFixture, FirstFrame) {
    viewer.show();
    QImage img = viewer.GrabFrame();
    ASSERT_FALSE(img.isNull());
    img.save("/tmp/first_frame.png");
}

} // namespace
