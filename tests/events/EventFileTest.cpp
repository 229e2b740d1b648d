#include "events/EventFile.h"
#include "imaging/PeakMemory.h"
#include "timescale/AevError.h"
#include "timescale/IniFile.h"
#include "timescale/StrToFloat.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEventList listOf(std::initializer_list<std::pair<const char*, const char*>> events) {
    TEventList list;
    for (const auto& e : events)
        list.Append(QString::fromUtf8(e.first), QString::fromUtf8(e.second));
    return list;
}

class EventFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

} // namespace

TEST(FormatDateText, ThreeDecimalsWithAComma) {
    EXPECT_EQ(FormatDateText(-4550.0), QStringLiteral("-4550,000"));
    EXPECT_EQ(FormatDateText(-65.5), QStringLiteral("-65,500"));
    EXPECT_EQ(FormatDateText(0.0), QStringLiteral("0,000"));
    EXPECT_EQ(FormatDateText(12.25), QStringLiteral("12,250"));
    EXPECT_EQ(FormatDateText(30.0), QStringLiteral("30,000"));
    EXPECT_EQ(FormatDateText(-1000.0), QStringLiteral("-1000,000"));
    EXPECT_EQ(FormatDateText(-0.25), QStringLiteral("-0,250"));
    EXPECT_EQ(FormatDateText(0.001), QStringLiteral("0,001"));
}

TEST(FormatDateText, RoundsOnceToTheNearestThousandthOfTheStoredValue) {
    EXPECT_EQ(FormatDateText(-65.12349), QStringLiteral("-65,123"));
    EXPECT_EQ(FormatDateText(-65.1236), QStringLiteral("-65,124"));
    // 12.2345 and 0.9995 are stored a hair above the half, 1.0005 a hair below.
    EXPECT_EQ(FormatDateText(12.2345), QStringLiteral("12,235"));
    EXPECT_EQ(FormatDateText(0.9995), QStringLiteral("1,000"));
    EXPECT_EQ(FormatDateText(1.0005), QStringLiteral("1,000"));
    EXPECT_EQ(FormatDateText(-999.9996), QStringLiteral("-1000,000"));
    EXPECT_EQ(FormatDateText(0.0005), QStringLiteral("0,001")); // stored a hair above
    EXPECT_EQ(FormatDateText(0.00049), QStringLiteral("0,000"));
    EXPECT_EQ(FormatDateText(-4549.9999), QStringLiteral("-4550,000"));
    EXPECT_EQ(FormatDateText(-898.19246694), QStringLiteral("-898,192"));
    EXPECT_EQ(FormatDateText(-12.3294999999), QStringLiteral("-12,329"));
    EXPECT_EQ(FormatDateText(-218.7004999), QStringLiteral("-218,700"));
    EXPECT_EQ(FormatDateText(123456.789), QStringLiteral("123456,789"));
    // An exact half (1/16 = 0.0625) goes away from zero.
    EXPECT_EQ(FormatDateText(-1.0625), QStringLiteral("-1,063"));
    EXPECT_EQ(FormatDateText(1e300).size(), 305);
}

// The exact decimal expansion of the double (glibc prints it digit for digit),
// rounded on its fourth decimal.
QString ExactReference(double v) {
    char buf[200];
    std::snprintf(buf, sizeof buf, "%.90f", std::fabs(v));
    QString s = QString::fromLatin1(buf);
    const int dot = int(s.indexOf(QLatin1Char('.')));
    QString digits = s.left(dot) + s.mid(dot + 1, 3);
    qint64 n = digits.toLongLong();
    if (s.at(dot + 4) >= QLatin1Char('5'))
        ++n;
    QString text = QString::asprintf("%lld,%03lld", n / 1000, n % 1000);
    if (v < 0 && n != 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

TEST(FormatDateText, AgreesWithTheExactDecimalValueOnRandomDates) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> date(-4550.0, 30.0);
    std::uniform_int_distribution<int> thousandth(-4550000, 30000);
    std::uniform_int_distribution<int> ulps(-4, 4);
    for (int i = 0; i < 200000; ++i) {
        double v = date(rng);
        if (i % 2) // near a half thousandth, where rounding twice goes wrong
            v = std::nextafter(thousandth(rng) / 1000.0 + 0.0005, 0.0) + ulps(rng) * 1e-13;
        ASSERT_EQ(FormatDateText(v), ExactReference(v)) << qPrintable(QString::number(v, 'g', 17));
    }
}

TEST(FormatDateText, NoNegativeZero) {
    EXPECT_EQ(FormatDateText(-0.0), QStringLiteral("0,000"));
    EXPECT_EQ(FormatDateText(-0.0004), QStringLiteral("0,000"));
    EXPECT_EQ(FormatDateText(-1e-12), QStringLiteral("0,000"));
    EXPECT_EQ(FormatDateText(-0.0005), QStringLiteral("-0,001"));
}

TEST(FormatDateText, CommaWhateverTheLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const char* c = std::setlocale(LC_NUMERIC, "en_US.UTF-8");
    EXPECT_EQ(FormatDateText(-1234.5), QStringLiteral("-1234,500"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatDateText(-1234.5), QStringLiteral("-1234,500"));
    QLocale::setDefault(saved);
    if (c)
        std::setlocale(LC_NUMERIC, "C");
}

TEST(FormatDateText, ReadsBackWithinHalfAThousandth) {
    for (double d = -4550.0; d <= 30.0; d += 0.7071) {
        const QString t = FormatDateText(d);
        EXPECT_NEAR(StrToFloatLenient(t), d, 0.0005 + 1e-9) << t.toStdString();
        EXPECT_EQ(t.count(QLatin1Char(',')), 1);
        EXPECT_EQ(t.size() - t.indexOf(QLatin1Char(',')), 4);
    }
}

TEST_F(EventFileTest, MissingOrEmptyFileGivesNoEvents) {
    EXPECT_EQ(LoadEventFile(path("absent.aev")).Count(), 0);
    EXPECT_EQ(LoadEventFile(QString()).Count(), 0);
    writeBytes(path("plain.txt"), "just some text\r\nwithout sections\r\n");
    EXPECT_EQ(LoadEventFile(path("plain.txt")).Count(), 0);
}

TEST_F(EventFileTest, LoadKeepsFileOrderAndReadsEachSectionsOwnTexts) {
    writeBytes(path("e.ini"), "; a comment\r\n"
                              "[-65,000]\r\nAutre=x\r\nEvenement3=trois\r\nEvenement=Extinction\r\n"
                              "Evenement02=pas un texte\r\nEVENEMENT2=deux\r\n\r\n"
                              "[-4550.000]\r\nEvenement=  Formation  \r\n"
                              "[12,250]\r\nSansTexte=1\r\n"
                              "[-65,000]\r\nEvenement=second\r\n"
                              "[-1,5]\r\nevenement=\"entre guillemets\"\r\n");
    const TEventList list = LoadEventFile(path("e.ini"));
    // Further texts of a date by their number; a section of a name written twice reads its own.
    EXPECT_EQ(list.Dates(), QStringList({"-65,000", "-65,000", "-65,000", "-4550.000", "12,250", "-65,000", "-1,5"}));
    EXPECT_EQ(list.Texts(), QStringList({"Extinction", "deux", "trois", "Formation", "", "second", "entre guillemets"}));
    // A date written with a point reads like one with a comma.
    EXPECT_DOUBLE_EQ(StrToFloatLenient(list.Date(3)), -4550.0);
    // Beyond the limit of events (the further texts count), the file is refused.
    EXPECT_NO_THROW(LoadEventFile(path("e.ini"), nullptr, 7));
    try {
        LoadEventFile(path("e.ini"), nullptr, 2);
        ADD_FAILURE() << "not refused";
    } catch (const EAevError& e) {
        EXPECT_EQ(e.message(), TooManyEventsMessage(path("e.ini"), 2));
    }
}

TEST_F(EventFileTest, LongSectionNamesAreCut) {
    const QByteArray name(5000, '1');
    writeBytes(path("long.aev"), "[" + name + "]\r\nEvenement=x\r\n");
    const TEventList list = LoadEventFile(path("long.aev"));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Date(0).size(), TEventList::MaxTextLength);
}

TEST_F(EventFileTest, SaveWritesOneSectionPerEventInWindows1252WithCrLf) {
    const TEventList list = listOf({{"-65,000", "Extinction des dinosaures"}, {"-4550,000", "Formation de la Terre, été"}});
    SaveEventFile(path("a.aev"), list);
    const QByteArray bytes = readBytes(path("a.aev"));
    EXPECT_EQ(bytes, QByteArray("[-65,000]\r\nEvenement=Extinction des dinosaures\r\n"
                                "[-4550,000]\r\nEvenement=Formation de la Terre, \xE9t\xE9\r\n"));
}

TEST_F(EventFileTest, RoundTrips) {
    // Accents of Windows-1252 beyond Latin-1 too (oe ligature, euro, quotes).
    const TEventList list = listOf({{"-65,000", "Extinction K-T"},
                                    {"-2500,000", ""},
                                    {"-541,000", "Cambrien : œuvre, €, “guillemets”, àéèêëîïôùûüç"},
                                    {"-0,010", "   Holocène"},
                                    {"12,250", "Futur  "}});
    SaveEventFile(path("r.aev"), list);
    const TEventList back = LoadEventFile(path("r.aev"));
    ASSERT_EQ(back.Count(), 5);
    EXPECT_EQ(back.Dates(), list.Dates());
    EXPECT_EQ(back.Text(0), list.Text(0));
    EXPECT_EQ(back.Text(1), QString()); // written as "Evenement=" and read back empty
    EXPECT_EQ(back.Text(2), list.Text(2));
    EXPECT_EQ(back.Text(3), QStringLiteral("Holocène")); // surrounding blanks do not survive a file
    EXPECT_EQ(back.Text(4), QStringLiteral("Futur"));
    EXPECT_TRUE(readBytes(path("r.aev")).contains("[-2500,000]\r\nEvenement=\r\n"));
}

// Events that share a date are all saved, in one section, and read back at that
// date; dates that would round to one text keep their decimals.
TEST_F(EventFileTest, EveryTextAtItsDateSurvivesASave) {
    struct Case {
        TEventList list;
        TEventList back; // in the file's order: dates grouped
    };
    const Case cases[] = {
        {listOf({{"-66,000", "A"}, {"-100,000", "C"}, {"-66,000", "B"}, {"-66,000", "D"}}),
         listOf({{"-66,000", "A"}, {"-66,000", "B"}, {"-66,000", "D"}, {"-100,000", "C"}})},
        {listOf({{"-66,000", "seul"}}), listOf({{"-66,000", "seul"}})}, // fewer texts over the same file
        {listOf({{qPrintable(EventDateText(-66.0001)), "a"}, {qPrintable(EventDateText(-66.0004)), "b"},
                 {qPrintable(EventDateText(-0.0117)), "Holocène"}}),
         listOf({{"-66,0001", "a"}, {"-66,0004", "b"}, {"-0,0117", "Holocène"}})},
    };
    for (const Case& c : cases) {
        SaveEventFile(path("d.aev"), c.list);
        const TEventList back = LoadEventFile(path("d.aev"));
        EXPECT_EQ(back.Dates(), c.back.Dates());
        EXPECT_EQ(back.Texts(), c.back.Texts());
    }
    EXPECT_EQ(readBytes(path("d.aev")), QByteArray("[-66,0001]\r\nEvenement=a\r\n[-66,0004]\r\nEvenement=b\r\n"
                                                   "[-0,0117]\r\nEvenement=Holoc\xE8ne\r\n"));
    SaveEventFile(path("n.aev"), cases[0].list);
    EXPECT_EQ(readBytes(path("n.aev")), QByteArray("[-66,000]\r\nEvenement=A\r\nEvenement2=B\r\nEvenement3=D\r\n"
                                                   "[-100,000]\r\nEvenement=C\r\n"));
}

TEST(EventDateText, ThreeDecimalsOrUpToSixWhereTheyGiveTheDateItself) {
    const std::pair<double, const char*> cases[] = {
        {-65.5, "-65,500"},     {0.0, "0,000"},        {12.25, "12,250"},          {-0.0117, "-0,0117"},
        {-66.0001, "-66,0001"}, {-66.123456, "-66,123456"}, {-1234.5678912, "-1234,568"}, {-1e-7, "0,000"},
        {-0.0117 + 1e-12, "-0,0117"}, // as the dials give it back
    };
    for (const auto& c : cases)
        EXPECT_EQ(EventDateText(c.first), QString::fromLatin1(c.second)) << c.first;
}

TEST_F(EventFileTest, LongestTextSurvives) {
    const QString text(2047, QChar(0xE9));
    TEventList list;
    list.Append(QStringLiteral("-1,000"), text);
    SaveEventFile(path("l.aev"), list);
    EXPECT_EQ(LoadEventFile(path("l.aev")).Text(0), text);
}

TEST_F(EventFileTest, FiveThousandEventsRoundTrip) {
    TEventList list;
    for (int i = 0; i < 5000; ++i)
        list.Append(FormatDateText(-4550.0 + i * 0.9), QStringLiteral("Evénement n° %1").arg(i));
    ASSERT_EQ(QSet<QString>(list.Dates().begin(), list.Dates().end()).size(), 5000);
    SaveEventFile(path("big.aev"), list);
    const TEventList back = LoadEventFile(path("big.aev"));
    EXPECT_EQ(back.Dates(), list.Dates());
    EXPECT_EQ(back.Texts(), list.Texts());
}

TEST_F(EventFileTest, SavingAnEmptyListCreatesNoFileAndEmptiesAnExistingOne) {
    SaveEventFile(path("none.aev"), TEventList());
    EXPECT_FALSE(QFile::exists(path("none.aev")));
    writeBytes(path("keep.aev"), "; notes\r\n[-1,000]\r\nEvenement=parti\r\n");
    SaveEventFile(path("keep.aev"), TEventList());
    EXPECT_EQ(readBytes(path("keep.aev")), QByteArray("; notes\r\n"));
}

// Saved over a file, the list is what the file then holds: kept dates are
// updated in place, new ones appended, every other section read as events
// removed; comments, nameless sections and other keys of kept sections stay.
TEST_F(EventFileTest, SavingIntoAnExistingFileLeavesExactlyTheListsEvents) {
    writeBytes(path("x.aev"), "; en-t\xEAte\r\n"
                              "[Autre]\r\nCle=valeur\r\n\r\n"
                              "[-65,000]\r\nEvenement=ancien\r\nNote=garde\r\nEvenement2=de trop\r\n\r\n"
                              "[-100,000]\r\n; Jurassique\r\nEvenement=supprim\xE9 de la liste\r\n"
                              "[]\r\nCle=sans nom\r\n"
                              "[-65,000]\r\nEvenement=doublon\r\n");
    SaveEventFile(path("x.aev"), listOf({{"-1,000", "nouveau"}, {"-65,000", "changé"}}));
    EXPECT_EQ(readBytes(path("x.aev")), QByteArray("; en-t\xEAte\r\n"
                                                   "[-65,000]\r\nEvenement=chang\xE9\r\nNote=garde\r\n\r\n"
                                                   "; Jurassique\r\n"
                                                   "[]\r\nCle=sans nom\r\n"
                                                   "[-1,000]\r\nEvenement=nouveau\r\n"));
    const TEventList back = LoadEventFile(path("x.aev"));
    EXPECT_EQ(back.Dates(), QStringList({"-65,000", "-1,000"}));
    EXPECT_EQ(back.Texts(), QStringList({"changé", "nouveau"}));
}

TEST_F(EventFileTest, AFailedSaveLeavesTheFileAsItWas) {
    // No such folder: nothing is created.
    EXPECT_THROW(SaveEventFile(path("nodir/x.aev"), listOf({{"-1,000", "a"}})), EAevError);
    EXPECT_FALSE(QFileInfo::exists(path("nodir")));
    // An event that cannot be written (no section name) stops the save before the
    // file is touched: the events before it are not written either.
    const QByteArray before("[-5,000]\r\nEvenement=avant\r\n");
    writeBytes(path("y.aev"), before);
    EXPECT_THROW(SaveEventFile(path("y.aev"), listOf({{"-1,000", "a"}, {"", "b"}, {"-2,000", "c"}})), EAevError);
    EXPECT_EQ(readBytes(path("y.aev")), before);
    // A folder in place of the file.
    QDir(dir.path()).mkdir(QStringLiteral("folder.aev"));
    EXPECT_THROW(SaveEventFile(path("folder.aev"), listOf({{"-1,000", "a"}})), EAevError);
    EXPECT_TRUE(QFileInfo(path("folder.aev")).isDir());
}

TEST_F(EventFileTest, ASectionWithoutANameIsLeftOutSoThatWhatLoadsCanBeSaved) {
    const QByteArray original("[-65,000]\r\nEvenement=a\r\n[]\r\nEvenement=sans date\r\n[  ]\r\n[-1,000]\nEvenement=b\n");
    writeBytes(path("n.aev"), original);
    int skipped = -1;
    TEventList list = LoadEventFile(path("n.aev"), &skipped);
    EXPECT_EQ(skipped, 2);
    EXPECT_EQ(list.Dates(), QStringList({"-65,000", "-1,000"}));
    // Saved back into the same file: nothing changes, the nameless sections stay.
    SaveEventFile(path("n.aev"), list);
    EXPECT_EQ(readBytes(path("n.aev")), original);
    // Saved with an edit into a new file and read back: the same list.
    list.SetText(1, QStringLiteral("c"));
    SaveEventFile(path("copy.aev"), list);
    const TEventList back = LoadEventFile(path("copy.aev"), &skipped);
    EXPECT_EQ(skipped, 0);
    EXPECT_EQ(back.Dates(), list.Dates());
    EXPECT_EQ(back.Texts(), list.Texts());
}

// Reading an event file takes a few times its size plus the events kept,
// whatever its shape: many small events, one long line, one long section name.
TEST_F(EventFileTest, MemoryStaysWithinAFewTimesTheFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer keeps freed memory in quarantine";
#endif
    const qsizetype size = 8 << 20;
    QByteArray many;
    for (int i = 0; many.size() < size; ++i)
        many += "[-" + QByteArray::number(i) + ",125]\r\nEvenement=Apparition de l'espèce n° " +
                QByteArray::number(i) + "\r\n"; // about 60 bytes an event, as files are
    const QByteArray files[] = {many, "[-1]\r\nEvenement=" + QByteArray(size, 'x') + "\r\n",
                                "[" + QByteArray(size, 'y') + "]\r\n", QByteArray(size, '\n')};
    for (const QByteArray& bytes : files) {
        const QString path = dir.filePath("m.aev");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        qint64 kept = 0;
        const qint64 growth = peak::Growth([&] {
            const TEventList list = ReadEventFile(QFile::encodeName(path), 64 << 20);
            for (int i = 0; i < list.Count(); ++i) // the strings and their list entries
                kept += 2 * (list.Date(i).size() + list.Text(i).size()) + 96;
        });
        if (growth >= 0) {
            EXPECT_LT(growth, 8 * size + kept) << growth / (1 << 20) << " MB, kept " << kept / (1 << 20) << " MB";
        }
    }
}
