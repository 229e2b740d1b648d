#include "spiral/TCubicSpline.h"

#include <cmath>

namespace {

// Slopes D of the natural spline through y at t = 0 ... n - 1 (n >= 2): the
// tridiagonal system 2 D0 + D1 = 3 (y1 - y0); D(i-1) + 4 Di + D(i+1) =
// 3 (y(i+1) - y(i-1)); D(n-2) + 2 D(n-1) = 3 (y(n-1) - y(n-2)), solved by its
// Cholesky factorisation L L^T (L lower bidiagonal: pivots on the diagonal,
// the multipliers 1 / pivot under it).
std::vector<double> naturalSlopes(const std::vector<double>& y) {
    const std::size_t n = y.size();
    std::vector<double> pivot(n), mult(n), z(n), d(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double diag = (i == 0 || i == n - 1) ? 2.0 : 4.0;
        const double prev = i == 0 ? 0.0 : mult[i - 1];
        pivot[i] = std::sqrt(diag - prev * prev);
        mult[i] = 1.0 / pivot[i];
    }
    for (std::size_t i = 0; i < n; ++i) {
        double rhs;
        if (i == 0)
            rhs = 3 * (y[1] - y[0]);
        else if (i == n - 1)
            rhs = 3 * (y[n - 1] - y[n - 2]);
        else
            rhs = 3 * (y[i + 1] - y[i - 1]);
        z[i] = (rhs - (i == 0 ? 0.0 : mult[i - 1] * z[i - 1])) / pivot[i];
    }
    for (std::size_t k = n; k-- > 0;)
        d[k] = (z[k] - (k == n - 1 ? 0.0 : mult[k] * d[k + 1])) / pivot[k];
    return d;
}

} // namespace

TCubicSpline::TCubicSpline(const std::vector<std::vector<double>>& values) {
    m_count = values.empty() ? 0 : int(values.front().size());
    for (const auto& y : values) {
        m_first.push_back(y.empty() ? 0.0 : y.front());
        std::vector<Poly> polys;
        if (m_count >= 2) {
            const std::vector<double> d = naturalSlopes(y);
            for (int i = 0; i + 1 < m_count; ++i) {
                const double yi = y[std::size_t(i)], di = d[std::size_t(i)], dj = d[std::size_t(i + 1)];
                const double delta = y[std::size_t(i + 1)] - yi;
                const double c2 = 3 * delta - 2 * di - dj;
                const double c3 = di + dj - 2 * delta;
                // In u = t - i; expand with s = -i, u = t + s.
                const double s = -double(i);
                polys.push_back({yi + di * s + c2 * s * s + c3 * s * s * s, di + 2 * c2 * s + 3 * c3 * s * s,
                                 c2 + 3 * c3 * s, c3});
            }
        }
        m_polys.push_back(std::move(polys));
    }
}

int TCubicSpline::SegmentAt(double t) const {
    int i;
    if (t <= 0)
        i = 0;
    else if (t > m_count - 1)
        i = m_count - 1;
    else
        i = int(t);
    if (i >= m_count - 1)
        i = m_count - 2;
    return i < 0 ? 0 : i;
}

double TCubicSpline::value(int coord, double t) const {
    const auto& polys = m_polys[std::size_t(coord)];
    if (polys.empty())
        return m_first[std::size_t(coord)];
    const Poly& p = polys[std::size_t(SegmentAt(t))];
    return p[0] + t * (p[1] + t * (p[2] + t * p[3]));
}

double TCubicSpline::slope(int coord, double t) const {
    const auto& polys = m_polys[std::size_t(coord)];
    if (polys.empty())
        return 0;
    const Poly& p = polys[std::size_t(SegmentAt(t))];
    return p[1] + t * (2 * p[2] + t * 3 * p[3]);
}

Vector3f TCubicSpline::PointAt(double t) const {
    Vector3f r;
    const int n = int(m_polys.size());
    if (n > 0)
        r.x = float(value(0, t));
    if (n > 1)
        r.y = float(value(1, t));
    if (n > 2)
        r.z = float(value(2, t));
    return r;
}

Vector3f TCubicSpline::SlopeAt(double t) const {
    Vector3f r;
    const int n = int(m_polys.size());
    if (n > 0)
        r.x = float(slope(0, t));
    if (n > 1)
        r.y = float(slope(1, t));
    if (n > 2)
        r.z = float(slope(2, t));
    return r;
}

float TCubicSpline::ValueAt(double t) const { return m_polys.empty() ? 0.0f : float(value(0, t)); }
float TCubicSpline::SlopeOfFirstAt(double t) const { return m_polys.empty() ? 0.0f : float(slope(0, t)); }
