#pragma once

// The objects of the scene tree. An object is owned by the object that
// created it (its owner) and by its parent once it is in the tree: freeing an
// object (delete) frees its children and the objects it owns, frees its
// behaviours and detaches it from its parent and owner. Every property change
// notifies the scene, which asks its viewers to repaint.

#include "spiral/TBehaviour.h"
#include "spiral/TCoordinates.h"
#include "spiral/TMaterial.h"
#include "spiral/TMesh.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class TBaseSceneObject;
class TScene;

// Told when an object it refers to is freed (a camera's target, a buffer's camera).
class TFreeNotifiable {
public:
    virtual ~TFreeNotifiable() = default;
    virtual void FreeNotification(TBaseSceneObject* freed) = 0;
};

class TBaseSceneObject : public TChangeTarget {
public:
    // owner: the object that frees this one when it is freed itself (may be
    // none). The new object is not in the tree until AddChild or Reparent.
    explicit TBaseSceneObject(TBaseSceneObject* owner = nullptr);
    TBaseSceneObject(const TBaseSceneObject&) = delete;
    TBaseSceneObject& operator=(const TBaseSceneObject&) = delete;
    virtual ~TBaseSceneObject();

    // ---- Identity ----
    const QString& Name() const { return m_name; }
    void SetName(const QString& name) { m_name = name; }
    std::int32_t Tag() const { return m_tag; }
    void SetTag(std::int32_t tag) { m_tag = tag; }

    // ---- Transform (each coordinate change notifies the scene) ----
    TCoordinates& Position() { return m_position; }
    TCoordinates& Direction() { return m_direction; }
    TCoordinates& Up() { return m_up; }
    TCoordinates& Scale() { return m_scale; }
    const TCoordinates& Position() const { return m_position; }
    const TCoordinates& Direction() const { return m_direction; }
    const TCoordinates& Up() const { return m_up; }
    const TCoordinates& Scale() const { return m_scale; }

    // Rows (Up x Direction) * Scale.X, Up * Scale.Y, Direction * Scale.Z,
    // Position; Direction and Up are used as stored.
    Matrix4f ObjectMatrix() const;
    // ObjectMatrix x parent's WorldMatrix (ObjectMatrix under the root).
    Matrix4f WorldMatrix() const;
    Vector3f WorldPosition() const { return WorldMatrix().Row3(3); }
    Vector3f WorldUp() const { return WorldMatrix().Row3(1); }
    // World point into this object's own frame.
    Vector3f AbsoluteToLocal(Vector3f worldPoint) const { return TransformPoint(worldPoint, Inverse(WorldMatrix())); }

    bool Visible() const { return m_visible; }
    void SetVisible(bool v);

    // When set, the mesh is never taken from the object's own cache: every
    // draw and picking pass uses the mesh its properties give at that moment
    // (built anew; the viewer shares one mesh among the objects whose
    // GeometryKey values are equal, see FrameGeometry.h). The picture is the same.
    bool UncachedGeometry() const { return m_uncachedGeometry; }
    void SetUncachedGeometry(bool v) { m_uncachedGeometry = v; }

    TBehaviours& Behaviours() { return m_behaviours; }
    const TBehaviours& Behaviours() const { return m_behaviours; }

    // ---- Tree ----
    TBaseSceneObject* Owner() const { return m_owner; }
    TBaseSceneObject* Parent() const { return m_parent; }
    int Count() const { return int(m_children.size() - m_childHoles); }
    TBaseSceneObject* Children(int i) const {
        if (m_childHoles > 0)
            return childWithHoles(i);
        return m_children[std::size_t(i)];
    }
    int IndexOfChild(const TBaseSceneObject* child) const;
    // Detaches child from its parent and appends it as the last child here.
    void AddChild(TBaseSceneObject* child);
    // Detaches this object from its parent and appends it to newParent (none:
    // leaves it outside the tree).
    void Reparent(TBaseSceneObject* newParent);
    // Creates a T owned by this object and appends it as the last child.
    template <class T> T* AddNewChild() {
        auto* o = new T(this);
        AddChild(o);
        return o;
    }
    // The scene whose tree holds this object, or none.
    virtual TScene* Scene() const;

    // ---- Virtual operations ----
    // True when drawn in the blended pass (after the opaque siblings).
    virtual bool IsBlended() const { return false; }
    // Axis-aligned half sizes; here half of Scale.
    virtual Vector3f HalfExtents() const { return m_scale.AsVector() * 0.5f; }
    // True for the objects that emit triangles (the drawn shapes).
    virtual bool HasGeometry() const { return false; }
    // Emits the object's own mesh in its own frame.
    virtual void BuildGeometry(TMesh& mesh) const { (void)mesh; }
    // Appends to `key` every value BuildGeometry reads, when the class can
    // tell them (its type is set by the caller); false by default, and for a
    // class that emits a mesh from anything else. A class that overrides
    // BuildGeometry overrides this too or answers false.
    virtual bool GeometryKey(TGeometryKey& key) const {
        (void)key;
        return false;
    }
    // The radius of the object's mesh when it is a whole sphere round the
    // object's origin, normals outwards (StandIns.h may draw it as a
    // stand-in); negative otherwise.
    virtual float WholeSphereRadius() const { return -1; }
    // A sphere in the object's frame holding its whole mesh; false when the
    // object emits nothing. The default measures the mesh.
    virtual bool LocalBoundingSphere(Vector3f& centre, float& radius);

    // The object's mesh: reused until a property that shapes it changes; built
    // anew at every call when UncachedGeometry is set.
    std::shared_ptr<const TMesh> Mesh();

    // ---- Notifications ----
    // A value that changes the picture but not the mesh.
    void NotifyChange() override;
    // Counted among all changes and among the colour changes.
    void NotifyColourChange() override;
    // A value that shapes the mesh: rebuilt at the next use.
    void StructureChanged();

    // Changes of values that place or shape objects (or anything NotifyChange
    // reports), counted over all objects and for this one: a reader that keeps
    // what it read of many objects knows that it still holds while the count
    // of all less this object's own stays the same.
    static std::uint64_t AllChanges() { return s_allChanges; }
    // Those of colours alone: AllChanges less these counts what places,
    // shapes or blends objects (picking looks at nothing else).
    static std::uint64_t ColourChanges() { return s_colourChanges; }
    std::uint64_t OwnChanges() const { return m_ownChanges; }
    // Objects freed so far: a reader that keeps pointers to some objects
    // knows that they are all still alive while this count stays the same.
    static std::uint64_t Frees() { return s_frees; }
    // Objects put into or taken out of a parent's children so far: the
    // lights of a scene, for one, stay the same while this count does.
    static std::uint64_t TreeChanges() { return s_treeChanges; }

    void AddFreeNotification(TFreeNotifiable* who);
    void RemoveFreeNotification(TFreeNotifiable* who);

private:
    void detachChild(TBaseSceneObject* child);
    // Leaves the parent (if any) and tells the scene it changed.
    void detachFromParent();
    void countChange() {
        ++m_ownChanges;
        ++s_allChanges;
    }
    // Children(i) while the list has holes.
    TBaseSceneObject* childWithHoles(int i) const;
    // Closes the holes of the lists (not while this object is being freed).
    void compactChildren() const;
    void compactOwned();

    QString m_name;
    std::int32_t m_tag = 0;
    TCoordinates m_position{this, 0, 0, 0, 1};
    TCoordinates m_direction{this, 0, 0, 1, 0};
    TCoordinates m_up{this, 0, 1, 0, 0};
    TCoordinates m_scale{this, 1, 1, 1, 0};
    bool m_visible = true;
    bool m_uncachedGeometry = false;
    TBehaviours m_behaviours{this};

    // The lists of owned objects and children remove an object in constant
    // time: each object knows its slot in both, a removed one leaves an empty
    // slot, and the holes are closed once they are half of a list (or when
    // the children are read), so freeing many objects stays linear.
    TBaseSceneObject* m_owner = nullptr;
    std::vector<TBaseSceneObject*> m_owned;
    std::size_t m_ownedHoles = 0;
    std::size_t m_ownerSlot = 0; // in the owner's m_owned
    TBaseSceneObject* m_parent = nullptr;
    mutable std::vector<TBaseSceneObject*> m_children;
    mutable std::size_t m_childHoles = 0;
    std::size_t m_parentSlot = 0; // in the parent's m_children
    bool m_freeing = false;       // in the destructor: no compaction
    std::uint64_t m_ownChanges = 0;
    static inline std::uint64_t s_allChanges = 0;
    static inline std::uint64_t s_colourChanges = 0;
    static inline std::uint64_t s_frees = 0;
    static inline std::uint64_t s_treeChanges = 0;
    std::vector<TFreeNotifiable*> m_freeNotifies;

    std::shared_ptr<TMesh> m_mesh;
    bool m_meshValid = false;
    Vector3f m_boundsCentre;
    float m_boundsRadius = -1;
};

// Adds a material; blended when its blending mode is not opaque.
class TCustomSceneObject : public TBaseSceneObject {
public:
    explicit TCustomSceneObject(TBaseSceneObject* owner = nullptr) : TBaseSceneObject(owner) {}
    TMaterial& Material() { return m_material; }
    const TMaterial& Material() const { return m_material; }
    bool IsBlended() const override { return m_material.BlendingMode() != bmOpaque; }

private:
    TMaterial m_material{this};
};

// Publishes the transform but no material.
class TImmaterialSceneObject : public TCustomSceneObject {
public:
    using TCustomSceneObject::TCustomSceneObject;
};

// Base of the drawn shapes; its material is applied when it is drawn.
class TSceneObject : public TImmaterialSceneObject {
public:
    using TImmaterialSceneObject::TImmaterialSceneObject;
    bool HasGeometry() const override { return true; }
};

// Invisible grouping object and camera target: draws nothing at run time.
class TDummyCube : public TImmaterialSceneObject {
public:
    explicit TDummyCube(TBaseSceneObject* owner = nullptr) : TImmaterialSceneObject(owner) {}
    float CubeSize() const { return m_cubeSize; }
    void SetCubeSize(float v) { m_cubeSize = v; }
    TSceneColor& EdgeColor() { return m_edgeColor; }
    bool VisibleAtRunTime() const { return m_visibleAtRunTime; }
    void SetVisibleAtRunTime(bool v) { m_visibleAtRunTime = v; }

private:
    float m_cubeSize = 1;
    TSceneColor m_edgeColor{this, 1, 1, 1, 1};
    bool m_visibleAtRunTime = false;
};
