// The triangles each object sends in a frame: kept while nothing that shapes
// them changes, rebuilt when something does, and without the ones hidden
// behind opaque objects.
#include "spiral/FrameGeometry.h"
#include "spiral/OcclusionBuffer.h"
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <tuple>

namespace {

constexpr int kW = 517, kH = 413;

// The window's scene in the 517 x 413 view, with markers along the spiral.
struct FrameGeometryTest : ::testing::Test {
    TSpiralScene scene;
    TSceneBuffer buffer;
    TFrameGeometry geometry;
    std::vector<TDrawItem> items;

    void SetUp() override {
        BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
        PlaceOnSpiral(*scene.SpherePos, 5, 1.0, 0.3, 0);
        buffer.SetViewport(kW, kH);
        buffer.SetCamera(scene.Camera1);
    }
    void addMarkers(int count) {
        for (int i = 0; i < count; ++i) {
            auto* m = new TSphere(scene.BaseSpirale);
            m->Reparent(scene.BaseSpirale);
            m->SetRadius(0.03f);
            m->SetSlices(20);
            m->SetStacks(20);
            PlaceOnSpiral(*m, 5, 1.0, 0.3, -4550.0 + 4580.0 * i / count);
            scene.EventMarkers.push_back(m);
        }
    }
    void prepare(TFrameOptions options = {}) {
        options.width = kW;
        options.height = kH;
        buffer.CollectDrawList(items);
        geometry.Prepare(items, buffer.ViewMatrix(), buffer.ProjectionMatrix(), options);
    }
    std::size_t indexOf(const TBaseSceneObject* o) const {
        for (std::size_t k = 0; k < items.size(); ++k)
            if (items[k].object == o)
                return k;
        return items.size();
    }
    const TTriangleBatch& batchOf(const TBaseSceneObject* o) const { return geometry.Batch(indexOf(o)); }
    // The largest x of the vertices an object sends, in its own frame.
    float largestX(const TBaseSceneObject* o) const {
        const std::size_t k = indexOf(o);
        const TTriangleBatch& b = geometry.Batch(k);
        const TMesh& mesh = geometry.Mesh(k);
        float x = -1e9f;
        for (std::size_t j = 0; j < b.triangles.size(); ++j)
            for (unsigned c = 0; c < 3; ++c)
                x = std::max(x, mesh.Vertices()[std::size_t(mesh.Corners()[3 * b.triangles[j] + c])].x);
        return x;
    }
    std::size_t triangles() const {
        std::size_t n = 0;
        for (std::size_t k = 0; k < items.size(); ++k)
            n += geometry.Batch(k).triangles.size();
        return n;
    }
};

// A sphere whose mesh follows a value that tells nobody when it changes: only
// an uncached object can be trusted to show it.
class TDriftingSphere : public TSphere {
public:
    using TSphere::TSphere;
    float drift = 0;
    void BuildGeometry(TMesh& mesh) const override {
        TSphere::BuildGeometry(mesh);
        TMesh moved;
        for (std::size_t i = 0; i < mesh.Vertices().size(); ++i)
            moved.AddVertex(mesh.Normals()[i], mesh.Vertices()[i] + Vector3f(drift, 0, 0));
        for (const TMeshStrip& s : mesh.Strips()) {
            moved.BeginStrip();
            for (int k = 0; k < s.count; ++k)
                moved.AddIndex(mesh.Indices()[std::size_t(s.first + k)]);
        }
        mesh = moved;
    }
};

TEST_F(FrameGeometryTest, KeptWhileNothingChangesRebuiltWhatChanges) {
    addMarkers(50);
    prepare();
    EXPECT_EQ(geometry.SelectedCount(), int(items.size()));
    EXPECT_TRUE(geometry.OcclusionRebuilt());
    const std::size_t first = triangles();
    EXPECT_GT(first, 0u);

    // A repaint of the same scene: nothing is selected again.
    prepare();
    EXPECT_EQ(geometry.SelectedCount(), 0);
    EXPECT_FALSE(geometry.OcclusionRebuilt());
    EXPECT_EQ(triangles(), first);

    // The date sphere (blended) moves: itself alone, the opaque part stays.
    PlaceOnSpiral(*scene.SpherePos, 5, 1.0, 0.3, -300);
    prepare();
    EXPECT_EQ(geometry.SelectedCount(), 1);
    EXPECT_FALSE(geometry.OcclusionRebuilt());
    EXPECT_FALSE(batchOf(scene.SpherePos).Empty());

    // A marker moves: itself, and the opaque part hides anew.
    PlaceOnSpiral(*scene.EventMarkers[10], 5, 1.0, 0.3, -2000);
    prepare();
    EXPECT_EQ(geometry.SelectedCount(), 1);
    EXPECT_TRUE(geometry.OcclusionRebuilt());

    // A colour changes nothing here.
    scene.EventMarkers[3]->Material().FrontProperties().Diffuse().SetRed(0.5f);
    prepare();
    EXPECT_EQ(geometry.SelectedCount(), 0);

    // The camera turns: everything.
    scene.Camera1->OrbitTarget(10, 20);
    prepare();
    EXPECT_EQ(geometry.SelectedCount(), int(items.size()));
    EXPECT_TRUE(geometry.OcclusionRebuilt());

    // A marker freed: forgotten, the others kept.
    delete scene.EventMarkers[20];
    scene.EventMarkers.erase(scene.EventMarkers.begin() + 20);
    prepare();
    EXPECT_EQ(geometry.SelectedCount(), 0);
    EXPECT_TRUE(geometry.OcclusionRebuilt());
    // The hidden triangles found again from the kept candidates are those a
    // first frame finds (its selection hands the corners' window positions on).
    TFrameGeometry fresh;
    TFrameOptions options;
    options.width = kW;
    options.height = kH;
    fresh.Prepare(items, buffer.ViewMatrix(), buffer.ProjectionMatrix(), options);
    for (std::size_t k = 0; k < items.size(); ++k)
        EXPECT_EQ(fresh.Batch(k).triangles, geometry.Batch(k).triangles) << k;
}

TEST_F(FrameGeometryTest, UncachedMeshesAreNeverStale) {
    addMarkers(3);
    TSphere* m = scene.EventMarkers[1];
    ASSERT_TRUE(m->UncachedGeometry());
    TFrameOptions noOcclusion;
    noOcclusion.depthTest = false; // every front triangle that reaches a pixel
    prepare(noOcclusion);
    const float before = largestX(m);
    EXPECT_NEAR(before, 0.03f, 0.002f);
    // A new radius is a new mesh at the next frame.
    m->SetRadius(0.06f);
    prepare(noOcclusion);
    EXPECT_EQ(geometry.SelectedCount(), 1);
    EXPECT_NEAR(largestX(m), 0.06f, 0.004f);

    // A mesh made from values its class does not list: built and compared at every frame.
    auto* d = new TDriftingSphere(scene.BaseSpirale);
    d->Reparent(scene.BaseSpirale);
    d->SetRadius(0.05f);
    PlaceOnSpiral(*d, 5, 1.0, 0.3, -1000);
    prepare(noOcclusion);
    const float still = largestX(d);
    prepare(noOcclusion);
    EXPECT_EQ(geometry.SelectedCount(), 0);
    d->drift = 0.02f; // no notification
    prepare(noOcclusion);
    EXPECT_EQ(geometry.SelectedCount(), 1);
    EXPECT_NEAR(largestX(d), still + 0.02f, 1e-5);
}

// Window position and depth of a point, in doubles, y upwards.
struct Win {
    double x, y, z;
};
Win toWindow(Vector3f v, const Matrix4f& m) {
    const double x = double(v.x) * m.m[0][0] + double(v.y) * m.m[1][0] + double(v.z) * m.m[2][0] + m.m[3][0];
    const double y = double(v.x) * m.m[0][1] + double(v.y) * m.m[1][1] + double(v.z) * m.m[2][1] + m.m[3][1];
    const double z = double(v.x) * m.m[0][2] + double(v.y) * m.m[1][2] + double(v.z) * m.m[2][2] + m.m[3][2];
    const double w = double(v.x) * m.m[0][3] + double(v.y) * m.m[1][3] + double(v.z) * m.m[2][3] + m.m[3][3];
    return {(x / w + 1) / 2 * kW, (y / w + 1) / 2 * kH, (z / w + 1) / 2};
}

using Key = std::tuple<float, float, float, float, float, float, float, float, float>;
Key keyOf(Vector3f a, Vector3f b, Vector3f c) { return {a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z}; }
// Vertex k of the j-th triangle of the batch.
Vector3f cornerOf(const TMesh& mesh, const TTriangleBatch& b, std::size_t j, unsigned k) {
    return mesh.Vertices()[std::size_t(mesh.Corners()[3 * b.triangles[j] + k])];
}

// Against a brute-force depth buffer of every triangle that can reach a pixel
// centre: each triangle nearest at some pixel centre is still sent, and most
// of the others are not.
TEST_F(FrameGeometryTest, OnlyTrianglesThatNeverWinAreLeftOut) {
    addMarkers(1000);
    for (int view = 0; view < 2; ++view) {
        if (view == 1)
            scene.Camera1->OrbitTarget(25, -40);
        prepare();
        struct Tri {
            std::size_t item;
            Key key;
            Win a, b, c;
        };
        std::vector<Tri> all;
        const Matrix4f viewM = buffer.ViewMatrix(), proj = buffer.ProjectionMatrix();
        for (std::size_t k = 0; k < items.size(); ++k) {
            const Matrix4f toClip = (items[k].world * viewM) * proj;
            TTriangleBatch candidates;
            const auto mesh = items[k].object->Mesh();
            SelectVisibleTriangles(*mesh, toClip, kW, kH, true, candidates);
            for (std::size_t j = 0; j < candidates.triangles.size(); ++j) {
                const Vector3f a = cornerOf(*mesh, candidates, j, 0), b = cornerOf(*mesh, candidates, j, 1),
                               c = cornerOf(*mesh, candidates, j, 2);
                all.push_back({k, keyOf(a, b, c), toWindow(a, toClip), toWindow(b, toClip), toWindow(c, toClip)});
            }
        }
        // Nearest triangle at each pixel centre, among those drawn up to the first blended object.
        std::vector<double> depth(std::size_t(kW * kH), 2);
        std::vector<int> winner(std::size_t(kW * kH), -1);
        for (std::size_t t = 0; t < all.size(); ++t) {
            const Tri& tr = all[t];
            if (items[tr.item].object->IsBlended())
                continue;
            const double area = (tr.b.x - tr.a.x) * (tr.c.y - tr.a.y) - (tr.c.x - tr.a.x) * (tr.b.y - tr.a.y);
            if (!(area > 0))
                continue;
            const int x0 = std::max(0, int(std::floor(std::min({tr.a.x, tr.b.x, tr.c.x}))));
            const int x1 = std::min(kW - 1, int(std::max({tr.a.x, tr.b.x, tr.c.x})));
            const int y0 = std::max(0, int(std::floor(std::min({tr.a.y, tr.b.y, tr.c.y}))));
            const int y1 = std::min(kH - 1, int(std::max({tr.a.y, tr.b.y, tr.c.y})));
            for (int py = y0; py <= y1; ++py)
                for (int px = x0; px <= x1; ++px) {
                    const double X = px + 0.5, Y = py + 0.5;
                    const double wa = ((tr.b.x - X) * (tr.c.y - Y) - (tr.c.x - X) * (tr.b.y - Y)) / area;
                    const double wb = ((tr.c.x - X) * (tr.a.y - Y) - (tr.a.x - X) * (tr.c.y - Y)) / area;
                    const double wc = 1 - wa - wb;
                    if (wa <= 0 || wb <= 0 || wc <= 0)
                        continue;
                    const double z = wa * tr.a.z + wb * tr.b.z + wc * tr.c.z;
                    const std::size_t p = std::size_t(py * kW + px);
                    if (z < depth[p]) {
                        depth[p] = z;
                        winner[p] = int(t);
                    }
                }
        }
        std::map<std::size_t, std::set<Key>> sent;
        for (std::size_t k = 0; k < items.size(); ++k) {
            const TTriangleBatch& b = geometry.Batch(k);
            const TMesh& m = geometry.Mesh(k);
            for (std::size_t j = 0; j < b.triangles.size(); ++j)
                sent[k].insert(keyOf(cornerOf(m, b, j, 0), cornerOf(m, b, j, 1), cornerOf(m, b, j, 2)));
        }
        std::set<int> winners(winner.begin(), winner.end());
        winners.erase(-1);
        int missing = 0;
        for (int t : winners)
            missing += sent[all[std::size_t(t)].item].count(all[std::size_t(t)].key) == 0;
        EXPECT_EQ(missing, 0) << "view " << view;
        EXPECT_GT(winners.size(), 5000u);
        // The crowded markers hide most of one another.
        EXPECT_LT(triangles(), all.size() / 2) << "view " << view;
    }
}

TEST_F(FrameGeometryTest, OnlyTheOpaqueObjectsDrawnFirstHide) {
    addMarkers(1);
    TSphere* marker = scene.EventMarkers[0];
    TFrameOptions options;
    prepare(options);
    const std::size_t alone = batchOf(marker).triangles.size();
    const std::size_t sphereAlone = batchOf(scene.SpherePos).triangles.size();
    ASSERT_GT(alone, 0u);
    // A large opaque sphere between the camera and the marker hides most of
    // it (not the pixel centres lying right on the edges of its triangles).
    const Vector3f eye = scene.BaseSpirale->AbsoluteToLocal(scene.Camera1->WorldPosition());
    const Vector3f at = marker->Position().AsVector();
    const Vector3f front = at + Normalized(eye - at) * 0.5f;
    auto* wall = new TSphere(scene.BaseSpirale);
    wall->Reparent(scene.BaseSpirale);
    wall->SetRadius(0.2f);
    wall->Position().SetPoint(front.x, front.y, front.z);
    prepare(options);
    EXPECT_LT(batchOf(marker).triangles.size(), alone / 4);
    EXPECT_FALSE(batchOf(wall).Empty());
    // Without the depth test nothing is hidden.
    options.depthTest = false;
    prepare(options);
    EXPECT_GE(batchOf(marker).triangles.size(), alone);
    options.depthTest = true;
    // The same sphere drawn after a blended object (as its child) may be
    // drawn over by what was blended before it: it hides nothing.
    auto* glass = new TSphere(scene.BaseSpirale);
    glass->Reparent(scene.BaseSpirale);
    glass->SetRadius(0.01f);
    glass->Material().SetBlendingMode(bmTransparency);
    glass->Position().SetPoint(at.x, at.y, at.z + 1);
    wall->Reparent(glass);
    wall->Position().SetPoint(front.x - at.x, front.y - at.y, front.z - at.z - 1);
    prepare(options);
    ASSERT_GT(indexOf(wall), indexOf(glass));
    EXPECT_EQ(batchOf(marker).triangles.size(), alone);
    // The blended date sphere itself is hidden where an opaque object covers it.
    const Vector3f pos = scene.SpherePos->Position().AsVector();
    const Vector3f cover = pos + Normalized(eye - pos) * 0.4f;
    marker->SetRadius(0.2f);
    marker->Position().SetPoint(cover.x, cover.y, cover.z);
    prepare(options);
    EXPECT_LT(batchOf(scene.SpherePos).triangles.size(), sphereAlone / 4);
}

// Triangles given by their window positions.
struct WindowBatch {
    TTriangleBatch triangles;
    std::vector<int> corners;
    std::vector<TWindowVertex> window;
    void add(std::initializer_list<TWindowVertex> vertices) {
        triangles.triangles.push_back(unsigned(corners.size() / 3));
        for (const TWindowVertex& v : vertices) {
            corners.push_back(int(window.size()));
            window.push_back(v);
        }
    }
    TPlacedBatch placed() const {
        TPlacedBatch p;
        p.triangles = &triangles;
        p.corners = &corners;
        p.window = &window;
        return p;
    }
};
TPlacedBatch windowTriangles(std::initializer_list<TWindowVertex> corners) {
    static std::vector<std::unique_ptr<WindowBatch>> kept; // alive until the test ends
    kept.push_back(std::make_unique<WindowBatch>());
    kept.back()->add(corners);
    return kept.back()->placed();
}

TEST(TOcclusionBuffer, HidesOnlyWhatIsSurelyBehind) {
    TOcclusionBuffer buffer;
    buffer.Reset(64, 64);
    // A front-facing triangle at depth 0.5, below the line x + y = 50.
    buffer.AddOccluders(windowTriangles({{10, 10, 0.5f, true}, {40, 10, 0.5f, true}, {10, 40, 0.5f, true}}), true);
    EXPECT_LT(buffer.UpperDepth(20, 20), 0.5001f);
    EXPECT_GT(buffer.UpperDepth(40, 40), 1.0f);
    auto kept = [&](float x, float y, float z, float size = 2) {
        TTriangleBatch out;
        buffer.RemoveHidden(windowTriangles({{x, y, z, true}, {x + size, y, z, true}, {x, y + size, z, true}}), out);
        return out.triangles.size();
    };
    EXPECT_EQ(kept(15, 15, 0.6f), 0u);      // behind, inside
    EXPECT_EQ(kept(15, 15, 0.4f), 1u);      // in front
    EXPECT_EQ(kept(15, 15, 0.500001f), 1u); // behind by less than the rounding allowed for
    EXPECT_EQ(kept(25, 22, 0.6f, 6), 1u);   // reaches past the edge
    EXPECT_EQ(kept(40, 40, 0.9f), 1u);      // nothing in front
    EXPECT_EQ(kept(100, 100, 0.1f), 0u);    // outside the viewport: no fragment at all
    // A triangle with a vertex the rasteriser would clip is kept whatever its depth.
    TTriangleBatch out;
    buffer.RemoveHidden(windowTriangles({{15, 15, 0.9f, true}, {17, 15, 0.9f, false}, {15, 17, 0.9f, true}}), out);
    EXPECT_EQ(out.triangles.size(), 1u);
    // A back face, when culled, hides nothing.
    buffer.Reset(64, 64);
    buffer.AddOccluders(windowTriangles({{10, 10, 0.5f, true}, {30, 30, 0.5f, true}, {30, 10, 0.5f, true}}), true);
    EXPECT_EQ(kept(25, 13, 0.9f), 1u);
    buffer.AddOccluders(windowTriangles({{10, 10, 0.5f, true}, {30, 30, 0.5f, true}, {30, 10, 0.5f, true}}), false);
    EXPECT_EQ(kept(25, 13, 0.9f), 0u);
}

} // namespace

// More triangles than the set-up buffer holds: the runs and the second
// set-up give what the occluders added one batch after the other give, with
// every third batch handed over already set up, and recorded beforehand on
// shared bounds.
TEST(TOcclusionBuffer, RecordAmongManyTrianglesAsOneByOne) {
    std::vector<WindowBatch> batches(1200);
    unsigned seed = 7;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return float((seed >> 8) % unsigned(range));
    };
    std::size_t triangles = 0;
    for (WindowBatch& b : batches) {
        const float x = next(60), y = next(60);
        for (int t = 0; t < 250; ++t, ++triangles) {
            const float z = 0.1f + next(80) / 100, dx = 1 + next(4), dy = 1 + next(4);
            const float ox = x + next(3), oy = y + next(3);
            b.add({{ox, oy, z, true}, {ox + dx, oy, z, true}, {ox, oy + dy, z, true}});
        }
    }
    ASSERT_GT(triangles, std::size_t(1) << 18);
    std::vector<TPlacedBatch> in;
    std::vector<TTriangleBatch> together(batches.size()), alone(batches.size());
    std::vector<TTriangleBatch*> out;
    std::vector<std::vector<TOcclusionSetUp>> setUps(batches.size());
    for (std::size_t i = 0; i < batches.size(); ++i) {
        in.push_back(batches[i].placed());
        out.push_back(&together[i]);
        if (i % 3 == 0) {
            std::vector<TWindowVertex> corners;
            for (const int c : batches[i].corners)
                corners.push_back(batches[i].window[std::size_t(c)]);
            TOcclusionBuffer::SetUp(corners.data(), corners.size() / 3, 64, 64, kPixelMargin, setUps[i]);
            in.back().setUps = &setUps[i];
        }
    }
    TOcclusionBuffer buffer;
    buffer.Reset(64, 64);
    buffer.RecordAmong(in, true);
    for (std::size_t i = 0; i < in.size(); ++i)
        buffer.SortOut(in, i, *out[i]);
    // The batches set up beforehand recorded on two threads' bounds first.
    TOcclusionBuffer shared;
    std::vector<TTriangleBatch> sharedOut(batches.size());
    shared.BeginShared(64, 64);
    for (std::size_t i = 0; i < in.size(); i += 3) {
        shared.RecordShared(setUps[i], true, int(i / 3 % 2));
        in[i].recorded = true;
    }
    shared.EndShared();
    shared.RecordAmong(in, true);
    for (std::size_t i = 0; i < in.size(); ++i) {
        shared.SortOut(in, i, sharedOut[i]);
        EXPECT_EQ(sharedOut[i].triangles, together[i].triangles) << i;
    }
    TOcclusionBuffer reference;
    reference.Reset(64, 64);
    for (const WindowBatch& b : batches)
        reference.AddOccluders(b.placed(), true);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < batches.size(); ++i) {
        reference.RemoveHidden(batches[i].placed(), alone[i]);
        EXPECT_EQ(together[i].triangles, alone[i].triangles) << i;
        kept += alone[i].triangles.size();
    }
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, triangles / 4);
}
