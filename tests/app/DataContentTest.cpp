// The program's data as shipped in data/: every data set of Donnees.ini is read
// through the program's own loaders and checked the way the dials will use it,
// and the scale and the events are checked against the fact tables they were
// generated from.
#include "events/EventFile.h"
#include "imaging/TPicture.h"
#include "timescale/AevError.h"
#include "timescale/ColorText.h"
#include "timescale/IniFile.h"
#include "timescale/ScaleTable.h"
#include "timescale/StrToFloat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

// Readable failure messages for texts.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString DataDir() { return QStringLiteral(AEV_SOURCE_DIR "/data/"); }

// A colour text read by the program's own reader; nothing when it fails.
std::optional<quint32> ParseColour(const QString& text) {
    try {
        return StrToColor(text);
    } catch (const EAevError&) {
        return std::nullopt;
    }
}

// The row ShowPeriod shows for a date: the last row whose start is at or before it.
int PeriodRow(const QVector<double>& starts, double date) {
    int found = -1;
    for (int i = 0; i < starts.size(); ++i)
        if (starts[i] <= date)
            found = i;
    return found;
}

QVector<double> StartValues(const TScaleTable& table) {
    QVector<double> starts;
    for (const QString& s : table.StartDates)
        starts << StrToFloatLenient(s);
    return starts;
}

int PeriodRow(const TScaleTable& table, double date) { return PeriodRow(StartValues(table), date); }

struct DataSet {
    QString name, scale, events;
};

QVector<DataSet> DataSets() {
    const TIniFile index(DataDir() + "Donnees.ini");
    QVector<DataSet> sets;
    for (const QString& name : index.ReadSections())
        sets.push_back({name, index.ReadString(name, "Echelle"), index.ReadString(name, "Evenement")});
    return sets;
}

// One unit of the chart's fact table.
struct ChartUnit {
    QString rank, nameEn, nameFr, parent, colour;
    double base = 0;
    QStringList children;
};

QMap<QString, ChartUnit> ReadChart() {
    QFile f(QStringLiteral(AEV_SOURCE_DIR "/data-src/ics-chart.tsv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    QMap<QString, ChartUnit> units;
    in.readLine(); // header
    while (!in.atEnd()) {
        const QStringList c = in.readLine().split(QLatin1Char('\t'));
        if (c.size() < 7)
            continue;
        ChartUnit u{c[0], c[1], c[2], c[5], c[6], c[3].toDouble(), {}};
        units.insert(u.nameEn, u);
    }
    for (const ChartUnit& u : units)
        if (!u.parent.isEmpty())
            units[u.parent].children << u.nameEn;
    return units;
}

const QStringList kRanks = {"eon", "era", "system", "series", "stage"};

// The finest units down to `deepest`, oldest first.
QVector<ChartUnit> FinestUnits(const QMap<QString, ChartUnit>& units, const QString& deepest) {
    const int limit = int(kRanks.indexOf(deepest));
    QVector<ChartUnit> rows;
    for (const ChartUnit& u : units) {
        if (kRanks.indexOf(u.rank) > limit)
            continue;
        bool finer = false;
        for (const QString& c : u.children)
            finer = finer || kRanks.indexOf(units[c].rank) <= limit;
        if (!finer)
            rows << u;
    }
    std::sort(rows.begin(), rows.end(), [](const ChartUnit& a, const ChartUnit& b) { return a.base > b.base; });
    return rows;
}

// The events of one source table of data-src/events/, in file order.
struct SourceEvent {
    QString dateText, text;
    double date = 0;
};

QVector<SourceEvent> ReadEventSource(const QString& name) {
    QFile f(QStringLiteral(AEV_SOURCE_DIR "/data-src/events/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << name.toStdString();
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    const QStringList header = in.readLine().split(QLatin1Char('\t'));
    const int date = int(header.indexOf("date_ma")), text = int(header.indexOf("text_fr"));
    QVector<SourceEvent> events;
    while (!in.atEnd()) {
        const QStringList c = in.readLine().split(QLatin1Char('\t'));
        if (c.size() > std::max(date, text))
            events.push_back({c[date], c[text], c[date].toDouble()});
    }
    return events;
}

QString WinColourOf(const QString& hex) {
    const QString h = hex.mid(1);
    return QStringLiteral("0x00%1%2%3").arg(h.mid(4, 2), h.mid(2, 2), h.mid(0, 2)).toUpper().replace("0X", "0x");
}

} // namespace

TEST(DataContent, IndexNamesAtLeastThreeDataSetsWithExistingFiles) {
    const QVector<DataSet> sets = DataSets();
    ASSERT_GE(sets.size(), 3);
    QSet<QString> eventFiles;
    for (const DataSet& s : sets) {
        EXPECT_TRUE(QFileInfo::exists(DataDir() + s.scale)) << qPrintable(s.name) << " " << qPrintable(s.scale);
        EXPECT_TRUE(QFileInfo::exists(DataDir() + s.events)) << qPrintable(s.name) << " " << qPrintable(s.events);
        eventFiles << s.events;
    }
    EXPECT_EQ(eventFiles.size(), sets.size()) << "each data set has its own event file";
    EXPECT_EQ(sets.first().scale, "Echelle.ini");
    EXPECT_EQ(sets.first().events, "Evenement.ini");
}

TEST(DataContent, EveryScaleRowIsComplete) {
    QSet<QString> checkedPictures;
    QSet<QString> scales;
    for (const DataSet& s : DataSets())
        scales << s.scale;
    for (const QString& scale : scales) {
        SCOPED_TRACE(scale.toStdString());
        const TScaleTable table = LoadScaleFile(DataDir() + scale);
        ASSERT_GT(table.Count(), 10);
        double previous = -1e9;
        for (const QStringList& row : table.Rows) {
            SCOPED_TRACE(row[colStart].toStdString());
            const double start = StrToFloatLenient(row[colStart]);
            EXPECT_TRUE(QRegularExpression("^-\\d+(,\\d+)?$").match(row[colStart]).hasMatch());
            EXPECT_GT(start, previous) << "start dates are distinct and ascending";
            EXPECT_LE(start, 0.0);
            previous = start;
            EXPECT_FALSE(row[colEon].isEmpty());
            const std::optional<quint32> colour = ParseColour(row[colCouleur]);
            ASSERT_TRUE(colour.has_value()) << row[colCouleur].toStdString();
            EXPECT_EQ(*colour & 0xFF000000u, 0u) << "a period colour is never a system colour";
            for (int c : {colLabelBio, colLabelPaleo}) {
                EXPECT_FALSE(row[c].isEmpty());
                EXPECT_LE(row[c].size(), 32) << row[c].toStdString();
            }
            // Through the program's own picture loader.
            for (int c : {colImageBio, colImagePaleo}) {
                if (checkedPictures.contains(row[c]))
                    continue;
                checkedPictures << row[c];
                TPicture picture;
                EXPECT_NO_THROW(picture.LoadFromFile(DataDir() + row[c])) << row[c].toStdString();
                EXPECT_GE(picture.Width(), 316);
                EXPECT_GE(picture.Height(), 176);
            }
            for (int c : {colLienBio, colLienPaleo}) {
                EXPECT_FALSE(row[c].contains(QLatin1Char('#'))) << "a link is a plain file path";
                EXPECT_TRUE(QFileInfo(DataDir() + row[c]).isFile()) << row[c].toStdString();
            }
        }
        EXPECT_LE(StrToFloatLenient(table.StartDates.first()), -4550.0) << "the first row covers the dials' minimum";
    }
}

TEST(DataContent, EveryDialDateShowsAFullPeriodInEveryDataSet) {
    for (const DataSet& s : DataSets()) {
        SCOPED_TRACE(s.name.toStdString());
        const TScaleTable table = LoadScaleFile(DataDir() + s.scale);
        // Every start date and a fine sweep: a date exactly at a start belongs to that row.
        QVector<double> dates;
        for (int i = -455000; i <= 3000; i += 25)
            dates << i / 100.0;
        for (const QString& start : table.StartDates)
            if (StrToFloatLenient(start) >= -4550)
                dates << StrToFloatLenient(start);
        const QVector<double> starts = StartValues(table);
        for (double d : dates) {
            const int r = PeriodRow(starts, d);
            ASSERT_GE(r, 0) << d;
            const QStringList& row = table.Rows[r];
            EXPECT_FALSE(row[colEon].isEmpty()) << d;
            EXPECT_FALSE(row[colCouleur].isEmpty()) << d;
            EXPECT_FALSE(row[colImageBio].isEmpty() || row[colImagePaleo].isEmpty()) << d;
            EXPECT_FALSE(row[colLienBio].isEmpty() || row[colLienPaleo].isEmpty()) << d;
        }
    }
}

TEST(DataContent, EventFilesHoldDatedFrenchEvents) {
    // Three decimals as the program writes them, more where the source date has more.
    const QRegularExpression dateText("^-?\\d+,\\d{3,}$");
    for (const DataSet& s : DataSets()) {
        SCOPED_TRACE(s.events.toStdString());
        const TIniFile ini(DataDir() + s.events);
        const QStringList sections = ini.ReadSections();
        EXPECT_GE(sections.size(), s.events == "Evenement.ini" ? 60 : 20);
        EXPECT_EQ(QSet<QString>(sections.begin(), sections.end()).size(), sections.size()) << "no shared section";
        for (const QString& date : sections) {
            EXPECT_TRUE(dateText.match(date).hasMatch()) << date.toStdString();
            const double v = StrToFloatLenient(date);
            EXPECT_GE(v, -4567.3) << date.toStdString();
            EXPECT_LE(v, 30.0) << date.toStdString();
            const QString text = ini.ReadString(date, "Evenement");
            EXPECT_FALSE(text.isEmpty()) << date.toStdString();
            EXPECT_FALSE(text.contains(QLatin1Char('?'))) << "a character lost to the code page: " << text.toStdString();
        }
    }
}

// terre.tsv is the events' fact table; the other tables feed the other data sets.
// Every event is in its file with its text and its very date: a date cut to three
// decimals could put it in another stage (the Holocene starts at -0,0117).
TEST(DataContent, EverySourceEventIsInItsFileWithItsTextAndDate) {
    const TScaleTable scale = LoadScaleFile(DataDir() + "Echelle.ini");
    const QVector<double> starts = StartValues(scale);
    const QStringList pairs[] = {{"terre.tsv", "Evenement.ini"}, {"vie.tsv", "Evenement_vie.ini"},
                                 {"crises.tsv", "Evenement_crises.ini"}, {"homme.tsv", "Evenement_homme.ini"}};
    for (const QStringList& pair : pairs) {
        SCOPED_TRACE(pair[1].toStdString());
        const QVector<SourceEvent> source = ReadEventSource(pair[0]);
        const TEventList loaded = LoadEventFile(DataDir() + pair[1]);
        ASSERT_GE(source.size(), 20);
        EXPECT_EQ(loaded.Count(), source.size());
        for (const SourceEvent& e : source) {
            SCOPED_TRACE(e.text.toStdString());
            const int i = int(loaded.Texts().indexOf(e.text));
            ASSERT_GE(i, 0) << "missing or reworded";
            const double date = StrToFloatLenient(loaded.Date(i));
            EXPECT_DOUBLE_EQ(date, e.date) << loaded.Date(i).toStdString() << " for " << e.dateText.toStdString();
            if (e.date <= 0) {
                EXPECT_EQ(PeriodRow(starts, date), PeriodRow(starts, e.date)) << "another stage";
            }
        }
    }
}

// The corrections of the fact-check, as the default data set shows them.
TEST(DataContent, FactCheckCorrectionsAreShipped) {
    const TIniFile ini(DataDir() + "Evenement.ini");
    const std::pair<const char*, const char*> corrected[] = {
        {"-4031,000", "Gneiss d'Acasta (Canada) : plus anciennes roches datées avec certitude, base de l'Archéen"},
    };
    for (const auto& c : corrected)
        EXPECT_EQ(ini.ReadString(QString::fromUtf8(c.first), "Evenement"), QString::fromUtf8(c.second));
}

// The period pages list the events of the four overlapping sets: an event that two
// sets word differently must still show once. Two lines of a page at the same date
// sharing a long word (Oxydation, Kellwasser, Permien-Trias...) tell the same thing.
TEST(DataContent, NoPageRepeatsAnEvent) {
    const QRegularExpression item("<li><span class=\"date\">([^<]*)</span> : ([^<]*)</li>");
    const QRegularExpression edges("^\\W+|\\W+$"), elision("^\\w'");
    auto longWords = [&](const QString& text) {
        QSet<QString> words;
        for (QString w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            w = w.remove(edges).remove(elision).toLower();
            if (w.size() >= 8)
                words << w;
        }
        return words;
    };
    const QStringList pages = QDir(DataDir() + "docs").entryList({"*.html"});
    ASSERT_GE(pages.size(), 48);
    for (const QString& page : pages) {
        SCOPED_TRACE(page.toStdString());
        QFile f(DataDir() + "docs/" + page);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QMap<QString, QStringList> byDate;
        for (auto it = item.globalMatch(QString::fromUtf8(f.readAll())); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString date = m.captured(1), text = m.captured(2);
            EXPECT_FALSE(text.startsWith(QString::fromUtf8("Aujourd'hui")) || text.startsWith(QString::fromUtf8("Présent")))
                << "the date already says it: " << text.toStdString();
            for (const QString& other : byDate[date]) {
                const QSet<QString> shared = longWords(text) & longWords(other);
                EXPECT_TRUE(shared.isEmpty()) << date.toStdString() << ": " << text.toStdString() << " / " << other.toStdString();
            }
            byDate[date] << text;
        }
    }
}

TEST(DataContent, FilesAreWindows1252WithCrLf) {
    for (const QString& name : QDir(DataDir()).entryList({"*.ini"})) {
        QFile f(DataDir() + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << name.toStdString();
        EXPECT_FALSE(bytes.contains("\xC3\xA9")) << name.toStdString() << " looks like UTF-8";
    }
    const QString echelle = DecodeWindows1252([] {
        QFile f(DataDir() + "Echelle.ini");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }());
    EXPECT_TRUE(echelle.contains(QString::fromUtf8("eon=Phanérozoïque")));
}

TEST(DataContent, ScaleMatchesTheChart) {
    const QMap<QString, ChartUnit> units = ReadChart();
    ASSERT_GT(units.size(), 150);
    struct Case {
        QString file, deepest;
    };
    for (const Case& c : {Case{"Echelle.ini", "stage"}, Case{"Echelle_simple.ini", "system"}}) {
        SCOPED_TRACE(c.file.toStdString());
        const QVector<ChartUnit> expected = FinestUnits(units, c.deepest);
        const TScaleTable table = LoadScaleFile(DataDir() + c.file);
        ASSERT_EQ(table.Count(), expected.size());
        for (int i = 0; i < table.Count(); ++i) {
            const ChartUnit& u = expected[i];
            const QStringList& row = table.Rows[i];
            SCOPED_TRACE(u.nameEn.toStdString());
            EXPECT_NEAR(StrToFloatLenient(row[colStart]), -u.base, 1e-9);
            EXPECT_EQ(ParseColour(row[colCouleur]), ParseColour(WinColourOf(u.colour)));
            // The level names follow the unit's ancestry; absent ranks stay empty.
            QMap<QString, QString> names;
            for (QString n = u.nameEn; !n.isEmpty(); n = units[n].parent)
                names[units[n].rank] = units[n].nameFr;
            const int cols[] = {colEon, colEre, colSysteme, colSerie, colEtage};
            for (int k = 0; k < 5; ++k)
                EXPECT_EQ(row[cols[k]], names.value(kRanks[k])) << kRanks[k].toStdString();
        }
    }
    // Spot checks against the printed chart.
    const TScaleTable table = LoadScaleFile(DataDir() + "Echelle.ini");
    const QStringList& cambrian = table.Rows[PeriodRow(table, -538.8)];
    EXPECT_EQ(cambrian[colSysteme], QString::fromUtf8("Cambrien"));
    EXPECT_EQ(cambrian[colEtage], QString::fromUtf8("Fortunien"));
    EXPECT_EQ(cambrian[colCouleur], "0x0075B599");
    EXPECT_EQ(table.Rows[PeriodRow(table, -66.0)][colEtage], QString::fromUtf8("Danien"));
    EXPECT_EQ(table.Rows[PeriodRow(table, -66.001)][colEtage], QString::fromUtf8("Maastrichtien"));
    EXPECT_EQ(table.Rows[PeriodRow(table, -4550)][colEon], QString::fromUtf8("Hadéen"));
    EXPECT_EQ(table.Rows[PeriodRow(table, -4550)][colEre], QString());
    EXPECT_EQ(table.Rows[PeriodRow(table, -422)][colSerie], QString::fromUtf8("Pridoli"));
    EXPECT_EQ(table.Rows[PeriodRow(table, -422)][colEtage], QString());
}

TEST(DataContent, GaugeBitmapPutsEachPeriodUnderItsDates) {
    QImageReader reader(DataDir() + "Echelle_geol.dat", "BMP");
    const QImage gauge = reader.read();
    ASSERT_FALSE(gauge.isNull()) << reader.errorString().toStdString();
    ASSERT_EQ(gauge.width(), 820);
    ASSERT_EQ(gauge.height(), 40);
    // The middle of the 3-pixel bar for a date stands on strip column round(817 (d + 4550) / 4580) + 1.
    auto column = [](double d) { return int(std::nearbyint(817.0 * (d + 4550.0) / 4580.0)) + 1; };
    EXPECT_EQ(column(-4550), 1);
    EXPECT_EQ(column(0), 813);
    EXPECT_EQ(column(30), 818);
    const QMap<QString, ChartUnit> units = ReadChart();
    const QVector<ChartUnit> periods = FinestUnits(units, "system");
    for (int i = 0; i < periods.size(); ++i) {
        const ChartUnit& u = periods[i];
        const double end = i + 1 < periods.size() ? periods[i + 1].base : 0.0;
        const double start = std::min(u.base, 4550.0);
        if (column(-end) - column(-start) < 3)
            continue; // too narrow for a pixel of its own in the middle
        const QColor expected(u.colour);
        const QColor seen = gauge.pixelColor(column(-(start + end) / 2), 34);
        EXPECT_EQ(seen.rgb(), expected.rgb()) << u.nameEn.toStdString();
        const QColor eon = gauge.pixelColor(column(-(start + end) / 2), 5);
        QString eonName = u.nameEn;
        while (!units[eonName].parent.isEmpty())
            eonName = units[eonName].parent;
        EXPECT_EQ(eon.rgb(), QColor(units[eonName].colour).rgb()) << u.nameEn.toStdString();
    }
}

TEST(DataContent, DocumentsHelpAndCreditsExistAndTheirLinksResolve) {
    EXPECT_TRUE(QFileInfo(DataDir() + "Aevorium.html").isFile());
    QFile credits(DataDir() + "Credits.rtf");
    ASSERT_TRUE(credits.open(QIODevice::ReadOnly));
    const QByteArray rtf = credits.readAll();
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(rtf.contains("ICS"));
    EXPECT_TRUE(rtf.contains("CGMW"));
    const QRegularExpression ref("(?:src|href)=\"([^\"#:]+)\"");
    const QStringList pages = QDir(DataDir() + "docs").entryList({"*.html"});
    ASSERT_GE(pages.size(), 48);
    for (const QString& page : pages) {
        QFile f(DataDir() + "docs/" + page);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(html.contains("lang=\"fr\"")) << page.toStdString();
        for (auto it = ref.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(QFileInfo::exists(DataDir() + "docs/" + target)) << page.toStdString() << " -> " << target.toStdString();
        }
    }
}
