#include "timescale/ScaleTable.h"
#include "timescale/StrToFloat.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SortStartDates, SortsAscendingAndKeepsTheLoopsOrderOfEqualValues) {
    QStringList dates{"-66", "-4550", "-541", "0"};
    SortStartDates(dates);
    EXPECT_EQ(dates, (QStringList{"-4550", "-541", "-66", "0"}));

    QStringList equal{"-541", "-541,0", "-4550"};
    SortStartDates(equal);
    EXPECT_EQ(equal, (QStringList{"-4550", "-541,0", "-541"}));

    // A name that is not a number reads as -1 and sorts with "-1".
    QStringList odd{"abc", "-2", "-1", "0"};
    SortStartDates(odd);
    EXPECT_EQ(StrToFloatLenient(odd[1]), -1.0);
    EXPECT_EQ(StrToFloatLenient(odd[2]), -1.0);
    EXPECT_EQ(odd[0], "-2");
}

TEST(SortStartDates, MatchesTheExchangeLoopOnRandomListsWithManyEqualValues) {
    QRandomGenerator rng(42);
    for (int round = 0; round < 300; ++round) {
        QStringList dates;
        const int n = int(rng.bounded(1, 40));
        for (int i = 0; i < n; ++i) {
            const int v = int(rng.bounded(-5, 5));
            // Equal values written differently, so that their order shows.
            dates << (rng.bounded(2) ? QString::number(v) : QString::number(v) + ",0" + QString::number(i));
        }
        // Make some exactly equal values: "v,0i" differ, so add plain duplicates too.
        dates << QStringLiteral("1") << QStringLiteral("1,0") << QStringLiteral("1.0");
        QStringList fast = dates, loop = dates;
        SortStartDates(fast);
        SortStartDatesByLoop(loop);
        ASSERT_EQ(fast, loop) << dates.join(' ').toStdString();
    }
}

TEST(SortStartDates, AHugeListDoesNotHang) {
    QStringList dates;
    for (int i = 0; i < 300000; ++i)
        dates << QString::number((qint64(i) * 7919) % 1000 - 500);
    SortStartDates(dates);
    for (int i = 1; i < dates.size(); ++i)
        ASSERT_LE(StrToFloatLenient(dates[i - 1]), StrToFloatLenient(dates[i]));
}

TEST(LoadScaleFile, ReadsTheTwelveKeysOfEachSortedRow) {
    QTemporaryDir dir;
    QFile f(dir.filePath("Echelle.ini"));
    f.open(QIODevice::WriteOnly);
    f.write("[-66]\r\neon=Phan\xe9rozo\xefque\r\nere=C\xe9nozo\xefque\r\ncouleur=$00FF00\r\n"
            "[-4550]\r\neon=Hadéen\r\nlienpaleo=docs/h.html\r\n");
    f.close();
    const TScaleTable t = LoadScaleFile(dir.filePath("Echelle.ini"));
    ASSERT_EQ(t.Count(), 2);
    EXPECT_EQ(t.StartDates, (QStringList{"-4550", "-66"}));
    EXPECT_EQ(t.Rows[1][colStart], "-66");
    EXPECT_EQ(t.Rows[1][colEon], QString::fromUtf8("Phanérozoïque"));
    EXPECT_EQ(t.Rows[1][colEre], QString::fromUtf8("Cénozoïque"));
    EXPECT_EQ(t.Rows[1][colCouleur], "$00FF00");
    EXPECT_EQ(t.Rows[1][colLienPaleo], "");
    EXPECT_EQ(t.Rows[0][colLienPaleo], "docs/h.html");
    EXPECT_EQ(t.Rows[0].size(), ScaleColumnCount);
    EXPECT_EQ(LoadScaleFile(dir.filePath("missing.ini")).Count(), 0);
}

TEST(LoadScaleFile, TenMegabytesOfHostileTextLoadWithoutHarm) {
    QTemporaryDir dir;
    QByteArray bytes;
    QRandomGenerator rng(7);
    while (bytes.size() < 10 * 1024 * 1024) {
        switch (rng.bounded(6)) {
        case 0: bytes += "[" + QByteArray::number(rng.bounded(-5000, 50)) + "]\r\n"; break;
        case 1: bytes += "[" + QByteArray(int(rng.bounded(1, 300)), char(rng.bounded(32, 255))) + "]\n"; break;
        case 2: bytes += "eon=" + QByteArray(int(rng.bounded(0, 3000)), 'e') + "\r\n"; break;
        case 3: bytes += QByteArray(int(rng.bounded(1, 200)), '\0') + "\n"; break;
        case 4: bytes += "[unterminated\r\nno equals sign here\r\n"; break;
        default: bytes += "couleur=\xc3\xa9\xff\xfe\r\n"; break;
        }
    }
    QFile f(dir.filePath("big.ini"));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    f.close();
    const TScaleTable t = LoadScaleFile(dir.filePath("big.ini"));
    EXPECT_GT(t.Count(), 1000);
    for (int r = 1; r < t.Count(); ++r)
        ASSERT_LE(StrToFloatLenient(t.StartDates[r - 1]), StrToFloatLenient(t.StartDates[r]));
}
