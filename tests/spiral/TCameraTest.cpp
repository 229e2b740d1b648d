// Projection, view and orbit of the camera.
#include "spiral/SpiralScene.h"
#include "spiral/TSceneBuffer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kDeg = 180 / 3.14159265358979323846;

TEST(TCamera, ProjectionOfTheMainView) {
    TSpiralScene scene;
    const TFrustum f = scene.Camera1->Frustum(517, 413);
    EXPECT_NEAR(f.znear, 1.1696797, 1e-7);
    EXPECT_NEAR(f.zfar, 101.1696797, 1e-6);
    EXPECT_NEAR(2 * std::atan(f.right / f.znear) * kDeg, 46.29, 0.005);
    EXPECT_NEAR(2 * std::atan(f.top / f.znear) * kDeg, 37.71, 0.005);
    EXPECT_DOUBLE_EQ(f.left, -f.right);
    EXPECT_DOUBLE_EQ(f.bottom, -f.top);
    // A larger window widens the field; the longer side sets the scale.
    const TFrustum g = scene.Camera1->Frustum(1034, 413);
    EXPECT_GT(std::atan(g.top / g.znear) * 2, 0);
    EXPECT_NEAR(g.right, 0.5, 1e-12);
    EXPECT_NEAR(g.znear, f.znear / 2, 1e-9);
    // Focal lengths of 0 or less become 1.
    scene.Camera1->SetFocalLength(-5);
    EXPECT_FLOAT_EQ(scene.Camera1->FocalLength(), 1);
}

TEST(TCamera, StartPositionAndView) {
    TSpiralScene scene;
    const Vector3f c = scene.Camera1->WorldPosition();
    EXPECT_NEAR(c.x, 3.788882, 1e-5);
    EXPECT_NEAR(c.y, -0.582330, 1e-5);
    EXPECT_NEAR(c.z, 0, 1e-6);
    EXPECT_NEAR(Length(c - scene.CibleCamera->WorldPosition()), 4, 1e-5);
    // The target is in the middle of the view; world Y is up on screen.
    TSceneBuffer b;
    b.SetViewport(517, 413);
    b.SetCamera(scene.Camera1);
    const Matrix4f vp = b.ViewMatrix() * b.ProjectionMatrix();
    const Vector4f t = Transform(Vector4f(0, 0.7f, 0, 1), vp);
    EXPECT_NEAR(t.x / t.w, 0, 1e-6);
    EXPECT_NEAR(t.y / t.w, 0, 1e-6);
    const Vector4f up = Transform(Vector4f(0, 0.8f, 0, 1), vp);
    EXPECT_GT(up.y / up.w, 0.01);
    EXPECT_NEAR(up.x / up.w, 0, 1e-3);
}

TEST(TCamera, BaseSpiraleAxes) {
    TSpiralScene scene;
    const Matrix4f m = scene.BaseSpirale->WorldMatrix();
    // Spiral Z (height) to (0.7071, 0.7071, 0), X to (0.7071, -0.7071, 0), Y to (0, 0, -1).
    EXPECT_NEAR(m.m[2][0], 0.7071068, 1e-6);
    EXPECT_NEAR(m.m[2][1], 0.7071068, 1e-6);
    EXPECT_NEAR(m.m[0][0], 0.7071068, 1e-6);
    EXPECT_NEAR(m.m[0][1], -0.7071068, 1e-6);
    EXPECT_NEAR(m.m[1][2], -1, 1e-6);
    // A child's world matrix chains its own after the parent's.
    const Vector3f p = scene.SpherePos->WorldPosition();
    scene.SpherePos->Position().SetPoint(0, 0, 1);
    const Vector3f q = scene.SpherePos->WorldPosition();
    EXPECT_NEAR(q.x, 0.7071068, 1e-6);
    EXPECT_NEAR(q.y, 0.7071068, 1e-6);
    (void)p;
}

TEST(TCamera, OrbitKeepsTheDistanceAndClampsThePitch) {
    TSpiralScene scene;
    TCamera& cam = *scene.Camera1;
    const Vector3f target = scene.CibleCamera->WorldPosition();
    for (int i = 0; i < 100; ++i)
        cam.OrbitTarget(0, 7);
    EXPECT_NEAR(Length(cam.WorldPosition() - target), 4, 1e-4);
    // A pitch step past the top stops 0.025 radian from the up axis.
    cam.OrbitTarget(-500, 0);
    const Vector3f n = Normalized(cam.WorldPosition() - target);
    EXPECT_NEAR(std::acos(Dot(n, Normalized(cam.WorldUp()))), 0.025, 1e-4);
    EXPECT_NEAR(Length(cam.WorldPosition() - target), 4, 1e-4);
    cam.OrbitTarget(1000, 0);
    const Vector3f n2 = Normalized(cam.WorldPosition() - target);
    EXPECT_NEAR(std::acos(Dot(n2, Normalized(cam.WorldUp()))), 3.14159265 - 0.025, 1e-4);
    // Direction and Up are left as they were.
    EXPECT_EQ(cam.Direction().Z(), 1.0f);
    EXPECT_EQ(cam.Up().Y(), 1.0f);
}

TEST(TCamera, OrbitKeepsTheDistanceWithALongUpVector) {
    TSpiralScene scene;
    scene.CibleCamera->Up().SetPoint(0, 2, 0); // not of length 1
    const Vector3f t = scene.CibleCamera->WorldPosition();
    const float d = Length(scene.Camera1->WorldPosition() - t);
    for (int i = 0; i < 50; ++i)
        scene.Camera1->OrbitTarget(3, 5);
    EXPECT_NEAR(Length(scene.Camera1->WorldPosition() - t), d, 1e-3 * d);
}

TEST(TCamera, OrbitOneDegreeSteps) {
    TSpiralScene scene;
    TCamera& cam = *scene.Camera1;
    const Vector3f t = scene.CibleCamera->WorldPosition();
    const Vector3f u = Normalized(cam.WorldUp());
    const double before = std::acos(Dot(Normalized(cam.WorldPosition() - t), u));
    cam.OrbitTarget(10, 0); // mouse moved up: towards the underside
    const double after = std::acos(Dot(Normalized(cam.WorldPosition() - t), u));
    EXPECT_NEAR((after - before) * kDeg, 10, 1e-3);
    // A turn moves the camera about the up axis, keeping the pitch.
    cam.OrbitTarget(0, 30);
    EXPECT_NEAR(std::acos(Dot(Normalized(cam.WorldPosition() - t), u)), after, 1e-4);
}

TEST(TCamera, OrbitAlongTheUpAxisUsesXAsPitchAxis) {
    TScene scene;
    auto* target = scene.Objects().AddNewChild<TDummyCube>();
    auto* cam = scene.Objects().AddNewChild<TCamera>();
    cam->Position().SetPoint(0, 4, 0);
    cam->SetTargetObject(target);
    cam->OrbitTarget(10, 0);
    const Vector3f p = cam->WorldPosition();
    EXPECT_NEAR(p.x, 0, 1e-5);
    EXPECT_NEAR(p.y, 4 * std::cos(10 / kDeg), 1e-4);
    EXPECT_NEAR(std::fabs(p.z), 4 * std::sin(10 / kDeg), 1e-4);
    // Without a target nothing moves.
    cam->SetTargetObject(nullptr);
    cam->OrbitTarget(30, 30);
    EXPECT_EQ(cam->WorldPosition().x, p.x);
    EXPECT_EQ(cam->WorldPosition().y, p.y);
}

} // namespace
