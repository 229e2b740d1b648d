#include "timescale/CalendarDate.h"
#include "timescale/AevError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QString kMonths[13] = {QString(),
                             QStringLiteral("Janvier"),
                             QStringLiteral("Fevrier"),
                             QStringLiteral("Mars"),
                             QStringLiteral("Avril"),
                             QStringLiteral("Mai"),
                             QStringLiteral("Juin"),
                             QStringLiteral("Juillet"),
                             QStringLiteral("Aout"),
                             QStringLiteral("Septembre"),
                             QStringLiteral("Octobre"),
                             QStringLiteral("Novembre"),
                             QStringLiteral("Decembre")};

QString TextOfDate(double dateMa) {
    QString text = CalendarYearText(CalendarYearValue(dateMa), kMonths);
    if (dateMa > 0)
        text += QStringLiteral(" FUTUR");
    return text;
}

} // namespace

TEST(CalendarDate, CalendarYearTableOfDates) {
    struct Row {
        double date;
        double day;
        const char* text;
    };
    const Row rows[] = {
        {-4550, 2.0, "01 Janvier 00h00:00"},          {-4000, 46.120879, "14 Fevrier 02h54:03"},
        {-541, 323.601098, "18 Novembre 14h25:34"},   {-66, 361.705494, "26 Decembre 16h55:54"},
        {-1, 366.919779, "31 Decembre 22h04:28"},     {-0.01, 366.999197, "31 Decembre 23h58:50"},
        {0, 366.999999, "31 Decembre 23h59:59"},      {0.001, 367.000079, "01 Janvier 00h00:06 FUTUR"},
        {1, 367.080219, "01 Janvier 01h55:30 FUTUR"}, {30, 369.406592, "03 Janvier 09h45:29 FUTUR"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.date);
        EXPECT_NEAR(CalendarYearValue(r.date), r.day, 5e-7);
        EXPECT_EQ(TextOfDate(r.date), QString::fromLatin1(r.text));
    }
}

TEST(CalendarDate, SerialDayConvention) {
    // Day 2 is 1 January 1900, day 366 is 31 December 1900, 1900 has no 29 February.
    TSerialDateParts d = DecodeSerialDate(2.0);
    EXPECT_EQ(d.Year, 1900);
    EXPECT_EQ(d.Month, 1);
    EXPECT_EQ(d.Day, 1);
    d = DecodeSerialDate(366.0);
    EXPECT_EQ(d.Year, 1900);
    EXPECT_EQ(d.Month, 12);
    EXPECT_EQ(d.Day, 31);
    d = DecodeSerialDate(60.0);
    EXPECT_EQ(d.Month, 2);
    EXPECT_EQ(d.Day, 28);
    d = DecodeSerialDate(61.0);
    EXPECT_EQ(d.Month, 3);
    EXPECT_EQ(d.Day, 1);
    d = DecodeSerialDate(0.0);
    EXPECT_EQ(d.Year, 1899);
    EXPECT_EQ(d.Month, 12);
    EXPECT_EQ(d.Day, 30);
}

TEST(CalendarDate, MillisecondsRoundedThenSecondsTruncated) {
    // 0 Ma is 914 ms past 23h59:59: the seconds are cut, not rounded up.
    const TSerialDateParts d = DecodeSerialDate(366.999999);
    EXPECT_EQ(d.Hour, 23);
    EXPECT_EQ(d.Minute, 59);
    EXPECT_EQ(d.Second, 59);
    EXPECT_EQ(d.Millisecond, 914);
    // 0.9995 ms rounds to the next millisecond, which carries into the next second.
    const double justBeforeSecond = (1000.0 - 0.4) / 86400000.0;
    EXPECT_EQ(DecodeSerialDate(justBeforeSecond).Second, 1);
    // Half a millisecond goes to the even count: 0 and 2 ms.
    EXPECT_EQ(DecodeSerialDate(0.5 / 86400000.0).Millisecond, 0);
    // The rounding happens on the whole-day count, so the time of day of the
    // last millisecond of a day rolls over into the next day.
    const TSerialDateParts roll = DecodeSerialDate(2.0 - 0.2 / 86400000.0);
    EXPECT_EQ(roll.Day, 1);
    EXPECT_EQ(roll.Hour, 0);
}

TEST(CalendarDate, RefusesWhatNoCalendarHolds) {
    EXPECT_THROW(DecodeSerialDate(std::numeric_limits<double>::quiet_NaN()), EAevError);
    EXPECT_THROW(DecodeSerialDate(std::numeric_limits<double>::infinity()), EAevError);
    EXPECT_THROW(DecodeSerialDate(1e300), EAevError);
    EXPECT_THROW(DecodeSerialDate(-700000.0), EAevError); // before year 1
    EXPECT_THROW(CalendarYearText(1e12, kMonths), EAevError);
}

TEST(CalendarDate, TwoDigits) {
    EXPECT_EQ(TwoDigits(0), QStringLiteral("00"));
    EXPECT_EQ(TwoDigits(9), QStringLiteral("09"));
    EXPECT_EQ(TwoDigits(10), QStringLiteral("10"));
    EXPECT_EQ(TwoDigits(65535), QStringLiteral("65535"));
}

TEST(CalendarDate, RoundHalfEven) {
    EXPECT_EQ(RoundHalfEven(-0.5), 0.0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2.0);
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-7.5), -8.0);
    EXPECT_EQ(RoundHalfEven(2.4999999), 2.0);
    EXPECT_EQ(RoundHalfEven(-2.5000001), -3.0);
    EXPECT_EQ(RoundHalfEven(-4550.0), -4550.0);
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""))));
}

TEST(CalendarDate, LongTextForPrint) {
    const struct {
        double date;
        const char* text;
    } rows[] = {{-4550, "1 janvier, 0 h 00 min 00 s"},
                {-4000, "14 février, 2 h 54 min 03 s"},
                {-66, "26 décembre, 16 h 55 min 54 s"},
                {-541, "18 novembre, 14 h 25 min 34 s"},
                {30, "3 janvier, 9 h 45 min 29 s"}};
    for (const auto& r : rows)
        EXPECT_EQ(CalendarYearLongText(CalendarYearValue(r.date)), QString::fromUtf8(r.text)) << r.date;
    EXPECT_THROW(CalendarYearLongText(std::numeric_limits<double>::quiet_NaN()), EAevError);
}
