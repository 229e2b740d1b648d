#pragma once

#include "spiral/TBaseSceneObject.h"

#include <memory>
#include <vector>

class TScene;
class TSceneBuffer;

enum TObjectsSorting { osRenderBlendedLast };
enum TVisibilityCulling { vcNone };

// The root of a scene's object tree; it knows its scene.
class TSceneRootObject : public TBaseSceneObject {
public:
    explicit TSceneRootObject(TScene* scene) : m_scene(scene) {}
    TScene* Scene() const override { return m_scene; }

private:
    TScene* m_scene;
};

// Owns the root of the object tree and tells its buffers (one per viewer)
// when anything in the tree changes, so that they ask for a repaint.
class TScene {
public:
    TScene();
    TScene(const TScene&) = delete;
    TScene& operator=(const TScene&) = delete;
    ~TScene();

    TBaseSceneObject& Objects() { return *m_root; }
    const TBaseSceneObject& Objects() const { return *m_root; }

    TObjectsSorting ObjectsSorting() const { return osRenderBlendedLast; }
    TVisibilityCulling VisibilityCulling() const { return vcNone; }

    // A change somewhere in the tree: every buffer asks its viewer to repaint
    // (unless it is drawing a frame or picking).
    void NotifyChange();

    // Buffers register themselves when their camera belongs to this scene.
    void AddBuffer(TSceneBuffer* buffer);
    void RemoveBuffer(TSceneBuffer* buffer);

private:
    std::vector<TSceneBuffer*> m_buffers;
    std::unique_ptr<TSceneRootObject> m_root;
};
