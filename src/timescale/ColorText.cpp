#include "timescale/ColorText.h"

#include "timescale/AevError.h"

namespace {

int hexDigit(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

// See the header. A 32-bit integer written in decimal with an optional sign, or in
// hexadecimal after "$", "x", "X", "0x" or "0X" (an optional sign before the
// prefix); hexadecimal values up to FFFFFFFF give the bits as written.
// Throws EAevError for any other text.
quint32 StrToColor(const QString& text) {
    const auto fail = [&text]() -> quint32 {
        throw EAevError(QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text));
    };
    int i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < text.size() && text.at(i) == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i < text.size() && (text.at(i) == QLatin1Char('x') || text.at(i) == QLatin1Char('X'))) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text.at(i) == QLatin1Char('0') &&
               (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return fail();
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const int d = hexDigit(text.at(i));
        if (d < 0 || d >= base)
            return fail();
        value = value * quint64(base) + quint64(d);
        if (value > 0xFFFFFFFFull)
            return fail();
    }
    if (base == 10 && value > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return fail();
    const quint32 bits = quint32(value);
    return negative ? 0u - bits : bits;
}

