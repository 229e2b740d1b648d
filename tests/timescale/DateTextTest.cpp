#include "timescale/DateText.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ParseDateText, AcceptedAndRefusedTexts) {
    struct Case {
        const char* text;
        bool ok;
        double value; // Ma
    };
    const Case cases[] = {
        // An unsigned number is an age; "+" is the future.
        {"-66", true, -66},
        {"66", true, -66},
        {"66 Ma", true, -66},
        {"66Ma", true, -66},
        {"  66 MA ", true, -66},
        // Lower-case "ma" counts thousands of years, as the third dial does.
        {"10 ma", true, -0.010},
        {"+10 ma", true, 0.010},
        // Thousands grouped by a space, a no-break space or a narrow one.
        {"2 000 ans", true, -0.002},
        {"12 345,5", true, -12345.5},
        {"2\xe2\x80\xaf" "000 ans", true, -0.002},
        {"1 00", false, 0},
        {"1 0000", false, 0},
        {"+10", true, 10},
        {"+ 10 Ma", true, 10},
        {"0", true, 0},
        // Units, comma or point.
        {"-4,55 Ga", true, -4550},
        {"4.55 GA", true, -4550},
        {"11,7 ka", true, -0.0117},
        {"-0,0117", true, -0.0117},
        {"2000 ans", true, -0.002},
        {"1 an", true, -0.000001},
        {",5", true, -0.5},
        {"12,", true, -12},
        // The typographic minus sign and no-break spaces.
        {"\xe2\x88\x92"
         "66",
         true, -66},
        {"\xe2\x88\x92"
         "4,55\xc2\xa0Ga",
         true, -4550},
        // Out of range: read, clamped later by the caller.
        {"-5000", true, -5000},
        {"+31", true, 31},
        // Refused.
        {"", false, 0},
        {"   ", false, 0},
        {"Ma", false, 0},
        {"-", false, 0},
        {"--66", false, 0},
        {"66-", false, 0},
        {"1,2,3", false, 0},
        {"1.5e3", false, 0},
        {"66 km", false, 0},
        {"66 Ma Ga", false, 0},
        {"cretace", false, 0},
        {"nan", false, 0},
        {"inf", false, 0},
        {"\xd9\xa3", false, 0}, // an Arabic-Indic digit
    };
    for (const Case& c : cases) {
        const std::optional<double> v = ParseDateText(QString::fromUtf8(c.text));
        EXPECT_EQ(v.has_value(), c.ok) << c.text;
        if (v && c.ok) {
            EXPECT_NEAR(*v, c.value, 1e-12) << c.text;
        }
    }
    // A number below any double is zero, never an overflow.
    const std::optional<double> tiny = ParseDateText(QStringLiteral("0,") + QString(330, QLatin1Char('0')) + "1");
    ASSERT_TRUE(tiny.has_value());
    EXPECT_EQ(*tiny, 0.0);
    // Digits beyond any double are an infinite age, never a failure.
    const std::optional<double> huge = ParseDateText(QString(400, QLatin1Char('9')));
    ASSERT_TRUE(huge.has_value());
    EXPECT_TRUE(std::isinf(*huge) && *huge < 0);
}

TEST(FoldForMatch, IgnoresCaseAccentsAndBlanks) {
    EXPECT_EQ(FoldForMatch(QStringLiteral("Crétacé")), QStringLiteral("cretace"));
    EXPECT_EQ(FoldForMatch(QStringLiteral("  PALÉOZOÏQUE  ")), QStringLiteral("paleozoique"));
    EXPECT_EQ(FoldForMatch(QStringLiteral("Cœur  de\tl\u2019Éon")), QStringLiteral("coeur de l'eon"));
    EXPECT_EQ(FoldForMatch(QStringLiteral("Æ")), QStringLiteral("ae"));
    EXPECT_EQ(FoldForMatch(QString()), QString());
}

TEST(FormatTypedDate, WritesWhatTheParserReads) {
    EXPECT_EQ(FormatTypedDate(-4550), QStringLiteral("-4550"));
    EXPECT_EQ(FormatTypedDate(30), QStringLiteral("30"));
    EXPECT_EQ(FormatTypedDate(-0.0117), QStringLiteral("-0,0117"));
    EXPECT_EQ(FormatTypedDate(-0.0), QStringLiteral("0"));
    // Past dates read back as they were.
    for (double d : {-4550.0, -66.0, -0.0117})
        EXPECT_NEAR(*ParseDateText(FormatTypedDate(d)), d, 1e-12);
}
