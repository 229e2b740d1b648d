#pragma once

#include "spiral/VectorMath.h"

#include <cstdint>
#include <vector>

// The triangles of one object in its own frame: triangle strips, each vertex
// with its normal. In a strip the triangle starting at vertex i runs
// (i, i + 1, i + 2) for even i and (i + 1, i, i + 2) for odd i, so every
// triangle keeps the strip's orientation; counter-clockwise faces the viewer.
struct TMeshStrip {
    int first = 0;
    int count = 0;
};

class TMesh {
public:
    void BeginStrip() { m_strips.push_back({int(m_vertices.size()), 0}); }
    void Add(Vector3f normal, Vector3f vertex) {
        m_normals.push_back(normal);
        m_vertices.push_back(vertex);
        ++m_strips.back().count;
    }
    void Reserve(std::size_t vertices, std::size_t strips) {
        m_vertices.reserve(vertices);
        m_normals.reserve(vertices);
        m_strips.reserve(strips);
    }
    void Clear() {
        m_vertices.clear();
        m_normals.clear();
        m_strips.clear();
    }
    bool IsEmpty() const { return m_vertices.empty(); }

    const std::vector<Vector3f>& Vertices() const { return m_vertices; }
    const std::vector<Vector3f>& Normals() const { return m_normals; }
    const std::vector<TMeshStrip>& Strips() const { return m_strips; }

    // A sphere that holds every vertex (centre of the bounding box); radius
    // -1 for an empty mesh.
    void BoundingSphere(Vector3f& centre, float& radius) const;

    // Unique per built mesh, so that a drawing cache can tell meshes apart.
    std::uint64_t Id() const { return m_id; }
    void AssignNewId();

private:
    std::vector<Vector3f> m_vertices;
    std::vector<Vector3f> m_normals;
    std::vector<TMeshStrip> m_strips;
    std::uint64_t m_id = 0;
};
