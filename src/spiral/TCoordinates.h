#pragma once

#include "spiral/VectorMath.h"

// Whatever owns a persistent value of the scene (a coordinate vector, a
// colour, a material) and must hear of its changes.
class TChangeTarget {
public:
    virtual void NotifyChange() = 0;
    // A change of colour alone (not of what places, shapes or blends anything).
    virtual void NotifyColourChange() { NotifyChange(); }

protected:
    ~TChangeTarget() = default;
};

// One coordinate vector of an object (X, Y, Z as 32-bit floats and W).
// Every coordinate is set on its own; a change notifies the owner, setting a
// coordinate to the value it holds does nothing.
class TCoordinates {
public:
    TCoordinates(TChangeTarget* owner, float x, float y, float z, float w)
        : m_owner(owner), m_v(x, y, z, w) {}
    TCoordinates(const TCoordinates&) = delete;
    TCoordinates& operator=(const TCoordinates&) = delete;

    float X() const { return m_v.x; }
    float Y() const { return m_v.y; }
    float Z() const { return m_v.z; }
    float W() const { return m_v.w; }
    void SetX(float v) { set(m_v.x, v); }
    void SetY(float v) { set(m_v.y, v); }
    void SetZ(float v) { set(m_v.z, v); }
    void SetW(float v) { set(m_v.w, v); }
    // X, Y and Z at once, one notification.
    void SetPoint(float x, float y, float z) {
        if (m_v.x == x && m_v.y == y && m_v.z == z)
            return;
        m_v.x = x;
        m_v.y = y;
        m_v.z = z;
        changed();
    }
    void Assign(const TCoordinates& other) {
        if (m_v.x == other.m_v.x && m_v.y == other.m_v.y && m_v.z == other.m_v.z && m_v.w == other.m_v.w)
            return;
        m_v = other.m_v;
        changed();
    }
    Vector3f AsVector() const { return m_v.xyz(); }
    Vector4f AsVector4() const { return m_v; }

private:
    void set(float& field, float v) {
        if (field == v)
            return;
        field = v;
        changed();
    }
    void changed() {
        if (m_owner)
            m_owner->NotifyChange();
    }
    TChangeTarget* m_owner;
    Vector4f m_v;
};
