// A text typed into "Aller à": read as a date, or as a name of units and events
// (one event carries the text itself). Properties: a date lands within the
// limits; a name found contains what was typed (without accents); the text
// typed as an event's name finds an event of that name or one before it; the
// completions are names of the index.
#include "FuzzSupport.h"
#include "events/GoToIndex.h"
#include "timescale/DateText.h"

#include <QSet>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<double> d = ParseDateText(typed)) {
        fuzz::Check(!std::isnan(*d), "a typed date reads as NaN");
        if (std::isfinite(*d))
            fuzz::Check(!DescribeTypedDate(*d).isEmpty(), "a date without its description");
    }
    TScaleTable scale;
    scale.StartDates = {QStringLiteral("-4550"), QStringLiteral("-66")};
    scale.Rows = {{QStringLiteral("Hadéen"), QStringLiteral("x")},
                  {QStringLiteral("Cénozoïque"), QStringLiteral("y")}};
    TEventList events;
    events.Append(QStringLiteral("-65,000"), QStringLiteral("Extinction des dinosaures"));
    events.Append(QStringLiteral("-1,000"), typed.left(TEventList::MaxTextLength));
    const TGoToIndex index(scale, events);
    const TGoToRequest r = ResolveGoTo(typed, index);
    if (r.Result == TGoToRequest::IsDate || r.Result == TGoToRequest::IsName)
        fuzz::Check(r.Target >= LowestDate && r.Target <= HighestDate, "a target beyond the limits");
    const QString folded = FoldForMatch(typed);
    if (const std::optional<TGoToIndex::Entry> e = index.Find(typed))
        fuzz::Check(e->Folded.contains(folded), "a name found that does not hold the text typed");
    QSet<QString> names;
    for (const TGoToIndex::Entry& e : index.Entries())
        names.insert(e.Name);
    for (const QString& c : index.Completions(typed))
        fuzz::Check(names.contains(c), "a completion that is no name of the index");
    return 0;
}
