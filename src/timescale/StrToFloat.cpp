#include "timescale/StrToFloat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace {

// Checks `text` against the number grammar: leading spaces, an optional sign
// (which must be followed by something), digits, an optional point with
// digits, an optional exponent with at least one digit, then the end.
// Returns -1 when it fits, else the 0-based index of the first character that
// does not fit (the length when the text ends too early).
int firstMismatch(const QString& text) {
    const int n = int(text.size());
    int i = 0;
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        ++i;
        if (i >= n)
            return n;
    }
    while (i < n && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && text[i].unicode() >= '0' && text[i].unicode() <= '9')
            ++i;
    }
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            ++i;
        const int expStart = i;
        while (i < n && text[i].unicode() >= '0' && text[i].unicode() <= '9')
            ++i;
        if (i == expStart)
            return i;
    }
    if (i < n)
        return i;
    return -1;
}

// For a text of the grammar (from its first digit or point on), the power of
// ten just above the value: the count of digits before the point (leading
// zeros left out), or minus the count of zeros right after the point, plus the
// exponent. Only its sign matters, for a value too large or too small for a
// double, so the sums saturate instead of overflowing.
long long decimalMagnitude(const std::string& s, std::size_t i) {
    constexpr long long kCap = 1LL << 40;
    long long m = 0;
    bool seen = false; // a non-zero digit met
    bool afterPoint = false;
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
        if (s[i] == '.') {
            afterPoint = true;
        } else if (!seen && s[i] == '0') {
            if (afterPoint)
                m = std::max(m - 1, -kCap);
        } else if (!seen || !afterPoint) {
            seen = true;
            if (!afterPoint)
                m = std::min(m + 1, kCap);
        }
    }
    if (!seen)
        return -kCap; // zero whatever its exponent
    long long e = 0;
    bool negative = false;
    if (i < s.size()) { // the exponent
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            negative = s[i++] == '-';
        for (; i < s.size(); ++i)
            e = std::min(e * 10 + (s[i] - '0'), kCap);
    }
    return m + (negative ? -e : e);
}

bool parse(const QString& text, double& value) {
    if (firstMismatch(text) >= 0)
        return false;
    // The text fits the grammar, so it is plain ASCII: read it without locale.
    std::string s = text.toStdString();
    std::size_t i = s.find_first_not_of(' ');
    if (i == std::string::npos) {
        value = 0.0; // blanks alone: every part of the grammar after them is optional
        return true;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const char* begin = s.data() + i;
    const char* last = s.data() + s.size();
    double v = 0.0;
    // A point without any digit ("." or "-.") reads as zero.
    const bool hasDigit = s.find_first_of("0123456789", i) != std::string::npos &&
                          (s.find_first_of("eE", i) == std::string::npos ||
                           s.find_first_of("0123456789", i) < s.find_first_of("eE", i));
    if (hasDigit) {
        const auto res = std::from_chars(begin, last, v, std::chars_format::general);
        if (res.ec == std::errc::result_out_of_range) {
            // Beyond the range of a double: infinity, or zero for tiny values.
            v = decimalMagnitude(s, i) > 0 ? HUGE_VAL : 0.0;
        } else if (res.ec != std::errc() || res.ptr != last) {
            return false;
        }
    }
    value = negative ? -v : v;
    return true;
}

} // namespace

double StrToFloatLenient(const QString& text) {
    if (text.isEmpty())
        return -1.0;
    double value = 0.0;
    const int p = firstMismatch(text);
    if (p < 0 && parse(text, value))
        return value;
    QString retry = text;
    if (p >= 0 && p < retry.size()) {
        if (retry[p] == QLatin1Char(','))
            retry[p] = QLatin1Char('.');
        else if (retry[p] == QLatin1Char('.'))
            retry[p] = QLatin1Char(',');
    }
    if (parse(retry, value))
        return value;
    return -1.0;
}
