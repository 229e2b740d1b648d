#pragma once

#include "spiral/CollisionManager.h"
#include "spiral/TCamera.h"
#include "spiral/TLightSource.h"
#include "spiral/TPipe.h"
#include "spiral/TScene.h"
#include "spiral/TSphere.h"

#include <memory>
#include <vector>

// The 3D scene of the main window with its stored values: the light, the
// spiral's frame BaseSpirale holding the two tubes and the date sphere, and
// the camera orbiting its target CibleCamera. The pointers name objects of
// the tree, which Scene1 owns.
struct TSpiralScene {
    TSpiralScene();
    TSpiralScene(const TSpiralScene&) = delete;
    TSpiralScene& operator=(const TSpiralScene&) = delete;
    ~TSpiralScene();

    // Holds the date sphere's collision behaviour, then one per event marker.
    TCollisionManager CollisionManager1;
    std::unique_ptr<TScene> Scene1;
    TLightSource* LightSource1 = nullptr;
    TDummyCube* BaseSpirale = nullptr;
    TPipe* Spirale = nullptr;
    TSphere* SpherePos = nullptr;
    TPipe* Spirale2 = nullptr;
    TDummyCube* CibleCamera = nullptr;
    TCamera* Camera1 = nullptr;

    // One marker sphere per event, children of BaseSpirale after Spirale2.
    std::vector<TSphere*> EventMarkers;
    // The marker highlighted last, or none.
    TBaseSceneObject* HoveredMarker = nullptr;
};
