#pragma once

#include "events/EventList.h"
#include "timescale/ScaleTable.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// The places the "Aller à" command can go to by name: every unit of the
// current scale at every rank (eon, era, system, series, stage), at the unit's
// start, and every event of the current list, at its date. Names are matched
// without regard to letter case or accents.
class TGoToIndex {
public:
    enum Kind { Unit, Event };
    struct Entry {
        QString Name;   // as written in the scale or the event list
        QString Folded; // FoldForMatch(Name)
        double Date = 0.0;
        Kind Type = Unit;
    };

    TGoToIndex() = default;
    TGoToIndex(const TScaleTable& scale, const TEventList& events);

    const QVector<Entry>& Entries() const { return m_entries; }

    // The entry a typed name designates: the first whose name equals it, else
    // the first that begins with it, else the first that contains it (units
    // before events, coarse ranks first, older first). None for an empty text.
    std::optional<Entry> Find(const QString& typed) const;

    // The names offered while typing, in the order Find prefers them: names
    // beginning with the text, then names containing it elsewhere; at most
    // `limit` of them, each once.
    QStringList Completions(const QString& typed, int limit = 30) const;

private:
    QVector<Entry> m_entries;
};

// What a text typed into "Aller à" asks for.
struct TGoToRequest {
    enum Status { Empty, IsDate, IsName, Unknown };
    Status Result = Empty;
    double Target = 0.0;  // Ma, within Lowest .. Highest
    bool Clamped = false; // a typed date outside the limits was brought to them
    QString Name;         // the name found, for IsName
};

// The dials' limits in Ma.
constexpr double LowestDate = -4550.0;
constexpr double HighestDate = 30.0;

// Reads the text as a date first, then as a name of the index.
TGoToRequest ResolveGoTo(const QString& typed, const TGoToIndex& index);
