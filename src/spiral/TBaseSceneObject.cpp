#include "spiral/TBaseSceneObject.h"

#include "spiral/TScene.h"

#include <algorithm>

TBaseSceneObject::TBaseSceneObject(TBaseSceneObject* owner) : m_owner(owner) {
    if (m_owner) {
        m_ownerSlot = m_owner->m_owned.size();
        m_owner->m_owned.push_back(this);
    }
}

TBaseSceneObject::~TBaseSceneObject() {
    ++s_frees;
    // Whoever refers to this object forgets it first.
    while (!m_freeNotifies.empty()) {
        TFreeNotifiable* who = m_freeNotifies.back();
        m_freeNotifies.pop_back();
        who->FreeNotification(this);
    }
    // Children in order, then what this object still owns; each one empties
    // its slots (the lists keep their places meanwhile).
    m_freeing = true;
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (TBaseSceneObject* child = m_children[i])
            delete child;
    for (std::size_t i = 0; i < m_owned.size(); ++i)
        if (TBaseSceneObject* owned = m_owned[i])
            delete owned;
    m_children.clear();
    m_childHoles = 0;
    m_owned.clear();
    m_ownedHoles = 0;
    m_behaviours.Clear();
    detachFromParent();
    if (TBaseSceneObject* owner = m_owner) {
        m_owner = nullptr;
        if (m_ownerSlot < owner->m_owned.size() && owner->m_owned[m_ownerSlot] == this) {
            owner->m_owned[m_ownerSlot] = nullptr;
            ++owner->m_ownedHoles;
            if (owner->m_ownedHoles > owner->m_owned.size() / 2)
                owner->compactOwned();
        }
    }
}

void TBaseSceneObject::compactOwned() {
    if (m_freeing || m_ownedHoles == 0)
        return;
    std::size_t n = 0;
    for (TBaseSceneObject* o : m_owned)
        if (o) {
            o->m_ownerSlot = n;
            m_owned[n++] = o;
        }
    m_owned.resize(n);
    m_ownedHoles = 0;
}

void TBaseSceneObject::compactChildren() const {
    if (m_freeing || m_childHoles == 0)
        return;
    std::size_t n = 0;
    for (TBaseSceneObject* c : m_children)
        if (c) {
            c->m_parentSlot = n;
            m_children[n++] = c;
        }
    m_children.resize(n);
    m_childHoles = 0;
}

TBaseSceneObject* TBaseSceneObject::childWithHoles(int i) const {
    compactChildren();
    if (m_childHoles == 0)
        return m_children[std::size_t(i)];
    // While this object is being freed: skip the empty slots.
    for (TBaseSceneObject* c : m_children)
        if (c && i-- == 0)
            return c;
    return nullptr;
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
    // By address alone: `child` may be an object freed already.
    if (!child)
        return -1;
    compactChildren();
    int index = 0;
    for (const TBaseSceneObject* c : m_children) {
        if (c == child)
            return index;
        if (c)
            ++index;
    }
    return -1;
}

void TBaseSceneObject::detachChild(TBaseSceneObject* child) {
    if (child->m_parentSlot < m_children.size() && m_children[child->m_parentSlot] == child) {
        m_children[child->m_parentSlot] = nullptr;
        ++m_childHoles;
        if (m_childHoles > m_children.size() / 2)
            compactChildren();
    }
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
    child->countChange();
    ++s_treeChanges;
    child->m_parentSlot = m_children.size();
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
    countChange();
    if (TScene* scene = Scene())
        scene->NotifyChange();
}

void TBaseSceneObject::NotifyColourChange() {
    ++s_colourChanges;
    NotifyChange();
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
    countChange();
    ++s_treeChanges;
    if (scene)
        scene->NotifyChange();
}
