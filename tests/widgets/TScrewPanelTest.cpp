// The screw panel painted into images with the main window's settings.
#include "widgets/TScrewPanel.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

void configure(TScrewPanel& p, int w, int h) {
    p.resize(w, h);
    p.SetBevelInner(bvRaised);
    p.SetBevelOuter(bvLowered);
    p.SetColor(cl::BtnFace);
    p.SetMargin(3);
    p.SetScrewSize(4);
    p.SetShowScrews(true);
}

QImage paint(const TScrewPanel& p) {
    QImage img(p.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter painter(&img);
    p.paintTo(painter);
    return img;
}

} // namespace

TEST(TScrewPanel, ScrewsOfTheUpperPanel) {
    TScrewPanel panel;
    configure(panel, 898, 201);
    const QVector<QPoint> expected = {QPoint(5, 5), QPoint(877, 5), QPoint(5, 180), QPoint(877, 180)};
    EXPECT_EQ(panel.ScrewPositions(), expected);

    const QImage img = paint(panel);
    const QRgb face = WinColor(cl::BtnFace).rgb();
    const QRgb dark = WinColor(0x00787878).rgb();
    const QRgb light = WinColor(cl::White).rgb(); // 240 + 50 % saturates
    EXPECT_EQ(panel.DarkColor(), 0x00787878u);
    EXPECT_EQ(panel.LightColor(), 0x00FFFFFFu);
    for (const QPoint& s : expected) {
        EXPECT_EQ(img.pixel(s + QPoint(5, 5)), WinColor(cl::Silver).rgb()) << s.x() << "," << s.y();
        EXPECT_EQ(img.pixel(s + QPoint(8, 0)), dark);                      // top of the rim
        EXPECT_EQ(img.pixel(s + QPoint(0, 8)), dark);                      // left of the rim
        EXPECT_EQ(img.pixel(s + QPoint(8, 15)), light);                    // bottom of the rim
        EXPECT_EQ(img.pixel(s + QPoint(15, 8)), light);                    // right of the rim
        EXPECT_EQ(img.pixel(s + QPoint(3, 11)), WinColor(cl::Gray).rgb()); // slot
        EXPECT_EQ(img.pixel(s + QPoint(7, 7)), WinColor(cl::Gray).rgb());
        EXPECT_EQ(img.pixel(s + QPoint(8, 8)), WinColor(cl::White).rgb()); // its lit edge
        EXPECT_EQ(img.pixel(s + QPoint(0, 0)), face);                      // outside the disc
        EXPECT_EQ(img.pixel(s + QPoint(-1, 8)), face);
        EXPECT_EQ(img.pixel(s + QPoint(16, 8)), face);
    }
    // Outer bevel lowered (dark on top), inner raised (light on top).
    EXPECT_EQ(img.pixel(100, 0), dark);
    EXPECT_EQ(img.pixel(0, 100), dark);
    EXPECT_EQ(img.pixel(100, 200), light);
    EXPECT_EQ(img.pixel(897, 100), light);
    EXPECT_EQ(img.pixel(100, 1), light);
    EXPECT_EQ(img.pixel(100, 199), dark);
    EXPECT_EQ(img.pixel(896, 100), dark);
    EXPECT_EQ(img.pixel(0, 200), face); // the pen never reaches the bottom-left corner
    EXPECT_EQ(img.pixel(450, 100), face);
}

TEST(TScrewPanel, ScrewSizeAndMarginAcceptance) {
    TScrewPanel panel;
    panel.resize(100, 8);
    panel.SetScrewSize(8);
    EXPECT_EQ(panel.ScrewSize(), 2);
    panel.SetScrewSize(7);
    EXPECT_EQ(panel.ScrewSize(), 7);
    panel.SetScrewSize(0);
    EXPECT_EQ(panel.ScrewSize(), 7);

    TScrewPanel wide;
    configure(wide, 50, 30);
    wide.SetMargin(26); // 30 - 4
    EXPECT_EQ(wide.Margin(), 3);
    wide.SetMargin(25);
    EXPECT_EQ(wide.Margin(), 25);
}

TEST(TScrewPanel, WithoutScrewsOnlyFillAndBevels) {
    TScrewPanel panel;
    configure(panel, 120, 80);
    panel.SetShowScrews(false);
    const QImage img = paint(panel);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_NE(img.pixel(x, y), WinColor(cl::Silver).rgb()) << x << "," << y;
}

TEST(TScrewPanel, ColoursFollowTheFill) {
    TScrewPanel panel;
    panel.SetColor(cl::Silver);
    EXPECT_EQ(panel.LightColor(), 0x00FFFFFFu);
    EXPECT_EQ(panel.DarkColor(), 0x00606060u);
    panel.SetColor(cl::Teal);
    EXPECT_EQ(panel.DarkColor(), 0x00404000u);
}
