#include "events/GoToIndex.h"

#include <gtest/gtest.h>

namespace {

// A small scale: rows sorted by start date, columns as in the scale file.
TScaleTable Scale() {
    TScaleTable t;
    auto row = [&t](const char* start, const char* eon, const char* ere, const char* sys, const char* serie) {
        QStringList r(ScaleColumnCount);
        r[colStart] = QString::fromUtf8(start);
        r[colEon] = QString::fromUtf8(eon);
        r[colEre] = QString::fromUtf8(ere);
        r[colSysteme] = QString::fromUtf8(sys);
        r[colSerie] = QString::fromUtf8(serie);
        t.StartDates << r[colStart];
        t.Rows << r;
    };
    row("-4567", "Hadéen", "", "", "");
    row("-145", "Phanérozoïque", "Mésozoïque", "Crétacé", "Crétacé inférieur");
    row("-100,5", "Phanérozoïque", "Mésozoïque", "Crétacé", "Crétacé supérieur");
    row("-66", "Phanérozoïque", "Cénozoïque", "Paléogène", "Paléocène");
    return t;
}

TEventList Events() {
    TEventList l;
    l.Append(QStringLiteral("-66,000"), QStringLiteral("Extinction des dinosaures"));
    l.Append(QStringLiteral("-252,000"), QStringLiteral("Grande extinction du Permien"));
    l.Append(QStringLiteral("-0,200"), QStringLiteral("Homo sapiens"));
    return l;
}

} // namespace

TEST(TGoToIndex, FindsUnitsAndEventsWithoutAccentsOrCase) {
    const TGoToIndex index(Scale(), Events());
    struct Case {
        const char* typed;
        const char* name;
        double date;
    };
    const Case cases[] = {
        {"cretace", "Crétacé", -145}, // a unit at its start, accents ignored
        {"CRÉTACÉ SUPÉRIEUR", "Crétacé supérieur", -100.5},
        {"phanerozoique", "Phanérozoïque", -145},
        {"cenozo", "Cénozoïque", -66}, // the beginning of a name
        {"hadeen", "Hadéen", -4567},
        {"homo sapiens", "Homo sapiens", -0.2},            // an event at its date
        {"permien", "Grande extinction du Permien", -252}, // inside a name
    };
    for (const Case& c : cases) {
        const auto e = index.Find(QString::fromUtf8(c.typed));
        ASSERT_TRUE(e.has_value()) << c.typed;
        EXPECT_EQ(e->Name, QString::fromUtf8(c.name)) << c.typed;
        EXPECT_DOUBLE_EQ(e->Date, c.date) << c.typed;
    }
    EXPECT_FALSE(index.Find(QStringLiteral("jurassique")).has_value());
    EXPECT_FALSE(index.Find(QStringLiteral("   ")).has_value());
}

TEST(TGoToIndex, CompletionsListBeginningsThenOtherMatches) {
    const TGoToIndex index(Scale(), Events());
    EXPECT_EQ(index.Completions(QStringLiteral("cre")),
              QStringList({QStringLiteral("Crétacé"), QStringLiteral("Crétacé inférieur"),
                           QStringLiteral("Crétacé supérieur")}));
    // Names beginning with the text first, then those containing it.
    EXPECT_EQ(index.Completions(QStringLiteral("ext")),
              QStringList({QStringLiteral("Extinction des dinosaures"),
                           QStringLiteral("Grande extinction du Permien")}));
    // Each name once (Phanérozoïque names three rows), at most `limit`.
    EXPECT_EQ(index.Completions(QStringLiteral("o")).count(QStringLiteral("Phanérozoïque")), 1);
    EXPECT_EQ(index.Completions(QStringLiteral("e"), 2).size(), 2);
    EXPECT_TRUE(index.Completions(QString()).isEmpty());
}

TEST(ResolveGoTo, DatesFirstThenNamesWithClampingAndUnknownNames) {
    const TGoToIndex index(Scale(), Events());
    TGoToRequest r = ResolveGoTo(QStringLiteral("66 Ma"), index);
    EXPECT_EQ(r.Result, TGoToRequest::IsDate);
    EXPECT_EQ(r.Target, -66);
    EXPECT_FALSE(r.Clamped);

    r = ResolveGoTo(QStringLiteral("5 Ga"), index);
    EXPECT_EQ(r.Result, TGoToRequest::IsDate);
    EXPECT_EQ(r.Target, LowestDate);
    EXPECT_TRUE(r.Clamped);
    r = ResolveGoTo(QStringLiteral("+100"), index);
    EXPECT_EQ(r.Target, HighestDate);
    EXPECT_TRUE(r.Clamped);
    r = ResolveGoTo(QString(400, QLatin1Char('9')), index);
    EXPECT_EQ(r.Target, LowestDate);

    r = ResolveGoTo(QStringLiteral("Hadéen"), index); // starts before the dials' range
    EXPECT_EQ(r.Result, TGoToRequest::IsName);
    EXPECT_EQ(r.Target, LowestDate);
    EXPECT_FALSE(r.Clamped);

    EXPECT_EQ(ResolveGoTo(QStringLiteral("licorne"), index).Result, TGoToRequest::Unknown);
    EXPECT_EQ(ResolveGoTo(QStringLiteral(" "), index).Result, TGoToRequest::Empty);
}
