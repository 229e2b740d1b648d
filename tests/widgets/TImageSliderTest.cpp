// The scale gauge: ruler strip, placement and thumb positions, painted into images.
#include "widgets/TImageSlider.h"
#include "timescale/AevError.h"

#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QImage redThumb() {
    QImage t(3, 40, QImage::Format_ARGB32);
    t.fill(WinColor(cl::Red));
    return t;
}

// A ruler whose pixel colour names its column and row, so the strip can be checked.
QImage ruler(int w, int h) {
    QImage r(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            r.setPixel(x, y, qRgb(x % 256, x / 256, y));
    return r;
}

// ImageSlider1 as the main window sets it up.
void configureGauge(TImageSlider& s) {
    s.resize(822, 42);
    s.BeginLoading();
    s.SetBevelStyle(bvLowered);
    s.SetColor(cl::Teal);
    s.setEnabled(false);
    s.SetImage(TImageSlider::ImageHThumb, redThumb());
    s.SetIncrement(1);
    s.SetMinValue(-4550);
    s.SetMaxValue(30);
    s.SetNumThumbStates(1);
    s.SetEdgeSize(0);
    s.SetOptions(soSmooth | soRulerOpaque | soThumbOpaque);
    s.EndLoading();
}

QImage paint(const TImageSlider& s) {
    QImage img(s.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    s.paintTo(p);
    return img;
}

int rulerColumn(QRgb c) {
    return qRed(c) + 256 * qGreen(c);
}

} // namespace

TEST(TImageSlider, ThumbPositionsAndClamping) {
    TImageSlider s;
    configureGauge(s);
    s.SetImage(TImageSlider::ImageHRuler, ruler(820, 40));
    s.SetValue(-4550);
    EXPECT_EQ(s.ThumbRect(), QRect(1, 1, 3, 40));
    s.SetValue(0);
    EXPECT_EQ(s.ThumbRect().left(), 813);
    s.SetValue(30);
    EXPECT_EQ(s.ThumbRect().left(), 818);
    s.SetValue(-100000);
    EXPECT_EQ(s.Value(), -4550);
    EXPECT_EQ(s.ThumbRect().left(), 1);
    s.SetValue(31);
    EXPECT_EQ(s.Value(), 30);
    EXPECT_EQ(s.ThumbRect().left(), 818);

    // Painted: the red bar at 813..815 for 0, the ruler beside it, the bevel round it.
    s.SetValue(0);
    const QImage img = paint(s);
    for (int x = 813; x <= 815; ++x)
        EXPECT_EQ(img.pixel(x, 20), WinColor(cl::Red).rgb());
    EXPECT_EQ(rulerColumn(img.pixel(812, 20)), 811);
    EXPECT_EQ(rulerColumn(img.pixel(816, 20)), 815);
    EXPECT_EQ(img.pixel(100, 0), WinColor(cl::BtnShadow).rgb());
    EXPECT_EQ(img.pixel(100, 41), WinColor(cl::BtnHighlight).rgb());
}

TEST(TImageSlider, ChangeNotificationOnlyWhenTheValueChanges) {
    TImageSlider s;
    configureGauge(s);
    QSignalSpy spy(&s, &TImageSlider::OnChange);
    s.SetValue(-12);
    s.SetValue(-12);
    s.SetValue(500); // clamped to 30
    s.SetValue(40);  // clamped to 30 again: no change
    EXPECT_EQ(spy.count(), 2);
}

TEST(TImageSlider, NarrowRulerIsRepeatedWithItsRightEndLast) {
    TImageSlider s;
    configureGauge(s);
    s.SetImage(TImageSlider::ImageHRuler, ruler(100, 40));
    const QImage& strip = s.RulerStrip();
    ASSERT_EQ(strip.size(), QSize(820, 40));
    for (int x = 0; x < 800; ++x)
        ASSERT_EQ(rulerColumn(strip.pixel(x, 5)), x % 100) << x;
    // 820 = 8 copies + 20 columns: the last 20 columns are R's columns 80 to 99.
    for (int x = 800; x < 820; ++x)
        ASSERT_EQ(rulerColumn(strip.pixel(x, 5)), 80 + (x - 800)) << x;
}

TEST(TImageSlider, WideRulerIsCutOnTheRight) {
    TImageSlider s;
    configureGauge(s);
    s.SetImage(TImageSlider::ImageHRuler, ruler(1000, 40));
    const QImage& strip = s.RulerStrip();
    ASSERT_EQ(strip.width(), 820);
    EXPECT_EQ(rulerColumn(strip.pixel(0, 0)), 0);
    EXPECT_EQ(rulerColumn(strip.pixel(819, 0)), 819);
}

TEST(TImageSlider, EdgesAreKeptAndTheMiddleRepeated) {
    TImageSlider s;
    configureGauge(s);
    s.SetEdgeSize(2);
    s.SetImage(TImageSlider::ImageHRuler, ruler(10, 40)); // middle 6 columns
    const QImage& strip = s.RulerStrip();
    // Piece 0: R's columns 0 to 7.
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(rulerColumn(strip.pixel(x, 0)), x);
    // Then copies of columns 2 to 7.
    for (int x = 8; x < 812; ++x)
        ASSERT_EQ(rulerColumn(strip.pixel(x, 0)), 2 + (x - 8) % 6) << x;
    // 816 = 136 middles: the last piece is the right edge, columns 8 and 9.
    EXPECT_EQ(rulerColumn(strip.pixel(818, 0)), 8);
    EXPECT_EQ(rulerColumn(strip.pixel(819, 0)), 9);
}

TEST(TImageSlider, TallAndLowRulersAreCentredAgainstTheThumb) {
    TImageSlider s;
    configureGauge(s);
    // Taller than the bar: drawn from the top, the bar centred on it.
    s.SetImage(TImageSlider::ImageHRuler, ruler(50, 60));
    EXPECT_EQ(s.RulerPosition(), QPoint(1, 1));
    EXPECT_EQ(s.ThumbRect().top(), 1 + 10);
    // Lower than the bar: centred on the bar, which starts at the top.
    s.SetImage(TImageSlider::ImageHRuler, ruler(50, 20));
    EXPECT_EQ(s.RulerPosition(), QPoint(1, 11));
    EXPECT_EQ(s.ThumbRect().top(), 1);
    const QImage img = paint(s);
    EXPECT_EQ(img.pixel(400, 5), WinColor(cl::Teal).rgb()); // above the ruler: the background
    EXPECT_EQ(qBlue(img.pixel(400, 11)), 0);                // the ruler's first row
    EXPECT_EQ(qBlue(img.pixel(400, 30)), 19);               // and its last
}

TEST(TImageSlider, BuiltInRulerRepeatsAcrossTheGauge) {
    TImageSlider s;
    configureGauge(s);
    const QImage& strip = s.RulerStrip();
    ASSERT_EQ(strip.width(), 820);
    ASSERT_GT(strip.height(), 0);
    const int w = s.Image(TImageSlider::ImageHRuler).width();
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x + w < 820; x += 37)
            ASSERT_EQ(strip.pixel(x, y), strip.pixel(x + w, y));
}

TEST(TImageSlider, RangeAndIncrementRules) {
    TImageSlider s;
    configureGauge(s);
    try {
        s.SetIncrement(0);
        FAIL() << "an increment of 0 is refused";
    } catch (const EAevError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("La valeur doit être comprise entre 1 et 4580"));
    }
    EXPECT_THROW(s.SetIncrement(4581), EAevError);
    EXPECT_NO_THROW(s.SetIncrement(4580));

    // A range with minimum >= maximum is refused; a narrower one shrinks Increment.
    s.SetMinValue(30);
    EXPECT_EQ(s.MinValue(), -4550);
    s.SetMaxValue(-4550);
    EXPECT_EQ(s.MaxValue(), 30);
    s.SetValue(-10);
    s.SetMinValue(0);
    EXPECT_EQ(s.Increment(), 30);
    EXPECT_EQ(s.Value(), 0);

    // While the layout is read anything is stored as given.
    TImageSlider loading;
    loading.BeginLoading();
    EXPECT_NO_THROW(loading.SetIncrement(1000));
    loading.SetMinValue(500);
    EXPECT_EQ(loading.MinValue(), 500);
    loading.SetMaxValue(600);
    loading.EndLoading();
    EXPECT_EQ(loading.Value(), 500);
}

TEST(TImageSlider, TwoThumbStatesUseTheRightHalfWhenDisabled) {
    TImageSlider s;
    s.resize(200, 30);
    s.SetOptions(soSmooth | soRulerOpaque | soThumbOpaque);
    QImage thumb(4, 10, QImage::Format_ARGB32);
    thumb.fill(WinColor(cl::Red));
    for (int y = 0; y < 10; ++y)
        for (int x = 2; x < 4; ++x)
            thumb.setPixel(x, y, WinColor(cl::Lime).rgb());
    s.SetImage(TImageSlider::ImageHThumb, thumb);
    EXPECT_EQ(s.ThumbRect().size(), QSize(2, 10));
    const QPoint at = s.ThumbRect().topLeft();
    EXPECT_EQ(paint(s).pixel(at), WinColor(cl::Red).rgb());
    s.setEnabled(false);
    EXPECT_EQ(paint(s).pixel(at), WinColor(cl::Lime).rgb());
}
