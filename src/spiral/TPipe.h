#pragma once

#include "spiral/TBaseSceneObject.h"

#include <vector>

enum TLineSplineMode { lsmLines, lsmCubicSpline };

// Parts of a tube that are drawn (bits of a set).
enum TPipePart : unsigned { ppOutside = 1, ppInside = 2, ppStartDisk = 4, ppStopDisk = 8 };

enum TPipeNodesColorMode { pncmNone, pncmEmission, pncmAmbient, pncmDiffuse, pncmAmbientAndDiffuse };

struct TPipeNode {
    float X = 0, Y = 0, Z = 0;
    float RadiusFactor = 1;
    Vector4f Color{0, 0, 0, 1};
};

// The ordered nodes of a tube; every change marks the owner's mesh for rebuilding.
class TPipeNodes {
public:
    explicit TPipeNodes(TBaseSceneObject* owner) : m_owner(owner) {}
    TPipeNodes(const TPipeNodes&) = delete;
    TPipeNodes& operator=(const TPipeNodes&) = delete;

    int Count() const { return int(m_nodes.size()); }
    const TPipeNode& operator[](int i) const { return m_nodes[std::size_t(i)]; }
    const TPipeNode& Items(int i) const { return (*this)[i]; }
    void Clear();
    // A node at the end, RadiusFactor 1.
    void AddNode(float x, float y, float z);
    void SetNode(int i, float x, float y, float z);
    void SetRadiusFactor(int i, float f);
    void SetColor(int i, Vector4f color);

private:
    void changed() { m_owner->StructureChanged(); }
    TBaseSceneObject* m_owner;
    std::vector<TPipeNode> m_nodes;
};

// Base of the shapes built on a node list.
class TPolygonBase : public TSceneObject {
public:
    explicit TPolygonBase(TBaseSceneObject* owner = nullptr) : TSceneObject(owner) {}

    TPipeNodes& Nodes() { return m_nodes; }
    const TPipeNodes& Nodes() const { return m_nodes; }
    void AppendNode(float x, float y, float z) { m_nodes.AddNode(x, y, z); }
    // Spline steps between two nodes; a value below 1 is stored as 1.
    int Division() const { return m_division; }
    void SetDivision(int v);
    TLineSplineMode SplineMode() const { return m_splineMode; }
    void SetSplineMode(TLineSplineMode v);

private:
    TPipeNodes m_nodes{this};
    int m_division = 10;
    TLineSplineMode m_splineMode = lsmLines;
};

// A tube along a smooth curve through its nodes: rings of Slices sides
// joined by triangle strips that face outwards.
class TPipe : public TPolygonBase {
public:
    explicit TPipe(TBaseSceneObject* owner = nullptr) : TPolygonBase(owner) {}

    float Radius() const { return m_radius; }
    void SetRadius(float v);
    // Sides of the cross-section; values of 0 or less are ignored.
    int Slices() const { return m_slices; }
    void SetSlices(int v);
    unsigned Parts() const { return m_parts; }
    void SetParts(unsigned v);
    TPipeNodesColorMode NodesColorMode() const { return m_colorMode; }
    void SetNodesColorMode(TPipeNodesColorMode v);

    void BuildGeometry(TMesh& mesh) const override;

private:
    float m_radius = 1;
    int m_slices = 16;
    unsigned m_parts = ppOutside;
    TPipeNodesColorMode m_colorMode = pncmNone;
};
