#include "timescale/AevError.h"
#include "timescale/ColorText.h"

#include <gtest/gtest.h>

TEST(StrToColor, DecimalAndEveryHexadecimalForm) {
    EXPECT_EQ(StrToColor("8421376"), 0x00808000u);
    EXPECT_EQ(StrToColor("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(StrToColor("$00FFFF00"), 0x00FFFF00u);
    EXPECT_EQ(StrToColor("x56A07F"), 0x0056A07Fu);
    EXPECT_EQ(StrToColor("X56a07f"), 0x0056A07Fu);
    EXPECT_EQ(StrToColor("0x8000000F"), 0x8000000Fu); // a system colour
    EXPECT_EQ(StrToColor("0X00000000"), 0u);
    EXPECT_EQ(StrToColor("-2147483648"), 0x80000000u);
}

TEST(StrToColor, AnythingElseIsAFailure) {
    for (const char* text : {"", "rouge", "0x", "$", "12 ", "0x1FFFFFFFF", "2147483648", "1.5", "0x-1"})
        EXPECT_THROW(StrToColor(QString::fromLatin1(text)), EAevError) << text;
}
