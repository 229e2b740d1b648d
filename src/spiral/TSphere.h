#pragma once

#include "spiral/TBaseSceneObject.h"

// Base of the quadric shapes; normals point outwards.
class TQuadricObject : public TSceneObject {
public:
    using TSceneObject::TSceneObject;
};

enum TCapType { ctNone, ctCenter, ctFlat };

// A latitude-longitude sphere: Stacks bands from Top to Bottom, Slices
// sectors from Start to Stop (degrees); poles on its own Y axis, longitude 0
// on +Z turning towards +X.
class TSphere : public TQuadricObject {
public:
    explicit TSphere(TBaseSceneObject* owner = nullptr) : TQuadricObject(owner) {}

    float Radius() const { return m_radius; }
    void SetRadius(float v) { set(m_radius, v); }
    // 0 (or less) becomes 1.
    int Slices() const { return m_slices; }
    void SetSlices(int v) { set(m_slices, v < 1 ? 1 : v); }
    int Stacks() const { return m_stacks; }
    void SetStacks(int v) { set(m_stacks, v < 1 ? 1 : v); }
    // Latitudes -90 to 90 and longitudes, degrees.
    float Top() const { return m_top; }
    void SetTop(float v);
    float Bottom() const { return m_bottom; }
    void SetBottom(float v);
    float Start() const { return m_start; }
    void SetStart(float v) { set(m_start, v); }
    float Stop() const { return m_stop; }
    void SetStop(float v) { set(m_stop, v); }
    TCapType TopCap() const { return m_topCap; }
    void SetTopCap(TCapType v) { set(m_topCap, v); }
    TCapType BottomCap() const { return m_bottomCap; }
    void SetBottomCap(TCapType v) { set(m_bottomCap, v); }

    // Scale * |Radius|.
    Vector3f HalfExtents() const override;
    bool LocalBoundingSphere(Vector3f& centre, float& radius) override;
    void BuildGeometry(TMesh& mesh) const override;
    bool GeometryKey(TGeometryKey& key) const override;
    float WholeSphereRadius() const override;

private:
    template <class T> void set(T& field, T v) {
        if (field == v)
            return;
        field = v;
        StructureChanged();
    }
    float m_radius = 0.5f;
    int m_slices = 16;
    int m_stacks = 16;
    float m_top = 90, m_bottom = -90;
    float m_start = 0, m_stop = 360;
    TCapType m_topCap = ctNone, m_bottomCap = ctNone;
};
