#include "spiral/StandIns.h"

#include "spiral/TMaterial.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool sameColour(const TSceneColor& a, const TSceneColor& b) {
    const Vector4f x = a.AsVector(), y = b.AsVector();
    return std::memcmp(&x, &y, sizeof x) == 0;
}

// Materials that set the same OpenGL state.
bool sameLook(const TMaterial& a, const TMaterial& b) {
    const TFaceProperties &f = a.FrontProperties(), &g = b.FrontProperties();
    return a.BlendingMode() == b.BlendingMode() && f.Shininess() == g.Shininess() &&
           sameColour(f.Ambient(), g.Ambient()) && sameColour(f.Diffuse(), g.Diffuse()) &&
           sameColour(f.Specular(), g.Specular()) && sameColour(f.Emission(), g.Emission());
}

// The radius of the disc whose regular polygon of kStandInSides sides covers
// the area of the circle.
const float kRingScale = float(std::sqrt(2 * 3.14159265358979 / (kStandInSides * std::sin(2 * 3.14159265358979 / kStandInSides))));

} // namespace

void TStandIns::addStandIn(const Candidate& c) {
    TBaseSceneObject* object = c.object;
    const TMaterial& material = static_cast<TCustomSceneObject*>(object)->Material();
    Group* group = nullptr;
    for (Group& g : m_groups)
        if (g.material == &material || sameLook(*g.material, material)) {
            group = &g;
            break;
        }
    if (!group) {
        m_groups.push_back({&material, object, {}});
        group = &m_groups.back();
    }
    // Towards the eye, and two directions across the line of sight with
    // u x v = e, so that the triangles turn counterclockwise on screen.
    const Vector3f e = Normalized(-c.centre);
    Vector3f u = Cross(Vector3f(0, 1, 0), e);
    u = SquaredLength(u) < 1e-8f ? Vector3f(1, 0, 0) : Normalized(u);
    const Vector3f v = Cross(e, u);
    // The top, a ring on the sphere at kMiddle of the radius across the line
    // of sight (its normals those of the sphere there), and the rim.
    constexpr float kMiddle = 0.7f;
    const float lift = std::sqrt(1 - kMiddle * kMiddle);
    const TStandInVertex top{c.centre + e * c.radius, e};
    TStandInVertex middle[kStandInSides + 1], rim[kStandInSides + 1];
    for (int i = 0; i <= kStandInSides; ++i) {
        const double a = 2 * 3.14159265358979 * (i % kStandInSides) / kStandInSides;
        const Vector3f d = u * float(std::cos(a)) + v * float(std::sin(a));
        const Vector3f n = d * kMiddle + e * lift;
        middle[i] = {c.centre + n * c.radius, n};
        rim[i] = {c.centre + d * (c.radius * kRingScale), d};
    }
    std::vector<TStandInVertex>& out = group->vertices;
    for (int i = 0; i < kStandInSides; ++i) {
        out.insert(out.end(), {top, middle[i], middle[i + 1]});
        out.insert(out.end(), {middle[i], rim[i], rim[i + 1]});
        out.insert(out.end(), {middle[i], rim[i + 1], middle[i + 1]});
    }
    ++m_drawn;
}

void TStandIns::Begin(const Matrix4f& view, const Matrix4f& projection, int width, int height) {
    m_groups.clear();
    m_candidates.clear();
    m_taken = m_drawn = m_spheres = 0;
    m_view = view;
    m_width = width;
    m_height = height;
    m_cellOwner.assign(std::size_t(width) * std::size_t(height), -1);
    // The near and far planes of the projection (row vectors: rows 2 and 3
    // of a frustum hold its depth terms); a stand-in lies wholly between them.
    const float a = projection.m[2][2], b = projection.m[3][2];
    m_perspective = projection.m[2][3] == -1 && projection.m[3][3] == 0;
    m_near = m_perspective ? b / (a - 1) : 0;
    m_far = m_perspective ? b / (a + 1) : 0;
    m_xScale = projection.m[0][0] * width / 2;
    m_yScale = projection.m[1][1] * height / 2;
}

bool TStandIns::Take(TBaseSceneObject* o, const Matrix4f& w) {
    const float r = o->WholeSphereRadius();
    if (!m_perspective || r <= 0 || o->Count() != 0 || o->IsBlended())
        return false;
    ++m_spheres;
    // Same scale on every axis, or the sphere is not round.
    const float sx = Length(w.Row3(0)), sy = Length(w.Row3(1)), sz = Length(w.Row3(2));
    if (std::fabs(sx - sy) > 1e-4f * sx || std::fabs(sx - sz) > 1e-4f * sx)
        return false;
    Candidate c;
    c.object = o;
    c.centre = TransformPoint(w.Row3(3), m_view);
    c.radius = r * sx;
    c.distance = -c.centre.z;
    if (c.distance - c.radius <= m_near * 1.01f || c.distance + c.radius >= m_far * 0.99f)
        return false; // near a clipping plane: drawn as it is
    const float pixels = c.radius * m_yScale / c.distance;
    if (pixels > kStandInMaxPixels)
        return false;
    ++m_taken;
    const float x = c.centre.x * m_xScale / c.distance + m_width / 2.0f;
    const float y = c.centre.y * m_yScale / c.distance + m_height / 2.0f;
    if (x >= 0 && y >= 0 && x < m_width && y < m_height) {
        // The nearest of a pixel; on a tie the first, as the depth test "less" does.
        std::int32_t& owner = m_cellOwner[std::size_t(y) * std::size_t(m_width) + std::size_t(x)];
        if (owner < 0) {
            owner = std::int32_t(m_candidates.size());
            m_candidates.push_back(c);
        } else if (c.distance < m_candidates[std::size_t(owner)].distance) {
            m_candidates[std::size_t(owner)] = c;
        }
        return true;
    }
    // Centred outside the window: drawn when it can reach it, else left out.
    const float reach = 2 * pixels + 2;
    if (x >= -reach && y >= -reach && x <= m_width + reach && y <= m_height + reach)
        m_candidates.push_back(c);
    return true;
}

bool TStandIns::Finish(std::size_t threshold) {
    if (m_spheres < threshold) {
        m_candidates.clear();
        m_taken = 0;
        return false;
    }
    for (const Candidate& c : m_candidates)
        addStandIn(c);
    m_candidates.clear();
    return true;
}

void TStandIns::Build(std::vector<TDrawItem>& items, const Matrix4f& view, const Matrix4f& projection, int width,
                      int height, std::size_t threshold) {
    Begin(view, projection, width, height);
    std::vector<TDrawItem> left;
    for (const TDrawItem& item : items)
        if (!Take(item.object, item.world))
            left.push_back(item);
    if (Finish(threshold))
        items.swap(left);
}
