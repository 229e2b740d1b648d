#include "app/Dialogs.h"
#include "app/TAevoriumF1.h"
#include "widgets/TBtnRot.h"
#include "widgets/TImageSlider.h"
#include "widgets/TLEDDisplay.h"
#include "widgets/TLEDLabel.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

double Turns(const TBtnRot* d) {
    return d->Tour() + d->Angle() / (2 * Pi);
}

// The main window after its start-up, with message boxes answered by the test.
class DateUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageHook([this](const TMessageRequest& r) {
            messages.push_back(r.text);
            return 1;
        });
        w = std::make_unique<TAevoriumF1>();
        w->ExeDir = dataDir.path() + QLatin1Char('/'); // no data: the date update alone
        w->FormCreate();
    }
    void TearDown() override {
        w.reset();
        SetMessageHook({});
    }

    static void Press(TBtnRot* d, int x, int y) {
        QTest::mousePress(d->Corps(), Qt::LeftButton, {}, QPoint(x, y));
    }
    static void Move(TBtnRot* d, int x, int y) { QTest::mouseMove(d->Corps(), QPoint(x, y)); }
    static void Release(TBtnRot* d, int x, int y) {
        QTest::mouseRelease(d->Corps(), Qt::LeftButton, {}, QPoint(x, y));
    }
    // Sets the date through dial 3, as start-up and the data-set commands do.
    void SetDate(double date) {
        w->BtnRot3->SetAngleBtn(date * 2 * Pi * 100);
        w->BtnRot1AngleChange(w->BtnRot3);
    }

    QTemporaryDir dataDir;
    std::unique_ptr<TAevoriumF1> w;
    std::vector<QString> messages;
};

} // namespace

TEST_F(DateUpdate, StartUpShowsThePresentDay) {
    EXPECT_EQ(w->CurrentDate, 0.0);
    EXPECT_EQ(w->Signe->text(), QStringLiteral("+"));
    EXPECT_EQ(w->LEDDisplay1->Value(), 0.0);
    EXPECT_EQ(w->DateLabel1->Caption(), QStringLiteral("31 Decembre 23h59:59"));
    EXPECT_EQ(w->ImageSlider1->Value(), 0);
    EXPECT_EQ(w->SelectedEventIndex, -1);
    EXPECT_TRUE(w->Label3->text().isEmpty());
    EXPECT_TRUE(messages.empty());

    // Limits: -4550 Ma to +30 Ma on each dial's gearing.
    EXPECT_DOUBLE_EQ(w->BtnRot2->AngleMax(), 188.4955592153876);
    EXPECT_DOUBLE_EQ(w->BtnRot2->AngleMin(), -28588.49314766712);
    EXPECT_EQ(w->BtnRot1->AngleMax(), w->BtnRot2->AngleMax() / 1000);
    EXPECT_EQ(w->BtnRot3->AngleMin(), w->BtnRot2->AngleMin() * 100);
    EXPECT_NEAR(w->BtnRot1->AngleMin() / (2 * Pi), -4.55, 1e-12);
    EXPECT_NEAR(w->BtnRot3->AngleMax() / (2 * Pi), 3000, 1e-9);
}

TEST_F(DateUpdate, ControlsCarryTheirStoredValues) {
    const TBtnRot* dials[3] = {w->BtnRot1, w->BtnRot2, w->BtnRot3};
    const QPoint pos[3] = {{32, 56}, {152, 56}, {272, 56}};
    const char* texts[3] = {"1 Ga", "1 Ma", "10 ma"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(dials[i]->geometry(), QRect(pos[i], QSize(80, 80)));
        EXPECT_EQ(dials[i]->TexteBtn(), QString::fromUtf8(texts[i]));
        // Dial 3 keeps the lamp where the geometry put it; the first date
        // update places the lamps of dials 1 and 2 for angle 0, whose top
        // rounds -7.5 to the even -8.
        EXPECT_EQ(dials[i]->Diode()->geometry(), QRect(61, i == 2 ? 33 : 32, 15, 15));
        EXPECT_EQ(dials[i]->DiodeColor(), cl::Teal);
        EXPECT_EQ(dials[i]->ColorDiodeON(), cl::Aqua);
        EXPECT_TRUE(dials[i]->BlockMax());
        EXPECT_TRUE(dials[i]->BlockMin());
        EXPECT_FALSE(dials[i]->BlockZero());
        EXPECT_EQ(dials[i]->BevelBtn(), 2);
        EXPECT_TRUE(dials[i]->ShowHint());
    }
    EXPECT_EQ(w->BtnRot1->Hint(), QStringLiteral("1 tour = 1 millard d'années"));
    EXPECT_EQ(w->BtnRot2->Hint(), QStringLiteral("1 tour = 1 millon d'années"));
    EXPECT_EQ(w->BtnRot3->Hint(), QStringLiteral("1 tour = 10 000 ans"));

    EXPECT_EQ(w->LEDDisplay1->geometry(), QRect(28, 1, 245, 33));
    EXPECT_EQ(w->LEDDisplay1->NumDigits(), 7);
    EXPECT_EQ(w->LEDDisplay1->FractionDigits(), 3);
    EXPECT_EQ(w->LEDDisplay1->DigitHeight(), 25);
    EXPECT_EQ(w->LEDDisplay1->ColorLED(), cl::Aqua);
    EXPECT_EQ(w->LEDDisplay1->ColorBackGround(), cl::Teal);
    EXPECT_EQ(w->LEDDisplay1->BevelStyle(), bvNone);
    EXPECT_EQ(w->LEDDisplay1->BorderStyle(), TLEDDisplay::bsNone);
    EXPECT_EQ(w->Shape1->geometry(), QRect(60, 24, 6, 9));
    EXPECT_EQ(w->Shape1->parentWidget(), w->LEDDisplay1->parentWidget());

    // The thousands dot is aqua and has no outline.
    QImage dot(6, 9, QImage::Format_RGB32);
    dot.fill(Qt::black);
    w->Shape1->render(&dot, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(dot.pixel(3, 4), WinColor(cl::Aqua).rgb());
    EXPECT_EQ(dot.pixel(0, 0), qRgb(0, 0, 0));
    // Exact colours, as the segments: no pixel between aqua and the background.
    for (int y = 0; y < dot.height(); ++y)
        for (int x = 0; x < dot.width(); ++x)
            EXPECT_TRUE(dot.pixel(x, y) == WinColor(cl::Aqua).rgb() || dot.pixel(x, y) == qRgb(0, 0, 0)) << x << "," << y;
}

TEST_F(DateUpdate, QuarterTurnBackOnDialOne) {
    TBtnRot* d1 = w->BtnRot1;
    Press(d1, 70, 70); // at pi/4
    EXPECT_EQ(d1->BevelBtn(), 1);
    EXPECT_FALSE(d1->ShowHint());
    Move(d1, 70, 10); // to -pi/4: a quarter turn back
    EXPECT_NEAR(w->CurrentDate, -250.0, 1e-9);
    EXPECT_NEAR(Turns(d1), -0.25, 1e-12);
    EXPECT_EQ(w->Signe->text(), QStringLiteral("-"));
    EXPECT_NEAR(w->LEDDisplay1->Value(), 250.0, 1e-9);
    EXPECT_EQ(w->ImageSlider1->Value(), -250);
    // The finer dials blink and keep their old positions.
    EXPECT_TRUE(w->BtnRot2->DiodeBlink());
    EXPECT_TRUE(w->BtnRot3->DiodeBlink());
    EXPECT_EQ(Turns(w->BtnRot2), 0.0);
    EXPECT_EQ(Turns(w->BtnRot3), 0.0);

    Release(d1, 70, 10);
    EXPECT_EQ(d1->BevelBtn(), 2);
    EXPECT_TRUE(d1->ShowHint());
    EXPECT_NEAR(Turns(w->BtnRot2), -250.0, 1e-9);
    EXPECT_NEAR(Turns(w->BtnRot3), -25000.0, 1e-7);
    EXPECT_FALSE(w->BtnRot2->DiodeBlink());
    EXPECT_FALSE(w->BtnRot3->DiodeBlink());
    EXPECT_EQ(w->BtnRot2->DiodeColor(), cl::Teal);
    EXPECT_EQ(w->BtnRot3->DiodeColor(), cl::Teal);
    // Between drags every dial shows the same date.
    const double date = w->CurrentDate;
    w->BtnRot1AngleChange(w->BtnRot3);
    EXPECT_NEAR(w->CurrentDate, date, 1e-9);
}

TEST_F(DateUpdate, OneTurnOfDialThree) {
    TBtnRot* d3 = w->BtnRot3;
    Press(d3, 70, 40);
    for (const QPoint& p : {QPoint(70, 70), QPoint(10, 70), QPoint(10, 10), QPoint(70, 10), QPoint(70, 40)})
        Move(d3, p.x(), p.y());
    EXPECT_EQ(d3->Tour(), 1);
    EXPECT_NEAR(w->CurrentDate, 0.01, 1e-15);
    EXPECT_NEAR(Turns(w->BtnRot2), 0.01, 1e-15);
    EXPECT_NEAR(Turns(w->BtnRot1), 0.00001, 1e-15);
    EXPECT_FALSE(w->BtnRot1->DiodeBlink());
    EXPECT_FALSE(w->BtnRot2->DiodeBlink());
    EXPECT_EQ(w->DateLabel1->Caption(), QStringLiteral("01 Janvier 00h01:09 FUTUR"));
    EXPECT_EQ(w->Signe->text(), QStringLiteral("+"));
    Release(d3, 70, 40);
    EXPECT_NEAR(w->CurrentDate, 0.01, 1e-15);
}

TEST_F(DateUpdate, DialTwoMovesDialOneAndMakesDialThreeBlink) {
    TBtnRot* d2 = w->BtnRot2;
    Press(d2, 70, 40);
    Move(d2, 70, 70); // an eighth of a turn: 0.125 Ma
    EXPECT_NEAR(w->CurrentDate, 0.125, 1e-12);
    EXPECT_NEAR(Turns(w->BtnRot1), 0.000125, 1e-15);
    EXPECT_FALSE(w->BtnRot1->DiodeBlink());
    EXPECT_TRUE(w->BtnRot3->DiodeBlink());
    EXPECT_EQ(Turns(w->BtnRot3), 0.0);
    Release(d2, 70, 70);
    EXPECT_NEAR(Turns(w->BtnRot3), 12.5, 1e-9);
    EXPECT_FALSE(w->BtnRot3->DiodeBlink());
}

TEST_F(DateUpdate, StopAtTheFutureLimitBringsTheFinerDialUpToDate) {
    TBtnRot* d2 = w->BtnRot2;
    d2->SetAngleBtn(29.9 * 2 * Pi);
    Press(d2, 70, 40);
    Move(d2, 70, 70);
    Move(d2, 10, 70); // would pass 30 turns
    EXPECT_FALSE(d2->Dragging());
    EXPECT_NEAR(w->CurrentDate, 30.0, 1e-9);
    EXPECT_EQ(w->DateLabel1->Caption(), QStringLiteral("03 Janvier 09h45:29 FUTUR"));
    EXPECT_EQ(w->ImageSlider1->Value(), 30);
    // The stop ended the drag as a release: dial 3 follows at once. The
    // step's last notification makes it blink again until the real release.
    EXPECT_NEAR(Turns(w->BtnRot3), 3000.0, 1e-7);
    EXPECT_EQ(d2->BevelBtn(), 2);
    Move(d2, 10, 10); // ignored until the next press
    EXPECT_NEAR(w->CurrentDate, 30.0, 1e-9);
    Release(d2, 10, 10);
    EXPECT_FALSE(w->BtnRot3->DiodeBlink());
    EXPECT_NEAR(Turns(w->BtnRot3), 3000.0, 1e-7);
}

TEST_F(DateUpdate, GaugeRoundsHalvesToEven) {
    SetDate(-0.5);
    EXPECT_EQ(w->CurrentDate, -0.5);
    EXPECT_EQ(w->ImageSlider1->Value(), 0);
    EXPECT_EQ(w->Signe->text(), QStringLiteral("-"));
    SetDate(-1.5);
    EXPECT_EQ(w->ImageSlider1->Value(), -2);
    SetDate(2.5);
    EXPECT_EQ(w->ImageSlider1->Value(), 2);
    SetDate(-4550);
    EXPECT_EQ(w->ImageSlider1->Value(), -4550);
    EXPECT_EQ(w->DateLabel1->Caption(), QStringLiteral("01 Janvier 00h00:00"));
    EXPECT_NEAR(w->LEDDisplay1->Value(), 4550.0, 1e-9);
}

TEST_F(DateUpdate, FailedDateTextOnlyShownWithDiagnostics) {
    const QString before = w->DateLabel1->Caption();
    w->BtnRot1->SetTour(100000); // far beyond any calendar
    w->BtnRot1AngleChange(w->BtnRot1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(w->DateLabel1->Caption(), before);
    EXPECT_EQ(w->Signe->text(), QStringLiteral("+")); // the other steps went on
    EXPECT_EQ(w->ImageSlider1->Value(), 30); // the gauge keeps within its range
    w->BtnRot1->SetTour(-2000000000); // a date beyond the gauge's integer range
    w->BtnRot1AngleChange(w->BtnRot1);
    EXPECT_EQ(w->ImageSlider1->Value(), -4550);
    EXPECT_EQ(w->Signe->text(), QStringLiteral("-"));
    w->BtnRot1->SetTour(100000);
    w->BtnRot1AngleChange(w->BtnRot1);

    w->DebugMessages = true;
    w->SetDialsDebugMessages(true);
    EXPECT_TRUE(w->BtnRot3->DebugMessages);
    w->BtnRot1AngleChange(w->BtnRot1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("Erreur calcul date"));
    EXPECT_EQ(w->DateLabel1->Caption(), before);

    // The dials' own diagnostics go through the window's message boxes.
    w->BtnRot2->SetAngleBtn(1e12);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], QStringLiteral("Erreur calcul teta0 dans SetAngleBtn"));
}
