#include "timescale/CalendarDate.h"

#include "timescale/AevError.h"

#include <cmath>

namespace {
constexpr std::int64_t MSecsPerDay = 86400000;
// Days from 30 December 1899 (serial day 0) to 1 January 1970.
constexpr std::int64_t UnixEpochSerialDay = 25569;

// Gregorian date of a day count since 1 January 1970 (proleptic calendar).
void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;                                      // [0, 146096]
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365; // [0, 399]
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);               // [0, 365]
    const std::int64_t mp = (5 * doy + 2) / 153;                                    // [0, 11]
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2 ? 1 : 0));
}
} // namespace

double RoundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

TSerialDateParts DecodeSerialDate(double serialDay) {
    // Years 1 to 9999 lie within about +-3.7 million days of day 0; anything
    // beyond is refused before it can overflow the millisecond count.
    if (!std::isfinite(serialDay) || std::fabs(serialDay) > 3.0e6)
        throw EAevError(QStringLiteral("Date hors des limites du calendrier"));
    const auto msecs = std::int64_t(RoundHalfEven(serialDay * double(MSecsPerDay)));
    std::int64_t days = msecs / MSecsPerDay;
    std::int64_t msOfDay = msecs % MSecsPerDay;
    if (msOfDay < 0) {
        msOfDay += MSecsPerDay;
        --days;
    }
    TSerialDateParts parts;
    CivilFromDays(days - UnixEpochSerialDay, parts.Year, parts.Month, parts.Day);
    if (parts.Year < 1 || parts.Year > 9999)
        throw EAevError(QStringLiteral("Date hors des limites du calendrier"));
    parts.Hour = int(msOfDay / 3600000);
    parts.Minute = int(msOfDay / 60000 % 60);
    parts.Second = int(msOfDay / 1000 % 60);
    parts.Millisecond = int(msOfDay % 1000);
    return parts;
}

QString TwoDigits(std::uint16_t n) {
    if (n < 10)
        return QLatin1Char('0') + QString::number(n);
    return QString::number(n);
}

QString CalendarYearText(double serialDay, const QString (&monthNames)[13]) {
    const TSerialDateParts d = DecodeSerialDate(serialDay);
    return TwoDigits(std::uint16_t(d.Day)) + QLatin1Char(' ') + monthNames[d.Month] + QLatin1Char(' ') +
           TwoDigits(std::uint16_t(d.Hour)) + QLatin1Char('h') + TwoDigits(std::uint16_t(d.Minute)) +
           QLatin1Char(':') + TwoDigits(std::uint16_t(d.Second));
}

QString CalendarYearLongText(double serialDay) {
    static const char* const months[13] = {"",     "janvier", "février", "mars",   "avril",    "mai",     "juin",
                                           "juillet", "août", "septembre", "octobre", "novembre", "décembre"};
    const TSerialDateParts d = DecodeSerialDate(serialDay);
    return QStringLiteral("%1 %2, %3 h %4 min %5 s")
        .arg(d.Day)
        .arg(QString::fromUtf8(months[d.Month]))
        .arg(d.Hour)
        .arg(TwoDigits(std::uint16_t(d.Minute)), TwoDigits(std::uint16_t(d.Second)));
}

double CalendarYearValue(double dateMa) {
    // The constants are 366.999999 and 364.999999 (not 367 and 365), so the
    // present stays on 31 December; the operations run in the order written.
    return 366.999999 - dateMa * 364.999999 / -4550.0;
}
