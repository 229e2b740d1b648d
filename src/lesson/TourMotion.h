#pragma once

#include <QtGlobal>

// Time on a logarithmic scale of age, so that each factor of ten in the
// distance from the present counts the same: going from -4000 Ma to -66 Ma
// does not spend its time in the Precambrian, and the last 66 Ma do not flash
// past. The coordinate is asinh(date / LogTimeScale): logarithmic far from the
// present, linear within a few thousand years of it, so that it passes through
// the present into the future without a jump.
constexpr double LogTimeScale = 0.001; // Ma: one thousand years

double LogTime(double date);
double DateFromLogTime(double u);

// The date reached after `seconds` of logarithmic playback from `start`
// (direction +1 towards the future, -1 towards the past), at
// `secondsPerDecade` seconds for each factor of ten in age.
double LogPlaybackDate(double start, int direction, double seconds, double secondsPerDecade);
// The seconds logarithmic playback takes from `from` to `to`.
double LogPlaybackSeconds(double from, double to, double secondsPerDecade);

// A smooth movement of the date from one stop of a tour to the next: even
// steps on the logarithmic scale, eased in and out, taking at most MaxNs.
class TTourMove {
public:
    static constexpr qint64 MaxNs = 2000000000;    // 2 s
    static constexpr qint64 MinNs = 500000000;     // 0.5 s for any real move
    static constexpr qint64 NsPerUnit = 250000000; // per unit of LogTime (a factor e)

    TTourMove() = default;
    TTourMove(double from, double to);
    double From() const { return m_from; }
    double To() const { return m_to; }
    // 0 when there is nowhere to go.
    qint64 DurationNs() const { return m_duration; }
    // The date `elapsedNs` after the start: From at 0, exactly To from the end on.
    double DateAt(qint64 elapsedNs) const;

private:
    double m_from = 0.0, m_to = 0.0;
    double m_u0 = 0.0, m_u1 = 0.0;
    qint64 m_duration = 0;
};
