// The natural cubic spline of the tubes.
#include "spiral/TCubicSpline.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TCubicSpline, TwoNodesAreAStraightLine) {
    const TCubicSpline s({{0, 0}, {0, 0}, {0, 1}});
    for (double t : {0.0, 0.25, 0.5, 1.0}) {
        EXPECT_FLOAT_EQ(s.SlopeAt(t).z, 1.0f) << t;
        EXPECT_FLOAT_EQ(s.PointAt(t).z, float(t)) << t;
        EXPECT_FLOAT_EQ(s.SlopeAt(t).x, 0.0f);
    }
    // Beyond the ends the line goes on.
    EXPECT_FLOAT_EQ(s.PointAt(-0.5).z, -0.5f);
    EXPECT_FLOAT_EQ(s.PointAt(1.5).z, 1.5f);
}

TEST(TCubicSpline, ThreeNodesSlopesAndExtrapolation) {
    // 2 D0 + D1 = 3, D0 + 4 D1 + D2 = 0, D1 + 2 D2 = -3: D = (1.5, 0, -1.5).
    const TCubicSpline s({{0, 1, 0}});
    EXPECT_FLOAT_EQ(s.SlopeOfFirstAt(0), 1.5f);
    EXPECT_NEAR(s.SlopeOfFirstAt(1), 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(s.SlopeOfFirstAt(2), -1.5f);
    // Segment 0 is 1.5 u - 0.5 u^3: extrapolated at t = -1 it gives -1, slope 0.
    EXPECT_FLOAT_EQ(s.ValueAt(-1), -1.0f);
    EXPECT_NEAR(s.SlopeOfFirstAt(-1), 0.0f, 1e-6);
    // Past the last node the last segment goes on (by symmetry, -1 at t = 3).
    EXPECT_FLOAT_EQ(s.ValueAt(3), -1.0f);
}

TEST(TCubicSpline, SegmentChoice) {
    const TCubicSpline s({{0, 1, 4, 9}});
    EXPECT_EQ(s.SegmentAt(-2), 0);
    EXPECT_EQ(s.SegmentAt(0), 0);
    EXPECT_EQ(s.SegmentAt(0.99), 0);
    EXPECT_EQ(s.SegmentAt(1), 1); // on a node: the segment on its right
    EXPECT_EQ(s.SegmentAt(2.5), 2);
    EXPECT_EQ(s.SegmentAt(3), 2); // the last node: the segment on its left
    EXPECT_EQ(s.SegmentAt(7), 2);
}

TEST(TCubicSpline, ManyNodesNaturalAndSmooth) {
    // 101 values as on the spiral: the curve passes through every node, its
    // value, slope and curvature agree across nodes, and it is straight at the ends.
    std::vector<double> y;
    for (int i = 0; i <= 100; ++i)
        y.push_back((i / 100.0) * std::cos(i * 3.14159265358979 / 10));
    const TCubicSpline s({y});
    for (int i = 0; i <= 100; ++i)
        EXPECT_NEAR(s.ValueAt(i), y[std::size_t(i)], 1e-6) << i;
    const double h = 1e-4;
    auto second = [&](double t) { return (s.SlopeOfFirstAt(t + h) - s.SlopeOfFirstAt(t - h)) / (2 * h); };
    for (int i = 1; i < 100; ++i) {
        EXPECT_NEAR(s.ValueAt(i - 1e-9), s.ValueAt(i), 1e-5) << i;
        EXPECT_NEAR(s.SlopeOfFirstAt(i - 1e-9), s.SlopeOfFirstAt(i), 1e-4) << i;
        // Left and right second derivatives at the node.
        const double left = (s.SlopeOfFirstAt(i - 1e-3) - s.SlopeOfFirstAt(i - 2e-3)) / 1e-3;
        const double right = (s.SlopeOfFirstAt(i + 2e-3) - s.SlopeOfFirstAt(i + 1e-3)) / 1e-3;
        EXPECT_NEAR(left, right, 2e-2) << i;
    }
    EXPECT_NEAR(second(0.001), 0.0, 2e-2);
    EXPECT_NEAR(second(99.999), 0.0, 2e-2);
}

} // namespace
