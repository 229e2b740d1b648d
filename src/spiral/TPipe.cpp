#include "spiral/TPipe.h"

#include "spiral/TCubicSpline.h"

#include <cmath>
#include <cstdlib>

void TPipeNodes::Clear() {
    if (m_nodes.empty())
        return;
    m_nodes.clear();
    changed();
}

void TPipeNodes::AddNode(float x, float y, float z) {
    TPipeNode n;
    n.X = x;
    n.Y = y;
    n.Z = z;
    m_nodes.push_back(n);
    changed();
}

void TPipeNodes::SetNode(int i, float x, float y, float z) {
    TPipeNode& n = m_nodes.at(std::size_t(i));
    if (n.X == x && n.Y == y && n.Z == z)
        return;
    n.X = x;
    n.Y = y;
    n.Z = z;
    changed();
}

void TPipeNodes::SetRadiusFactor(int i, float f) {
    TPipeNode& n = m_nodes.at(std::size_t(i));
    if (n.RadiusFactor == f)
        return;
    n.RadiusFactor = f;
    changed();
}

void TPipeNodes::SetColor(int i, Vector4f color) {
    TPipeNode& n = m_nodes.at(std::size_t(i));
    if (n.Color.x == color.x && n.Color.y == color.y && n.Color.z == color.z && n.Color.w == color.w)
        return;
    n.Color = color;
    changed();
}

void TPolygonBase::SetDivision(int v) {
    if (v < 1)
        v = 1;
    if (v == m_division)
        return;
    m_division = v;
    StructureChanged();
}

void TPolygonBase::SetSplineMode(TLineSplineMode v) {
    if (v == m_splineMode)
        return;
    m_splineMode = v;
    StructureChanged();
}

void TPipe::SetRadius(float v) {
    if (v == m_radius)
        return;
    m_radius = v;
    StructureChanged();
}

void TPipe::SetSlices(int v) {
    if (v <= 0 || v == m_slices)
        return;
    m_slices = v;
    StructureChanged();
}

void TPipe::SetParts(unsigned v) {
    if (v == m_parts)
        return;
    m_parts = v;
    StructureChanged();
}

void TPipe::SetNodesColorMode(TPipeNodesColorMode v) {
    if (v == m_colorMode)
        return;
    m_colorMode = v;
    StructureChanged();
}

namespace {

// Cosines and sines of Slices + 1 angles from 0 to 360 degrees, shared by all
// tubes and recomputed only for a different number of slices.
struct TrigTable {
    int slices = -1;
    std::vector<float> cosines, sines;
};

const TrigTable& trigTable(int slices) {
    static TrigTable table;
    if (table.slices != slices) {
        constexpr double kPi = 3.14159265358979323846;
        const double step = (360 + 0.00001) / slices * kPi / 180;
        table.slices = slices;
        table.cosines.resize(std::size_t(slices) + 1);
        table.sines.resize(std::size_t(slices) + 1);
        for (int k = 0; k <= slices; ++k) {
            table.cosines[std::size_t(k)] = float(std::cos(k * step));
            table.sines[std::size_t(k)] = float(std::sin(k * step));
        }
    }
    return table;
}

struct Ring {
    std::vector<Vector3f> normals, vertices; // Slices + 1 entries, the last closing on the first
    std::vector<int> indices;                // in the mesh, once the ring is part of a strip
};

// Puts the ring's vertices into the mesh (once).
void addRing(TMesh& mesh, Ring& ring) {
    if (!ring.indices.empty())
        return;
    ring.indices.resize(ring.vertices.size());
    for (std::size_t k = 0; k < ring.vertices.size(); ++k)
        ring.indices[k] = mesh.AddVertex(ring.normals[k], ring.vertices[k]);
}

// Ring around centre c, perpendicular to axis a, of radius Radius * f.
void buildRing(Ring& ring, Vector3f c, Vector3f a, float f, float radius, const TrigTable& trig) {
    Vector3f vx = Cross(Vector3f(0, 0, 1), a), vy;
    if (SquaredLength(vx) < 1e-7f) {
        if (SquaredLength(a) < 1e-7f) {
            vx = {1, 0, 0};
            vy = {0, 0, 1};
        } else {
            vx = Normalized(Cross(Vector3f(1, 0, 0), a));
            vy = Cross(a, vx);
        }
    } else {
        vx = Normalized(vx);
        vy = Cross(a, vx);
    }
    vy = Normalized(vy);
    vx = vx * radius;
    vy = vy * radius;
    const std::size_t n = trig.cosines.size();
    ring.indices.clear();
    ring.normals.resize(n);
    ring.vertices.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        const Vector3f normal = vx * trig.cosines[k] + vy * trig.sines[k];
        ring.normals[k] = normal;
        ring.vertices[k] = c + normal * f;
    }
}

int sign(float v) { return (v > 0) - (v < 0); }

// Joins the previous ring p to the new ring n with one strip of the outer
// surface, first turning p when the two rings are twisted against each other.
void joinRings(TMesh& mesh, Ring& p, Ring& n, int slices) {
    int counters[6] = {1, 1, 1, 1, 1, 1};
    for (int k = 0; k <= slices; ++k) {
        const Vector3f& pn = p.normals[std::size_t(k)];
        const Vector3f& nn = n.normals[std::size_t(k)];
        const Vector3f& pv = p.vertices[std::size_t(k)];
        const Vector3f& nv = n.vertices[std::size_t(k)];
        counters[0] += sign(pn.x) != sign(nn.x);
        counters[1] += sign(pn.y) != sign(nn.y);
        counters[2] += sign(pn.z) != sign(nn.z);
        counters[3] += sign(pv.x) != sign(nv.x);
        counters[4] += sign(pv.y) != sign(nv.y);
        counters[5] += sign(pv.z) != sign(nv.z);
    }
    const int a = counters[0] * counters[1] * counters[2];
    const int b = counters[3] * counters[4] * counters[5];
    const int h = slices / 2;
    addRing(mesh, p);
    addRing(mesh, n);
    // P's vertices in strip order: turned by the best offset when twisted.
    std::vector<int> pOrder(p.indices);
    if (a > h * h || b > h * h) {
        int bestOffset = 0;
        float bestSum = 0;
        for (int o = 0; o < slices; ++o) {
            float sum = 0;
            for (int j = 0; j < slices; ++j) {
                const Vector3f& pv = p.vertices[std::size_t((o + j) % slices)];
                const Vector3f& nv = n.vertices[std::size_t(j)];
                sum += std::fabs(pv.x - nv.x) + std::fabs(pv.y - nv.y) + std::fabs(pv.z - nv.z);
            }
            if (o == 0 || sum < bestSum) {
                bestSum = sum;
                bestOffset = o;
            }
        }
        if (bestOffset != 0) {
            for (int j = 0; j < slices; ++j)
                pOrder[std::size_t(j)] = p.indices[std::size_t((j + bestOffset) % slices)];
            pOrder[std::size_t(slices)] = pOrder[0];
        }
    }
    mesh.BeginStrip();
    for (int k = 0; k <= slices; ++k) {
        mesh.AddIndex(n.indices[std::size_t(k)]);
        mesh.AddIndex(pOrder[std::size_t(k)]);
    }
}

// The curve of the lines mode: straight segments between the nodes.
struct LinearPath {
    const TPipeNodes& nodes;
    int segment(double t) const {
        const int n = nodes.Count();
        int i = t <= 0 ? 0 : int(t);
        return i >= n - 1 ? n - 2 : i;
    }
    Vector3f point(double t) const {
        const int i = segment(t);
        const double u = t - i;
        const TPipeNode &a = nodes[i], &b = nodes[i + 1];
        return {float(a.X + (b.X - a.X) * u), float(a.Y + (b.Y - a.Y) * u), float(a.Z + (b.Z - a.Z) * u)};
    }
    Vector3f slope(double t) const {
        const int i = segment(t);
        const TPipeNode &a = nodes[i], &b = nodes[i + 1];
        return {b.X - a.X, b.Y - a.Y, b.Z - a.Z};
    }
    float factor(double t) const {
        const int i = segment(t);
        const double u = t - i;
        return float(nodes[i].RadiusFactor + (nodes[i + 1].RadiusFactor - nodes[i].RadiusFactor) * u);
    }
};

} // namespace

void TPipe::BuildGeometry(TMesh& mesh) const {
    const TPipeNodes& nodes = Nodes();
    const int count = nodes.Count();
    if (count == 0 || m_slices <= 0)
        return;
    const TrigTable& trig = trigTable(m_slices);
    const bool outside = (m_parts & ppOutside) != 0;
    const int division = Division();
    const int steps = (count - 1) * division;
    mesh.Reserve(std::size_t(steps + 1) * std::size_t(m_slices + 1), std::size_t(steps) * std::size_t(2 * (m_slices + 1)),
                 std::size_t(steps));

    std::vector<std::vector<double>> xyz(3), factors(1);
    for (int i = 0; i < count; ++i) {
        xyz[0].push_back(nodes[i].X);
        xyz[1].push_back(nodes[i].Y);
        xyz[2].push_back(nodes[i].Z);
        factors[0].push_back(nodes[i].RadiusFactor);
    }
    const bool spline = SplineMode() == lsmCubicSpline;
    const TCubicSpline path(spline ? xyz : std::vector<std::vector<double>>{});
    const TCubicSpline radii(spline ? factors : std::vector<std::vector<double>>{});
    const LinearPath lines{nodes};

    Ring prev, next;
    const Vector3f start(nodes[0].X, nodes[0].Y, nodes[0].Z);
    const Vector3f startAxis = count < 2 ? Vector3f() : spline ? path.SlopeAt(0) : lines.slope(0);
    buildRing(prev, start, startAxis, nodes[0].RadiusFactor, m_radius, trig);
    if (count < 2)
        return;
    const float inv = 1.0f / float(division);
    for (int b = 1; b <= steps; ++b) {
        const float t = float(b) * inv;
        const Vector3f c = spline ? path.PointAt(t) : lines.point(t);
        const Vector3f a = Normalized(spline ? path.SlopeAt(t) : lines.slope(t));
        const float f = spline ? radii.ValueAt(t) : lines.factor(t);
        buildRing(next, c, a, f, m_radius, trig);
        if (outside)
            joinRings(mesh, prev, next, m_slices);
        std::swap(prev, next);
    }
}
