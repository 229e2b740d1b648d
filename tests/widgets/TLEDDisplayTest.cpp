#include "widgets/TLEDDisplay.h"
#include "widgets/ShadeColor.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <string>

namespace {

// LEDDisplay1 as the main window's form sets it up.
void ApplyFormValues(TLEDDisplay& d) {
    d.resize(245, 33);
    d.SetBevelStyle(bvNone);
    d.SetBorderStyle(TLEDDisplay::bsNone);
    d.SetColorBackGround(cl::Teal);
    d.SetColorLED(cl::Aqua);
    d.SetDecSeperator(TLEDDisplay::dsComma);
    d.SetDigitHeight(25);
    d.SetFractionDigits(3);
    d.SetNumDigits(7);
    d.SetSegmentStyle(TLEDDisplay::ssBeveled);
}

QImage Paint(const TLEDDisplay& d) {
    QImage img(d.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    d.paintTo(p);
    return img;
}

// Centres of the seven segments in a 20 x 25 digit image.
const QPoint kSegmentCentres[7] = {{10, 2}, {2, 6}, {17, 6}, {10, 12}, {2, 18}, {17, 18}, {10, 22}};
const char* const kDigitPatterns[10] = {"1110111", "0010010", "1011101", "1011011", "0111010",
                                        "1101011", "0101111", "1010010", "1111111", "1111011"};

// Lit segments of the image at x0, y0, as "0"/"1" for segments 0 to 6.
std::string Segments(const QImage& img, int x0, int y0, QRgb lit) {
    std::string s;
    for (const QPoint& c : kSegmentCentres)
        s += img.pixel(x0 + c.x(), y0 + c.y()) == lit ? '1' : '0';
    return s;
}

// Reads the readout back from the picture: the digit of each cell (space
// when nothing is lit) and a comma wherever the comma's dot is lit.
std::string Read(const QImage& img, int cells, int cellWidth, int x0, int y0, QRgb lit) {
    std::string out;
    for (int i = 0; i < cells; ++i) {
        const std::string seg = Segments(img, x0 + i * cellWidth, y0, lit);
        char c = '?';
        if (seg == "0000000")
            c = ' ';
        for (int d = 0; d < 10; ++d)
            if (seg == kDigitPatterns[d])
                c = char('0' + d);
        out += c;
        // The comma's dot: the box from (x - 6, y + 17) to (x - 2, y + 21)
        // before the next image's left edge x.
        const int x = x0 + (i + 1) * cellWidth;
        if (i + 1 < cells && img.pixel(x - 5, y0 + 18) == lit && img.pixel(x - 4, y0 + 19) == lit)
            out += ',';
    }
    return out;
}

std::string ReadForm(const TLEDDisplay& d) {
    return Read(Paint(d), 7, 35, 7, 4, WinColor(cl::Aqua).rgb());
}

} // namespace

TEST(ShadeColor, DarkerAndLighterByHalf) {
    EXPECT_EQ(ShadeColor(cl::Aqua, -50), 0x00808000u);
    EXPECT_EQ(ShadeColor(cl::Lime, -50), 0x00008000u);
    EXPECT_EQ(ShadeColor(0x00FF7F03, -50), 0x00804002u);  // v - v div 2 per channel
    EXPECT_EQ(ShadeColor(cl::BtnFace, -50), 0x00787878u); // system colours take their value
    EXPECT_EQ(ShadeColor(cl::Silver, 50), 0x00FFFFFFu);
    // Blue overflows alone: its excess goes to red.
    EXPECT_EQ(ShadeColor(0x00C08040, 50), 0x00FFC081u);
    // Red overflows: the carry goes into green and blue.
    EXPECT_EQ(ShadeColor(0x000A64C8, 50), 0x003CC3FFu);
    EXPECT_EQ(ShadeColor(cl::Gray, -150), 0x00000000u);
}

TEST(TLEDDisplay, CreationValues) {
    TLEDDisplay d;
    EXPECT_EQ(d.size(), QSize(168, 36));
    EXPECT_EQ(d.BevelStyle(), bvLowered);
    EXPECT_EQ(d.BorderStyle(), TLEDDisplay::bsSingle);
    EXPECT_EQ(d.ColorBackGround(), 0x00808080u);
    EXPECT_EQ(d.ColorLED(), 0x0000FF00u);
    EXPECT_EQ(d.ColorLEDOff(), 0x00008000u);
    EXPECT_EQ(d.DigitHeight(), 30);
    EXPECT_EQ(d.DigitWidth(), 20);
    EXPECT_EQ(d.DigitLineWidth(), 3);
    EXPECT_EQ(d.FractionDigits(), 0);
    EXPECT_EQ(d.NumDigits(), 6);
    EXPECT_TRUE(d.LeadingZeros());
    EXPECT_EQ(d.SegmentStyle(), TLEDDisplay::ssBeveled);
    EXPECT_EQ(d.DigitImage(8).size(), QSize(20, 30));

    // Lowered bevel, then the window-frame border inside it.
    const QImage img = Paint(d);
    EXPECT_EQ(img.pixel(0, 0), WinColor(cl::BtnShadow).rgb());
    EXPECT_EQ(img.pixel(0, 34), WinColor(cl::BtnShadow).rgb());
    EXPECT_EQ(img.pixel(167, 35), WinColor(cl::BtnHighlight).rgb());
    EXPECT_EQ(img.pixel(167, 1), WinColor(cl::BtnHighlight).rgb());
    EXPECT_EQ(img.pixel(1, 1), WinColor(cl::WindowFrame).rgb());
    EXPECT_EQ(img.pixel(166, 34), WinColor(cl::WindowFrame).rgb());
    EXPECT_EQ(img.pixel(2, 2), WinColor(0x00808080).rgb());
}

TEST(TLEDDisplay, FormReadouts) {
    TLEDDisplay d;
    ApplyFormValues(d);
    EXPECT_EQ(ReadForm(d), "0000,000");
    d.SetValue(12.345);
    EXPECT_EQ(ReadForm(d), "0012,345");
    d.SetValue(4550);
    EXPECT_EQ(ReadForm(d), "4550,000");
    // Too many integer digits: the text is cut and the separator moves with it.
    d.SetValue(10000);
    EXPECT_EQ(ReadForm(d), "10000,00");

    // The comma of 4550,000 just left of the fifth digit: its dot in the box
    // from (141, 21) to (145, 25), its tail below.
    d.SetValue(4550);
    QImage img = Paint(d);
    const QRgb aqua = WinColor(cl::Aqua).rgb(), teal = WinColor(cl::Teal).rgb();
    EXPECT_EQ(img.pixel(142, 22), aqua);
    EXPECT_EQ(img.pixel(143, 23), aqua);
    EXPECT_EQ(img.pixel(141, 28), aqua);
    EXPECT_EQ(img.pixel(139, 22), teal);
    EXPECT_EQ(img.pixel(147 + 10, 4 + 2), aqua);  // 5th digit 0: top segment
    EXPECT_EQ(img.pixel(147 + 10, 4 + 12), teal); // ... no middle segment
    // With clAqua the unlit segments are the background colour.
    EXPECT_EQ(d.ColorLEDOff(), cl::Teal);

    d.SetValue(10000);
    img = Paint(d);
    EXPECT_EQ(img.pixel(142, 22), teal);
    EXPECT_EQ(img.pixel(177, 22), aqua);
}

TEST(TLEDDisplay, DigitTextAndSeparatorPosition) {
    TLEDDisplay d;
    ApplyFormValues(d);
    int s = -1;
    EXPECT_EQ(d.DigitText(&s), QStringLiteral("0000000"));
    EXPECT_EQ(s, 5);
    d.SetValue(0.0005); // fixed-point rounding of the value
    EXPECT_EQ(d.DigitText(&s).left(7), QStringLiteral("0000001"));
    d.SetValue(-0.0); // the sign of a zero is not shown
    EXPECT_EQ(d.DigitText(&s), QStringLiteral("0000000"));
    d.SetValue(std::numeric_limits<double>::infinity());
    EXPECT_EQ(d.DigitText(&s), QStringLiteral("0000000"));
    EXPECT_EQ(s, 0);
    EXPECT_EQ(ReadForm(d), "0000000");
}

TEST(TLEDDisplay, FractionDigitsAndNoSeparator) {
    TLEDDisplay d;
    ApplyFormValues(d);
    d.SetFractionDigits(9);
    EXPECT_EQ(d.FractionDigits(), 6);
    d.SetFractionDigits(-2);
    EXPECT_EQ(d.FractionDigits(), 0);
    d.SetValue(4550);
    EXPECT_EQ(ReadForm(d), "0004550");
    // A later NumDigits does not re-check the fraction digits.
    d.SetFractionDigits(6);
    d.SetNumDigits(3);
    EXPECT_EQ(d.FractionDigits(), 6);
    d.SetNumDigits(0);
    EXPECT_EQ(d.NumDigits(), 1);
}

TEST(TLEDDisplay, WithoutLeadingZeros) {
    TLEDDisplay d;
    ApplyFormValues(d);
    d.SetLeadingZeros(false);
    d.SetValue(12.345);
    EXPECT_EQ(ReadForm(d), "  12,345");
    d.SetValue(0.5);
    EXPECT_EQ(ReadForm(d), "    ,500");
    d.SetValue(100.05);
    EXPECT_EQ(ReadForm(d), " 100,050");
}

TEST(TLEDDisplay, OnChangeOnEveryAssignment) {
    TLEDDisplay d;
    int changes = 0;
    d.OnChange = [&](TLEDDisplay* sender) {
        EXPECT_EQ(sender, &d);
        ++changes;
    };
    d.SetValue(3.0);
    d.SetValue(3.0);
    EXPECT_EQ(changes, 2);
    d.SetColorLED(cl::Red);
    EXPECT_EQ(changes, 2);
}

TEST(TLEDDisplay, DigitImagesFollowTheSegmentTable) {
    TLEDDisplay d;
    ApplyFormValues(d);
    d.SetColorLED(cl::Lime); // unlit segments show in 0x008000
    const QRgb lit = WinColor(cl::Lime).rgb(), off = WinColor(0x00008000).rgb();
    for (int digit = 0; digit < 10; ++digit) {
        SCOPED_TRACE(digit);
        const QImage& img = d.DigitImage(digit);
        ASSERT_EQ(img.size(), QSize(20, 25));
        EXPECT_EQ(Segments(img, 0, 0, lit), kDigitPatterns[digit]);
        for (int s = 0; s < 7; ++s) {
            if (kDigitPatterns[digit][s] == '0') {
                EXPECT_EQ(img.pixel(kSegmentCentres[s]), off);
            }
        }
        // Segments are outlined in the background colour.
        EXPECT_EQ(img.pixel(0, 0), WinColor(cl::Teal).rgb());
        EXPECT_EQ(img.pixel(19, 24), WinColor(cl::Teal).rgb());
    }
    // Straight segments: lines three pixels thick.
    d.SetSegmentStyle(TLEDDisplay::ssRectangular);
    const QImage& seven = d.DigitImage(7);
    EXPECT_EQ(seven.pixel(10, 0), lit);
    EXPECT_EQ(seven.pixel(10, 2), lit);
    EXPECT_EQ(seven.pixel(10, 4), WinColor(cl::Teal).rgb());
    EXPECT_EQ(seven.pixel(18, 6), lit);
    EXPECT_EQ(seven.pixel(1, 6), off);
}

TEST(TLEDDisplay, SeparatorMarks) {
    TLEDDisplay d;
    ApplyFormValues(d);
    d.SetValue(4550);
    const QRgb aqua = WinColor(cl::Aqua).rgb(), teal = WinColor(cl::Teal).rgb();
    const int x = 147, y = 4, D = 25;

    d.SetDecSeperator(TLEDDisplay::dsPoint);
    QImage img = Paint(d);
    EXPECT_EQ(img.pixel(x - 4, y + D - 3), aqua);
    EXPECT_EQ(img.pixel(x - 4, y + D - 7), teal);

    d.SetDecSeperator(TLEDDisplay::dsDoublePoint);
    img = Paint(d);
    EXPECT_EQ(img.pixel(x - 4, y + D / 3), aqua);
    EXPECT_EQ(img.pixel(x - 4, y + 2 * D / 3), aqua);
    EXPECT_EQ(img.pixel(x - 4, y + D / 2), teal);

    d.SetDecSeperator(TLEDDisplay::dsMinus);
    img = Paint(d);
    EXPECT_EQ(img.pixel(x - 5, y + D / 2), aqua);
    EXPECT_EQ(img.pixel(x - 5, y + D / 2 + 1), aqua); // three pixels thick
    EXPECT_EQ(img.pixel(x - 5, y + D - 3), teal);
}

// The marks pixel by pixel left of the fifth digit (x 139 to 146, y 19 to 30):
// 4 x 4 dots with their corners cut, the comma's tail down to (141, 28) and
// back up towards (145, 23).
TEST(TLEDDisplay, SeparatorMarksPixelByPixel) {
    TLEDDisplay d;
    ApplyFormValues(d);
    d.SetValue(4550);
    auto picture = [&d](TLEDDisplay::TDecSeperator mark, int top) {
        d.SetDecSeperator(mark);
        const QImage img = Paint(d);
        std::string rows;
        for (int y = top; y < top + 12; ++y) {
            for (int x = 139; x < 147; ++x)
                rows += img.pixel(x, y) == WinColor(cl::Aqua).rgb() ? '#' : '.';
            rows += '\n';
        }
        return rows;
    };
    EXPECT_EQ(picture(TLEDDisplay::dsComma, 19), "........\n"
                                                 "........\n"
                                                 "...##...\n"
                                                 "..####..\n"
                                                 "..####..\n"
                                                 "...###..\n"
                                                 "....#...\n"
                                                 "...##...\n"
                                                 "...#....\n"
                                                 "..#.....\n"
                                                 "........\n"
                                                 "........\n");
    EXPECT_EQ(picture(TLEDDisplay::dsPoint, 19), "........\n"
                                                 "........\n"
                                                 "........\n"
                                                 "........\n"
                                                 "........\n"
                                                 "...##...\n"
                                                 "..####..\n"
                                                 "..####..\n"
                                                 "...##...\n"
                                                 "........\n"
                                                 "........\n"
                                                 "........\n");
    // Double point: dots round y + 8 and y + 16 (y = 4).
    EXPECT_EQ(picture(TLEDDisplay::dsDoublePoint, 9), "........\n"
                                                      "...##...\n"
                                                      "..####..\n"
                                                      "..####..\n"
                                                      "...##...\n"
                                                      "........\n"
                                                      "........\n"
                                                      "........\n"
                                                      "........\n"
                                                      "...##...\n"
                                                      "..####..\n"
                                                      "..####..\n");
}
