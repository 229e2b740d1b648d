#pragma once

#include "spiral/VectorMath.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <typeinfo>
#include <vector>

// The triangles of one object in its own frame, as triangle strips over a
// shared array of vertices, each vertex with its normal (an indexed form of
// the strips: a vertex used by two strips is stored once). In a strip the
// triangle starting at position i runs (i, i + 1, i + 2) for even i and
// (i + 1, i, i + 2) for odd i, so that every triangle keeps the strip's
// orientation; counter-clockwise faces the viewer.
struct TMeshStrip {
    int first = 0; // into Indices()
    int count = 0;
};

class TMesh {
public:
    // Adds a vertex with its normal; returns its index.
    int AddVertex(Vector3f normal, Vector3f vertex) {
        m_normals.push_back(normal);
        m_vertices.push_back(vertex);
        return int(m_vertices.size()) - 1;
    }
    void BeginStrip() { m_strips.push_back({int(m_indices.size()), 0}); }
    void AddIndex(int vertexIndex) {
        m_indices.push_back(vertexIndex);
        TMeshStrip& s = m_strips.back();
        if (++s.count >= 3) {
            // The triangle starting at position i of the strip, in strip order.
            const int i = s.count - 3;
            const int* p = m_indices.data() + s.first + i;
            m_corners.push_back(p[i & 1]);
            m_corners.push_back(p[1 - (i & 1)]);
            m_corners.push_back(p[2]);
        }
    }
    // A new vertex appended to the current strip.
    void Add(Vector3f normal, Vector3f vertex) { AddIndex(AddVertex(normal, vertex)); }

    void Reserve(std::size_t vertices, std::size_t indices, std::size_t strips) {
        m_vertices.reserve(vertices);
        m_normals.reserve(vertices);
        m_indices.reserve(indices);
        m_strips.reserve(strips);
        m_corners.reserve(indices > 2 * strips ? 3 * (indices - 2 * strips) : 0);
    }
    void Clear() {
        m_vertices.clear();
        m_normals.clear();
        m_indices.clear();
        m_strips.clear();
        m_corners.clear();
    }
    bool IsEmpty() const { return m_indices.empty(); }

    const std::vector<Vector3f>& Vertices() const { return m_vertices; }
    const std::vector<Vector3f>& Normals() const { return m_normals; }
    const std::vector<int>& Indices() const { return m_indices; }
    const std::vector<TMeshStrip>& Strips() const { return m_strips; }
    // The vertices of every triangle of the strips, three per triangle, the
    // strips' triangles one after the other in order: triangle t of the mesh
    // is Corners()[3t .. 3t + 2], in the orientation the strip gives it.
    const std::vector<int>& Corners() const { return m_corners; }
    // Vertex and normal at position k of strip s.
    Vector3f StripVertex(int s, int k) const { return m_vertices[index(s, k)]; }
    Vector3f StripNormal(int s, int k) const { return m_normals[index(s, k)]; }
    int TriangleCount() const;

    // A sphere that holds every vertex (centre of the bounding box); radius
    // -1 for an empty mesh.
    void BoundingSphere(Vector3f& centre, float& radius) const;

    // Same vertices, normals and strips, bit for bit.
    bool SameContent(const TMesh& other) const;

    // Unique per built mesh, so that a drawing cache can tell meshes apart.
    std::uint64_t Id() const { return m_id; }
    void AssignNewId();

private:
    std::size_t index(int s, int k) const {
        return std::size_t(m_indices[std::size_t(m_strips[std::size_t(s)].first + k)]);
    }
    std::vector<Vector3f> m_vertices;
    std::vector<Vector3f> m_normals;
    std::vector<int> m_indices;
    std::vector<TMeshStrip> m_strips;
    std::vector<int> m_corners;
    std::uint64_t m_id = 0;
};

// The values a class's BuildGeometry reads, as raw bits, for the objects that
// can tell them cheaply (see TBaseSceneObject::GeometryKey): two objects of
// the same class with equal keys emit the same mesh.
struct TGeometryKey {
    const std::type_info* type = nullptr;
    std::array<std::uint32_t, 15> words{};
    int count = 0;

    // False when the key is full (the object then has no key).
    bool Add(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return Add(bits);
    }
    bool Add(std::uint32_t v) {
        if (count >= int(words.size()))
            return false;
        words[std::size_t(count++)] = v;
        return true;
    }
    bool operator==(const TGeometryKey& o) const {
        return type && o.type && *type == *o.type && count == o.count &&
               std::memcmp(words.data(), o.words.data(), std::size_t(count) * sizeof(std::uint32_t)) == 0;
    }
    bool operator!=(const TGeometryKey& o) const { return !(*this == o); }
};
