// The OpenGL viewer drawing the scene of the main window (run under xvfb-run).
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

constexpr unsigned kFormOptions = roDoubleBuffer | roStencilBuffer | roRenderToWindow | roTwoSideLighting | roStereo |
                                  roDestinationAlpha;

// The viewer of the main window (517 x 413, teal, the six options) on its scene.
struct ViewerTest : ::testing::Test {
    TSpiralScene scene;
    TSceneViewer viewer;

    void SetUp() override {
        ASSERT_TRUE(viewer.OpenGLAvailable());
        viewer.resize(517, 413);
        viewer.SetCamera(scene.Camera1);
        viewer.Buffer().SetBackgroundColor(0x00808000);
        viewer.SetContextOptions(kFormOptions);
        viewer.Buffer().SetShadeModel(smSmooth);
        BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
        PlaceOnSpiral(*scene.SpherePos, 5, 1.0, 0.3, 0);
        viewer.show();
    }

    // Pixel (x right, y down) where the frame shows a point of BaseSpirale's frame.
    QPoint pixelOf(Vector3f local) {
        const Matrix4f toClip =
            scene.BaseSpirale->WorldMatrix() * viewer.Buffer().ViewMatrix() * viewer.Buffer().ProjectionMatrix();
        const Vector4f c = Transform(Vector4f(local, 1), toClip);
        return {int((c.x / c.w + 1) / 2 * 517), int((1 - c.y / c.w) / 2 * 413)};
    }

    void addMarkers(int count) {
        for (int i = 0; i < count; ++i) {
            auto* m = new TSphere(scene.BaseSpirale);
            m->Reparent(scene.BaseSpirale);
            m->SetRadius(0.03f);
            m->SetSlices(20);
            m->SetStacks(20);
            m->Material() = scene.SpherePos->Material();
            m->Material().SetBlendingMode(bmOpaque);
            m->Material().FrontProperties().Diffuse().SetColor(0, 0.5f, 0.5f, 1);
            m->Material().FrontProperties().Emission().SetColor(0, 0.5f, 0.5f, 0.706f);
            PlaceOnSpiral(*m, 5, 1.0, 0.3, -4550.0 + 4580.0 * i / count);
        }
    }
};

bool isTeal(QRgb c) { return qRed(c) == 0 && qGreen(c) == 128 && qBlue(c) == 128; }

TEST_F(ViewerTest, FirstFrameShowsTheSpiralOnTeal) {
    const QImage img = viewer.GrabFrame().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.size(), QSize(517, 413));
    EXPECT_EQ(viewer.ContextError(), QString());
    for (QPoint corner : {QPoint(0, 0), QPoint(516, 0), QPoint(0, 412), QPoint(516, 412)})
        EXPECT_TRUE(isTeal(img.pixel(corner))) << corner.x() << "," << corner.y();

    // The date sphere at the present, (1, 0, 1.5) on the spiral: red dominates.
    const QPoint sphere = pixelOf({1, 0, 1.5f});
    const QRgb s = img.pixel(sphere);
    EXPECT_GT(qRed(s), 150);
    EXPECT_GT(qRed(s), qGreen(s) + 50);

    // Nodes of the main tube away from the sphere: drawn in light blue-green, not teal.
    const TPipeNodes& nodes = scene.Spirale->Nodes();
    for (int i : {40, 60, 80}) {
        const QPoint p = pixelOf({nodes[i].X, nodes[i].Y, nodes[i].Z});
        ASSERT_TRUE(img.rect().contains(p));
        const QRgb c = img.pixel(p);
        EXPECT_FALSE(isTeal(c)) << "node " << i;
        EXPECT_GT(qBlue(c), 150) << "node " << i;
        EXPECT_GT(qRed(c), 60) << "node " << i;
    }
    // The future tube's end.
    const TPipeNodes& future = scene.Spirale2->Nodes();
    const QPoint end = pixelOf({future[24].X, future[24].Y, future[24].Z});
    EXPECT_FALSE(isTeal(img.pixel(end)));
    // The spiral runs from the lower centre upwards: below the centre the frame is teal.
    const QPoint centre = pixelOf({0, 0, 0});
    EXPECT_TRUE(isTeal(img.pixel(centre.x(), std::min(412, centre.y() + 40))));
}

// The frame with only the triangles the viewer keeps (those that can leave a
// fragment, selected again only when something that shapes them changed)
// against the frame with every triangle, pixel for pixel, through what a
// session does: the date moving among the markers, the camera orbiting and
// coming close (the spiral then crosses the near plane), markers moving and
// growing, and the other drawing states.
TEST_F(ViewerTest, DroppingUnseenTrianglesKeepsThePicture) {
    addMarkers(1000);
    auto differing = [this] {
        viewer.SetSendAllTriangles(true);
        const QImage all = viewer.GrabFrame().convertToFormat(QImage::Format_RGB32);
        viewer.SetSendAllTriangles(false);
        const QImage kept = viewer.GrabFrame().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < all.height(); ++y)
            for (int x = 0; x < all.width(); ++x)
                n += all.pixel(x, y) != kept.pixel(x, y);
        return n;
    };
    EXPECT_EQ(differing(), 0) << "first frame";
    EXPECT_EQ(differing(), 0) << "the same frame again";
    // The date moving: the date sphere drawn over the kept picture of the rest.
    const int overKept = viewer.FramesOverKeptPicture();
    for (double date : {-2000.0, -600.0, -3.0, 20.0}) {
        PlaceOnSpiral(*scene.SpherePos, 5, 1.0, 0.3, date);
        EXPECT_EQ(differing(), 0) << "date " << date;
    }
    EXPECT_EQ(viewer.FramesOverKeptPicture(), overKept + 4);
    scene.Camera1->OrbitTarget(30, 50);
    EXPECT_EQ(differing(), 0) << "orbit 1";
    scene.Camera1->OrbitTarget(-70, 140);
    EXPECT_EQ(differing(), 0) << "orbit 2";
    scene.Camera1->Position().SetZ(1.25f);
    EXPECT_EQ(differing(), 0) << "close";
    scene.Camera1->Position().SetZ(4);
    // Markers (the last children of BaseSpirale) moving and growing.
    const int markers = scene.BaseSpirale->Count();
    for (int i : {100, 400, 700}) {
        auto* m = static_cast<TSphere*>(scene.BaseSpirale->Children(markers - 1000 + i));
        m->SetRadius(0.08f);
        PlaceOnSpiral(*m, 5, 1.0, 0.3, -4000.0 + i);
    }
    EXPECT_EQ(differing(), 0) << "markers changed";
    viewer.Buffer().SetShadeModel(smFlat);
    EXPECT_EQ(differing(), 0) << "flat";
    viewer.Buffer().SetFaceCulling(false);
    EXPECT_EQ(differing(), 0) << "no culling";
    viewer.Buffer().SetFaceCulling(true);
    viewer.Buffer().SetLighting(false);
    EXPECT_EQ(differing(), 0) << "no lighting";
    viewer.Buffer().SetDepthTest(false);
    EXPECT_EQ(differing(), 0) << "no depth test";
}

TEST_F(ViewerTest, TranslucentSphereIsBlendedOverAMarker) {
    // A marker at the present, inside the date sphere and added after it.
    addMarkers(0);
    auto* m = new TSphere(scene.BaseSpirale);
    m->Reparent(scene.BaseSpirale);
    m->SetRadius(0.03f);
    m->Material().FrontProperties().Diffuse().SetColor(0, 0.5f, 0.5f, 1);
    m->Material().FrontProperties().Emission().SetColor(0, 0.5f, 0.5f, 1);
    PlaceOnSpiral(*m, 5, 1.0, 0.3, 0);
    const QImage img = viewer.GrabFrame().convertToFormat(QImage::Format_RGB32);
    const QRgb c = img.pixel(pixelOf({1, 0, 1.5f}));
    // Red of the sphere over the marker's blue-green: both show.
    EXPECT_GT(qRed(c), 100);
    EXPECT_GT(qBlue(c), 30);
}

TEST_F(ViewerTest, ContextOptionsRecreateOnlyWhenChanged) {
    viewer.GrabFrame();
    const int contexts = viewer.ContextCount();
    EXPECT_GE(contexts, 1);
    const QImage before = viewer.GrabFrame().convertToFormat(QImage::Format_RGB32);
    viewer.SetContextOptions(kFormOptions);
    viewer.GrabFrame();
    EXPECT_EQ(viewer.ContextCount(), contexts);
    // The empty set: single-buffered, one-sided lighting; a new context, the same picture.
    viewer.SetContextOptions(0);
    const QImage plain = viewer.GrabFrame().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(viewer.ContextCount(), contexts + 1);
    EXPECT_EQ(viewer.ContextOptions(), 0u);
    EXPECT_TRUE(plain == before);
}

TEST_F(ViewerTest, ChangesAskOnePaint) {
    viewer.GrabFrame();
    QApplication::processEvents();
    const int frames = viewer.FrameCount();
    // Many changes in one handler give one frame.
    for (int i = 0; i < 20; ++i)
        scene.SpherePos->Position().SetX(0.01f * i);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(viewer.FrameCount(), frames + 1);
}

} // namespace

namespace {

// Picking agrees with the frame: where a 4 x 4 block of the frame is all
// background nothing is picked, and where it is all the date sphere's red the
// sphere is.
TEST_F(ViewerTest, PickingAgreesWithTheFrame) {
    addMarkers(200);
    const QImage img = viewer.GrabFrame().convertToFormat(QImage::Format_RGB32);
    int background = 0, sphere = 0;
    for (int y = 4; y < 409; y += 3)
        for (int x = 4; x < 513; x += 3) {
            bool allTeal = true;
            for (int dy = -2; dy <= 1; ++dy)
                for (int dx = -2; dx <= 1; ++dx)
                    allTeal = allTeal && isTeal(img.pixel(x + dx, y + dy));
            if (allTeal) {
                ++background;
                ASSERT_EQ(viewer.PickAt(x, y), nullptr) << x << "," << y;
            }
        }
    const QPoint s = pixelOf({1, 0, 1.5f});
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            ++sphere;
            EXPECT_EQ(viewer.PickAt(s.x() + dx, s.y() + dy), scene.SpherePos);
        }
    EXPECT_GT(background, 10000);
    EXPECT_EQ(sphere, 49);
}

} // namespace

namespace {

// Above the threshold the small markers are drawn as stand-ins: the frame
// looks like the one with every sphere (few pixels differ, and not by much),
// from afar and from close by, where some markers are ordinary spheres again.
TEST_F(ViewerTest, StandInsLookLikeTheMarkers) {
    addMarkers(3000);
    viewer.SetStandInThreshold(1000);
    for (float distance : {4.0f, 2.5f}) {
        scene.Camera1->Position().SetZ(distance);
        viewer.SetSendAllTriangles(true);
        const QImage all = viewer.GrabFrame().convertToFormat(QImage::Format_RGB32);
        viewer.SetSendAllTriangles(false);
        const QImage standIns = viewer.GrabFrame().convertToFormat(QImage::Format_RGB32);
        EXPECT_GT(viewer.StandInsDrawn(), 300u) << distance;
        int drawn = 0, far = 0;
        for (int y = 0; y < all.height(); ++y)
            for (int x = 0; x < all.width(); ++x) {
                const QRgb a = all.pixel(x, y), b = standIns.pixel(x, y);
                drawn += !isTeal(a);
                far += std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                 std::abs(qBlue(a) - qBlue(b))}) > 48;
            }
        EXPECT_LT(far, drawn / 20) << distance << ": " << far << " of " << drawn;
    }
}

} // namespace
