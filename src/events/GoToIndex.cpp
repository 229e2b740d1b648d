#include "events/GoToIndex.h"

#include "timescale/DateText.h"
#include "timescale/StrToFloat.h"

#include <QSet>

#include <algorithm>
#include <cmath>

TGoToIndex::TGoToIndex(const TScaleTable& scale, const TEventList& events) {
    // Units by rank, coarse first; a unit starts at the first (oldest) row
    // that names it, the rows being sorted by start date.
    const TScaleColumn ranks[] = {colEon, colEre, colSysteme, colSerie, colEtage};
    for (const TScaleColumn rank : ranks) {
        QSet<QString> seen;
        for (int r = 0; r < scale.Count(); ++r) {
            const QStringList& row = scale.Rows[r];
            const QString name = rank < row.size() ? row[rank].trimmed() : QString();
            if (name.isEmpty() || seen.contains(name))
                continue;
            seen.insert(name);
            const QString start = row.isEmpty() ? QString() : row[colStart];
            m_entries.push_back({name, FoldForMatch(name), StrToFloatLenient(start), Unit});
        }
    }
    // Events in date order (the list itself is never sorted).
    QVector<Entry> byDate;
    for (int i = 0; i < events.Count(); ++i) {
        const QString text = events.Text(i).trimmed();
        if (!text.isEmpty())
            byDate.push_back({text, FoldForMatch(text), StrToFloatLenient(events.Date(i)), Event});
    }
    std::stable_sort(byDate.begin(), byDate.end(),
                     [](const Entry& a, const Entry& b) { return a.Date < b.Date; });
    m_entries += byDate;
}

std::optional<TGoToIndex::Entry> TGoToIndex::Find(const QString& typed) const {
    const QString key = FoldForMatch(typed);
    if (key.isEmpty())
        return std::nullopt;
    for (const Entry& e : m_entries)
        if (e.Folded == key)
            return e;
    for (const Entry& e : m_entries)
        if (e.Folded.startsWith(key))
            return e;
    for (const Entry& e : m_entries)
        if (e.Folded.contains(key))
            return e;
    return std::nullopt;
}

QStringList TGoToIndex::Completions(const QString& typed, int limit) const {
    const QString key = FoldForMatch(typed);
    QStringList out;
    if (key.isEmpty() || limit <= 0)
        return out;
    QSet<QString> taken;
    for (int pass = 0; pass < 2 && out.size() < limit; ++pass) {
        for (const Entry& e : m_entries) {
            const bool match = pass == 0 ? e.Folded.startsWith(key) : e.Folded.indexOf(key) > 0;
            if (!match || taken.contains(e.Name))
                continue;
            taken.insert(e.Name);
            out << e.Name;
            if (out.size() >= limit)
                break;
        }
    }
    return out;
}

TGoToRequest ResolveGoTo(const QString& typed, const TGoToIndex& index) {
    TGoToRequest r;
    if (typed.trimmed().isEmpty())
        return r;
    if (const std::optional<double> date = ParseDateText(typed)) {
        r.Result = TGoToRequest::IsDate;
        r.Target = std::isnan(*date) ? 0.0 : std::clamp(*date, LowestDate, HighestDate);
        r.Clamped = r.Target != *date;
        return r;
    }
    if (const std::optional<TGoToIndex::Entry> e = index.Find(typed)) {
        r.Result = TGoToRequest::IsName;
        r.Name = e->Name;
        // A unit older than the dials' range (the Hadean starts before -4550)
        // is reached at the limit.
        r.Target = std::clamp(e->Date, LowestDate, HighestDate);
        return r;
    }
    r.Result = TGoToRequest::Unknown;
    return r;
}
