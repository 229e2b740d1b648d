#include "spiral/TMesh.h"

#include <algorithm>
#include <cstring>

namespace {

template <class T> bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

} // namespace

bool TMesh::SameContent(const TMesh& other) const {
    return sameBits(m_vertices, other.m_vertices) && sameBits(m_normals, other.m_normals) &&
           sameBits(m_indices, other.m_indices) && sameBits(m_strips, other.m_strips);
}

void TMesh::BoundingSphere(Vector3f& centre, float& radius) const {
    if (m_vertices.empty()) {
        centre = {};
        radius = -1;
        return;
    }
    Vector3f lo = m_vertices.front(), hi = lo;
    for (const Vector3f& v : m_vertices) {
        lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
        hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
    }
    centre = (lo + hi) * 0.5f;
    float r2 = 0;
    for (const Vector3f& v : m_vertices)
        r2 = std::max(r2, SquaredLength(v - centre));
    // A hair of slack against rounding in the caller's transforms.
    radius = std::sqrt(r2) * 1.0001f + 1e-6f;
}

int TMesh::TriangleCount() const { return int(m_corners.size() / 3); }

void TMesh::AssignNewId() {
    // The user-interface thread builds every mesh; a plain counter suffices.
    static std::uint64_t next = 0;
    m_id = ++next;
}
