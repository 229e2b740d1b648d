#include "spiral/KeptPicture.h"

TKeptPicture::States TKeptPicture::statesOf(const TSceneBuffer& buffer) {
    States s;
    s.background = buffer.BackgroundColor();
    s.options = buffer.ContextOptions();
    s.shade = int(buffer.ShadeModel());
    s.depth = buffer.DepthTest();
    s.cull = buffer.FaceCulling();
    s.lighting = buffer.Lighting();
    s.fog = buffer.FogEnable();
    return s;
}

std::uint64_t TKeptPicture::othersChanges() const {
    std::uint64_t n = TBaseSceneObject::AllChanges();
    for (const TBaseSceneObject* o : m_tail)
        n -= o->OwnChanges();
    return n;
}

bool TKeptPicture::Record(const TSceneBuffer& buffer, const TKeptFrame& frame, const std::vector<TDrawItem>& items,
                          std::size_t opaque) {
    m_valid = false;
    m_tail.clear();
    m_parent = opaque < items.size() ? items[opaque].object->Parent() : nullptr;
    for (std::size_t k = opaque; k < items.size(); ++k) {
        TBaseSceneObject* o = items[k].object;
        if (!o->IsBlended() || o->Count() != 0 || o->Parent() != m_parent)
            return false;
        m_tail.push_back(o);
    }
    m_frame = frame;
    m_states = statesOf(buffer);
    m_view = buffer.ViewMatrix();
    m_projection = buffer.ProjectionMatrix();
    m_frees = TBaseSceneObject::Frees();
    m_others = othersChanges();
    m_valid = true;
    return true;
}

bool TKeptPicture::Holds(const TSceneBuffer& buffer, const TKeptFrame& frame, std::vector<TDrawItem>& tail) const {
    tail.clear();
    // A freed object may be one of the tail: nothing of it is read then.
    if (!m_valid || !(frame == m_frame) || TBaseSceneObject::Frees() != m_frees || !buffer.Camera())
        return false;
    if (othersChanges() != m_others || !(statesOf(buffer) == m_states) ||
        !SameBits(buffer.ViewMatrix(), m_view) || !SameBits(buffer.ProjectionMatrix(), m_projection))
        return false;
    if (m_tail.empty())
        return true;
    // The tail as the draw list would give it: each object's world matrix,
    // and the order farthest first (the same order as before, each strictly
    // farther than the next, so that no tie leaves it to the child order).
    const Matrix4f parentWorld = m_parent->WorldMatrix();
    const Vector3f eye = buffer.Camera()->WorldPosition();
    float last = 0;
    for (std::size_t k = 0; k < m_tail.size(); ++k) {
        TBaseSceneObject* o = m_tail[k];
        if (o->Parent() != m_parent || !o->Visible() || !o->IsBlended() || o->Count() != 0)
            return false;
        const float d = SquaredLength(TransformPoint(o->Position().AsVector(), parentWorld) - eye);
        if (k > 0 && !(d < last))
            return false;
        last = d;
        tail.push_back({o, o->ObjectMatrix() * parentWorld});
    }
    return true;
}
