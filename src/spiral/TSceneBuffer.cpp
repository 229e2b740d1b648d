#include "spiral/TSceneBuffer.h"

#include "spiral/TLightSource.h"
#include "spiral/TScene.h"

#include <algorithm>

TSceneBuffer::~TSceneBuffer() { SetCamera(nullptr); }

void TSceneBuffer::SetCamera(TCamera* camera) {
    if (camera == m_camera)
        return;
    if (m_camera)
        m_camera->RemoveFreeNotification(this);
    if (m_scene)
        m_scene->RemoveBuffer(this);
    m_camera = camera;
    m_scene = camera ? camera->Scene() : nullptr;
    if (m_camera)
        m_camera->AddFreeNotification(this);
    if (m_scene)
        m_scene->AddBuffer(this);
    NotifyChange();
}

void TSceneBuffer::FreeNotification(TBaseSceneObject* freed) {
    if (freed != m_camera)
        return;
    m_camera = nullptr;
    if (m_scene)
        m_scene->RemoveBuffer(this);
    m_scene = nullptr;
}

void TSceneBuffer::SceneDestroyed(TScene* scene) {
    if (scene == m_scene)
        m_scene = nullptr;
}

void TSceneBuffer::SetBackgroundColor(std::uint32_t color) { set(m_backgroundColor, color); }
void TSceneBuffer::SetShadeModel(TShadeModel v) { set(m_shadeModel, v); }
void TSceneBuffer::SetDepthTest(bool v) { set(m_depthTest, v); }
void TSceneBuffer::SetFaceCulling(bool v) { set(m_faceCulling, v); }
void TSceneBuffer::SetLighting(bool v) { set(m_lighting, v); }
void TSceneBuffer::SetFogEnable(bool v) { set(m_fogEnable, v); }

void TSceneBuffer::SetViewport(int width, int height) {
    m_width = std::max(width, 1);
    m_height = std::max(height, 1);
}

void TSceneBuffer::NotifyChange() {
    if (!m_busy && OnChange)
        OnChange();
}

Matrix4f TSceneBuffer::ProjectionMatrix() const {
    return m_camera ? m_camera->ProjectionMatrix(m_width, m_height) : Matrix4f();
}

Matrix4f TSceneBuffer::ViewMatrix() const { return m_camera ? m_camera->ViewMatrix() : Matrix4f(); }

namespace {

struct Collector {
    Vector3f eye;
    std::vector<TDrawItem>& out;
    const TSceneBuffer::TTakeItem* take = nullptr;

    void object(TBaseSceneObject* o, const Matrix4f& parentWorld) {
        const Matrix4f world = o->ObjectMatrix() * parentWorld;
        if (o->HasGeometry() && !(take && (*take)(o, world)))
            out.push_back({o, world});
        children(o, world);
    }

    void children(TBaseSceneObject* o, const Matrix4f& world) {
        const int n = o->Count();
        std::vector<std::pair<float, TBaseSceneObject*>> blended;
        for (int i = 0; i < n; ++i) {
            TBaseSceneObject* c = o->Children(i);
            if (!c->Visible())
                continue;
            if (c->IsBlended()) {
                const Vector3f p = TransformPoint(c->Position().AsVector(), world);
                blended.emplace_back(SquaredLength(p - eye), c);
            } else {
                object(c, world);
            }
        }
        std::stable_sort(blended.begin(), blended.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (const auto& [d, c] : blended)
            object(c, world);
    }
};

void collectLights(TBaseSceneObject* o, std::vector<TLightSource*>& out) {
    for (int i = 0; i < o->Count(); ++i) {
        TBaseSceneObject* c = o->Children(i);
        if (auto* l = dynamic_cast<TLightSource*>(c))
            out.push_back(l);
        collectLights(c, out);
    }
}

} // namespace

void TSceneBuffer::CollectDrawList(std::vector<TDrawItem>& items) const { CollectDrawList(items, nullptr); }

void TSceneBuffer::CollectDrawList(std::vector<TDrawItem>& items, const TTakeItem& take) const {
    items.clear();
    if (!m_camera || !m_scene)
        return;
    Collector c{m_camera->WorldPosition(), items, take ? &take : nullptr};
    c.children(&m_scene->Objects(), Matrix4f());
}

std::vector<TLightSource*> TSceneBuffer::Lights() const {
    std::vector<TLightSource*> lights;
    if (m_scene)
        collectLights(&m_scene->Objects(), lights);
    return lights;
}
