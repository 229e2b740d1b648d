// The embossed caption painted into images, with aliased text so that every
// pixel is the background, the light colour or the font colour.
#include "widgets/TEmbossedText.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

void configure(TEmbossedText& t, int pixelSize, const QString& caption) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixelSize);
    f.setBold(true);
    f.setStyleStrategy(QFont::NoAntialias);
    t.setFont(f);
    t.SetFontColor(cl::InactiveCaption);
    TFxCaption fx;
    fx.Style = tdSunken;
    t.SetFontFX(fx);
    t.SetCaption(caption);
}

QImage paint(const TEmbossedText& t) {
    QImage img(t.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    t.paintTo(p);
    return img;
}

int count(const QImage& img, QRgb c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == c;
    return n;
}

} // namespace

TEST(TEmbossedText, SunkenLetteringIsALightCopyOneStepDownRight) {
    QWidget parent;
    auto* t = new TEmbossedText(&parent);
    configure(*t, 24, QStringLiteral("Ma"));
    const QImage img = paint(*t);
    const QRgb text = WinColor(cl::InactiveCaption).rgb(), light = WinColor(cl::BtnHighlight).rgb(),
               face = WinColor(cl::BtnFace).rgb();
    int lights = 0, texts = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            ASSERT_TRUE(c == text || c == light || c == face) << x << "," << y;
            if (c == light) {
                ++lights;
                ASSERT_EQ(img.pixel(x - 1, y - 1), text) << "light without text at " << x << "," << y;
            } else if (c == text) {
                ++texts;
                if (x + 1 < img.width() && y + 1 < img.height()) {
                    const QRgb below = img.pixel(x + 1, y + 1);
                    ASSERT_TRUE(below == text || below == light);
                }
            }
        }
    EXPECT_GT(texts, 50);
    EXPECT_GT(lights, 10);

    // Disabled: no engraving in the light colour of the effect on the font colour.
    t->setEnabled(false);
    EXPECT_EQ(count(paint(*t), text), 0);
}

TEST(TEmbossedText, AutoSizeMeasuresTheTextWithoutItsAmpersand) {
    QWidget parent;
    auto* a = new TEmbossedText(&parent);
    auto* b = new TEmbossedText(&parent);
    configure(*a, 24, QStringLiteral("Ma"));
    configure(*b, 24, QStringLiteral("&Ma"));
    const QFontMetrics fm(a->font());
    // The text's extent and one pixel on each side.
    EXPECT_NEAR(a->width(), fm.horizontalAdvance(QStringLiteral("Ma")) + 2, 2);
    EXPECT_EQ(a->height(), fm.height() + 2);
    EXPECT_EQ(b->size(), a->size());

    // The accelerator underlines the M: the same lettering plus an underline.
    const QImage plain = paint(*a), accel = paint(*b);
    const QRgb text = WinColor(cl::InactiveCaption).rgb();
    int extra = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            if (plain.pixel(x, y) == text) {
                ASSERT_EQ(accel.pixel(x, y), text);
            }
            extra += accel.pixel(x, y) == text && plain.pixel(x, y) != text;
        }
    EXPECT_GT(extra, 3);

    // Without accelerator handling the ampersand is drawn and measured.
    b->SetShowAccelChar(false);
    EXPECT_GT(b->width(), a->width());

    // Without a parent the size stays as it is.
    TEmbossedText lone;
    lone.resize(10, 10);
    configure(lone, 24, QStringLiteral("Long caption"));
    EXPECT_EQ(lone.size(), QSize(10, 10));
}

TEST(TEmbossedText, EmptyCaptionLeavesOnlyTheBackground) {
    QWidget parent;
    auto* t = new TEmbossedText(&parent);
    t->SetAutoSize(false);
    t->setGeometry(0, 0, 290, 22);
    configure(*t, 16, QString());
    const QImage img = paint(*t);
    EXPECT_EQ(count(img, WinColor(cl::BtnFace).rgb()), 290 * 22);
}

TEST(TEmbossedText, WideCaptionIsClippedAndStaysCentred) {
    QWidget parent;
    auto* t = new TEmbossedText(&parent);
    t->SetAutoSize(false);
    t->setGeometry(0, 0, 290, 22);
    configure(*t, 16, QString(60, QLatin1Char('W')));
    EXPECT_EQ(t->size(), QSize(290, 22));
    const QImage img = paint(*t);
    const QRgb text = WinColor(cl::InactiveCaption).rgb();
    auto columnHasText = [&](int x) {
        for (int y = 0; y < img.height(); ++y)
            if (img.pixel(x, y) == text)
                return true;
        return false;
    };
    int left = 0, right = 0;
    for (int x = 0; x < 8; ++x) {
        left += columnHasText(x);
        right += columnHasText(289 - x);
    }
    EXPECT_GT(left, 0);
    EXPECT_GT(right, 0);

    // A short caption is centred: as much room on the left as on the right.
    t->SetCaption(QStringLiteral("II"));
    const QImage shortImg = paint(*t);
    int first = -1, last = -1;
    for (int x = 0; x < 290; ++x)
        for (int y = 0; y < 22; ++y)
            if (shortImg.pixel(x, y) == text) {
                if (first < 0)
                    first = x;
                last = x;
            }
    ASSERT_GE(first, 0);
    EXPECT_NEAR(first, 289 - last, 3);
}
