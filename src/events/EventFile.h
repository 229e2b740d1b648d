#pragma once

#include "events/EventList.h"

#include <QString>

// Event files: INI files of Windows-1252 text with one section per date, named
// by the date text, whose key "Evenement" holds the text of the first event at
// that date and "Evenement2", "Evenement3"... those of the next ones:
//
//     [-66,000]
//     Evenement=5e grande extinction (Crétacé-Paléogène)
//     Evenement2=Texte B
//
// A reader that knows only "Evenement" still reads the first text.

// The date text the program makes for a date in Ma (negative in the past):
// fixed point with exactly three decimals and a comma whatever the locale, a
// leading minus for negative values, no thousands separator, for example
// -4550,000, -65,500, 0,000, 12,250. The date is rounded once to the nearest
// thousandth of the value as stored (halves away from zero). A value that
// rounds to zero is written 0,000, never -0,000.
QString FormatDateText(double dateMa);

// The date text of an event placed at a date in Ma: three decimals as
// FormatDateText writes them, or four to six when that many make a text that
// reads back as the date itself (-0,0117, the start of the Holocene, reached
// by "Aller à" or a step to a boundary; -66,0001). A date that needs more (a
// drag of the dials) keeps three decimals, as the readout shows it.
QString EventDateText(double dateMa);

// Reads the events of `path` in file order: for each section, the text of its
// key "Evenement" (empty when missing), then those of its keys "Evenement2",
// "Evenement3"... by their number, each an event at the section's date. A
// missing or unreadable file, or one without sections, gives an empty list.
// Date texts longer than TEventList::MaxTextLength are cut to that length.
// Sections without a name ("[]") are left out, since no event can be saved
// under an empty date; their count goes to `skipped` when given. Raises
// EAevError when the file is too large to be read (see TIniFile), and with
// TooManyEventsMessage when it holds more than `maxEvents` events.
TEventList LoadEventFile(const QString& path, int* skipped = nullptr, int maxEvents = TEventList::MaxCount);

// Writes the list into `path` so that LoadEventFile reads back every event at
// its date: the events of one date (date texts compared as section names) go
// to the first section of that name, in list order, as "Evenement",
// "Evenement2"... New dates are appended as sections in list order. The
// file's other event sections, and the numbered keys beyond the last text of
// a date, are removed, so that a deleted event does not come back; comments,
// sections without a name and the other keys of kept sections stay as they
// were. A file that holds one text per section keeps the form it has: only
// the lines that change are written. The whole file is written at once
// through a temporary file, so that a failure leaves the file as it was. An
// empty list creates no file (an existing file loses its events). Raises
// EAevError when the file exists but cannot be read, or cannot be written.
void SaveEventFile(const QString& path, const TEventList& events);

// The key of the first event text in each section (without accent); the
// further texts of a date have the key followed by 2, 3...
inline const char* const EventKey = "Evenement";
