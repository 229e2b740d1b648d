// Fitting a picture into the 316 x 176 area of a picture panel.
#include "imaging/PictureFit.h"
#include "timescale/AevError.h"

#include <gtest/gtest.h>

TEST(PictureFit, TheSevenRowsOfThePanelTable) {
    struct {
        int w, h;
        double scale;
        int cw, ch;
        bool natural;
        int left, top;
    } rows[] = {
        {800, 600, 0.29333, 235, 176, false, 42, 2}, {400, 300, 0.58667, 235, 176, false, 42, 2},
        {1000, 200, 0.316, 316, 63, false, 2, 58},   {632, 352, 0.5, 316, 176, false, 2, 2},
        {316, 176, 1.0, 316, 176, false, 2, 2},      {200, 100, 1.58, 200, 100, true, 60, 40},
        {160, 88, 1.975, 160, 88, true, 80, 46},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.w << " x " << r.h);
        const TPictureFit fit = FitPicture(316, 176, r.w, r.h);
        EXPECT_NEAR(fit.Scale, r.scale, 0.00001);
        EXPECT_EQ(fit.NaturalSize, r.natural);
        EXPECT_EQ(fit.Width, r.cw);
        EXPECT_EQ(fit.Height, r.ch);
        EXPECT_EQ(CentredPosition(316, 176, 2, fit.Width, fit.Height), QPoint(r.left, r.top));
    }
}

TEST(PictureFit, HalvesRoundToEvenAndCentringTruncates) {
    // 316 / 632 = 0.5: 633 x 5 gives 316.5 -> 316 and 2.5 -> 2.
    const TPictureFit fit = FitPicture(316, 176, 632, 5);
    EXPECT_EQ(fit.Width, 316);
    EXPECT_EQ(fit.Height, 2);
    const TPictureFit odd = FitPicture(316, 176, 1000, 3); // 0.948 -> 1
    EXPECT_EQ(odd.Height, 1);
    EXPECT_EQ(CentredPosition(316, 176, 2, 315, 175), QPoint(2, 2));
    EXPECT_EQ(CentredPosition(10, 10, 2, 20, 20), QPoint(-3, -3));
    EXPECT_THROW(FitPicture(316, 176, 0, 10), EAevError);
    EXPECT_THROW(FitPicture(316, 176, 10, 0), EAevError);
}
