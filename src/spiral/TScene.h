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

    // Between BeginUpdate and EndUpdate (they nest) the changes are merged:
    // the buffers are told once, at the last EndUpdate, when anything changed.
    void BeginUpdate() { ++m_updating; }
    void EndUpdate();

    // Buffers register themselves when their camera belongs to this scene.
    void AddBuffer(TSceneBuffer* buffer);
    void RemoveBuffer(TSceneBuffer* buffer);

private:
    std::vector<TSceneBuffer*> m_buffers;
    std::unique_ptr<TSceneRootObject> m_root;
    int m_updating = 0;
    bool m_changed = false;
};

// BeginUpdate for the lifetime of the object, EndUpdate at its end.
class TSceneUpdate {
public:
    explicit TSceneUpdate(TScene& scene) : m_scene(scene) { m_scene.BeginUpdate(); }
    ~TSceneUpdate() { m_scene.EndUpdate(); }
    TSceneUpdate(const TSceneUpdate&) = delete;
    TSceneUpdate& operator=(const TSceneUpdate&) = delete;

private:
    TScene& m_scene;
};
