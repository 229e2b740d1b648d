#include "lesson/TourMotion.h"

#include <algorithm>
#include <cmath>

double LogTime(double date) {
    return std::asinh(date / LogTimeScale);
}

double DateFromLogTime(double u) {
    return LogTimeScale * std::sinh(u);
}

namespace {
double unitsPerSecond(double secondsPerDecade) {
    return std::log(10.0) / secondsPerDecade;
}
} // namespace

double LogPlaybackDate(double start, int direction, double seconds, double secondsPerDecade) {
    // Towards the present the age shrinks by a factor of ten per period: the
    // coordinate of the date grows at a constant rate.
    return DateFromLogTime(LogTime(start) +
                           (direction < 0 ? -1.0 : 1.0) * seconds * unitsPerSecond(secondsPerDecade));
}

double LogPlaybackSeconds(double from, double to, double secondsPerDecade) {
    return std::fabs(LogTime(to) - LogTime(from)) / unitsPerSecond(secondsPerDecade);
}

TTourMove::TTourMove(double from, double to)
    : m_from(from), m_to(to), m_u0(LogTime(from)), m_u1(LogTime(to)) {
    if (!(std::isfinite(from) && std::isfinite(to)) || from == to)
        return;
    const double ns = std::fabs(m_u1 - m_u0) * double(NsPerUnit);
    m_duration = qint64(std::clamp(ns, double(MinNs), double(MaxNs)));
}

double TTourMove::DateAt(qint64 elapsedNs) const {
    if (m_duration <= 0 || elapsedNs >= m_duration)
        return m_to;
    if (elapsedNs <= 0)
        return m_from;
    const double t = double(elapsedNs) / double(m_duration);
    const double eased = t * t * (3.0 - 2.0 * t); // slow start and slow arrival
    const double date = DateFromLogTime(m_u0 + (m_u1 - m_u0) * eased);
    // Never beyond the two ends, whatever the rounding.
    return std::clamp(date, std::min(m_from, m_to), std::max(m_from, m_to));
}
