// The 3D scene of the main window, the spiral and the date sphere, orbiting.
#include "app/TAevoriumF1.h"
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"

void TAevoriumF1::CreateSceneObjects() {
    Scene = new TSpiralScene;
    // The viewer's stored values: camera, teal background, the six context
    // options, smooth shading, and the mouse handlers.
    SceneViewer1->SetCamera(Scene->Camera1);
    SceneViewer1->Buffer().SetBackgroundColor(0x00808000);
    SceneViewer1->SetContextOptions(roDoubleBuffer | roStencilBuffer | roRenderToWindow | roTwoSideLighting |
                                    roStereo | roDestinationAlpha);
    SceneViewer1->Buffer().SetShadeModel(smSmooth);
    Scene->CollisionManager1.OnCollision = [this](TCollisionManager* sender, TBaseSceneObject* o1,
                                                  TBaseSceneObject* o2) { CollisionManager1Collision(sender, o1, o2); };
    connect(SceneViewer1, &TSceneViewer::MouseDown, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) { SceneViewer1MouseDown(b, m, x, y); });
    connect(SceneViewer1, &TSceneViewer::MouseMove, this,
            [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) { SceneViewer1MouseMove(b, m, x, y); });
    connect(SceneViewer1, &TSceneViewer::MouseUp, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) { SceneViewer1MouseUp(b, m, x, y); });
}

void TAevoriumF1::DestroySceneObjects() {
    if (SceneViewer1)
        SceneViewer1->SetCamera(nullptr);
    delete Scene;
    Scene = nullptr;
}

void TAevoriumF1::BuildSpiral(int turns, double radius, double heightPerTurn) {
    ::BuildSpiral(*Scene->Spirale, *Scene->Spirale2, turns, radius, heightPerTurn);
}

void TAevoriumF1::PlaceDateSphere() {
    PlaceOnSpiral(*Scene->SpherePos, 5, 1.0, 0.3, CurrentDate);
    // At once, so that the sphere follows a dial while it is dragged.
    SceneViewer1->RepaintNow();
}

void TAevoriumF1::SceneViewer1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y) {
    SceneViewer1->SetShowHint(false);
    LastMouseX = X;
    LastMouseY = Y;
}

void TAevoriumF1::SceneViewer1MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y) {
    HoverMarkerAt(X, Y);
    // Orbit only with the left button alone and no Shift, Ctrl or Alt key:
    // one pixel is one degree.
    const Qt::KeyboardModifiers keys = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (Buttons == Qt::LeftButton && !(Shift & keys)) {
        Scene->Camera1->OrbitTarget(float(LastMouseY - Y), float(LastMouseX - X));
        LastMouseX = X;
        LastMouseY = Y;
    }
}

void TAevoriumF1::SceneViewer1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    SceneViewer1->SetShowHint(true);
}
