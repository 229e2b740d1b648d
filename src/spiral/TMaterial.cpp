#include "spiral/TMaterial.h"

#include <algorithm>

void TSceneColor::SetColor(float r, float g, float b, float a) {
    if (m_c.x == r && m_c.y == g && m_c.z == b && m_c.w == a)
        return;
    m_c = Vector4f(r, g, b, a);
    if (m_owner)
        m_owner->NotifyColourChange();
}

void TFaceProperties::SetShininess(int v) {
    v = std::clamp(v, 0, 128);
    if (v == m_shininess)
        return;
    m_shininess = v;
    if (m_owner)
        m_owner->NotifyColourChange();
}

void TFaceProperties::Assign(const TFaceProperties& other) {
    m_ambient.Assign(other.m_ambient);
    m_diffuse.Assign(other.m_diffuse);
    m_specular.Assign(other.m_specular);
    m_emission.Assign(other.m_emission);
    SetShininess(other.m_shininess);
}

void TMaterial::Assign(const TMaterial& other) {
    if (&other == this)
        return;
    m_front.Assign(other.m_front);
    SetBlendingMode(other.m_blending);
}

void TMaterial::SetBlendingMode(TBlendingMode mode) {
    if (mode == m_blending)
        return;
    m_blending = mode;
    if (m_owner)
        m_owner->NotifyChange();
}
