#include "events/EventFile.h"

#include "timescale/AevError.h"
#include "timescale/FileAccess.h"
#include "timescale/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cmath>
#include <cstdint>

QString FormatDateText(double dateMa) {
    if (!std::isfinite(dateMa))
        dateMa = 0.0;
    const double a = std::fabs(dateMa);
    QString text;
    int exponent = 0;
    const double fraction = std::frexp(a, &exponent); // a = fraction x 2^exponent, fraction in [0.5, 1)
    if (a >= 4503599627370496.0) {
        // 2^52 and above: a whole number, written out exactly.
        text = QString::asprintf("%.0f", a) + QStringLiteral(",000");
    } else {
        // a = m x 2^-shift exactly, m a 53-bit integer; a x 1000 = m x 1000 / 2^shift
        // is then split into its whole part and the rest in 64-bit integers, and
        // rounded once to the nearest thousandth, halves away from zero.
        const auto m = std::uint64_t(std::ldexp(fraction, 53));
        const int shift = 53 - exponent; // > 0 here
        const std::uint64_t scaled = m * 1000u; // below 2^63
        std::uint64_t thousandths = 0;
        if (shift < 64) {
            thousandths = scaled >> shift;
            const std::uint64_t rest = scaled & ((std::uint64_t(1) << shift) - 1);
            if (rest >= (std::uint64_t(1) << (shift - 1)))
                ++thousandths;
        } // else a x 1000 is below a half: zero
        text = QString::asprintf("%llu,%03llu", static_cast<unsigned long long>(thousandths / 1000),
                                 static_cast<unsigned long long>(thousandths % 1000));
        if (thousandths == 0)
            return text; // never -0,000
    }
    if (dateMa < 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

namespace {

TEventList eventsOf(const TIniFile& ini, int* skipped) {
    TEventList events;
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

} // namespace

TEventList LoadEventFile(const QString& path, int* skipped) { return eventsOf(TIniFile(path), skipped); }

TEventList ReadEventFile(const QByteArray& nativePath, qint64 maxSize, int* skipped) {
    QByteArray bytes = ReadWholeFile(nativePath, maxSize);
    // UTF-16 text (with its mark, or "[" followed or preceded by a zero byte)
    // would read as no event at all.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || bytes.startsWith(QByteArray("[\0", 2)) ||
        bytes.startsWith(QByteArray("\0[", 2)))
        throw EAevError(QStringLiteral("le fichier est en UTF-16 ; un fichier d'événements s'enregistre en "
                                       "Windows-1252 (ANSI)"));
    const TIniFile ini(QFile::decodeName(nativePath), bytes);
    bytes = QByteArray(); // the INI file holds its own reference
    return eventsOf(ini, skipped);
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
