#include "spiral/TSphere.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>
#include <vector>

void TSphere::SetTop(float v) { set(m_top, std::clamp(v, -90.0f, 90.0f)); }
void TSphere::SetBottom(float v) { set(m_bottom, std::clamp(v, -90.0f, 90.0f)); }

Vector3f TSphere::HalfExtents() const {
    const float r = std::fabs(m_radius);
    return {Scale().X() * r, Scale().Y() * r, Scale().Z() * r};
}

bool TSphere::LocalBoundingSphere(Vector3f& centre, float& radius) {
    centre = {};
    radius = std::fabs(m_radius);
    return true;
}

bool TSphere::GeometryKey(TGeometryKey& key) const {
    // A derived class may emit something else from more values.
    if (typeid(*this) != typeid(TSphere))
        return false;
    return key.Add(m_radius) && key.Add(std::uint32_t(m_slices)) && key.Add(std::uint32_t(m_stacks)) &&
           key.Add(m_top) && key.Add(m_bottom) && key.Add(m_start) && key.Add(m_stop) &&
           key.Add(std::uint32_t(m_topCap)) && key.Add(std::uint32_t(m_bottomCap));
}

float TSphere::WholeSphereRadius() const {
    const bool whole = m_radius > 0 && m_top == 90 && m_bottom == -90 && m_start == 0 && m_stop == 360 &&
                       m_slices >= 3 && m_stacks >= 2 && typeid(*this) == typeid(TSphere);
    return whole ? m_radius : -1;
}

void TSphere::BuildGeometry(TMesh& mesh) const {
    constexpr double kDeg = 3.14159265358979323846 / 180;
    const double stepH = (double(m_stop) - m_start) / m_slices * kDeg;
    const double stepV = (double(m_top) - m_bottom) / m_stacks * kDeg;
    const double top = m_top * kDeg, start = m_start * kDeg;
    // Sines and cosines of every longitude and latitude, computed once.
    // Scratch tables, reused from call to call (meshes are built on one thread at a time per thread).
    static thread_local std::vector<float> sinT, cosT, sinP, cosP;
    sinT.resize(std::size_t(m_slices) + 1);
    cosT.resize(std::size_t(m_slices) + 1);
    for (int i = 0; i <= m_slices; ++i) {
        sinT[std::size_t(i)] = float(std::sin(start + i * stepH));
        cosT[std::size_t(i)] = float(std::cos(start + i * stepH));
    }
    sinP.resize(std::size_t(m_stacks) + 1);
    cosP.resize(std::size_t(m_stacks) + 1);
    for (int j = 0; j <= m_stacks; ++j) {
        sinP[std::size_t(j)] = float(std::sin(top - j * stepV));
        cosP[std::size_t(j)] = float(std::cos(top - j * stepV));
    }
    // The frame is scaled by Radius: vertices are the unit points times Radius,
    // normals the unit points (turned inwards for a negative radius).
    const float r = m_radius;
    const float ns = m_radius < 0 ? -1.0f : 1.0f;
    const int columns = m_slices + 1;
    mesh.Reserve(std::size_t(m_stacks + 1) * std::size_t(columns), std::size_t(m_stacks) * std::size_t(2 * columns),
                 std::size_t(m_stacks));
    // The grid of points, latitude row by row, then one strip per band.
    const int base = int(mesh.Vertices().size());
    for (int j = 0; j <= m_stacks; ++j) {
        const float c = cosP[std::size_t(j)], s = sinP[std::size_t(j)];
        for (int i = 0; i <= m_slices; ++i) {
            const Vector3f v(c * sinT[std::size_t(i)], s, c * cosT[std::size_t(i)]);
            mesh.AddVertex(v * ns, v * r);
        }
    }
    for (int j = 0; j < m_stacks; ++j) {
        mesh.BeginStrip();
        for (int i = 0; i <= m_slices; ++i) {
            mesh.AddIndex(base + j * columns + i);
            mesh.AddIndex(base + (j + 1) * columns + i);
        }
    }
}
