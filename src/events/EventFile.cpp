#include "events/EventFile.h"

#include "timescale/AevError.h"
#include "timescale/IniFile.h"
#include "timescale/StrToFloat.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <utility>
#include <vector>

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

QString EventDateText(double dateMa) {
    // Within this distance a text reads back as the date: far below the
    // millionth of a Ma (a year), far above the error of a date that the
    // dials reached by "Aller à" or a step to a boundary.
    constexpr double Same = 1e-9;
    const QString three = FormatDateText(dateMa);
    if (!std::isfinite(dateMa) || std::fabs(dateMa) >= 1e9 || std::fabs(StrToFloatLenient(three) - dateMa) <= Same)
        return three;
    for (int decimals = 4; decimals <= 6; ++decimals) {
        QString text = QString::number(dateMa, 'f', decimals);
        if (std::fabs(text.toDouble() - dateMa) <= Same)
            return text.replace(QLatin1Char('.'), QLatin1Char(','));
    }
    // A date set by a drag: three decimals, as the readout shows it.
    return three;
}

namespace {

// The number n of a key "evenement<n>" (case-folded), n >= 2 written without
// leading zero; 0 for any other key.
int numberedEventKey(const QString& folded) {
    static const QString prefix = QString::fromLatin1(EventKey).toCaseFolded();
    if (!folded.startsWith(prefix))
        return 0;
    const QStringView digits = QStringView(folded).mid(prefix.size());
    if (digits.isEmpty() || digits.size() > 9 || digits.front() == QLatin1Char('0'))
        return 0;
    int n = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        n = n * 10 + (c.unicode() - '0');
    }
    return n >= 2 ? n : 0;
}

QString numberedKey(int n) { return n <= 1 ? QLatin1String(EventKey) : QLatin1String(EventKey) + QString::number(n); }

} // namespace

TEventList LoadEventFile(const QString& path, int* skipped, int maxEvents) {
    TEventList events;
    const TIniFile ini(path);
    const QString key = QLatin1String(EventKey);
    int nameless = 0;
    const QStringList names = ini.ReadSections();
    for (int i = 0; i < names.size(); ++i) {
        QString date = names[i];
        // A section without a name ("[]") has no date and could not be written
        // back: it is left out, and the caller says so.
        if (date.isEmpty()) {
            ++nameless;
            continue;
        }
        if (date.size() > TEventList::MaxTextLength)
            date.truncate(TEventList::MaxTextLength);
        events.Append(date, ini.ReadString(i, key, QString()));
        // The further texts of the date, by their number.
        const QStringList keys = ini.SectionKeys(i);
        if (keys.size() > 1) {
            std::vector<std::pair<int, QString>> more;
            for (const QString& k : keys)
                if (const int n = numberedEventKey(k))
                    more.emplace_back(n, k);
            std::sort(more.begin(), more.end());
            for (const auto& m : more)
                events.Append(date, ini.ReadString(i, m.second, QString()));
        }
        if (events.Count() > maxEvents)
            throw EAevError(TooManyEventsMessage(path, maxEvents));
    }
    // Sections beyond those read are events too.
    if (!ini.AllSectionsRead())
        throw EAevError(TooManyEventsMessage(path, maxEvents));
    if (skipped)
        *skipped = nameless;
    return events;
}

void SaveEventFile(const QString& path, const TEventList& events) {
    if (events.Count() == 0 && !QFileInfo::exists(path))
        return;
    // A file that exists but cannot be read would be replaced by the events
    // alone, losing its other sections: refuse instead.
    if (QFileInfo::exists(path)) {
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly))
            throw EAevError(QStringLiteral("Lecture du fichier %1 impossible").arg(path));
    }
    TIniFile ini(path);
    // The events of each date, dates in the order of their first event: the
    // first event of each date, and after each event the next one of its date.
    const int count = events.Count();
    std::vector<int> firsts, sizes, next(std::size_t(count), -1);
    {
        QHash<QString, int> dateOf; // section key -> index in firsts
        std::vector<int> lasts;
        for (int i = 0; i < count; ++i) {
            const QString name = TIniFile::SectionKey(events.Date(i));
            const auto found = dateOf.constFind(name);
            if (found == dateOf.constEnd()) {
                dateOf.insert(name, int(firsts.size()));
                firsts.push_back(i);
                lasts.push_back(i);
                sizes.push_back(1);
            } else {
                const std::size_t d = std::size_t(found.value());
                next[std::size_t(lasts[d])] = i;
                lasts[d] = i;
                ++sizes[d];
            }
        }
    }
    for (std::size_t d = 0; d < firsts.size(); ++d) {
        const QString& date = events.Date(firsts[d]);
        // Texts the section held beyond those of the list go first.
        const int s = ini.SectionIndex(date);
        if (s >= 0)
            for (const QString& k : ini.SectionKeys(s))
                if (numberedEventKey(k) > sizes[d])
                    ini.DeleteKey(s, k);
        int n = 1;
        for (int i = firsts[d]; i >= 0; i = next[std::size_t(i)])
            ini.WriteString(date, numberedKey(n++), events.Text(i));
    }
    // Every other section that reads as events goes: the first section of each
    // date of the list stays, as do the sections without a name.
    const QStringList names = ini.ReadSections();
    std::vector<bool> remove(std::size_t(names.size()), false);
    for (int s = 0; s < names.size(); ++s)
        remove[std::size_t(s)] = !names[s].isEmpty();
    for (const int first : firsts) {
        const int s = ini.SectionIndex(events.Date(first));
        if (s >= 0)
            remove[std::size_t(s)] = false;
    }
    ini.RemoveSections(remove);
    ini.UpdateFile();
}
