#pragma once

#include "events/EventList.h"

#include <QString>

// Event files: INI files of Windows-1252 text with one section per event, named
// by the event's date text, whose key "Evenement" holds the event text.

// The date text the program makes for a date in Ma (negative in the past):
// fixed point with exactly three decimals and a comma whatever the locale, a
// leading minus for negative values, no thousands separator, for example
// -4550,000, -65,500, 0,000, 12,250. The date is rounded once to the nearest
// thousandth of the value as stored (halves away from zero). A value that
// rounds to zero is written 0,000, never -0,000.
QString FormatDateText(double dateMa);

// Reads the events of `path` in file order: one event per section, its text
// the key "Evenement" of the first section of that name (empty when missing).
// A missing or unreadable file, or one without sections, gives an empty list.
// Date texts longer than TEventList::MaxTextLength are cut to that length.
// Sections without a name ("[]") are left out, since no event can be saved
// under an empty date; their count goes to `skipped` when given. Raises
// EAevError when the file is too large to be read (see TIniFile).
TEventList LoadEventFile(const QString& path, int* skipped = nullptr);

// The events of the file named by `nativePath` (the file system's own bytes),
// read as LoadEventFile does but through one open handle. Raises EAevError
// with the French reason when the file cannot be read, holds more than
// `maxSize` bytes, or is UTF-16 text (an event file is Windows-1252): such a
// file never reads as an empty list.
TEventList ReadEventFile(const QByteArray& nativePath, qint64 maxSize, int* skipped = nullptr);

// Writes every event into `path`, in list order: the key "Evenement" of the
// section named by its date text. Sections of the file whose date texts are not
// in the list stay; new sections are appended; a date text listed twice leaves
// the text of its later event. The whole file is written at once through a
// temporary file, so that a failure leaves the file as it was; the lines of the
// file that the save does not change keep their bytes. An empty list
// writes nothing (no file is created). Raises EAevError when the file exists
// but cannot be read, or cannot be written.
void SaveEventFile(const QString& path, const TEventList& events);

// The key of the event text in each section (without accent).
inline const char* const EventKey = "Evenement";
