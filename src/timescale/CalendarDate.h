#pragma once

#include <QString>
#include <cstdint>

// Date arithmetic of the calendar-year picture: the whole of Earth history,
// -4550 Ma to the present, mapped onto one calendar year.

// Rounds to the nearest integer, halves to the even integer (2.5 -> 2,
// -1.5 -> -2, -0.5 -> -0). Non-finite values come back unchanged.
double RoundHalfEven(double value);

// A broken-down serial day number.
struct TSerialDateParts {
    int Year = 0;
    int Month = 0; // 1 to 12
    int Day = 0;   // 1 to 31
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// Decodes a serial day number: whole days since 30 December 1899 00:00 (day 0),
// the fraction being the time of day. The value is first rounded to the nearest
// whole millisecond (halves to even); the day number is the quotient by one day
// (rounded down, so the time of day is never negative). Gregorian calendar,
// 1900 not a leap year (day 2 is 1 January 1900, day 366 is 31 December 1900).
// Throws EAevError when the value is not finite or the year leaves 1 to 9999.
TSerialDateParts DecodeSerialDate(double serialDay);

// "0" followed by the digit when n < 10, otherwise n in decimal.
QString TwoDigits(std::uint16_t n);

// The text of a calendar-year value: day of month, month name, hours, minutes
// and seconds, as in "31 Decembre 23h59:59"; milliseconds are dropped, not
// rounded. monthNames[1..12] are the month names (index 0 is unused).
// Throws EAevError as DecodeSerialDate does.
QString CalendarYearText(double serialDay, const QString (&monthNames)[13]);

// The same date written out in French for print, as in "26 décembre, 16 h 55 min
// 54 s" (day without leading zero, month in lower case with its accents).
// Throws EAevError as DecodeSerialDate does.
QString CalendarYearLongText(double serialDay);

// The calendar-year value of a date in Ma: -4550 Ma is day 2.0 (1 January
// 00h00:00), 0 Ma is day 366.999999 (31 December 23h59:59); later dates run on
// into the next January.
double CalendarYearValue(double dateMa);
