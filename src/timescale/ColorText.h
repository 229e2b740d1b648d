#pragma once

#include <QString>

// Reads a colour text of a scale file: a 32-bit integer written in decimal with
// an optional sign, or in hexadecimal after "$", "x", "X", "0x" or "0X" (an
// optional sign before the prefix). The result is the colour's bits 0x00BBGGRR,
// a value with the top bit set naming a system colour. Raises EAevError for any
// other text.
quint32 StrToColor(const QString& text);
