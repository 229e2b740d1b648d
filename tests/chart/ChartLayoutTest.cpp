#include "lesson/ChartLayout.h"
#include "events/EventFile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString DataDir = QStringLiteral(AEV_SOURCE_DIR "/data/");

// Widths without fonts: every character 0.55 em.
double FakeWidth(const QString& text) {
    return 0.55 * text.size();
}

TChartScale FullScale() {
    const TScaleTable table = LoadScaleFile(DataDir + "Echelle.ini");
    return MakeChartScale(table, LoadChartColours(DataDir + "Couleurs.ini", table));
}

QVector<TChartLabel> AllLabels(const TChartLayout& l) {
    QVector<TChartLabel> out{l.Title, l.Legend, l.Source};
    for (const TChartColumn& c : l.Columns)
        out << c.Label;
    for (const TChartBox& b : l.Boxes)
        out << b.Labels;
    for (const TChartAge& a : l.Ages)
        out << a.Label;
    for (const TChartEventMark& e : l.Events)
        out << e.Label;
    out.erase(std::remove_if(out.begin(), out.end(), [](const TChartLabel& x) { return x.Text.isEmpty(); }),
              out.end());
    return out;
}

} // namespace

TEST(ChartLayout, UnitsTileEachBandAndLabelsNeverCollide) {
    const TChartScale scale = FullScale();
    TEventList events; // the four event sets together
    for (const char* name :
         {"Evenement.ini", "Evenement_vie.ini", "Evenement_crises.ini", "Evenement_homme.ini"}) {
        const TEventList part = LoadEventFile(DataDir + name);
        for (int i = 0; i < part.Count(); ++i)
            events.Append(part.Date(i), part.Text(i));
    }
    ASSERT_EQ(scale.Rows.size(), 117);
    ASSERT_EQ(events.Count(), 190);
    struct Case {
        double From, To;
        TChartOptions::TScale Scale;
        TChartOptions::TPaper Paper;
        bool Portrait;
        bool Levels[ChartLevelCount];
    } cases[] = {
        {-538.8, 0, TChartOptions::Linear, TChartOptions::A4, false, {true, true, true, true, true}},
        {-538.8, 0, TChartOptions::PerUnit, TChartOptions::A4, true, {true, true, true, true, true}},
        {-4567, 0, TChartOptions::Logarithmic, TChartOptions::A3, false, {true, true, true, true, true}},
        {-4567, 0, TChartOptions::PerUnit, TChartOptions::Strip, false, {true, true, true, true, true}},
        {-300, -100, TChartOptions::Linear, TChartOptions::A4, false, {false, true, false, false, true}},
    };
    for (const Case& c : cases) {
        TChartOptions o;
        o.From = c.From;
        o.To = c.To;
        o.Scale = c.Scale;
        o.Paper = c.Paper;
        o.Portrait = c.Portrait;
        std::copy(std::begin(c.Levels), std::end(c.Levels), o.Levels);
        const TChartLayout l = LayoutChart(scale, events, o, FakeWidth);
        SCOPED_TRACE(QStringLiteral("%1..%2 scale %3 paper %4")
                         .arg(c.From)
                         .arg(c.To)
                         .arg(c.Scale)
                         .arg(c.Paper)
                         .toStdString());

        // Every unit the interval touches, at each chosen level, has its box.
        for (const TChartRow& row : scale.Rows) {
            if (row.End <= c.From || row.Start >= c.To)
                continue;
            for (int level = 0; level < ChartLevelCount; ++level) {
                if (c.Levels[level] && !row.Names[level].isEmpty()) {
                    EXPECT_TRUE(std::any_of(l.Boxes.begin(), l.Boxes.end(), [&](const TChartBox& b) {
                        return b.Name == row.Names[level];
                    })) << row.Names[level].toStdString();
                }
            }
        }
        // Each band is tiled from the first date to the last, on paper too.
        QVector<double> finestWidths;
        for (int col = 0; col < l.Columns.size(); ++col) {
            QVector<TChartBox> band;
            for (const TChartBox& b : l.Boxes)
                if (b.Column <= col && col < b.Column + b.Span)
                    band << b;
            std::sort(band.begin(), band.end(),
                      [](const TChartBox& a, const TChartBox& b) { return a.Start < b.Start; });
            ASSERT_FALSE(band.isEmpty());
            EXPECT_DOUBLE_EQ(band.first().Start, c.From);
            EXPECT_DOUBLE_EQ(band.last().End, c.To);
            EXPECT_NEAR(band.first().Rect.left(), l.Plot.left(), 1e-9);
            EXPECT_NEAR(band.last().Rect.right(), l.Plot.right(), 1e-9);
            for (int i = 0; i + 1 < band.size(); ++i) {
                EXPECT_DOUBLE_EQ(band[i].End, band[i + 1].Start);
                EXPECT_NEAR(band[i].Rect.right(), band[i + 1].Rect.left(), 1e-9);
            }
            for (const TChartBox& b : band)
                if (col == l.Columns.size() - 1)
                    finestWidths << b.Rect.width();
        }
        if (c.Scale == TChartOptions::PerUnit) {
            for (const double w : finestWidths)
                EXPECT_NEAR(w, finestWidths.first(), 1e-9);
        }
        // Names inside their boxes, whole or abbreviated (a prefix with a point).
        for (const TChartBox& b : l.Boxes) {
            for (const TChartLabel& label : b.Labels) {
                EXPECT_TRUE(b.Rect.contains(label.Rect)) << b.Name.toStdString();
                if (label.Text != b.Name) {
                    EXPECT_TRUE(b.Abbreviated);
                    EXPECT_TRUE(label.Text.endsWith('.') && b.Name.startsWith(label.Text.chopped(1)))
                        << label.Text.toStdString();
                }
                const double along = label.Turned ? label.Rect.height() : label.Rect.width();
                EXPECT_NEAR(along, FakeWidth(label.Text) * label.Size, 1e-9);
            }
        }
        // The interval's ends carry their ages.
        ASSERT_GE(l.Ages.size(), 2);
        EXPECT_EQ(l.Ages.first().Date, c.From);
        EXPECT_EQ(l.Ages.last().Date, c.To);
        // Every event of the interval has its tick; no two texts overlap; all on the canvas.
        const int inside = int(std::count_if(l.Events.begin(), l.Events.end(), [&](const TChartEventMark& e) {
            return e.Date >= c.From && e.Date <= c.To;
        }));
        EXPECT_EQ(inside, l.Events.size());
        EXPECT_GT(inside, 0);
        const QVector<TChartLabel> labels = AllLabels(l);
        const QRectF canvas(QPointF(), l.Canvas);
        for (int i = 0; i < labels.size(); ++i) {
            EXPECT_TRUE(canvas.contains(labels[i].Rect)) << labels[i].Text.toStdString();
            for (const double edge : l.Edges)
                EXPECT_FALSE(labels[i].Rect.left() < edge && edge < labels[i].Rect.right())
                    << labels[i].Text.toStdString();
            for (int j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(labels[i].Rect.intersects(labels[j].Rect))
                    << labels[i].Text.toStdString() << " / " << labels[j].Text.toStdString();
        }
    }
}

TEST(ChartLayout, UnitsFoundByNameAndStripPagesOverlap) {
    const TChartScale scale = FullScale();
    struct {
        const char* Typed;
        const char* Name;
        double From, To;
        int Level;
    } cases[] = {
        {"Phanérozoïque", "Phanérozoïque", -538.8, 0, 0},
        {"jurassique", "Jurassique", -201.4, -143.1, 2},
        {"HADEEN", "Hadéen", -4567, -4031, 0},
    };
    for (const auto& c : cases) {
        const auto unit = FindChartUnit(scale, QString::fromUtf8(c.Typed));
        ASSERT_TRUE(unit) << c.Typed;
        EXPECT_EQ(unit->Name, QString::fromUtf8(c.Name));
        EXPECT_DOUBLE_EQ(unit->From, c.From);
        EXPECT_DOUBLE_EQ(unit->To, c.To);
        EXPECT_EQ(unit->Level, c.Level);
    }
    EXPECT_FALSE(FindChartUnit(scale, QStringLiteral("Atlantide")));
    EXPECT_EQ(ChartTitle(*FindChartUnit(scale, QStringLiteral("Crétacé"))),
              QStringLiteral("Frise chronologique : Crétacé, de 143,1 Ma à 66 Ma"));

    // A list of 100 000 events: every one counted, a few thousand marks on paper.
    TEventList many;
    for (int i = 0; i < 100000; ++i)
        many.Append(QString::number(-500 + i * 0.005, 'f', 3), QStringLiteral("É%1").arg(i));
    const TChartLayout crowded = LayoutChart(scale, many, TChartOptions(), FakeWidth);
    EXPECT_EQ(crowded.EventsWithoutLabel +
                  std::count_if(crowded.Events.begin(), crowded.Events.end(),
                                [](const TChartEventMark& e) { return !e.Label.Text.isEmpty(); }),
              100000);
    EXPECT_LT(crowded.Events.size(), 4000);

    TChartOptions o;
    o.Paper = TChartOptions::Strip;
    o.StripPages = 4;
    const TChartLayout l = LayoutChart(scale, TEventList(), o, FakeWidth);
    ASSERT_EQ(l.Pages.size(), 4);
    for (int p = 0; p + 1 < 4; ++p)
        EXPECT_NEAR(l.Pages[p].Source.right() - l.Pages[p + 1].Source.left(), l.Overlap, 1e-9);
    EXPECT_NEAR(l.Pages.last().Source.right(), l.Canvas.width(), 1e-9);
}
