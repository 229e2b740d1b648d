#include "spiral/TCamera.h"

#include <algorithm>
#include <cmath>

TCamera::~TCamera() {
    if (m_target)
        m_target->RemoveFreeNotification(this);
}

void TCamera::SetDepthOfView(float v) {
    if (v == m_depthOfView)
        return;
    m_depthOfView = v;
    NotifyChange();
}

void TCamera::SetFocalLength(float v) {
    if (v <= 0)
        v = 1;
    if (v == m_focalLength)
        return;
    m_focalLength = v;
    NotifyChange();
}

void TCamera::SetSceneScale(float v) {
    if (v == m_sceneScale || v == 0)
        return;
    m_sceneScale = v;
    NotifyChange();
}

void TCamera::SetTargetObject(TBaseSceneObject* target) {
    if (target == m_target)
        return;
    if (m_target)
        m_target->RemoveFreeNotification(this);
    m_target = target;
    if (m_target)
        m_target->AddFreeNotification(this);
    NotifyChange();
}

void TCamera::FreeNotification(TBaseSceneObject* freed) {
    if (freed == m_target)
        m_target = nullptr;
}

TFrustum TCamera::Frustum(int width, int height) const {
    const double w = std::max(width, 1), h = std::max(height, 1);
    const double m = std::max(w, h);
    TFrustum f;
    f.znear = m_focalLength * 2 * Resolution / (25.4 * m);
    f.zfar = f.znear + m_depthOfView;
    f.right = w / (2 * m) / m_sceneScale;
    f.left = -f.right;
    f.top = h / (2 * m) / m_sceneScale;
    f.bottom = -f.top;
    return f;
}

Matrix4f TCamera::ProjectionMatrix(int width, int height) const { return FrustumMatrix(Frustum(width, height)); }

Matrix4f FrustumMatrix(const TFrustum& f) {
    const double n = f.znear, fa = f.zfar;
    Matrix4f m;
    m.m[0][0] = float(2 * n / (f.right - f.left));
    m.m[1][1] = float(2 * n / (f.top - f.bottom));
    m.m[2][0] = float((f.right + f.left) / (f.right - f.left));
    m.m[2][1] = float((f.top + f.bottom) / (f.top - f.bottom));
    m.m[2][2] = float(-(fa + n) / (fa - n));
    m.m[2][3] = -1;
    m.m[3][2] = float(-2 * fa * n / (fa - n));
    m.m[3][3] = 0;
    return m;
}

Matrix4f LookAtMatrix(Vector3f eye, Vector3f centre, Vector3f up) {
    const Vector3f f = Normalized(centre - eye);
    const Vector3f s = Normalized(Cross(f, up));
    const Vector3f u = Cross(s, f);
    Matrix4f m;
    m.m[0][0] = s.x;
    m.m[1][0] = s.y;
    m.m[2][0] = s.z;
    m.m[0][1] = u.x;
    m.m[1][1] = u.y;
    m.m[2][1] = u.z;
    m.m[0][2] = -f.x;
    m.m[1][2] = -f.y;
    m.m[2][2] = -f.z;
    m.m[3][0] = -Dot(eye, s);
    m.m[3][1] = -Dot(eye, u);
    m.m[3][2] = Dot(eye, f);
    return m;
}

Matrix4f TCamera::ViewMatrix() const {
    const Matrix4f world = WorldMatrix();
    const Vector3f eye = world.Row3(3);
    if (m_target)
        return LookAtMatrix(eye, m_target->WorldPosition(), Up().AsVector());
    // Direction and Up are vectors: only the parent's rotation and scale apply.
    Matrix4f parent = Parent() ? Parent()->WorldMatrix() : Matrix4f();
    const Vector3f dir = Transform(Direction().AsVector4(), parent).xyz();
    const Vector3f up = Transform(Up().AsVector4(), parent).xyz();
    return LookAtMatrix(eye, eye + dir, up);
}

void TCamera::OrbitTarget(float pitchDelta, float turnDelta) {
    if (!m_target)
        return;
    constexpr double kPi = 3.14159265358979323846;
    const Vector3f t = m_target->WorldPosition();
    const Matrix4f world = WorldMatrix();
    const Vector3f c = world.Row3(3);
    const Vector3f v = c - t;
    const float dist = Length(v);
    if (dist <= 0)
        return; // On the target itself: no sphere to move on.
    const Vector3f n = v * (1.0f / dist);
    // The up axis as a unit vector, so that the camera stays at its distance
    // even if the stored Up is not exactly of length 1.
    const Vector3f u = Normalized(world.Row3(1));
    Vector3f right = Cross(u, n);
    if (Length(right) < 0.001f)
        right = {1, 0, 0};
    else
        right = Normalized(right);
    double pitch = std::acos(std::clamp(double(Dot(u, n)), -1.0, 1.0)) + pitchDelta * kPi / 180;
    pitch = std::clamp(pitch, 0.025, kPi - 0.025);
    Vector3f np = RotateAround(u, right, pitch);
    np = RotateAround(np, u, turnDelta * kPi / 180);
    const Vector3f newWorld = c + (np * dist - v);
    const Vector3f local = Parent() ? Parent()->AbsoluteToLocal(newWorld) : newWorld;
    Position().SetX(local.x);
    Position().SetY(local.y);
    Position().SetZ(local.z);
}
