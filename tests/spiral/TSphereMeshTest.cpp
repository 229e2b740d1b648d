// Sphere meshes.
#include "spiral/TSphere.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TSphere, StripsPolesAndLongitudeZero) {
    TSphere s;
    s.SetRadius(0.03f);
    s.SetSlices(20);
    s.SetStacks(20);
    const auto m = s.Mesh();
    ASSERT_EQ(m->Strips().size(), 20u);
    for (const TMeshStrip& st : m->Strips())
        EXPECT_EQ(st.count, 42);
    // V1 of the first strip is the north pole on the sphere's Y axis.
    const Vector3f pole = m->StripVertex(0, 0);
    EXPECT_NEAR(pole.y, 0.03, 1e-7);
    EXPECT_NEAR(pole.x, 0, 1e-7);
    // V2 at longitude 0 lies towards +Z, 9 degrees below.
    const Vector3f v2 = m->StripVertex(0, 1);
    EXPECT_NEAR(v2.x, 0, 1e-7);
    EXPECT_NEAR(v2.z, 0.03 * std::sin(9 * 3.14159265358979 / 180), 1e-7);
    // Longitude 90 (I = 5) on the equator band points to +X.
    const Vector3f east = m->StripVertex(10, 2 * 5);
    EXPECT_NEAR(east.x, 0.03, 1e-6);
    EXPECT_NEAR(east.y, 0, 1e-6);
    // Normals are the unit directions.
    EXPECT_NEAR(Length(m->StripNormal(3, 7)), 1, 1e-6);
    // Every triangle that has an area faces outwards.
    for (int j = 0; j < 20; ++j)
        for (int i = 0; i < 40; ++i) {
            const int a = i + (i & 1), b = i + 1 - (i & 1), c = i + 2;
            const Vector3f va = m->StripVertex(j, a), vb = m->StripVertex(j, b), vc = m->StripVertex(j, c);
            const Vector3f f = Cross(vb - va, vc - va);
            if (SquaredLength(f) < 1e-18f)
                continue;
            EXPECT_GT(Dot(f, va + vb + vc), 0) << j << " " << i;
        }
}

TEST(TSphere, ValuesAndExtents) {
    TSphere s;
    EXPECT_FLOAT_EQ(s.Radius(), 0.5f);
    s.SetSlices(0);
    s.SetStacks(0);
    EXPECT_EQ(s.Slices(), 1);
    EXPECT_EQ(s.Stacks(), 1);
    s.SetRadius(-0.03f);
    s.Scale().SetPoint(1, 2, 3);
    const Vector3f e = s.HalfExtents();
    EXPECT_FLOAT_EQ(e.x, 0.03f);
    EXPECT_FLOAT_EQ(e.y, 0.06f);
    EXPECT_FLOAT_EQ(e.z, 0.09f);
    // Uncached geometry is built anew each time; cached geometry is reused.
    const auto a = s.Mesh(), b = s.Mesh();
    EXPECT_EQ(a->Id(), b->Id());
    s.SetUncachedGeometry(true);
    EXPECT_NE(s.Mesh()->Id(), s.Mesh()->Id());
}

} // namespace
