// The spiral's node lists and the date-to-position mapping.
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct WorkedRow {
    double date;
    double x, y, z;
};

TEST(PlaceOnSpiral, WorkedValues) {
    const WorkedRow rows[] = {
        {-4550, 0, 0, 0},
        {-1000, 0.308994, 0.290358, 0.636016},
        {-65, -0.681149, -0.196560, 1.063414},
        {0, 1, 0, 1.5},
        {30, 0.910882, -0.412666, 1.779690},
    };
    for (const WorkedRow& r : rows) {
        TSphere s;
        PlaceOnSpiral(s, 5, 1.0, 0.3, r.date);
        EXPECT_NEAR(s.Position().X(), r.x, 1e-5) << r.date;
        EXPECT_NEAR(s.Position().Y(), r.y, 1e-5) << r.date;
        EXPECT_NEAR(s.Position().Z(), r.z, 1e-5) << r.date;
        EXPECT_TRUE(s.UncachedGeometry());
    }
}

TEST(PlaceOnSpiral, EndsOfTheRange) {
    // The two logarithms are the same number: exactly the centre.
    const Vector3f centre = SpiralPoint(5, 1.0, 0.3, -4550);
    EXPECT_EQ(centre.x, 0.0f);
    EXPECT_EQ(centre.y, 0.0f);
    EXPECT_EQ(centre.z, 0.0f);
    // Older than the centre: s < 0 puts the object at the centre too.
    const Vector3f older = SpiralPoint(5, 1.0, 0.3, -6000);
    EXPECT_EQ(older.x, 0.0f);
    EXPECT_EQ(older.z, 0.0f);
    // The present and a tiny future date meet.
    const Vector3f now = SpiralPoint(5, 1.0, 0.3, 0), soon = SpiralPoint(5, 1.0, 0.3, 1e-12);
    EXPECT_NEAR(now.x, soon.x, 1e-6);
    EXPECT_NEAR(now.y, soon.y, 1e-6);
    EXPECT_NEAR(now.z, soon.z, 1e-6);
    // Beyond +30 the helix goes on: +100 is 6.2208 turns up.
    EXPECT_NEAR(SpiralPoint(5, 1.0, 0.3, 100).z, 1.866227, 1e-5);
}

TEST(BuildSpiral, NodeListsAndRepeat) {
    TSpiralScene scene;
    for (int pass = 0; pass < 2; ++pass) {
        BuildSpiral(*scene.Spirale, *scene.Spirale2, 5, 1.0, 0.3);
        const TPipeNodes& a = scene.Spirale->Nodes();
        const TPipeNodes& b = scene.Spirale2->Nodes();
        ASSERT_EQ(a.Count(), 101);
        ASSERT_EQ(b.Count(), 26);
        EXPECT_EQ(a[0].X, 0.0f);
        EXPECT_EQ(a[0].Z, 0.0f);
        EXPECT_NEAR(a[100].X, 1, 1e-6);
        EXPECT_NEAR(a[100].Y, 0, 1e-6);
        EXPECT_NEAR(a[100].Z, 1.5, 1e-6);
        // The future tube starts where the main one ends.
        EXPECT_NEAR(b[0].X, a[100].X, 1e-6);
        EXPECT_NEAR(b[0].Y, a[100].Y, 1e-6);
        EXPECT_NEAR(b[0].Z, a[100].Z, 1e-6);
        EXPECT_NEAR(b[25].X, 0.912270, 1e-5);
        EXPECT_NEAR(b[25].Y, -0.409590, 1e-5);
        EXPECT_NEAR(b[25].Z, 1.779851, 1e-5);
        EXPECT_FLOAT_EQ(scene.Spirale->Radius(), 0.01f);
        EXPECT_FLOAT_EQ(scene.Spirale2->Radius(), 0.005f);
        EXPECT_EQ(scene.Spirale->Division(), 4);
        EXPECT_EQ(scene.Spirale2->Division(), 4);
    }
}

} // namespace
