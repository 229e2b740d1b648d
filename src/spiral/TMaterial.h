#pragma once

#include "spiral/TCoordinates.h"

#include <cstdint>

// One RGBA colour of the 3D layer, four 32-bit floats each settable alone.
// Default opaque black (0, 0, 0, 1).
class TSceneColor {
public:
    explicit TSceneColor(TChangeTarget* owner, float r = 0, float g = 0, float b = 0, float a = 1)
        : m_owner(owner), m_c(r, g, b, a) {}
    TSceneColor(const TSceneColor&) = delete;
    TSceneColor& operator=(const TSceneColor&) = delete;

    float Red() const { return m_c.x; }
    float Green() const { return m_c.y; }
    float Blue() const { return m_c.z; }
    float Alpha() const { return m_c.w; }
    void SetRed(float v) { set(m_c.x, v); }
    void SetGreen(float v) { set(m_c.y, v); }
    void SetBlue(float v) { set(m_c.z, v); }
    void SetAlpha(float v) { set(m_c.w, v); }
    // All four at once, one notification.
    void SetColor(float r, float g, float b, float a);
    void Assign(const TSceneColor& other) { SetColor(other.Red(), other.Green(), other.Blue(), other.Alpha()); }
    Vector4f AsVector() const { return m_c; }
    // Red, green, blue, alpha, as OpenGL takes them.
    const float* Data() const { return &m_c.x; }

private:
    void set(float& field, float v) {
        if (field == v)
            return;
        field = v;
        if (m_owner)
            m_owner->NotifyChange();
    }
    TChangeTarget* m_owner;
    Vector4f m_c;
};

// The colours of the front face of a material.
class TFaceProperties {
public:
    explicit TFaceProperties(TChangeTarget* owner)
        : m_owner(owner), m_ambient(owner, 0.2f, 0.2f, 0.2f, 1), m_diffuse(owner, 0.8f, 0.8f, 0.8f, 1),
          m_specular(owner), m_emission(owner) {}
    TFaceProperties(const TFaceProperties&) = delete;
    TFaceProperties& operator=(const TFaceProperties&) = delete;

    TSceneColor& Ambient() { return m_ambient; }
    TSceneColor& Diffuse() { return m_diffuse; }
    TSceneColor& Specular() { return m_specular; }
    TSceneColor& Emission() { return m_emission; }
    const TSceneColor& Ambient() const { return m_ambient; }
    const TSceneColor& Diffuse() const { return m_diffuse; }
    const TSceneColor& Specular() const { return m_specular; }
    const TSceneColor& Emission() const { return m_emission; }
    // 0 to 128; other values are clamped.
    int Shininess() const { return m_shininess; }
    void SetShininess(int v);
    void Assign(const TFaceProperties& other);

private:
    TChangeTarget* m_owner;
    TSceneColor m_ambient, m_diffuse, m_specular, m_emission;
    int m_shininess = 0;
};

enum TBlendingMode { bmOpaque, bmTransparency, bmAdditive };

class TMaterial {
public:
    explicit TMaterial(TChangeTarget* owner) : m_owner(owner), m_front(owner) {}
    TMaterial(const TMaterial&) = delete;
    // Copies every value, blending mode included (Material := other Material).
    TMaterial& operator=(const TMaterial& other) {
        Assign(other);
        return *this;
    }
    void Assign(const TMaterial& other);

    TFaceProperties& FrontProperties() { return m_front; }
    const TFaceProperties& FrontProperties() const { return m_front; }
    TBlendingMode BlendingMode() const { return m_blending; }
    void SetBlendingMode(TBlendingMode mode);

private:
    TChangeTarget* m_owner;
    TFaceProperties m_front;
    TBlendingMode m_blending = bmOpaque;
};

// A window colour 0x00BBGGRR as an opaque colour of the 3D layer: each byte / 255.
inline Vector4f WindowColorToVector(std::uint32_t c) {
    return {float((c & 0xFF) / 255.0), float(((c >> 8) & 0xFF) / 255.0), float(((c >> 16) & 0xFF) / 255.0), 1};
}
