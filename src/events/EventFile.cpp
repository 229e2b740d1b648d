#include "events/EventFile.h"

#include "timescale/AevError.h"
#include "timescale/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cmath>

QString FormatDateText(double dateMa) {
    if (!std::isfinite(dateMa))
        dateMa = 0.0;
    // Seven significant digits, as "d.dddddde+XX", read without locale.
    const QString sci = QString::number(std::fabs(dateMa), 'e', 6);
    const int ePos = int(sci.indexOf(QLatin1Char('e')));
    QString digits = sci.left(ePos);
    digits.remove(QLatin1Char('.'));
    const int exponent = sci.mid(ePos + 1).toInt();
    // digits holds d1..d7 with value 0.d1d2...d7 x 10^(exponent + 1).
    // Build the digits of the value times 1000 (intDigits before the comma plus
    // three decimals), rounding on the first digit dropped.
    const int kept = exponent + 1 + 3; // digits of round(|date| x 1000)
    QString scaled;
    bool roundUp = false;
    if (kept <= 0) {
        // Below half a thousandth in every case but one: 0.0005 and up to 0.0009999999.
        roundUp = kept == 0 && digits.at(0) >= QLatin1Char('5');
    } else if (kept >= digits.size()) {
        scaled = digits + QString(kept - int(digits.size()), QLatin1Char('0'));
    } else {
        scaled = digits.left(kept);
        roundUp = digits.at(kept) >= QLatin1Char('5');
    }
    if (scaled.isEmpty())
        scaled = QStringLiteral("0");
    if (roundUp) {
        int i = int(scaled.size()) - 1;
        while (i >= 0 && scaled[i] == QLatin1Char('9'))
            scaled[i--] = QLatin1Char('0');
        if (i >= 0)
            scaled[i] = QChar(scaled[i].unicode() + 1);
        else
            scaled.prepend(QLatin1Char('1'));
    }
    // At least one digit before the comma.
    if (scaled.size() < 4)
        scaled = QString(4 - int(scaled.size()), QLatin1Char('0')) + scaled;
    int lead = 0;
    while (lead < int(scaled.size()) - 4 && scaled[lead] == QLatin1Char('0'))
        ++lead;
    scaled = scaled.mid(lead);
    const bool zero = scaled.count(QLatin1Char('0')) == scaled.size();
    QString text = scaled.left(scaled.size() - 3) + QLatin1Char(',') + scaled.right(3);
    if (dateMa < 0 && !zero)
        text.prepend(QLatin1Char('-'));
    return text;
}

TEventList LoadEventFile(const QString& path, int* skipped) {
    TEventList events;
    const TIniFile ini(path);
    const QString key = QLatin1String(EventKey);
    int nameless = 0;
    for (QString date : ini.ReadSections()) {
        // A section without a name ("[]") has no date and could not be written
        // back: it is left out, and the caller says so.
        if (date.isEmpty()) {
            ++nameless;
            continue;
        }
        const QString text = ini.ReadString(date, key, QString());
        if (date.size() > TEventList::MaxTextLength)
            date.truncate(TEventList::MaxTextLength);
        events.Append(date, text);
    }
    if (skipped)
        *skipped = nameless;
    return events;
}

void SaveEventFile(const QString& path, const TEventList& events) {
    if (events.Count() == 0)
        return;
    // A file that exists but cannot be read would be replaced by the events
    // alone, losing its other sections: refuse instead.
    if (QFileInfo::exists(path)) {
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly))
            throw EAevError(QStringLiteral("Lecture du fichier %1 impossible").arg(path));
    }
    TIniFile ini(path);
    const QString key = QLatin1String(EventKey);
    // A date listed twice shares one section, whose text is that of its later
    // event: the section is written once, where its first event stands, so that
    // a long list of one date stays linear.
    QHash<QString, int> last;
    for (int i = 0; i < events.Count(); ++i)
        last.insert(TIniFile::SectionKey(events.Date(i)), i);
    QSet<QString> written;
    for (int i = 0; i < events.Count(); ++i) {
        const QString name = TIniFile::SectionKey(events.Date(i));
        if (!written.contains(name)) {
            written.insert(name);
            ini.WriteString(events.Date(i), key, events.Text(last.value(name)));
        }
    }
    ini.UpdateFile();
}
