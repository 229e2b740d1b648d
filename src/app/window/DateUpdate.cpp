// Dial coupling and the date update of the main window.
//
// Three dials of different gearing set one date in Ma: dial 1 turns once per
// 1000 Ma, dial 2 once per Ma and dial 3 once per 0.01 Ma. While one is
// turned the coarser dials follow at once and the finer ones blink; they are
// brought up to date when the mouse is released.
#include "app/TAevoriumF1.h"
#include "app/window/Navigation.h"

#include "timescale/CalendarDate.h"
#include "widgets/TBtnRot.h"
#include "widgets/TImageSlider.h"
#include "widgets/TLEDDisplay.h"
#include "widgets/TLEDLabel.h"

#include <QLabel>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr double TwoPi = 2.0 * 3.14159265358979323846;

// The dial's position in turns.
double Turns(const TBtnRot* dial) {
    return dial->Tour() + dial->Angle() / TwoPi;
}

// Runs one step of the date update; a failure inside it is shown, only with
// diagnostics on, by its message, and the update goes on.
template <typename Step> void Guarded(const TAevoriumF1& window, const char* message, Step step) {
    try {
        step();
    } catch (...) {
        ShowDebugMessage(window, QString::fromUtf8(message));
    }
}

} // namespace

void TAevoriumF1::SetDialLimits() {
    // Total angles of -4550 Ma and +30 Ma on each dial's gearing.
    const double M = 30 * TwoPi;
    const double N = -4550 * TwoPi;
    BtnRot1->SetAngleMax(M / 1000);
    BtnRot2->SetAngleMax(M);
    BtnRot3->SetAngleMax(M * 100);
    BtnRot1->SetAngleMin(N / 1000);
    BtnRot2->SetAngleMin(N);
    BtnRot3->SetAngleMin(N * 100);
}

void TAevoriumF1::SetDialsDebugMessages(bool on) {
    BtnRot1->DebugMessages = on;
    BtnRot2->DebugMessages = on;
    BtnRot3->DebugMessages = on;
}

void TAevoriumF1::BtnRot1AngleChange(TBtnRot* Sender) {
    // 1-3. The date from the dial that moved; coarser dials follow, finer ones blink.
    if (Sender == BtnRot1) {
        CurrentDate = Turns(BtnRot1) * 1000;
        BtnRot2->SetDiodeBlink(true);
        BtnRot3->SetDiodeBlink(true);
    }
    if (Sender == BtnRot2) {
        CurrentDate = Turns(BtnRot2) * 1;
        BtnRot1->SetAngleBtn(CurrentDate * TwoPi / 1000);
        BtnRot3->SetDiodeBlink(true);
    }
    if (Sender == BtnRot3) {
        CurrentDate = Turns(BtnRot3) / 100;
        BtnRot1->SetAngleBtn(CurrentDate * TwoPi / 1000);
        BtnRot2->SetAngleBtn(CurrentDate * TwoPi);
    }

    // 4, 5. Sign and absolute value.
    Signe->setText(CurrentDate < 0 ? QStringLiteral("-") : QStringLiteral("+"));
    LEDDisplay1->SetValue(std::fabs(CurrentDate));

    // 6, 7. The date rescaled into one calendar year; " FUTUR" after the
    // present. When the text cannot be made the label keeps its text as it is.
    Guarded(*this, "Erreur calcul date", [this] {
        QString text = CalendarYearText(CalendarYearValue(CurrentDate), MonthNames);
        if (CurrentDate > 0)
            text += QStringLiteral(" FUTUR");
        DateLabel1->SetCaption(text);
    });

    // 8. The gauge, to the nearest whole Ma (halves to even).
    // (Dates written into the dials' turn counts directly can lie far outside
    // the dial limits: the gauge value is held within the integer range.)
    const double gauge = std::clamp(RoundHalfEven(CurrentDate), double(INT_MIN), double(INT_MAX));
    ImageSlider1->SetValue(std::isfinite(gauge) ? int(gauge) : 0);

    // 9, 10. The period and the date sphere.
    Guarded(*this, "Erreur lecture données", [this] { ShowPeriod(); });
    Guarded(*this, "Erreur tracé sphère", [this] { PlaceDateSphere(); });

    // 11, 12. No touched event until the collision check names one.
    Label3->clear();
    SelectedEventIndex = -1;
    Guarded(*this, "Erreur collision sphère", [this] { RunCollisionCheck(); });

    // Screen readers hear of the new texts and of a newly touched event.
    if (Navigation)
        Navigation->DateShown();
}

void TAevoriumF1::BtnRot1MouseDown(TBtnRot* Sender, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    // Pressed look, and no tooltip while turning.
    Sender->SetBevelBtn(1);
    Sender->SetShowHint(false);
}

void TAevoriumF1::BtnRot3MouseUp(TBtnRot* Sender, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    Sender->SetBevelBtn(2);
    Sender->SetShowHint(true);
    // The finer dials catch up with the date and stop blinking.
    if (Sender == BtnRot1) {
        BtnRot2->SetAngleBtn(CurrentDate * TwoPi);
        BtnRot3->SetAngleBtn(CurrentDate * TwoPi * 100);
        BtnRot2->SetDiodeBlink(false);
        BtnRot3->SetDiodeBlink(false);
    }
    if (Sender == BtnRot2) {
        BtnRot3->SetAngleBtn(CurrentDate * TwoPi * 100);
        BtnRot3->SetDiodeBlink(false);
    }
}
