// The LED text label painted into images, with the main window's settings.
#include "widgets/TLEDLabel.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <set>

namespace {

using Pixels = std::set<std::pair<int, int>>;

// The label as the main window configures DateLabel1.
void configureDateLabel(TLEDLabel& label) {
    label.resize(435, 25);
    TBevelFrame bevel;
    bevel.StyleInner = TBevelStyle::bvLowered;
    bevel.BorderColor = cl::Teal;
    bevel.BorderInnerWidth = 3;
    bevel.Mode = TBevelMode::bmCustom;
    label.SetBevel(bevel);
    label.SetColor(cl::Teal);
    label.LED().SetActiveColor(cl::Aqua);
    label.LED().SetHorzsize(8);
    label.LED().SetInActiveColor(cl::Teal);
    label.LED().SetThickness(1);
    label.LED().SetVertsize(5);
}

QImage paint(const TLEDLabel& label) {
    QImage img(label.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    label.paintTo(p);
    return img;
}

// Lit pixels of one cell (13 x 17) at the cell's top-left corner.
Pixels litInCell(const QImage& img, int x0, int y0) {
    Pixels lit;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 13; ++x)
            if (img.pixel(x0 + x, y0 + y) == WinColor(cl::Aqua).rgb())
                lit.insert({x, y});
    return lit;
}

void addH(Pixels& p, int x1, int x2, int y) {
    for (int x = x1; x <= x2; ++x)
        p.insert({x, y});
}
void addV(Pixels& p, int x, int y1, int y2) {
    for (int y = y1; y <= y2; ++y)
        p.insert({x, y});
}

// The one-pixel lines of the straight segments and dots with thickness 1,
// horizontal size 8 and vertical size 5.
Pixels segmentPixels(int s) {
    Pixels p;
    switch (s) {
    case 0:
        addH(p, 2, 10, 1);
        break;
    case 1:
        addV(p, 1, 2, 7);
        break;
    case 2:
        addV(p, 11, 2, 7);
        break;
    case 3:
        addH(p, 2, 10, 8);
        break;
    case 4:
        addV(p, 1, 9, 14);
        break;
    case 5:
        addV(p, 11, 9, 14);
        break;
    case 6:
        addH(p, 2, 10, 15);
        break;
    case 7:
        addV(p, 6, 2, 7);
        break;
    case 8:
        addV(p, 6, 9, 14);
        break;
    case 13:
        addH(p, 5, 6, 7);
        addH(p, 5, 6, 8);
        break;
    case 14:
        addH(p, 5, 6, 0);
        addH(p, 5, 6, 1);
        break;
    case 15:
        addH(p, 5, 6, 14);
        addH(p, 5, 6, 15);
        break;
    default:
        break;
    }
    return p;
}

Pixels expectedFor(std::initializer_list<int> segments) {
    Pixels all;
    for (int s : segments) {
        const Pixels p = segmentPixels(s);
        all.insert(p.begin(), p.end());
    }
    return all;
}

} // namespace

TEST(TLEDLabel, CellAndTextAreaWithTheMainWindowSettings) {
    TLEDLabel label;
    configureDateLabel(label);
    EXPECT_EQ(label.LED().CellWidth(), 13);
    EXPECT_EQ(label.LED().CellHeight(), 17);
    EXPECT_EQ(label.TextRect(), QRect(4, 4, 427, 17));

    const QImage img = paint(label);
    // Lowered bevel: shadow on top and left, light at the bottom and right; then 3 teal frames.
    EXPECT_EQ(img.pixel(10, 0), WinColor(cl::BtnShadow).rgb());
    EXPECT_EQ(img.pixel(0, 10), WinColor(cl::BtnShadow).rgb());
    EXPECT_EQ(img.pixel(10, 24), WinColor(cl::BtnHighlight).rgb());
    EXPECT_EQ(img.pixel(434, 10), WinColor(cl::BtnHighlight).rgb());
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(img.pixel(100, i), WinColor(cl::Teal).rgb());
        EXPECT_EQ(img.pixel(434 - i, 12), WinColor(cl::Teal).rgb());
    }
}

TEST(TLEDLabel, TimeOfDayLightsTheListedLines) {
    TLEDLabel label;
    configureDateLabel(label);
    label.SetCaption(QStringLiteral("23h59:59"));
    const QImage img = paint(label);

    const std::vector<Pixels> expected = {
        expectedFor({0, 2, 3, 4, 6}),    // 2
        expectedFor({0, 2, 3, 5, 6}),    // 3
        expectedFor({1, 2, 3, 4, 5}),    // h
        expectedFor({0, 1, 3, 5, 6}),    // 5
        expectedFor({0, 1, 2, 3, 5, 6}), // 9
        expectedFor({13, 15}),           // :
        expectedFor({0, 1, 3, 5, 6}),    // 5
        expectedFor({0, 1, 2, 3, 5, 6}), // 9
    };
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(litInCell(img, 4 + int(i) * 13, 4), expected[i]) << "character " << i;

    // Unlit segments are invisible: everything else in the text area is teal.
    int aqua = 0, other = 0;
    for (int y = 4; y < 21; ++y)
        for (int x = 4; x < 431; ++x) {
            const QRgb c = img.pixel(x, y);
            aqua += c == WinColor(cl::Aqua).rgb();
            other += c != WinColor(cl::Aqua).rgb() && c != WinColor(cl::Teal).rgb();
        }
    EXPECT_EQ(other, 0);
    size_t total = 0;
    for (const Pixels& p : expected)
        total += p.size();
    EXPECT_EQ(size_t(aqua), total);
}

TEST(TLEDLabel, SegmentGeometryWithThicknessOne) {
    TLEDLabel label;
    configureDateLabel(label);
    const TLEDCharSet& led = label.LED();
    // Diagonals run between the points the layout names.
    auto ends = [&](int s) {
        const QPolygon& p = led.Segment(s);
        return std::make_pair(p.first(), p[3]);
    };
    EXPECT_EQ(ends(9), std::make_pair(QPoint(6, 7), QPoint(3, 3)));
    EXPECT_EQ(ends(10), std::make_pair(QPoint(8, 7), QPoint(11, 3)));
    EXPECT_EQ(ends(11), std::make_pair(QPoint(6, 10), QPoint(3, 14)));
    EXPECT_EQ(ends(12), std::make_pair(QPoint(8, 10), QPoint(11, 14)));

    // A zero carries the lower-right-to-upper-left stroke: its ends are lit,
    // and every lit pixel of it stays within the stroke's box.
    label.SetCaption(QStringLiteral("0"));
    const Pixels lit = litInCell(paint(label), 4, 4);
    const Pixels bars = expectedFor({0, 1, 2, 4, 5, 6});
    for (const auto& p : bars)
        EXPECT_TRUE(lit.count(p));
    EXPECT_TRUE(lit.count({6, 7}) && lit.count({3, 3}) && lit.count({8, 10}) && lit.count({11, 14}));
    for (const auto& p : lit) {
        if (!bars.count(p)) {
            EXPECT_TRUE((p.first >= 3 && p.first <= 6 && p.second >= 3 && p.second <= 7) ||
                        (p.first >= 8 && p.first <= 11 && p.second >= 10 && p.second <= 14))
                << p.first << "," << p.second;
        }
    }
}

TEST(TLEDLabel, GlyphTableAndUnknownCharacters) {
    EXPECT_EQ(TLEDCharSet::GlyphMask(QLatin1Char('h')), TLEDCharSet::GlyphMask(QLatin1Char('H')));
    EXPECT_EQ(TLEDCharSet::GlyphMask(QLatin1Char('H')), 0x003E);
    EXPECT_EQ(TLEDCharSet::GlyphMask(QLatin1Char(':')), 0xA000);
    EXPECT_EQ(TLEDCharSet::GlyphMask(QLatin1Char('0')), 0x1277);
    EXPECT_EQ(TLEDCharSet::GlyphMask(QLatin1Char(' ')), 0);
    EXPECT_EQ(TLEDCharSet::GlyphMask(QChar(0xE9)), 0);   // é
    EXPECT_EQ(TLEDCharSet::GlyphMask(QChar(0x0148)), 0); // a letter far from the table

    TLEDLabel label;
    configureDateLabel(label);
    label.SetCaption(QStringLiteral("é A"));
    const QImage img = paint(label);
    EXPECT_TRUE(litInCell(img, 4, 4).empty());
    EXPECT_TRUE(litInCell(img, 17, 4).empty());
    EXPECT_EQ(litInCell(img, 30, 4), expectedFor({0, 1, 2, 3, 4, 5}));
}

TEST(TLEDLabel, LinesAndCutAtTheRightEdge) {
    TLEDLabel label;
    configureDateLabel(label);
    label.resize(60, 60);
    // A carriage return starts a new line; a line feed takes no cell.
    label.SetCaption(QStringLiteral("1\r\n-"));
    QImage img = paint(label);
    EXPECT_EQ(litInCell(img, 4, 4), expectedFor({7, 8}));
    EXPECT_EQ(litInCell(img, 4, 21), expectedFor({3}));

    // A text longer than the area runs on and is cut: the frame stays.
    configureDateLabel(label);
    label.SetCaption(QString(40, QLatin1Char('8')));
    img = paint(label);
    for (int x = 431; x <= 433; ++x)
        EXPECT_EQ(img.pixel(x, 9), WinColor(cl::Teal).rgb()) << x;
    EXPECT_EQ(img.pixel(434, 9), WinColor(cl::BtnHighlight).rgb());
    // The 33rd character starts at 420 and shows only up to x 430.
    EXPECT_EQ(img.pixel(420 + 1, 4 + 3), WinColor(cl::Aqua).rgb());
}

TEST(TLEDLabel, ShortBarsShowOnlyTheOuterSegments) {
    TLEDLabel label;
    configureDateLabel(label);
    label.LED().SetVertsize(3);
    label.SetCaption(QStringLiteral("*:A"));
    const QImage img = paint(label);
    EXPECT_TRUE(litInCell(img, 4, 4).empty());
    EXPECT_TRUE(litInCell(img, 4 + label.LED().CellWidth(), 4).empty());
    EXPECT_FALSE(litInCell(img, 4 + 2 * label.LED().CellWidth(), 4).empty());
}

TEST(TLEDLabel, DisabledLabelDrawsNoLitSegments) {
    TLEDLabel label;
    configureDateLabel(label);
    label.SetCaption(QStringLiteral("88"));
    label.setEnabled(false);
    EXPECT_TRUE(litInCell(paint(label), 4, 4).empty());
    label.LED().SetDisabledDigits(false);
    EXPECT_FALSE(litInCell(paint(label), 4, 4).empty());
}

TEST(TLEDLabel, UnlitCellIsADitherOfTheInactiveColour) {
    TLEDCharSet led; // thickness 2: the bars have an area
    led.SetBackgroundColor(cl::Black);
    const QImage& cell = led.CellImage();
    ASSERT_EQ(cell.size(), QSize(9 + 10, 14 + 14));
    int inactive = 0;
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x) {
            const QRgb c = cell.pixel(x, y);
            if (c == WinColor(0x00008000).rgb()) {
                ++inactive;
                EXPECT_EQ((x + y) % 2, 0) << x << "," << y;
            } else {
                EXPECT_EQ(c, WinColor(cl::Black).rgb());
            }
        }
    EXPECT_GT(inactive, 20);
}

TEST(TLEDLabel, IntegerStyleAndAutoSize) {
    TLEDLabel label;
    label.SetStyle(lsInteger);
    label.SetDigits(3);
    label.SetValue(7);
    EXPECT_EQ(label.DisplayText(), QStringLiteral("007"));
    label.SetValue(12345);
    EXPECT_EQ(label.DisplayText(), QStringLiteral("---"));
    label.SetValue(-5);
    EXPECT_EQ(label.DisplayText(), QStringLiteral("-05"));
    label.SetDigits(0); // refused
    EXPECT_EQ(label.Digits(), 3);

    TLEDLabel sized;
    configureDateLabel(sized);
    sized.SetAutoSize(true);
    sized.SetCaption(QStringLiteral("AB\rC"));
    // Two cells by two lines, plus the 4-pixel frame on each side (and one pixel).
    EXPECT_EQ(sized.size(), QSize(2 * 13 + 8 + 1, 2 * 17 + 8));
}
