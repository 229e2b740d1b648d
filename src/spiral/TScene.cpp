#include "spiral/TScene.h"

#include "spiral/TSceneBuffer.h"

#include <algorithm>

TScene::TScene() : m_root(std::make_unique<TSceneRootObject>(this)) {}

TScene::~TScene() {
    // Free the tree while the buffer list is still alive: freeing a camera
    // unregisters its buffer.
    m_root.reset();
    for (TSceneBuffer* b : std::vector<TSceneBuffer*>(m_buffers))
        b->SceneDestroyed(this);
}

void TScene::NotifyChange() {
    if (m_updating > 0) {
        m_changed = true;
        return;
    }
    for (TSceneBuffer* b : m_buffers)
        b->NotifyChange();
}

void TScene::EndUpdate() {
    if (m_updating > 0 && --m_updating == 0 && m_changed) {
        m_changed = false;
        NotifyChange();
    }
}

void TScene::AddBuffer(TSceneBuffer* buffer) {
    if (std::find(m_buffers.begin(), m_buffers.end(), buffer) == m_buffers.end())
        m_buffers.push_back(buffer);
}

void TScene::RemoveBuffer(TSceneBuffer* buffer) {
    m_buffers.erase(std::remove(m_buffers.begin(), m_buffers.end(), buffer), m_buffers.end());
}
