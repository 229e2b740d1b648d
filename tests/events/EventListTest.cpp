#include "events/EventList.h"

#include <gtest/gtest.h>

TEST(TEventList, ParallelListOperations) {
    TEventList l;
    EXPECT_EQ(l.Count(), 0);
    l.Append(QStringLiteral("-1,000"), QStringLiteral("a"));
    l.Insert(-1, QStringLiteral("-2,000"), QStringLiteral("b")); // -1 appends
    l.Insert(0, QStringLiteral("-3,000"), QStringLiteral("c"));  // before position 0
    l.Insert(1, QStringLiteral("-1,000"), QStringLiteral("d"));  // same date twice, never sorted
    EXPECT_EQ(l.Dates(), QStringList({"-3,000", "-1,000", "-1,000", "-2,000"}));
    EXPECT_EQ(l.Texts(), QStringList({"c", "d", "a", "b"}));
    l.SetText(2, QStringLiteral("A"));
    EXPECT_EQ(l.Date(2), QStringLiteral("-1,000"));
    EXPECT_EQ(l.Text(2), QStringLiteral("A"));
    l.Delete(1);
    EXPECT_EQ(l.Dates(), QStringList({"-3,000", "-1,000", "-2,000"}));
    EXPECT_EQ(l.Texts(), QStringList({"c", "A", "b"}));
    // Out-of-range indices change nothing.
    l.Delete(7);
    l.Delete(-1);
    l.SetText(3, QStringLiteral("x"));
    EXPECT_EQ(l.Count(), 3);
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
    EXPECT_TRUE(l.Texts().isEmpty());
}
