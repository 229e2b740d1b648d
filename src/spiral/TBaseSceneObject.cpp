#include "spiral/TBaseSceneObject.h"

#include "spiral/TScene.h"

#include <algorithm>

TBaseSceneObject::TBaseSceneObject(TBaseSceneObject* owner) : m_owner(owner) {
    if (m_owner)
        m_owner->m_owned.push_back(this);
}

TBaseSceneObject::~TBaseSceneObject() {
    // Whoever refers to this object forgets it first.
    while (!m_freeNotifies.empty()) {
        TFreeNotifiable* who = m_freeNotifies.back();
        m_freeNotifies.pop_back();
        who->FreeNotification(this);
    }
    // Children, then what this object still owns; each one unlinks itself.
    while (!m_children.empty())
        delete m_children.front();
    while (!m_owned.empty())
        delete m_owned.front();
    m_behaviours.Clear();
    detachFromParent();
    if (m_owner) {
        auto& owned = m_owner->m_owned;
        owned.erase(std::remove(owned.begin(), owned.end(), this), owned.end());
        m_owner = nullptr;
    }
}

Matrix4f TBaseSceneObject::ObjectMatrix() const {
    const Vector3f dir = m_direction.AsVector();
    const Vector3f up = m_up.AsVector();
    const Vector3f left = Cross(up, dir);
    Matrix4f m;
    m.SetRow(0, left * m_scale.X(), 0);
    m.SetRow(1, up * m_scale.Y(), 0);
    m.SetRow(2, dir * m_scale.Z(), 0);
    m.SetRow(3, m_position.AsVector(), 1);
    return m;
}

Matrix4f TBaseSceneObject::WorldMatrix() const {
    // The root of a scene keeps the default transform, the identity.
    return m_parent ? ObjectMatrix() * m_parent->WorldMatrix() : ObjectMatrix();
}

void TBaseSceneObject::SetVisible(bool v) {
    if (v == m_visible)
        return;
    m_visible = v;
    NotifyChange();
}

int TBaseSceneObject::IndexOfChild(const TBaseSceneObject* child) const {
    auto it = std::find(m_children.begin(), m_children.end(), child);
    return it == m_children.end() ? -1 : int(it - m_children.begin());
}

void TBaseSceneObject::detachChild(TBaseSceneObject* child) {
    m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
}

void TBaseSceneObject::AddChild(TBaseSceneObject* child) {
    if (!child || child == this)
        return;
    // An object cannot become a child of its own descendant.
    for (const TBaseSceneObject* p = this; p; p = p->m_parent)
        if (p == child)
            return;
    if (child->m_parent) {
        TScene* oldScene = child->m_parent->Scene();
        child->m_parent->detachChild(child);
        if (oldScene)
            oldScene->NotifyChange();
    }
    child->m_parent = this;
    m_children.push_back(child);
    NotifyChange();
}

void TBaseSceneObject::Reparent(TBaseSceneObject* newParent) {
    if (newParent) {
        newParent->AddChild(this);
        return;
    }
    detachFromParent();
}

TScene* TBaseSceneObject::Scene() const { return m_parent ? m_parent->Scene() : nullptr; }

void TBaseSceneObject::NotifyChange() {
    if (TScene* scene = Scene())
        scene->NotifyChange();
}

void TBaseSceneObject::StructureChanged() {
    m_meshValid = false;
    NotifyChange();
}

std::shared_ptr<const TMesh> TBaseSceneObject::Mesh() {
    if (m_uncachedGeometry) {
        auto mesh = std::make_shared<TMesh>();
        BuildGeometry(*mesh);
        mesh->AssignNewId();
        return mesh;
    }
    if (!m_meshValid || !m_mesh) {
        // A fresh mesh rather than an in-place rebuild: a caller may still hold the old one.
        m_mesh = std::make_shared<TMesh>();
        BuildGeometry(*m_mesh);
        m_mesh->AssignNewId();
        m_mesh->BoundingSphere(m_boundsCentre, m_boundsRadius);
        m_meshValid = true;
    }
    return m_mesh;
}

bool TBaseSceneObject::LocalBoundingSphere(Vector3f& centre, float& radius) {
    if (!HasGeometry())
        return false;
    if (m_uncachedGeometry) {
        Mesh()->BoundingSphere(centre, radius);
    } else {
        Mesh();
        centre = m_boundsCentre;
        radius = m_boundsRadius;
    }
    return radius >= 0;
}

void TBaseSceneObject::AddFreeNotification(TFreeNotifiable* who) {
    if (who && std::find(m_freeNotifies.begin(), m_freeNotifies.end(), who) == m_freeNotifies.end())
        m_freeNotifies.push_back(who);
}

void TBaseSceneObject::RemoveFreeNotification(TFreeNotifiable* who) {
    m_freeNotifies.erase(std::remove(m_freeNotifies.begin(), m_freeNotifies.end(), who), m_freeNotifies.end());
}

void TBaseSceneObject::detachFromParent() {
    if (!m_parent)
        return;
    TScene* scene = m_parent->Scene();
    m_parent->detachChild(this);
    m_parent = nullptr;
    if (scene)
        scene->NotifyChange();
}
