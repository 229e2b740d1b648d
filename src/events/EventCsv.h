#pragma once

#include "events/EventList.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QVector>

// Events to and from a spreadsheet, as CSV text.
//
// Reading accepts what LibreOffice Calc and the common spreadsheets write in
// French or English settings: separator ";", "," or tab (detected), UTF-8 with
// or without a byte-order mark, UTF-16 with its mark, else Windows-1252;
// quoted fields with doubled quotes and line breaks; a header row or none.
// Two columns are read: the date in Ma (comma or point as decimal separator)
// and the event text. A date without sign is an age, so it lies in the past
// (66 is 66 million years ago); "+" marks a date in the future. Rows that
// cannot become an event are listed with their line number and a French
// reason; nothing is dropped without a line in that list.

// A line of the file that gave no event: the line where its row starts
// (1 for the first line) and why, in French.
struct TCsvRejectedLine {
    int Line = 0;
    QString Reason;
};

struct TEventCsvResult {
    // The events read, in file order; date texts made by FormatDateText.
    TEventList Events;
    // The line where the row of each event starts.
    QVector<int> EventLines;
    QVector<TCsvRejectedLine> Rejected;
    // Lines of events whose text holds characters that an event file (in
    // Windows-1252) cannot hold: they are kept in memory as read.
    QVector<int> NotWindows1252Lines;
    QChar Separator = QLatin1Char(';');
    QString Encoding; // "UTF-8", "UTF-16" or "Windows-1252"
    bool HasHeader = false;
};

// Reads events from the bytes of a CSV file. Never fails: what cannot be read
// is in Rejected.
TEventCsvResult ReadEventCsv(const QByteArray& bytes);

// Reads a CSV file; raises EAevError with a French text when the file cannot
// be read or is larger than MaxEventCsvBytes.
TEventCsvResult LoadEventCsv(const QString& path);
inline constexpr qint64 MaxEventCsvBytes = 64ll * 1024 * 1024;

// Dates accepted, in Ma: the scale reaches back to the age of the Solar System
// (the shipped lists hold an event there), a little beyond the dials' range.
inline constexpr double CsvDateMin = -4600.0;
inline constexpr double CsvDateMax = 30.0;

// The French summary of an import, lines separated by carriage returns: how
// many events were added, the rejected lines with their reasons (the first
// MaxListedRejections, then how many more), and the lines whose text an event
// file cannot hold.
QString EventCsvSummary(const TEventCsvResult& result, const QString& fileName);
inline constexpr int MaxListedRejections = 20;

// Reads a date of a CSV cell, in Ma with the program's sign (negative in the
// past). Accepts a comma or a point as decimal separator, blanks between
// thousands, a "+" or "-" (also the typographic minus) and a trailing "Ma".
// An unsigned value is an age: the date returned is its negative. False when
// the cell is not such a number. `decimals`, when given, receives the number
// of digits after the decimal separator.
bool ParseCsvDate(const QString& cell, double* dateMa, int* decimals = nullptr);

// The date text of an event read from CSV: three decimals and a comma as in
// event files, or as many decimals as the cell had beyond three (up to six),
// so that a date such as -0,0117 keeps its place on the scale.
QString CsvEventDateText(double dateMa, int decimals);

// The date column of an export: three decimals and a comma as in event files
// (more when the list's date text has more), with an explicit "+" for dates after the present, so that reading it back
// (where an unsigned value is an age) gives the same date.
QString CsvDateText(const QString& dateText);

// The CSV text of a list: UTF-8 with a byte-order mark, ";" separator, the
// header "Date (Ma);Événement", CR LF line ends; texts quoted where needed.
QByteArray WriteEventCsv(const TEventList& events);

// Writes WriteEventCsv(events) into `path` through a temporary file in the
// same folder that then replaces it, so that a failure leaves no partial
// file. Raises EAevError with a French text on failure.
void SaveEventCsv(const QString& path, const TEventList& events);
