#include "timescale/DateText.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

std::optional<double> ParseDateText(const QString& input) {
    QString text = input.trimmed();
    text.replace(QChar(0x2212), QLatin1Char('-')); // typographic minus
    text.replace(QChar(0x00A0), QLatin1Char(' ')); // no-break spaces
    text.replace(QChar(0x202F), QLatin1Char(' '));
    // Digits in groups of three after a blank (the French thousands space,
    // no-break spaces made plain above), or digits alone.
    static const QRegularExpression pattern(
        QStringLiteral("^([+-]?)\\s*([0-9]{1,3}(?: [0-9]{3})+(?:[.,][0-9]*)?|[0-9]+(?:[.,][0-9]*)?|[.,][0-9]+)"
                       "\\s*(ma|ga|ka|ans|an)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;

    QString number = m.captured(2);
    number.remove(QLatin1Char(' '));
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    if (number.endsWith(QLatin1Char('.')))
        number.chop(1);
    bool ok = false;
    double value = QLocale::c().toDouble(number, &ok);
    if (!ok) {
        // Digits only, so the number was beyond a double: too large when a
        // digit other than zero comes before the point, else too small (zero).
        const QString whole = number.section(QLatin1Char('.'), 0, 0);
        value = whole.contains(QRegularExpression(QStringLiteral("[1-9]"))) ? HUGE_VAL : 0.0;
    }

    // "ma" in lower case is what the third dial counts in (milliers d'années,
    // "1 tour = 10 000 ans"); "Ma" and "MA" are millions of years.
    const QString unitAsTyped = m.captured(3);
    const QString unit = unitAsTyped.toLower();
    if (unit == QLatin1String("ga"))
        value *= 1000.0;
    else if (unit == QLatin1String("ka") || unitAsTyped == QLatin1String("ma"))
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

QString DescribeTypedDate(double date) {
    const double a = std::fabs(date);
    QString ma = QString::number(a, 'f', 6);
    while (ma.endsWith(QLatin1Char('0')) && ma.size() - ma.indexOf(QLatin1Char('.')) > 4)
        ma.chop(1);
    ma.replace(QLatin1Char('.'), QLatin1Char(','));
    const bool zero = ma == QLatin1String("0,000");
    QString text = QStringLiteral("\u2192 ");
    if (!zero)
        text += date < 0 ? QChar(0x2212) : QLatin1Char('+');
    text += ma + QStringLiteral(" Ma");
    if (!zero && a < 1.0) {
        const qint64 years = std::llround(a * 1e6);
        QString count = QString::number(years);
        for (qsizetype at = count.size() - 3; at > 0; at -= 3)
            count.insert(at, QChar(0x00A0));
        const QString unit = years == 1 ? QStringLiteral(" an") : QStringLiteral(" ans");
        text += (date < 0 ? QStringLiteral(", soit ") : QStringLiteral(", soit dans ")) + count + unit;
    }
    return text;
}
