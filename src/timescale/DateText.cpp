#include "timescale/DateText.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

std::optional<double> ParseDateText(const QString& input) {
    QString text = input.trimmed();
    text.replace(QChar(0x2212), QLatin1Char('-')); // typographic minus
    text.replace(QChar(0x00A0), QLatin1Char(' ')); // no-break spaces
    text.replace(QChar(0x202F), QLatin1Char(' '));
    static const QRegularExpression pattern(
        QStringLiteral("^([+-]?)\\s*([0-9]+(?:[.,][0-9]*)?|[.,][0-9]+)\\s*(ma|ga|ka|ans|an)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;

    QString number = m.captured(2);
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    if (number.endsWith(QLatin1Char('.')))
        number.chop(1);
    bool ok = false;
    double value = QLocale::c().toDouble(number, &ok);
    if (!ok) // digits only, so the number was too large for a double
        value = HUGE_VAL;

    const QString unit = m.captured(3).toLower();
    if (unit == QLatin1String("ga"))
        value *= 1000.0;
    else if (unit == QLatin1String("ka"))
        value /= 1000.0;
    else if (unit == QLatin1String("ans") || unit == QLatin1String("an"))
        value /= 1e6;

    // Without a sign the number is an age: the past.
    return m.captured(1) == QLatin1String("+") ? value : -value;
}

QString FoldForMatch(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    bool blank = true; // drops leading blanks
    for (const QChar c : decomposed) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining ||
            cat == QChar::Mark_Enclosing)
            continue;
        if (c.isSpace()) {
            if (!blank)
                out += QLatin1Char(' ');
            blank = true;
            continue;
        }
        blank = false;
        const char16_t u = c.unicode();
        if (u == 0x0153 || u == 0x0152)
            out += QLatin1String("oe");
        else if (u == 0x00E6 || u == 0x00C6)
            out += QLatin1String("ae");
        else if (u == 0x2019 || u == 0x2018 || u == 0x02BC)
            out += QLatin1Char('\'');
        else if (u == 0x2010 || u == 0x2011 || u == 0x2013)
            out += QLatin1Char('-');
        else
            out += c.toCaseFolded();
    }
    if (out.endsWith(QLatin1Char(' ')))
        out.chop(1);
    return out;
}

QString FormatTypedDate(double date) {
    QString s = QString::number(date, 'f', 5);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}
