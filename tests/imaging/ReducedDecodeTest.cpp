// Large pictures that are only drawn small keep fewer pixels but their true size.
#include "imaging/PictureLimits.h"
#include "imaging/PictureSamples.h"
#include "imaging/TPicture.h"
#include "imaging/TRowReducer.h"

#include <gtest/gtest.h>
#include <png.h>

using namespace samples;

TEST(ReducedDecode, ReductionCoversTheDrawnSize) {
    EXPECT_EQ(ReductionFactor(6000, 4000, QSize(316, 176)), 22);
    EXPECT_EQ(ReductionFactor(200, 100, QSize(316, 176)), 1);
    EXPECT_EQ(ReductionFactor(6000, 4000, QSize()), 1);
    for (int w : {317, 640, 1000, 6000, 16384})
        for (int h : {177, 480, 4000}) {
            const int k = ReductionFactor(w, h, QSize(316, 176));
            const double s = DrawScale(w, h, QSize(316, 176));
            EXPECT_GE((w + k - 1) / k, int(w * s)) << w << "x" << h;
            EXPECT_GE((h + k - 1) / k, int(h * s)) << w << "x" << h;
        }
}

TEST(ReducedDecode, JpegAndPngReportTheirTrueSize) {
    TPicture picture;
    picture.SetMaxDrawSize(QSize(316, 176));
    picture.LoadFromData(Jpeg(1600, 900, false, 3), QStringLiteral("jpg"));
    EXPECT_EQ(picture.Width(), 1600);
    EXPECT_EQ(picture.Height(), 900);
    EXPECT_LT(picture.Image().width(), 1600);
    EXPECT_GE(picture.Image().width(), 316);
    EXPECT_GE(picture.Image().height(), 1600 * 316 / 900 > 176 ? 177 : 176);

    for (bool interlaced : {false, true}) {
        picture.LoadFromData(Png(1600, 900, {PNG_COLOR_TYPE_RGB_ALPHA, 8, interlaced}),
                             QStringLiteral("png"));
        EXPECT_EQ(picture.Width(), 1600);
        EXPECT_EQ(picture.Height(), 900);
        EXPECT_EQ(picture.Image().width(), (1600 + 4) / 5);
        EXPECT_EQ(picture.Image().height(), 180);
    }
    // Without a drawing size the picture keeps every pixel.
    TPicture full;
    full.LoadFromData(Jpeg(640, 480, true, 3), QStringLiteral("jpg"));
    EXPECT_EQ(full.Image().size(), QSize(640, 480));
}

TEST(ReducedDecode, RowReducerAveragesBlocks) {
    TRowReducer reducer;
    reducer.Init(5, 2, 3, 3); // R, G, B rows: blocks of 6 and 4 pixels
    const unsigned char rows[2][15] = {{0, 0, 0, 30, 30, 30, 60, 60, 60, 7, 8, 9, 7, 8, 9},
                                       {0, 0, 0, 30, 30, 30, 60, 60, 60, 7, 8, 9, 7, 8, 9}};
    reducer.AddRow(rows[0]);
    reducer.AddRow(rows[1]);
    const QImage out = reducer.Result();
    ASSERT_EQ(out.size(), QSize(2, 1));
    EXPECT_EQ(out.pixel(0, 0), qRgb(30, 30, 30));
    EXPECT_EQ(out.pixel(1, 0), qRgb(7, 8, 9));
}

TEST(ReducedDecode, RowReducerAveragesBlocksWithAlpha) {
    // 3 x 3 picture reduced by 2: blocks of 4, 2, 2 and 1 pixels.
    TRowReducer reducer;
    reducer.Init(3, 3, 2, 4); // R, G, B, A rows
    const unsigned char rows[3][12] = {
        {10, 20, 30, 255, 30, 40, 50, 255, 200, 0, 0, 255},
        {10, 20, 30, 255, 30, 40, 50, 255, 0, 0, 200, 0},
        {0, 0, 0, 0, 0, 0, 0, 0, 9, 9, 9, 255},
    };
    for (const auto& row : rows)
        reducer.AddRow(row);
    const QImage out = reducer.Result().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(out.size(), QSize(2, 2));
    EXPECT_EQ(out.pixel(0, 0), qRgba(20, 30, 40, 255));
    // One opaque red pixel and one transparent blue one: half alpha, the
    // transparent pixel's colour does not count.
    const QRgb p = out.pixel(1, 0);
    EXPECT_NEAR(qAlpha(p), 128, 1);
    EXPECT_NEAR(qRed(p), 200, 2);
    EXPECT_EQ(qBlue(p), 0);
    EXPECT_EQ(qAlpha(out.pixel(0, 1)), 0);
    EXPECT_EQ(out.pixel(1, 1), qRgba(9, 9, 9, 255));
}

namespace {

// The k x k box average of a picture, alpha-weighted, as premultiplied ARGB.
QImage boxReduced(const QImage& source, int k) {
    const QImage in = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out((in.width() + k - 1) / k, (in.height() + k - 1) / k, QImage::Format_ARGB32_Premultiplied);
    for (int oy = 0; oy < out.height(); ++oy)
        for (int ox = 0; ox < out.width(); ++ox) {
            int sum[4] = {0, 0, 0, 0}, n = 0;
            for (int y = oy * k; y < std::min(in.height(), oy * k + k); ++y)
                for (int x = ox * k; x < std::min(in.width(), ox * k + k); ++x, ++n) {
                    const QRgb p = in.pixel(x, y);
                    sum[0] += qRed(p);
                    sum[1] += qGreen(p);
                    sum[2] += qBlue(p);
                    sum[3] += qAlpha(p);
                }
            out.setPixel(ox, oy,
                         qRgba((sum[0] + n / 2) / n, (sum[1] + n / 2) / n, (sum[2] + n / 2) / n,
                               (sum[3] + n / 2) / n));
        }
    return out;
}

} // namespace

TEST(ReducedDecode, EveryLargeFormatKeepsABoxAveragedCopy) {
    // 40 x 30 drawn into 10 x 7: reduced by 4 to 10 x 8.
    constexpr int w = 40, h = 30;
    const std::pair<const char*, QByteArray> files[] = {
        {"gif", Gif(w, h, false, 3)},
        {"gif", Gif(w, h, true, -1)},
        {"bmp", Bmp(w, h, 24, 0, false)},
        {"bmp", Bmp(w, h, 1, 0, true)},
        {"rle", Bmp(w, h, 8, 1, false)},
        {"rle", Bmp(w, h, 4, 2, false)},
        {"tga", Tga(w, h, 10, 24, true)},
        {"tga", Tga(w, h, 2, 32, false)},
        {"pcx", Pcx(w, h, 8, 3)},
        {"sgi", Sgi(w, h, 4, true)},
        {"ppm", Pnm(w, h, 6)},
        {"pgm", Pnm(w, h, 2)},
        {"psd", Psd(w, h, 3, true)},
        {"tif", Tiff(w, h, 1)},
        {"tif", Tiff(w, h, 5)},
        {"eps", Eps(Tiff(w, h, 3))},
        {"png", Png(w, h, {PNG_COLOR_TYPE_RGB_ALPHA, 8, true})},
    };
    for (const auto& [ext, bytes] : files) {
        SCOPED_TRACE(ext);
        TPicture full, reduced;
        reduced.SetMaxDrawSize(QSize(10, 7));
        full.LoadFromData(bytes, QLatin1String(ext));
        reduced.LoadFromData(bytes, QLatin1String(ext));
        EXPECT_EQ(reduced.Width(), w);
        EXPECT_EQ(reduced.Height(), h);
        EXPECT_EQ(reduced.Image().size(), QSize(10, 8));
        EXPECT_TRUE(SamePicture(reduced.Image(), boxReduced(full.Image(), 4), 2));
    }
}
