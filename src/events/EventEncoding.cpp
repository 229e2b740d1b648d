#include "events/EventEncoding.h"

#include "timescale/IniFile.h"

QList<int> EventsAlteredBySaving(const TEventList& events) {
    QList<int> altered;
    for (int i = 0; i < events.Count(); ++i)
        if (!IsWindows1252Encodable(events.Date(i)) || !IsWindows1252Encodable(events.Text(i)))
            altered << i;
    return altered;
}

QString DescribeEvents(const TEventList& events, const QList<int>& indices, int maxLines) {
    constexpr int MaxShown = 60; // characters of a text shown
    QStringList lines;
    for (int n = 0; n < indices.size() && n < maxLines; ++n) {
        const int i = indices.at(n);
        if (i < 0 || i >= events.Count())
            continue;
        QString text = events.Text(i);
        if (text.size() > MaxShown) {
            int cut = MaxShown;
            if (text.at(cut - 1).isHighSurrogate())
                --cut; // never half a character
            text = text.left(cut) + QStringLiteral("…");
        }
        lines << events.Date(i) + QStringLiteral(" : ") + text;
    }
    const int left = int(indices.size()) - maxLines;
    if (left == 1)
        lines << QStringLiteral("… et 1 autre événement");
    else if (left > 1)
        lines << QStringLiteral("… et %1 autres événements").arg(left);
    return lines.join(QLatin1Char('\r'));
}
