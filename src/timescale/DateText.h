#pragma once

#include <QString>
#include <optional>

// Dates and names typed by the user (the "Aller à" command).

// Reads a date typed by the user, in Ma, negative in the past:
//   "-66", "66", "66 Ma"  -> -66 (a number without a sign is an age)
//   "+10"                 -> +10 (the future)
//   "-4,55 Ga", "11,7 ka", "2000 ans", "-0,0117"
//   "10 ma"               -> -0,010 (lower-case "ma": thousands of years, as the third dial counts)
//   "2 000 ans", "12 345,5" (digits grouped by three after a space, a no-break
//   space or a narrow no-break space)
// Comma or point as decimal separator; the typographic minus "−" is a minus;
// units Ma (the default; "Ma" or "MA"), Ga, ka and "ans" (or "an"), letter
// case ignored but for "ma". No value when the text is not such a date. The
// value is not held within the dial limits; a number too large for a double
// gives an infinite value, one too small for it zero.
std::optional<double> ParseDateText(const QString& text);

// The text reduced for matching names: lower case, accents and other marks
// removed, ligatures spelt out (œ -> oe, æ -> ae), typographic apostrophes
// made plain and runs of blanks made one space, trimmed. "Crétacé" and
// "cretace" give the same text.
QString FoldForMatch(const QString& text);

// A date in Ma as the dialogs write it: up to five decimals without trailing
// zeros, a comma as decimal separator, a minus sign in the past ("-66",
// "-0,0117", "30").
QString FormatTypedDate(double date);

// What a typed date reads as, for the line under the field: "→ −66,000 Ma",
// "→ −0,010 Ma, soit 10 000 ans", "→ +0,500 Ma, soit dans 500 000 ans" (three
// to six decimals, the typographic minus, the years below a million).
QString DescribeTypedDate(double date);
