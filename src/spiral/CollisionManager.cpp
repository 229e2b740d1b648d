#include "spiral/CollisionManager.h"

#include "spiral/TBaseSceneObject.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Above this share of moved objects the pairs are all found again.
constexpr std::size_t kMaxMovedForUpdate = 32;

// d² as a 32-bit float.
float squaredDistance(Vector3f p1, Vector3f p2) {
    const float dx = p2.x - p1.x, dy = p2.y - p1.y, dz = p2.z - p1.z;
    return dx * dx + dy * dy + dz * dz;
}

// |d| / h on one axis, squared; a zero semi-axis only holds a zero offset.
float axisRatio2(float d, float h) {
    if (h <= 0)
        return d == 0 ? 0.0f : INFINITY;
    const float q = d / h;
    return q * q;
}

Vector3f absolute(Vector3f v) { return {std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}; }

// Offset inside an ellipsoid of semi-axes h (world axes).
bool insideEllipsoid(Vector3f d, Vector3f h) {
    return axisRatio2(d.x, h.x) + axisRatio2(d.y, h.y) + axisRatio2(d.z, h.z) <= 1.0f;
}

// Offset inside a box of half sizes h (world axes).
bool insideBox(Vector3f d, Vector3f h) {
    return std::fabs(d.x) <= h.x && std::fabs(d.y) <= h.y && std::fabs(d.z) <= h.z;
}

// Squared distance from an offset to a box of half sizes h.
float squaredDistanceToBox(Vector3f d, Vector3f h) {
    const float ex = std::max(std::fabs(d.x) - h.x, 0.0f);
    const float ey = std::max(std::fabs(d.y) - h.y, 0.0f);
    const float ez = std::max(std::fabs(d.z) - h.z, 0.0f);
    return ex * ex + ey * ey + ez * ez;
}

} // namespace

float BoundingRadius(const TBaseSceneObject& object) {
    const Vector3f h = object.HalfExtents();
    return std::max(h.x, std::max(h.y, h.z));
}

// ---- TCollisionBehaviour ----

TCollisionBehaviour::~TCollisionBehaviour() { SetManager(nullptr); }

void TCollisionBehaviour::SetManager(TCollisionManager* manager) {
    if (manager == m_manager)
        return;
    if (m_manager)
        m_manager->remove(this);
    m_manager = manager;
    if (m_manager)
        m_manager->add(this);
}

void TCollisionBehaviour::SetBoundingMode(TCollisionBoundingMode mode) {
    m_boundingMode = mode;
    if (m_manager)
        m_manager->m_queryValid = false;
}

void TCollisionBehaviour::SetGroupIndex(std::int32_t group) {
    m_groupIndex = group;
    if (m_manager)
        m_manager->m_queryValid = false;
}

std::unique_ptr<TBehaviour> TCollisionBehaviour::Clone() const {
    auto copy = std::make_unique<TCollisionBehaviour>();
    copy->SetManager(m_manager);
    copy->SetBoundingMode(m_boundingMode);
    return copy;
}

// ---- TCollisionManager ----

TCollisionManager::~TCollisionManager() {
    for (TCollisionBehaviour* b : m_items)
        if (b)
            b->m_manager = nullptr;
}

void TCollisionManager::add(TCollisionBehaviour* b) {
    b->m_slot = m_items.size();
    m_items.push_back(b);
    m_pairsValid = false;
    m_queryValid = false;
}

void TCollisionManager::remove(TCollisionBehaviour* b) {
    // A null slot keeps the indices of a check in progress valid; freeing many
    // behaviours one after the other stays linear.
    if (b->m_slot < m_items.size() && m_items[b->m_slot] == b) {
        m_items[b->m_slot] = nullptr;
        ++m_holes;
        if (m_checking && b->m_slot < m_reportOwners.size())
            m_reportOwners[b->m_slot] = nullptr;
    }
    m_pairsValid = false;
    m_queryValid = false;
    if (!m_checking && m_holes > m_items.size() / 2)
        compact();
}

void TCollisionManager::compact() const {
    if (m_holes == 0 || m_checking)
        return;
    std::size_t n = 0;
    for (TCollisionBehaviour* b : m_items)
        if (b) {
            b->m_slot = n;
            m_items[n++] = b;
        }
    m_items.resize(n);
    m_holes = 0;
}

int TCollisionManager::Count() const { return int(m_items.size() - m_holes); }

TCollisionBehaviour* TCollisionManager::Items(int i) const {
    compact();
    if (m_holes == 0)
        return m_items.at(std::size_t(i));
    // During a check: skip the null slots.
    for (TCollisionBehaviour* b : m_items)
        if (b && i-- == 0)
            return b;
    return nullptr;
}

bool TCollisionManager::TShape::operator==(const TShape& o) const {
    return owner == o.owner && mode == o.mode && group == o.group && position.x == o.position.x &&
           position.y == o.position.y && position.z == o.position.z && halfExtents.x == o.halfExtents.x &&
           halfExtents.y == o.halfExtents.y && halfExtents.z == o.halfExtents.z;
}

bool TCollisionManager::mayTest(const TShape& a, const TShape& b) {
    if (!a.owner || !b.owner)
        return false;
    return !(a.group != 0 && a.group == b.group);
}

bool TCollisionManager::touches(const TShape& a, const TShape& b) {
    const float d2 = squaredDistance(a.position, b.position);
    const TCollisionBoundingMode ma = a.mode == cbmFaces ? cbmCube : a.mode;
    const TCollisionBoundingMode mb = b.mode == cbmFaces ? cbmCube : b.mode;
    if (ma == cbmPoint && mb == cbmPoint)
        return d2 <= 0.000001f;
    if (ma == cbmPoint && mb == cbmSphere)
        return b.radius * b.radius >= d2;
    if (ma == cbmSphere && mb == cbmPoint)
        return a.radius * a.radius >= d2;
    if (ma == cbmSphere && mb == cbmSphere) {
        const float r = a.radius + b.radius;
        return r * r >= d2;
    }
    // The shapes no object of the program uses, along the world axes.
    const Vector3f d = b.position - a.position;
    const Vector3f ha = absolute(a.halfExtents), hb = absolute(b.halfExtents);
    auto sphereRadius = [](const TShape& s) { return std::fabs(s.radius); };
    auto grow = [](Vector3f h, float r) { return Vector3f(h.x + r, h.y + r, h.z + r); };
    if (ma == cbmCube || mb == cbmCube) {
        const bool aCube = ma == cbmCube;
        const TCollisionBoundingMode other = aCube ? mb : ma;
        const Vector3f hCube = aCube ? ha : hb;
        switch (other) {
        case cbmPoint:
            return insideBox(d, hCube);
        case cbmSphere: {
            const float r = sphereRadius(aCube ? b : a);
            return squaredDistanceToBox(d, hCube) <= r * r;
        }
        default: // cube or ellipsoid (seen as its box)
            return insideBox(d, ha + hb);
        }
    }
    // An ellipsoid with a point, a sphere or another ellipsoid.
    const bool aEll = ma == cbmEllipsoid;
    const TCollisionBoundingMode other = aEll ? mb : ma;
    const Vector3f hEll = aEll ? ha : hb;
    switch (other) {
    case cbmPoint:
        return insideEllipsoid(d, hEll);
    case cbmSphere:
        return insideEllipsoid(d, grow(hEll, sphereRadius(aEll ? b : a)));
    default:
        return insideEllipsoid(d, ha + hb);
    }
}

float TCollisionManager::reach(const TShape& s) {
    switch (s.mode) {
    case cbmPoint:
        return 0.0005f; // two points touch within 0.001
    case cbmSphere:
        return std::fabs(s.radius);
    default:
        return Length(absolute(s.halfExtents));
    }
}

void TCollisionManager::findAllPairs() {
    const int n = int(m_shapes.size());
    // The touching pairs (i < j), found in any order, then put in the order of
    // the double loop by two counting passes (by j, then stably by i).
    std::vector<std::pair<int, int>> found;
    auto record = [this, &found](int i, int j) {
        if (i > j)
            std::swap(i, j);
        const TShape &a = m_shapes[std::size_t(i)], &b = m_shapes[std::size_t(j)];
        if (mayTest(a, b) && touches(a, b))
            found.emplace_back(i, j);
    };

    // Shapes that cannot be placed on the sweep axis (not finite) are tested
    // against every other one.
    std::vector<int> swept, loose;
    for (int i = 0; i < n; ++i) {
        const TShape& s = m_shapes[std::size_t(i)];
        if (!s.owner)
            continue;
        if (std::isfinite(s.position.x) && std::isfinite(s.position.y) && std::isfinite(s.position.z) &&
            std::isfinite(reach(s)))
            swept.push_back(i);
        else
            loose.push_back(i);
    }

    // Sweep along the axis on which the objects spread most.
    int axis = 0;
    if (!swept.empty()) {
        float lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
        for (int i : swept) {
            const Vector3f p = m_shapes[std::size_t(i)].position;
            const float c[3] = {p.x, p.y, p.z};
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::min(lo[a], c[a]);
                hi[a] = std::max(hi[a], c[a]);
            }
        }
        for (int a = 1; a < 3; ++a)
            if (hi[a] - lo[a] > hi[axis] - lo[axis])
                axis = a;
    }
    // Each shape as its interval on the axis and its bounding sphere, widened by
    // a margin far above the rounding of the exact tests, so that no touching
    // pair is missed.
    struct TSpan {
        float lo, hi;  // interval on the sweep axis
        float c[3];    // centre, sweep axis first
        float r;       // reach plus margin
        int index;
    };
    std::vector<TSpan> spans;
    spans.reserve(swept.size());
    for (int i : swept) {
        const TShape& s = m_shapes[std::size_t(i)];
        const float p[3] = {s.position.x, s.position.y, s.position.z};
        const float r = reach(s) + 1e-4f + 1e-5f * (std::fabs(p[0]) + std::fabs(p[1]) + std::fabs(p[2]));
        TSpan span{p[axis] - r, p[axis] + r, {p[axis], p[(axis + 1) % 3], p[(axis + 2) % 3]}, r, i};
        spans.push_back(span);
    }
    std::sort(spans.begin(), spans.end(),
              [](const TSpan& a, const TSpan& b) { return a.lo < b.lo || (a.lo == b.lo && a.index < b.index); });
    for (std::size_t k = 0; k < spans.size(); ++k) {
        const TSpan& a = spans[k];
        for (std::size_t m = k + 1; m < spans.size() && spans[m].lo <= a.hi; ++m) {
            const TSpan& b = spans[m];
            const float d0 = b.c[0] - a.c[0], d1 = b.c[1] - a.c[1], d2 = b.c[2] - a.c[2];
            const float rr = a.r + b.r;
            if (d0 * d0 + d1 * d1 + d2 * d2 <= rr * rr)
                record(a.index, b.index);
        }
    }
    for (int i : loose)
        for (int j = 0; j < n; ++j)
            if (j != i && m_shapes[std::size_t(j)].owner &&
                (std::binary_search(loose.begin(), loose.end(), j) ? j > i : true))
                record(i, j);

    // Counting passes: by j, then stably by i; each row ends up ascending.
    std::vector<std::pair<int, int>> byJ(found.size());
    std::vector<std::size_t> start(std::size_t(n) + 1, 0);
    for (const auto& pr : found)
        ++start[std::size_t(pr.second) + 1];
    for (int v = 0; v < n; ++v)
        start[std::size_t(v) + 1] += start[std::size_t(v)];
    for (const auto& pr : found)
        byJ[start[std::size_t(pr.second)]++] = pr;
    std::vector<std::size_t> rowSize(std::size_t(n), 0);
    for (const auto& pr : byJ)
        ++rowSize[std::size_t(pr.first)];
    m_pairs.assign(std::size_t(n), {});
    for (int i = 0; i < n; ++i)
        m_pairs[std::size_t(i)].reserve(rowSize[std::size_t(i)]);
    for (const auto& pr : byJ)
        m_pairs[std::size_t(pr.first)].push_back(pr.second);
}

void TCollisionManager::updatePairs(const std::vector<int>& moved) {
    const int n = int(m_shapes.size());
    std::vector<char> isMoved(std::size_t(n), 0);
    for (int k : moved) {
        isMoved[std::size_t(k)] = 1;
        m_pairs[std::size_t(k)].clear();
    }
    for (int k : moved) {
        const TShape& sk = m_shapes[std::size_t(k)];
        for (int i = 0; i < n; ++i) {
            if (i == k)
                continue;
            const TShape& si = m_shapes[std::size_t(i)];
            if (isMoved[std::size_t(i)]) {
                // A pair of two moved objects belongs to the row of the first.
                if (i > k && mayTest(sk, si) && touches(sk, si))
                    m_pairs[std::size_t(k)].push_back(i);
                continue;
            }
            if (i > k) {
                if (mayTest(sk, si) && touches(sk, si))
                    m_pairs[std::size_t(k)].push_back(i);
            } else {
                const bool now = mayTest(si, sk) && touches(si, sk);
                std::vector<int>& row = m_pairs[std::size_t(i)];
                const auto at = std::lower_bound(row.begin(), row.end(), k);
                const bool was = at != row.end() && *at == k;
                if (now && !was)
                    row.insert(at, k);
                else if (!now && was)
                    row.erase(at);
            }
        }
    }
    // Rows of moved objects were filled in ascending order of i.
}

void TCollisionManager::readShape(std::size_t i, TShape& s, const TBaseSceneObject*& lastParent,
                                  Matrix4f& parentWorld) const {
    s = TShape{};
    const TCollisionBehaviour* b = m_items[i];
    if (!b)
        return;
    s.owner = b->OwnerBaseSceneObject();
    s.mode = b->m_boundingMode;
    s.group = b->m_groupIndex;
    if (!s.owner)
        return;
    // Row 3 of ObjectMatrix x parent's WorldMatrix is Position x that matrix.
    if (const TBaseSceneObject* parent = s.owner->Parent()) {
        if (parent != lastParent) {
            parentWorld = parent->WorldMatrix();
            lastParent = parent;
        }
        s.position = TransformPoint(s.owner->Position().AsVector(), parentWorld);
    } else {
        s.position = s.owner->Position().AsVector();
    }
    s.halfExtents = s.owner->HalfExtents();
    s.radius = std::max(s.halfExtents.x, std::max(s.halfExtents.y, s.halfExtents.z));
}

void TCollisionManager::readShapes(std::vector<TShape>& shapes) const {
    const std::size_t n = m_items.size();
    shapes.resize(n);
    // Most objects share a parent (the markers): its world matrix is made once.
    const TBaseSceneObject* lastParent = nullptr;
    Matrix4f parentWorld;
    for (std::size_t i = 0; i < n; ++i)
        readShape(i, shapes[i], lastParent, parentWorld);
}

struct TCollisionManager::TReporting {
    TCollisionManager* m;
    TReporting(TCollisionManager* manager, const std::vector<TShape>& shapes) : m(manager) {
        m->m_reportOwners.resize(shapes.size());
        for (std::size_t i = 0; i < shapes.size(); ++i)
            m->m_reportOwners[i] = shapes[i].owner;
        m->m_checking = true;
    }
    ~TReporting() {
        m->m_checking = false;
        m->compact();
    }
    TReporting(const TReporting&) = delete;
    TReporting& operator=(const TReporting&) = delete;
};

void TCollisionManager::report(const std::vector<TShape>& shapes, const std::vector<std::pair<int, int>>& pairs) {
    // The handler may free objects: their slots become null and their pairs
    // are skipped.
    const TReporting reporting(this, shapes);
    const TObjectCollisionEvent handler = OnCollision;
    for (const auto& [i, j] : pairs) {
        TBaseSceneObject* o1 = m_reportOwners[std::size_t(i)];
        TBaseSceneObject* o2 = m_reportOwners[std::size_t(j)];
        if (o1 && o2)
            handler(this, o1, o2);
    }
}

void TCollisionManager::RunCollisionCheck() {
    if (!OnCollision || m_checking)
        return;
    compact();
    const std::size_t n = m_items.size();
    if (n < 2)
        return;

    std::vector<TShape> shapes;
    readShapes(shapes);
    std::vector<int> moved;
    if (m_pairsValid && m_shapes.size() == n) {
        for (std::size_t i = 0; i < n && moved.size() <= kMaxMovedForUpdate; ++i)
            if (!(shapes[i] == m_shapes[i]))
                moved.push_back(int(i));
    }
    const bool update = m_pairsValid && m_shapes.size() == n && moved.size() <= kMaxMovedForUpdate;
    m_shapes = std::move(shapes);
    if (!update)
        findAllPairs();
    else if (!moved.empty())
        updatePairs(moved);
    m_pairsValid = true;

    // Report in the order of the double loop. The handler may free objects:
    // their slots become null and their pairs are skipped.
    const TReporting reporting(this, m_shapes);
    const TObjectCollisionEvent handler = OnCollision;
    TBaseSceneObject* const* owners = m_reportOwners.data();
    for (std::size_t i = 0; i < n; ++i) {
        const std::vector<int>& row = m_pairs[i];
        for (const int j : row) {
            TBaseSceneObject* o1 = owners[i];
            TBaseSceneObject* o2 = owners[j];
            if (o1 && o2)
                handler(this, o1, o2);
        }
    }
}

void TCollisionManager::RunCollisionCheckWith(const TBaseSceneObject* object) {
    if (!OnCollision || m_checking || !object)
        return;
    compact();
    const int n = int(m_items.size());
    if (n < 2)
        return;
    const std::uint64_t others = TBaseSceneObject::AllChanges() - object->OwnChanges();
    const bool reuse = m_queryValid && m_queryObject == object && m_queryOthers == others &&
                       m_queryShapes.size() == std::size_t(n) && object->Count() == 0;
    if (!reuse) {
        // The slots of the object's behaviours, ascending, and every shape.
        m_queryMine.clear();
        for (int i = 0; i < n; ++i)
            if (m_items[std::size_t(i)]->OwnerBaseSceneObject() == object)
                m_queryMine.push_back(i);
        readShapes(m_queryShapes);
    } else {
        // Only the object moved or changed since: its shapes alone are read.
        const TBaseSceneObject* lastParent = nullptr;
        Matrix4f parentWorld;
        for (const int i : m_queryMine)
            readShape(std::size_t(i), m_queryShapes[std::size_t(i)], lastParent, parentWorld);
    }
    m_queryObject = object;
    m_queryOthers = others;
    m_queryValid = true;
    const std::vector<int>& mine = m_queryMine;
    const std::vector<TShape>& shapes = m_queryShapes;
    if (mine.empty())
        return;
    // Row i of the double loop: all j > i when i is the object's, otherwise
    // the object's slots after i.
    std::vector<std::pair<int, int>> pairs;
    auto test = [&](int i, int j) {
        const TShape &a = shapes[std::size_t(i)], &b = shapes[std::size_t(j)];
        if (mayTest(a, b) && touches(a, b))
            pairs.emplace_back(i, j);
    };
    std::size_t next = 0; // first of `mine` above the row
    for (int i = 0; i < n - 1; ++i) {
        while (next < mine.size() && mine[next] <= i)
            ++next;
        if (next > 0 && mine[next - 1] == i) {
            for (int j = i + 1; j < n; ++j)
                test(i, j);
        } else {
            for (std::size_t k = next; k < mine.size(); ++k)
                test(i, mine[k]);
        }
    }
    report(shapes, pairs);
}
