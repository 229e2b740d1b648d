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
