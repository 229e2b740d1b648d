#include "events/EventEncoding.h"

#include <gtest/gtest.h>

TEST(EventEncoding, FindsTheEventsAFileWouldChange) {
    TEventList events;
    events.Append(QStringLiteral("-65,000"), QStringLiteral("Crise Crétacé–Paléogène « K-Pg » œuvre €"));
    events.Append(QStringLiteral("-66,000"), QString::fromUtf8("漢字 😀"));
    events.Append(QStringLiteral("-67,000"), QStringLiteral("ok"));
    events.Append(QString::fromUtf8("-68,000 Ω"), QStringLiteral("ok"));
    EXPECT_EQ(EventsAlteredBySaving(events), (QList<int>{1, 3}));
    EXPECT_TRUE(EventsAlteredBySaving(TEventList()).isEmpty());

    EXPECT_EQ(DescribeEvents(events, {1, 3}), QString::fromUtf8("-66,000 : 漢字 😀\r-68,000 Ω : ok"));
    EXPECT_EQ(DescribeEvents(events, {0, 1, 2, 3}, 2).split(QLatin1Char('\r')).last(),
              QStringLiteral("… et 2 autres événements"));
    // Long texts are cut, never inside a character.
    events.SetText(1, QString(59, QLatin1Char('a')) + QString::fromUtf8("😀😀"));
    EXPECT_EQ(DescribeEvents(events, {1}), QStringLiteral("-66,000 : ") + QString(59, QLatin1Char('a')) +
                                               QStringLiteral("…"));
}
