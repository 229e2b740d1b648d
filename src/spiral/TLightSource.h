#pragma once

#include "spiral/TBaseSceneObject.h"

enum TLightStyle { lsSpot, lsOmni, lsParallel };

// A light of the scene; its Position is a point (W = 1) in its parent's frame.
class TLightSource : public TBaseSceneObject {
public:
    explicit TLightSource(TBaseSceneObject* owner = nullptr) : TBaseSceneObject(owner) {}

    TLightStyle LightStyle() const { return m_style; }
    void SetLightStyle(TLightStyle v) { set(m_style, v); }
    TSceneColor& Ambient() { return m_ambient; }
    TSceneColor& Diffuse() { return m_diffuse; }
    TSceneColor& Specular() { return m_specular; }
    const TSceneColor& Ambient() const { return m_ambient; }
    const TSceneColor& Diffuse() const { return m_diffuse; }
    const TSceneColor& Specular() const { return m_specular; }
    float ConstAttenuation() const { return m_constAttenuation; }
    float LinearAttenuation() const { return m_linearAttenuation; }
    float QuadraticAttenuation() const { return m_quadraticAttenuation; }
    void SetConstAttenuation(float v) { set(m_constAttenuation, v); }
    void SetLinearAttenuation(float v) { set(m_linearAttenuation, v); }
    void SetQuadraticAttenuation(float v) { set(m_quadraticAttenuation, v); }
    float SpotCutOff() const { return m_spotCutOff; }
    void SetSpotCutOff(float v) { set(m_spotCutOff, v); }
    TCoordinates& SpotDirection() { return m_spotDirection; }
    const TCoordinates& SpotDirection() const { return m_spotDirection; }
    float SpotExponent() const { return m_spotExponent; }
    void SetSpotExponent(float v) { set(m_spotExponent, v); }
    bool Shining() const { return m_shining; }
    void SetShining(bool v) { set(m_shining, v); }

private:
    template <class T> void set(T& field, T v) {
        if (field == v)
            return;
        field = v;
        NotifyChange();
    }
    TLightStyle m_style = lsSpot;
    TSceneColor m_ambient{this, 0, 0, 0, 1};
    TSceneColor m_diffuse{this, 1, 1, 1, 1};
    TSceneColor m_specular{this, 0, 0, 0, 1};
    float m_constAttenuation = 1;
    float m_linearAttenuation = 0;
    float m_quadraticAttenuation = 0;
    float m_spotCutOff = 180;
    TCoordinates m_spotDirection{this, 0, 0, -1, 0};
    float m_spotExponent = 0;
    bool m_shining = true;
};
