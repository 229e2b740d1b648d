#include "timescale/StrToFloat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

TEST(StrToFloatLenient, EdgeTable) {
    struct Case {
        std::string text;
        double value;
    };
    const Case cases[] = {
        {"-4550", -4550}, {"-541,0", -541}, {"12,5", 12.5}, {"1,5e3", 1500}, {"  12", 12},   {".5", 0.5},
        {"1.2.3", -1},    {"1,2,3", -1},    {"12 ", -1},    {"abc", -1},     {"-", -1},      {"", -1},
        {"+7", 7},        {"-0,001", -0.001}, {"3E-2", 0.03}, {"1e", -1},    {"1,", 1},      {" -65,500", -65.5},
        {"\t12", -1},     {"12\xc2\xb2", -1},
        // Digits that overflow before a negative exponent are still beyond a double.
        {"1" + std::string(400, '0') + "e-10", HUGE_VAL}, {"-1" + std::string(400, '0') + "e-10", -HUGE_VAL},
        {"0," + std::string(400, '0') + "1e-300", 0}, {"1e400", HUGE_VAL}, {"-0,0e99999", 0},
        // Blanks alone fit the grammar and read as zero.
        {"   ", 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(StrToFloatLenient(QString::fromStdString(c.text)), c.value) << c.text;
}

TEST(StrToFloatLenient, ExtremeTextsNeverFailBadly) {
    EXPECT_EQ(StrToFloatLenient("1e999"), HUGE_VAL);
    EXPECT_EQ(StrToFloatLenient("1e-999"), 0.0);
    EXPECT_EQ(StrToFloatLenient(QString(5000, QLatin1Char('9')) + ",5"), HUGE_VAL);
    // Blanks alone fit the grammar (every part of it is optional after them).
    EXPECT_EQ(StrToFloatLenient(QString(5000, ' ')), 0.0);
}
