#pragma once

#include "spiral/VectorMath.h"

#include <array>
#include <vector>

// Natural cubic spline through n values per coordinate (up to four
// coordinates), at the parameters t = 0 ... n - 1. Each coordinate keeps
// n - 1 cubic polynomials expanded in t itself; evaluation outside 0 ... n - 1
// extrapolates the end segments. Results are 32-bit floats.
class TCubicSpline {
public:
    // values[c] holds the n values of coordinate c; every coordinate has the same count.
    explicit TCubicSpline(const std::vector<std::vector<double>>& values);

    int Count() const { return m_count; }
    Vector3f PointAt(double t) const;
    Vector3f SlopeAt(double t) const;
    // The first coordinate alone.
    float ValueAt(double t) const;
    // Slope of the first coordinate.
    float SlopeOfFirstAt(double t) const;

    // The segment used at t: 0 for t <= 0, else t truncated, at most n - 2.
    int SegmentAt(double t) const;

private:
    using Poly = std::array<double, 4>; // a + b t + c t^2 + d t^3
    double value(int coord, double t) const;
    double slope(int coord, double t) const;

    int m_count = 0;
    std::vector<std::vector<Poly>> m_polys; // per coordinate, per segment
    std::vector<double> m_first;            // value of each coordinate when n < 2
};
