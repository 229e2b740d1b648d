#pragma once

#include "spiral/TBaseSceneObject.h"

enum TCameraStyle { csPerspective };

// The projection of a camera for a viewport, in the units of the near plane.
struct TFrustum {
    double left = 0, right = 0, bottom = 0, top = 0, znear = 1, zfar = 2;
};

// A perspective camera that looks at its target object.
class TCamera : public TBaseSceneObject, public TFreeNotifiable {
public:
    // Drawing resolution of the viewers, dots per inch.
    static constexpr double Resolution = 96;

    explicit TCamera(TBaseSceneObject* owner = nullptr) : TBaseSceneObject(owner) {}
    ~TCamera() override;

    float DepthOfView() const { return m_depthOfView; }
    void SetDepthOfView(float v);
    // Values of 0 or less become 1.
    float FocalLength() const { return m_focalLength; }
    void SetFocalLength(float v);
    float SceneScale() const { return m_sceneScale; }
    void SetSceneScale(float v);
    TCameraStyle CameraStyle() const { return csPerspective; }
    // Cleared when that object is freed.
    TBaseSceneObject* TargetObject() const { return m_target; }
    void SetTargetObject(TBaseSceneObject* target);

    // near = FocalLength * 2 * 96 / (25.4 * max(W, H)), far = near + DepthOfView;
    // the sides are -W / 2M .. W / 2M and -H / 2M .. H / 2M over SceneScale.
    TFrustum Frustum(int width, int height) const;
    Matrix4f ProjectionMatrix(int width, int height) const;
    // Look-at from the camera's world position to its target's, the up vector
    // being Up as stored; without a target along Direction and Up turned by the parent.
    Matrix4f ViewMatrix() const;

    // Moves the camera on the sphere around its target that goes through it;
    // angles in degrees. Pitch is held 0.025 radian away from the up axis.
    void OrbitTarget(float pitchDelta, float turnDelta);

    void FreeNotification(TBaseSceneObject* freed) override;

private:
    float m_depthOfView = 100;
    float m_focalLength = 50;
    float m_sceneScale = 1;
    TBaseSceneObject* m_target = nullptr;
};

// Frustum as a row-vector matrix (the transpose of glFrustum's).
Matrix4f FrustumMatrix(const TFrustum& f);
// Row-vector view matrix looking from eye towards centre.
Matrix4f LookAtMatrix(Vector3f eye, Vector3f centre, Vector3f up);
