// Events from and to spreadsheets: files as the common spreadsheets write them.
#include "events/EventCsv.h"
#include "timescale/AevError.h"
#include "imaging/PeakMemory.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TCsvCase {
    const char* name;
    QByteArray bytes;
    QStringList expected;       // "date|text" per event
    QList<int> rejectedLines;   // lines of the rejected rows
    char separator;
    const char* encoding;
    bool header;
};

QStringList eventsOf(const TEventCsvResult& r) {
    QStringList out;
    for (int i = 0; i < r.Events.Count(); ++i)
        out << r.Events.Date(i) + QLatin1Char('|') + r.Events.Text(i);
    return out;
}

QList<int> rejectedLinesOf(const TEventCsvResult& r) {
    QList<int> out;
    for (const TCsvRejectedLine& l : r.Rejected)
        out << l.Line;
    return out;
}

// The bytes of a UTF-16 text, little-endian, after its byte-order mark.
QByteArray utf16le(const char16_t* text) {
    const QString s = QString::fromUtf16(text);
    QByteArray bytes("\xFF\xFE", 2);
    for (QChar c : s) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

const QStringList kTwo = {QStringLiteral("-66,000|Extinction des dinosaures"),
                          QStringLiteral("-4550,000|Formation de la Terre")};

TEST(EventCsvTest, FilesOfCommonSpreadsheets) {
    const QByteArray bom = "\xEF\xBB\xBF";
    const TCsvCase cases[] = {
        {"LibreOffice French, header, BOM", bom + "Date (Ma);Événement\r\n-66;Extinction des dinosaures\r\n"
                                                  "-4550,0;Formation de la Terre\r\n",
         kTwo, {}, ';', "UTF-8", true},
        {"French without BOM, ages unsigned, comma decimals", "66;Extinction des dinosaures\n4 550,000;Formation de la Terre\n",
         kTwo, {}, ';', "UTF-8", false},
        {"English, comma, English header", "Age (Ma),Event\n66.0,Extinction des dinosaures\n\"4,550.0\",Formation de la Terre\n",
         kTwo, {}, ',', "UTF-8", true},
        {"tab-separated, text column first", "Event\tDate\nExtinction des dinosaures\t-66\nFormation de la Terre\t-4550\n",
         kTwo, {}, '\t', "UTF-8", true},
        {"Windows-1252", "Date;\xC9v\xE9nement\r\n-66;Extinction des dinosaures\r\n+12,5;Fus\xE9\x65 \x80\r\n",
         {QStringLiteral("-66,000|Extinction des dinosaures"), QStringLiteral("12,500|Fusée €")}, {}, ';',
         "Windows-1252", true},
        {"quoted separators, quotes and line breaks",
         "-66;\"Fin du Crétacé; \"\"K-T\"\"\r\nsur deux lignes\"\r\n-1;après\r\n",
         {QStringLiteral("-66,000|Fin du Crétacé; \"K-T\" sur deux lignes"), QStringLiteral("-1,000|après")}, {}, ';',
         "UTF-8", false},
        {"empty lines and empty rows", "\r\n-66;Extinction des dinosaures\r\n\r\n;;\r\n-4550;Formation de la Terre\r\n\r\n",
         kTwo, {}, ';', "UTF-8", false},
        {"bad dates with their lines",
         "Date;Texte\n-66;Extinction des dinosaures\nvers 70;Texte\n;sans date\n-9000;trop vieux\n12 ma;milliers d'années\n"
         "-4550;Formation de la Terre\n-5\n",
         kTwo, {3, 4, 5, 6, 8}, ';', "UTF-8", true},
        {"UTF-16 with its mark (Excel's Unicode text)",
         utf16le(u"-66\tExtinction des dinosaures\r\n-4550\tFormation de la Terre\r\n"),
         kTwo, {}, '\t', "UTF-16", false},
        {"quote never closed", "-66;Extinction des dinosaures\n-1;\"ouvert\n-2;suite\n", {kTwo[0]}, {2}, ';', "UTF-8",
         false},
    };
    for (const TCsvCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TEventCsvResult r = ReadEventCsv(c.bytes);
        EXPECT_EQ(eventsOf(r), c.expected);
        EXPECT_EQ(rejectedLinesOf(r), c.rejectedLines);
        EXPECT_EQ(r.Separator, QLatin1Char(c.separator));
        EXPECT_EQ(r.Encoding, QString::fromLatin1(c.encoding));
        EXPECT_EQ(r.HasHeader, c.header);
        EXPECT_EQ(r.EventLines.size(), r.Events.Count());
    }
}

TEST(EventCsvTest, ReasonsAreFrenchAndNameTheCell) {
    const TEventCsvResult r = ReadEventCsv("Date;Texte\nvers 70;a\n;b\n-9000;c\n-5\n-12;\n-13; \n");
    ASSERT_EQ(r.Rejected.size(), 6);
    EXPECT_EQ(r.Rejected[0].Reason, QStringLiteral("date illisible « vers 70 »"));
    EXPECT_EQ(r.Rejected[1].Reason, QStringLiteral("date absente"));
    // The range the dials reach.
    EXPECT_EQ(r.Rejected[2].Reason, QStringLiteral("date hors de l'échelle (de -4\u00A0550 à +30 Ma) : -9000"));
    EXPECT_EQ(r.Rejected[3].Reason, QStringLiteral("pas de colonne de texte (séparateur « ; » attendu)"));
    EXPECT_EQ(r.Rejected[4].Reason, QStringLiteral("texte absent"));
    EXPECT_EQ(r.Rejected[5].Reason, QStringLiteral("texte absent"));
    EXPECT_EQ(r.Events.Count(), 0);
}

TEST(EventCsvTest, TextsOutsideWindows1252AreKeptAndListed) {
    const TEventCsvResult r = ReadEventCsv("-66;Δ13C en chute\n-1;simple\n-2;\xE2\x88\x92 2 °C\n");
    EXPECT_EQ(r.Events.Text(0), QStringLiteral("Δ13C en chute"));
    EXPECT_EQ(r.NotWindows1252Lines, (QVector<int>{1, 3}));
}

TEST(EventCsvTest, SummaryListsTwentyRejectionsThenCounts) {
    QByteArray bytes = "-1;Δ\n";
    for (int i = 0; i < 23; ++i)
        bytes += "x;y\n";
    const QStringList lines = EventCsvSummary(ReadEventCsv(bytes), QStringLiteral("a.csv")).split(QLatin1Char('\r'));
    ASSERT_EQ(lines.size(), 2 + 1 + 1 + 20 + 1 + 2);
    EXPECT_EQ(lines[1], QStringLiteral("1 événement ajouté à la spirale personnalisée."));
    EXPECT_EQ(lines[3], QStringLiteral("23 lignes refusées :"));
    EXPECT_EQ(lines[4], QStringLiteral("ligne 2 : date illisible « x »"));
    EXPECT_EQ(lines[24], QStringLiteral("… et 3 autres lignes refusées."));
    EXPECT_EQ(lines[26], QStringLiteral("1 texte (ligne 1) contient des caractères qu'un fichier .aev ne peut pas "
                                        "enregistrer : il est gardé tel quel ; l'export CSV le conserve."));
}

TEST(EventCsvTest, LongTextsAreRefusedNotCut) {
    const QByteArray longText(3000, 'x');
    const TEventCsvResult r = ReadEventCsv("-1;" + longText + "\n-2;court\n");
    ASSERT_EQ(r.Events.Count(), 1);
    ASSERT_EQ(r.Rejected.size(), 1);
    EXPECT_EQ(r.Rejected[0].Line, 1);
    EXPECT_TRUE(r.Rejected[0].Reason.startsWith(QStringLiteral("texte trop long")));
}

TEST(EventCsvTest, AHundredThousandRows) {
    QByteArray bytes = "Date (Ma);Événement\r\n";
    for (int i = 0; i < 100000; ++i)
        bytes += QByteArray::number(-(i % 4500)) + ",25;Événement n° " + QByteArray::number(i) + "\r\n";
    const TEventCsvResult r = ReadEventCsv(bytes);
    ASSERT_EQ(r.Events.Count(), 100000);
    EXPECT_TRUE(r.Rejected.isEmpty());
    EXPECT_EQ(r.Events.Date(99999), QStringLiteral("-999,250"));
    EXPECT_EQ(r.Events.Text(99999), QStringLiteral("Événement n° 99999"));
    EXPECT_EQ(r.EventLines.back(), 100001);
}

TEST(EventCsvTest, RandomBytesNeverFail) {
    QRandomGenerator rng(16);
    const char alphabet[] = "\";,\t\r\n-+.0123456789 Ma\xE9\xC3\xA9\xFF\xFE\xEF\xBB\xBFx";
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes(int(rng.bounded(2000)), '\0');
        for (char& b : bytes)
            b = round % 2 ? char(rng.bounded(256)) : alphabet[rng.bounded(int(sizeof alphabet - 1))];
        const TEventCsvResult r = ReadEventCsv(bytes);
        EXPECT_EQ(r.EventLines.size(), r.Events.Count());
        for (int i = 0; i < r.Events.Count(); ++i)
            EXPECT_FALSE(r.Events.Text(i).contains(QLatin1Char('\n')));
    }
}

// Texts a spreadsheet would evaluate are exported after an apostrophe, which
// the import takes off again: export then import gives the same list.
TEST(EventCsvTest, FormulaLikeTextsAreNeutralisedAndComeBack) {
    const struct {
        const char* text;
        const char* cell; // as exported, quotes aside
    } cases[] = {{"=HYPERLINK(\"http://x\";\"clic\")", "\"'=HYPERLINK(\"\"http://x\"\";\"\"clic\"\")\""},
                 {"@SUM(1+1)*cmd|' /C calc'!A0", "'@SUM(1+1)*cmd|' /C calc'!A0"},
                 {"+33 millions", "'+33 millions"},
                 {"-1 °C", "'-1 °C"},
                 {"'=déjà gardé", "''=déjà gardé"},
                 {"'cité", "'cité"},
                 {"a=b", "a=b"}};
    TEventList list;
    for (const auto& c : cases)
        list.Append(QStringLiteral("-1,000"), QString::fromUtf8(c.text));
    const QByteArray bytes = WriteEventCsv(list);
    for (const auto& c : cases)
        EXPECT_TRUE(bytes.contains("\r\n-1,000;" + QByteArray(c.cell) + "\r\n")) << c.text;
    const TEventCsvResult back = ReadEventCsv(bytes);
    EXPECT_EQ(back.Events.Texts(), list.Texts());
}

// Text after an unquoted separator stays part of the text and the line is
// named; mixed decimal marks are refused; what decoding loses is said.
TEST(EventCsvTest, NothingIsDroppedWithoutAWord) {
    TEventCsvResult r = ReadEventCsv("66;Extinction K-Pg; 75 % des espèces disparaissent;;\n1;simple;\n");
    EXPECT_EQ(r.Events.Texts(), QStringList({"Extinction K-Pg; 75 % des espèces disparaissent", "simple"}));
    EXPECT_EQ(r.JoinedLines, QVector<int>{1});
    EXPECT_TRUE(EventCsvSummary(r, "a.csv").contains(QStringLiteral(
        "1 texte (ligne 1) contient le séparateur « ; » sans guillemets : il est gardé en entier.")));
    // Columns named in the header are not part of the text.
    r = ReadEventCsv("Date;Événement;Source\n66;Extinction;Wikipédia\n");
    EXPECT_EQ(r.Events.Texts(), QStringList({"Extinction"}));
    EXPECT_TRUE(r.JoinedLines.isEmpty());

    const struct {
        const char* cell;
        bool ok;
        double date;
    } dates[] = {{"1.2,3.4", false, 0},   {"1,2.3,4", false, 0},    {"1,234.5", true, -1234.5},
                 {"1.234,5", true, -1234.5}, {"4,550.0", true, -4550}, {"12,34.5", false, 0},
                 {"1.234.567,5", true, -1234567.5}, {"1,23", true, -1.23}};
    for (const auto& d : dates) {
        double v = 0;
        EXPECT_EQ(ParseCsvDate(QString::fromLatin1(d.cell), &v), d.ok) << d.cell;
        if (d.ok) {
            EXPECT_DOUBLE_EQ(v, d.date) << d.cell;
        }
    }

    r = ReadEventCsv(utf16le(u"-66;a\r\n-1;b") + "x"); // an odd last byte
    EXPECT_EQ(r.Events.Count(), 2);
    ASSERT_EQ(r.Notes.size(), 1);
    EXPECT_TRUE(r.Notes[0].contains(QStringLiteral("nombre impair d'octets")));
    const char16_t lone[] = {u'-', u'1', u';', u'a', 0xD800, u'b', 0};
    r = ReadEventCsv(utf16le(lone));
    ASSERT_EQ(r.Events.Count(), 1);
    EXPECT_EQ(r.Events.Text(0), QStringLiteral("a\uFFFDb"));
    EXPECT_TRUE(EventCsvSummary(r, "a.csv").contains(QStringLiteral("1 demi-caractère(s) UTF-16 isolé(s)")));
    EXPECT_EQ(ReadEventCsv(WriteEventCsv(r.Events)).Events.Texts(), r.Events.Texts());
}

// Files under the size limit take a few times their size, however they are made.
TEST(EventCsvTest, MemoryStaysWithinAFewTimesTheFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer keeps freed memory in quarantine";
#endif
    const qsizetype size = 8 << 20;
    const QByteArray files[] = {"1" + QByteArray(size, ';'), "1;" + QByteArray(size, 'x'),
                                QByteArray(size / 2, ';').replace(';', "\n") + "1;a\n",
                                "-1;\"" + QByteArray(size, ';')};
    for (const QByteArray& bytes : files) {
        const qint64 growth = peak::Growth([&] { ReadEventCsv(bytes); });
        if (growth >= 0) {
            EXPECT_LT(growth, 8 * size) << growth / (1 << 20) << " MB for " << bytes.left(8).toStdString();
        }
    }
}

TEST(EventCsvTest, ExportFormatAndRoundTrip) {
    TEventList list;
    list.Append(QStringLiteral("-65,500"), QStringLiteral("Extinction; fin du \"Crétacé\""));
    list.Append(QStringLiteral("12,250"), QStringLiteral("Futur"));
    list.Append(QStringLiteral("0,000"), QString());
    list.Append(QStringLiteral("-4550,000"), QStringLiteral("Δ hors Windows-1252"));
    list.Append(QStringLiteral("-0,0117"), QStringLiteral("Holocène")); // keeps its fourth decimal
    const QByteArray bytes = WriteEventCsv(list);
    EXPECT_EQ(bytes, QByteArray("\xEF\xBB\xBF"
                                "Date (Ma);\xC3\x89v\xC3\xA9nement\r\n"
                                "-65,500;\"Extinction; fin du \"\"Cr\xC3\xA9tac\xC3\xA9\"\"\"\r\n"
                                "+12,250;Futur\r\n"
                                "0,000;\r\n"
                                "-4550,000;\xCE\x94 hors Windows-1252\r\n"
                                "-0,0117;Holoc\xC3\xA8ne\r\n"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cours.csv"));
    SaveEventCsv(path, list);
    const TEventCsvResult back = LoadEventCsv(path);
    // Every event comes back but the one without a text, refused with its reason.
    list.Delete(2);
    EXPECT_EQ(back.Events.Dates(), list.Dates());
    EXPECT_EQ(back.Events.Texts(), list.Texts());
    ASSERT_EQ(back.Rejected.size(), 1);
    EXPECT_EQ(back.Rejected[0].Line, 4);
    EXPECT_EQ(back.Rejected[0].Reason, QStringLiteral("texte absent"));

    // A folder that does not exist: a French error, nothing written.
    EXPECT_THROW(SaveEventCsv(dir.filePath(QStringLiteral("absent/cours.csv")), list), EAevError);
    EXPECT_THROW(LoadEventCsv(dir.filePath(QStringLiteral("absent.csv"))), EAevError);
}

} // namespace
