// The 3D scene of the main window, the spiral and the date sphere, orbiting.
#include "app/TAevoriumF1.h"
#include "spiral/SpiralScene.h"

void TAevoriumF1::CreateSceneObjects() { Scene = new TSpiralScene; }
void TAevoriumF1::DestroySceneObjects() {
    delete Scene;
    Scene = nullptr;
}
void TAevoriumF1::BuildSpiral(int, double, double) {}
void TAevoriumF1::PlaceDateSphere() {}
