#pragma once

// Small vector and matrix types of the 3D layer. Scene coordinates are 32-bit
// floats; matrices follow the row-vector convention: a point p maps to p * M,
// so row 3 holds the translation and A * B applies A first, then B.

#include <cmath>
#include <cstring>

struct Vector3f {
    float x = 0, y = 0, z = 0;
    constexpr Vector3f() = default;
    constexpr Vector3f(float ax, float ay, float az) : x(ax), y(ay), z(az) {}
};

inline Vector3f operator+(Vector3f a, Vector3f b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3f operator-(Vector3f a, Vector3f b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3f operator-(Vector3f a) { return {-a.x, -a.y, -a.z}; }
inline Vector3f operator*(Vector3f a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vector3f operator*(float s, Vector3f a) { return a * s; }
inline float Dot(Vector3f a, Vector3f b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector3f Cross(Vector3f a, Vector3f b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float SquaredLength(Vector3f a) { return Dot(a, a); }
inline float Length(Vector3f a) { return std::sqrt(SquaredLength(a)); }
// A zero vector stays zero.
inline Vector3f Normalized(Vector3f a) {
    const float len = Length(a);
    return len > 0 ? a * (1.0f / len) : a;
}

struct Vector4f {
    float x = 0, y = 0, z = 0, w = 0;
    constexpr Vector4f() = default;
    constexpr Vector4f(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}
    constexpr Vector4f(Vector3f v, float aw) : x(v.x), y(v.y), z(v.z), w(aw) {}
    constexpr Vector3f xyz() const { return {x, y, z}; }
};

struct Matrix4f {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static Matrix4f Identity() { return {}; }
    Vector3f Row3(int r) const { return {m[r][0], m[r][1], m[r][2]}; }
    void SetRow(int r, Vector3f v, float w) {
        m[r][0] = v.x;
        m[r][1] = v.y;
        m[r][2] = v.z;
        m[r][3] = w;
    }
    // Row-major storage, which is exactly the column-major layout OpenGL loads.
    const float* Data() const { return &m[0][0]; }
};

// a then b.
inline Matrix4f operator*(const Matrix4f& a, const Matrix4f& b) {
    Matrix4f r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
    return r;
}

// The same sixteen values bit for bit: what a kept result was computed from
// is still what it would be computed from now.
inline bool SameBits(const Matrix4f& a, const Matrix4f& b) { return std::memcmp(a.m, b.m, sizeof a.m) == 0; }

inline Vector4f Transform(Vector4f p, const Matrix4f& a) {
    return {p.x * a.m[0][0] + p.y * a.m[1][0] + p.z * a.m[2][0] + p.w * a.m[3][0],
            p.x * a.m[0][1] + p.y * a.m[1][1] + p.z * a.m[2][1] + p.w * a.m[3][1],
            p.x * a.m[0][2] + p.y * a.m[1][2] + p.z * a.m[2][2] + p.w * a.m[3][2],
            p.x * a.m[0][3] + p.y * a.m[1][3] + p.z * a.m[2][3] + p.w * a.m[3][3]};
}
inline Vector3f TransformPoint(Vector3f p, const Matrix4f& a) { return Transform(Vector4f(p, 1), a).xyz(); }

// The general inverse (cofactors); a singular matrix gives the identity.
Matrix4f Inverse(const Matrix4f& a);

// Right-handed rotation of v about the unit axis k by angle radians.
inline Vector3f RotateAround(Vector3f v, Vector3f k, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    const Vector3f kv = Cross(k, v);
    const double kd = Dot(k, v) * (1 - c);
    return {float(v.x * c + kv.x * s + k.x * kd), float(v.y * c + kv.y * s + k.y * kd),
            float(v.z * c + kv.z * s + k.z * kd)};
}
