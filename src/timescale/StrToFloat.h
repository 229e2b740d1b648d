#pragma once

#include <QString>

// Reads a decimal number written with a point whatever the locale; on failure
// swaps the failing comma or point once (comma to point, point to comma) and
// retries. -1.0 when the text cannot be read, the empty text included.
double StrToFloatLenient(const QString& text);
