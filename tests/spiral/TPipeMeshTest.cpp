// Tube meshes: rings, strips, orientation, twist re-alignment.
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Outward normal of triangle i of a strip, from its vertex order.
Vector3f faceNormal(const TMesh& m, int strip, int i) {
    const int a = i + (i & 1), b = i + 1 - (i & 1), c = i + 2;
    return Cross(m.StripVertex(strip, b) - m.StripVertex(strip, a), m.StripVertex(strip, c) - m.StripVertex(strip, a));
}

// Every non-degenerate triangle faces the way its vertex normals point.
int inwardTriangles(const TMesh& m) {
    int inward = 0;
    for (int s = 0; s < int(m.Strips().size()); ++s)
        for (int i = 0; i + 2 < m.Strips()[std::size_t(s)].count; ++i) {
            const Vector3f f = faceNormal(m, s, i);
            if (SquaredLength(f) < 1e-20f)
                continue;
            const Vector3f n = m.StripNormal(s, i) + m.StripNormal(s, i + 1) + m.StripNormal(s, i + 2);
            inward += Dot(f, n) <= 0;
        }
    return inward;
}

TEST(TPipe, StraightTubeAlongZ) {
    TSpiralScene scene; // Spirale holds the two placeholder nodes (0, 0, 0) and (0, 0, 1)
    const auto mesh = scene.Spirale->Mesh();
    ASSERT_EQ(mesh->Strips().size(), 4u); // Division 4
    EXPECT_EQ(mesh->Vertices().size(), 5u * 7u);
    // Strip 0 joins ring 1 (N) to ring 0 (P): N0, P0, N1, P1, ...
    EXPECT_EQ(mesh->Strips()[0].count, 14);
    // Ring 0: vx = (1, 0, 0) x (0, 0, 1) = (0, -1, 0), vy = (1, 0, 0), times Radius 0.01.
    const Vector3f p0 = mesh->StripVertex(0, 1), n0 = mesh->StripVertex(0, 0);
    EXPECT_NEAR(p0.x, 0, 1e-7);
    EXPECT_NEAR(p0.y, -0.01, 1e-7);
    EXPECT_NEAR(p0.z, 0, 1e-7);
    EXPECT_NEAR(n0.y, -0.01, 1e-7);
    EXPECT_NEAR(n0.z, 0.25, 1e-7);
    // A quarter of the way round (k = 1.5 is between entries): entry 3 is at 180 degrees.
    const Vector3f p3 = mesh->StripVertex(0, 7);
    EXPECT_NEAR(p3.y, 0.01, 1e-6);
    // Normals have the length of Radius.
    EXPECT_NEAR(Length(mesh->StripNormal(0, 1)), 0.01, 1e-7);
    // The closing entry meets the first.
    const Vector3f last = mesh->StripVertex(0, 13);
    EXPECT_NEAR(last.x, p0.x, 1e-6);
    EXPECT_NEAR(last.y, p0.y, 1e-6);
    EXPECT_EQ(inwardTriangles(*mesh), 0);
}

TEST(TPipe, SpiralRingsAndOrientation) {
    TSpiralScene scene;
    BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
    const auto a = scene.Spirale->Mesh();
    EXPECT_EQ(a->Strips().size(), 400u);
    EXPECT_EQ(a->Vertices().size(), 401u * 7u);
    for (const TMeshStrip& s : a->Strips())
        ASSERT_EQ(s.count, 14);
    EXPECT_EQ(inwardTriangles(*a), 0);
    const auto b = scene.Spirale2->Mesh();
    EXPECT_EQ(b->Strips().size(), 100u);
    EXPECT_EQ(b->Vertices().size(), 101u * 7u);
    EXPECT_EQ(inwardTriangles(*b), 0);
    // The cached mesh is reused until a property changes.
    EXPECT_EQ(scene.Spirale->Mesh()->Id(), a->Id());
    scene.Spirale->SetSlices(8);
    const auto c = scene.Spirale->Mesh();
    EXPECT_NE(c->Id(), a->Id());
    EXPECT_EQ(c->Strips()[0].count, 18);
    // Setting the value it holds rebuilds nothing.
    scene.Spirale->SetSlices(8);
    EXPECT_EQ(scene.Spirale->Mesh()->Id(), c->Id());
}

TEST(TPipe, DivisionBelowOneAndShortNodeLists) {
    TPipe p;
    p.SetSplineMode(lsmCubicSpline);
    p.SetDivision(0);
    EXPECT_EQ(p.Division(), 1);
    p.SetDivision(-3);
    EXPECT_EQ(p.Division(), 1);
    for (int i = 0; i < 5; ++i)
        p.AppendNode(float(i), float(i * i) * 0.1f, 0);
    EXPECT_EQ(p.Mesh()->Strips().size(), 4u); // one ring per node
    p.Nodes().Clear();
    EXPECT_TRUE(p.Mesh()->IsEmpty());
    p.AppendNode(1, 2, 3);
    EXPECT_TRUE(p.Mesh()->IsEmpty()); // one node: a ring, nothing drawn
    EXPECT_EQ(p.Nodes()[0].RadiusFactor, 1.0f);
    // Slices of 0 or less are ignored.
    p.SetSlices(0);
    EXPECT_EQ(p.Slices(), 16);
}

TEST(TPipe, TwistedRingsAreRealigned) {
    // The axis passes through +Z at the middle node, where the ring frame
    // (0, 0, 1) x axis turns over: the next ring is half a turn round.
    TPipe p;
    p.SetSplineMode(lsmCubicSpline);
    p.SetDivision(1);
    p.SetSlices(6);
    p.SetRadius(0.1f);
    p.AppendNode(-0.2f, 0, 0);
    p.AppendNode(0, 0, 1);
    p.AppendNode(-0.2f, 0, 2);
    const auto mesh = p.Mesh();
    ASSERT_EQ(mesh->Strips().size(), 2u);
    // Along each strip N(k) and P(k) face the same side of the tube (the
    // normals have length Radius; half a turn apart they would be 0.2 apart).
    float worst = 0;
    for (int s = 0; s < 2; ++s)
        for (int k = 0; k < 14; k += 2)
            worst = std::max(worst, Length(mesh->StripNormal(s, k) - mesh->StripNormal(s, k + 1)));
    // Without re-alignment opposite normals (distance 2 x Radius) would be joined.
    EXPECT_LT(worst, 0.15f);
}

} // namespace
