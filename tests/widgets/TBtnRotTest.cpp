#include "widgets/TBtnRot.h"

#include <QDialog>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

// A dial with the main window's stored values, applied in the form's order.
void ApplyFormValues(TBtnRot& d) {
    d.SetColor(cl::BtnFace);
    d.SetColorDiodeOff(cl::Teal);
    d.SetColorDiodeON(cl::Aqua);
    d.SetTaille(80);
    d.SetTailleDiode(15);
    d.SetDiodeVisible(true);
    d.SetDiodeBlink(false);
    d.SetShowHint(true);
    d.SetBevelBtn(2);
    d.SetCursorBtn(Qt::PointingHandCursor);
    d.SetMargeDiode(4);
    d.SetTour(0);
    d.SetBlockZero(false);
    d.SetBlockMax(false);
    d.SetBlockMin(false);
    d.SetTexteBtn(QStringLiteral("1 Ga"));
    d.SetTexteBtnTaille(8);
    d.SetHoraire(true);
}

// Records the dial's notifications in order.
struct Recorder {
    std::vector<std::string> calls;
    std::vector<Qt::MouseButton> buttons;
    std::vector<QPoint> points;
    void attach(TBtnRot& d) {
        d.OnAngleChange = [this, &d](TBtnRot* s) {
            EXPECT_EQ(s, &d);
            calls.push_back("change");
        };
        d.OnMouseDown = [this, &d](TBtnRot* s, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            EXPECT_EQ(s, &d);
            calls.push_back("down");
            buttons.push_back(b);
            points.emplace_back(x, y);
        };
        d.OnMouseUp = [this, &d](TBtnRot* s, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            EXPECT_EQ(s, &d);
            calls.push_back("up");
            buttons.push_back(b);
            points.emplace_back(x, y);
        };
    }
};

double Turns(const TBtnRot& d) {
    return d.Tour() + d.Angle() / (2 * Pi);
}

void Press(TBtnRot& d, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mousePress(d.Corps(), b, {}, QPoint(x, y));
}
void Move(TBtnRot& d, int x, int y) {
    QTest::mouseMove(d.Corps(), QPoint(x, y));
}
void Release(TBtnRot& d, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mouseRelease(d.Corps(), b, {}, QPoint(x, y));
}

QImage Render(TBtnRot& d, QColor background = QColor(255, 0, 255)) {
    QImage img(d.size(), QImage::Format_RGB32);
    img.fill(background);
    d.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

QRgb Rgb(TColor c) {
    return WinColor(c).rgb();
}

// Antialiased edges blend a little: compares colours within a tolerance.
::testing::AssertionResult Near(QRgb actual, TColor expected, int tolerance = 24) {
    const QRgb e = Rgb(expected);
    if (std::abs(qRed(actual) - qRed(e)) <= tolerance && std::abs(qGreen(actual) - qGreen(e)) <= tolerance &&
        std::abs(qBlue(actual) - qBlue(e)) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << QColor(actual).name().toStdString() << " is not near " << QColor(e).name().toStdString();
}

} // namespace

TEST(TBtnRot, CreationAndFormGeometry) {
    TBtnRot d;
    // At creation the lamp radius is integer: (100 - 15) div 2 = 42.
    EXPECT_EQ(d.width(), 100);
    EXPECT_DOUBLE_EQ(d.RayonDiode(), 42.0);
    EXPECT_EQ(d.Diode()->pos(), QPoint(84, 43));
    EXPECT_EQ(d.DiodeColor(), cl::Red);
    EXPECT_EQ(d.ColorDiodeON(), cl::Lime);
    EXPECT_EQ(d.TexteBtn(), QStringLiteral("TexteBtn"));
    EXPECT_FALSE(d.BlockMax());
    EXPECT_TRUE(d.Horaire());

    ApplyFormValues(d);
    EXPECT_EQ(d.width(), 80);
    EXPECT_EQ(d.height(), 80);
    EXPECT_EQ(d.Corps()->geometry(), QRect(0, 0, 80, 80));
    EXPECT_EQ(d.CentreX(), 40);
    EXPECT_EQ(d.CentreY(), 40);
    EXPECT_DOUBLE_EQ(d.RayonDiode(), 28.5);
    EXPECT_EQ(d.Diode()->geometry(), QRect(61, 33, 15, 15));
    EXPECT_EQ(d.DiodeColor(), cl::Teal);

    // Changing the geometry after a turn puts the lamp back on the right.
    d.SetAngleBtn(2.0);
    EXPECT_NE(d.Diode()->pos(), QPoint(61, 33));
    d.SetMargeDiode(4);
    EXPECT_EQ(d.Diode()->pos(), QPoint(61, 33));
    EXPECT_DOUBLE_EQ(d.Angle(), 2.0);
}

TEST(TBtnRot, SetAngleBtnSplitsTheTotalAndFiresNothing) {
    TBtnRot d;
    ApplyFormValues(d);
    Recorder r;
    r.attach(d);

    d.SetAngleBtn(2 * Pi);
    EXPECT_EQ(d.Tour(), 1);
    EXPECT_DOUBLE_EQ(d.Angle(), 0.0);

    d.SetAngleBtn(-Pi / 2);
    EXPECT_EQ(d.Tour(), 0);
    EXPECT_DOUBLE_EQ(d.Angle(), -Pi / 2);
    EXPECT_EQ(d.Diode()->pos(), QPoint(33, 4)); // above the centre
    EXPECT_EQ(d.CaptionRotation() % 360, 90);   // turned a quarter counterclockwise

    d.SetAngleBtn(-5 * Pi);
    EXPECT_EQ(d.Tour(), -2);
    EXPECT_NEAR(d.Angle(), -Pi, 1e-12);

    // No limit applies to SetAngleBtn.
    d.SetBlockMax(true);
    d.SetAngleMax(1.0);
    d.SetAngleBtn(100.0);
    EXPECT_NEAR(Turns(d), 100.0 / (2 * Pi), 1e-12);

    // Writing Tour alone moves nothing.
    const QPoint lamp = d.Diode()->pos();
    d.SetTour(7);
    EXPECT_EQ(d.Diode()->pos(), lamp);
    EXPECT_TRUE(r.calls.empty());
}

TEST(TBtnRot, TurningPastTheRightHandDirectionCountsTurns) {
    TBtnRot d;
    ApplyFormValues(d);
    Recorder r;
    r.attach(d);

    Press(d, 70, 40);
    EXPECT_TRUE(d.Dragging());
    EXPECT_DOUBLE_EQ(d.AngleGrip(), 0.0);
    EXPECT_EQ(d.DiodeColor(), cl::Aqua);
    ASSERT_EQ(r.calls, std::vector<std::string>{"down"});
    EXPECT_EQ(r.points.back(), QPoint(70, 40));

    // Clockwise round the knob and past the start.
    const QPoint path[] = {{70, 70}, {10, 70}, {10, 10}, {70, 10}, {70, 45}, {70, 70}};
    double last = Turns(d);
    for (const QPoint& p : path) {
        Move(d, p.x(), p.y());
        const double now = Turns(d);
        EXPECT_GT(now, last);
        EXPECT_LT(now - last, 0.5); // continuous: no jump of a whole turn
        last = now;
    }
    EXPECT_EQ(d.Tour(), 1);
    EXPECT_NEAR(Turns(d), 1.125, 1e-12);
    // The lamp has followed to the lower right (display angle pi/4).
    EXPECT_EQ(d.Diode()->pos(), QPoint(53, 53));

    // And back the other way past the right-hand direction.
    Move(d, 70, 10);
    EXPECT_EQ(d.Tour(), 0);
    EXPECT_NEAR(Turns(d), 0.875, 1e-12);
    EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "change"), 7);

    Release(d, 70, 10);
    EXPECT_FALSE(d.Dragging());
    EXPECT_EQ(d.DiodeColor(), cl::Teal);
    EXPECT_EQ(r.calls.back(), "up");
}

TEST(TBtnRot, NegativeTotalsStayInTheFirstTurn) {
    TBtnRot d;
    ApplyFormValues(d);
    d.SetAngleBtn(-0.5);
    Press(d, 70, 40);
    EXPECT_DOUBLE_EQ(d.AngleGrip(), 0.5);
    Move(d, 70, 42); // a little clockwise
    EXPECT_EQ(d.Tour(), 0);
    EXPECT_LT(d.Angle(), 0.0);
    EXPECT_NEAR(d.Angle(), -0.5 + std::atan2(2.0, 30.0), 1e-12);
    Move(d, 70, 30); // a little counterclockwise
    EXPECT_EQ(d.Tour(), 0);
    EXPECT_NEAR(d.Angle(), -0.5 + std::atan2(-10.0, 30.0), 1e-12);
    // Going back a whole turn further passes -2pi.
    for (const QPoint& p : {QPoint(70, 10), QPoint(10, 10), QPoint(10, 70), QPoint(70, 70), QPoint(70, 38)})
        Move(d, p.x(), p.y());
    EXPECT_EQ(d.Tour(), -1);
    EXPECT_NEAR(Turns(d), (-0.5 + std::atan2(-2.0, 30.0)) / (2 * Pi) - 1.0, 1e-12);
}

TEST(TBtnRot, UpperStopEndsTheDrag) {
    TBtnRot d;
    ApplyFormValues(d);
    d.SetBlockMax(true);
    d.SetAngleMax(Pi / 2);
    Recorder r;
    r.attach(d);

    Press(d, 70, 40);
    Move(d, 70, 70); // pi/4: below the limit
    EXPECT_EQ(r.calls, (std::vector<std::string>{"down", "change"}));
    Move(d, 10, 70); // 3pi/4: past it
    EXPECT_EQ(r.calls, (std::vector<std::string>{"down", "change", "change", "up", "change"}));
    EXPECT_EQ(r.buttons.back(), Qt::LeftButton);
    EXPECT_EQ(r.points.back(), QPoint(10, 70));
    EXPECT_EQ(d.Tour(), 0);
    EXPECT_DOUBLE_EQ(d.Angle(), Pi / 2);
    EXPECT_FALSE(d.Dragging());
    EXPECT_EQ(d.DiodeColor(), cl::Teal);
    EXPECT_EQ(d.Diode()->pos(), QPoint(33, 61)); // below the centre

    // Further moves are ignored until the next press; the real release
    // reports the end once more.
    Move(d, 10, 10);
    Move(d, 70, 10);
    EXPECT_DOUBLE_EQ(d.Angle(), Pi / 2);
    Release(d, 70, 10, Qt::LeftButton);
    EXPECT_EQ(r.calls.size(), 6u);
    EXPECT_EQ(r.calls.back(), "up");

    // Reaching the limit exactly also stops.
    d.SetAngleBtn(0.0);
    d.SetAngleMax(Pi / 4);
    r.calls.clear();
    Press(d, 70, 40);
    Move(d, 70, 70);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"down", "change", "up", "change"}));
}

TEST(TBtnRot, LowerStopOverManyTurns) {
    TBtnRot d;
    ApplyFormValues(d);
    d.SetBlockMin(true);
    d.SetAngleMin(-2 * Pi - Pi / 2); // a turn and a quarter back
    Recorder r;
    r.attach(d);

    Press(d, 70, 40);
    const QPoint back[] = {{70, 10}, {10, 10}, {10, 70}, {70, 70}, {70, 40}, {70, 10}, {10, 10}};
    for (const QPoint& p : back)
        Move(d, p.x(), p.y());
    EXPECT_EQ(d.Tour(), -1);
    EXPECT_NEAR(d.Angle(), -Pi / 2, 1e-12);
    EXPECT_FALSE(d.Dragging());
    const std::vector<std::string> tail(r.calls.end() - 3, r.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"change", "up", "change"}));
    EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "up"), 1);
    EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "change"), 8);
}

TEST(TBtnRot, ZeroStop) {
    TBtnRot d;
    ApplyFormValues(d);
    d.SetBlockZero(true);
    Recorder r;
    r.attach(d);
    Press(d, 70, 40);
    Move(d, 70, 10); // would be -pi/4
    EXPECT_EQ(d.Tour(), 0);
    EXPECT_EQ(d.Angle(), 0.0);
    EXPECT_FALSE(d.Dragging());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"down", "change", "up", "change"}));
    // Placed for angle 0: the top is round(-7.5) + 40, halves going to even.
    EXPECT_EQ(d.Diode()->pos(), QPoint(61, 32));
}

TEST(TBtnRot, CounterclockwiseDial) {
    TBtnRot d;
    ApplyFormValues(d);
    d.SetHoraire(false);
    Press(d, 70, 40);
    Move(d, 70, 10); // the pointer turns counterclockwise on the screen
    EXPECT_EQ(d.Tour(), 0);
    EXPECT_NEAR(d.Angle(), Pi / 4, 1e-12);
    // The lamp went up to the upper right and the caption turned with the knob.
    EXPECT_EQ(d.Diode()->pos(), QPoint(53, 12));
    EXPECT_EQ(d.CaptionRotation() % 360, 45);
}

TEST(TBtnRot, PressOnTheCentreColumn) {
    TBtnRot d;
    ApplyFormValues(d);
    Recorder r;
    r.attach(d);
    Press(d, 70, 70); // grip pi/4
    Release(d, 70, 70);
    r.calls.clear();

    Press(d, 40, 5);
    EXPECT_TRUE(d.Dragging());
    EXPECT_TRUE(r.calls.empty());
    EXPECT_EQ(d.DiodeColor(), cl::Teal);
    EXPECT_DOUBLE_EQ(d.AngleGrip(), Pi / 4);
    Move(d, 40, 75); // on the centre column: ignored
    EXPECT_TRUE(r.calls.empty());
    Move(d, 10, 70); // 3pi/4 - grip pi/4
    EXPECT_NEAR(d.Angle(), Pi / 2, 1e-12);
    EXPECT_EQ(r.calls, std::vector<std::string>{"change"});
}

TEST(TBtnRot, PressOnTheLamp) {
    TBtnRot d;
    ApplyFormValues(d);
    Recorder r;
    r.attach(d);
    // The lamp stands at 61, 33: its point 9, 7 is the knob's 70, 40.
    QTest::mousePress(d.Diode(), Qt::RightButton, {}, QPoint(9, 7));
    ASSERT_EQ(r.calls, std::vector<std::string>{"down"});
    EXPECT_EQ(r.buttons.back(), Qt::LeftButton);
    EXPECT_EQ(r.points.back(), QPoint(70, 40));
    EXPECT_EQ(d.DiodeColor(), cl::Aqua);
    // Moves reported by the lamp are translated into knob coordinates.
    QTest::mouseMove(d.Diode(), QPoint(9, 37)); // knob 70, 70
    EXPECT_NEAR(d.Angle(), Pi / 4, 1e-12);
    QTest::mouseRelease(d.Diode(), Qt::RightButton, {}, QPoint(3, 4));
    EXPECT_EQ(r.calls.back(), "up");
    EXPECT_EQ(r.buttons.back(), Qt::RightButton);
    EXPECT_EQ(r.points.back(), QPoint(3, 4));
}

TEST(TBtnRot, BlinkingLamp) {
    TBtnRot d;
    ApplyFormValues(d);
    EXPECT_FALSE(d.TimerDiode()->isActive());
    EXPECT_EQ(d.TimerDiode()->interval(), 100);
    d.SetDiodeBlink(true);
    EXPECT_TRUE(d.TimerDiode()->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.DiodeColor() == cl::Aqua; }, 1000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.DiodeColor() == cl::Teal; }, 1000));
    // Setting it again does not restart the timer's period.
    d.SetDiodeBlink(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.DiodeColor() == cl::Aqua; }, 1000));
    d.SetDiodeBlink(false);
    EXPECT_FALSE(d.TimerDiode()->isActive());
    EXPECT_EQ(d.DiodeColor(), cl::Teal);
    d.SetColorDiodeOff(cl::Red);
    EXPECT_EQ(d.DiodeColor(), cl::Red);
}

TEST(TBtnRot, DiagnosticsOnlyWithDebugMessages) {
    TBtnRot d;
    ApplyFormValues(d);
    std::vector<QString> shown;
    d.OnDebugMessage = [&](TBtnRot* s, const QString& text) {
        EXPECT_EQ(s, &d);
        shown.push_back(text);
    };
    // A total too large for the turn count: kept whole in Angle.
    d.SetAngleBtn(1e12);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(d.Tour(), 0);
    EXPECT_EQ(d.Angle(), 1e12);

    d.DebugMessages = true;
    d.SetAngleBtn(3.0);
    d.SetAngleBtn(std::nan(""));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], QStringLiteral("Erreur calcul teta0 dans SetAngleBtn"));
    EXPECT_DOUBLE_EQ(d.Angle(), 3.0); // not an angle: the dial stays where it was

    // A drag whose turn count leaves the integer range keeps its turn count.
    d.SetAngleBtn(0.0);
    d.SetTour(INT_MAX);
    Press(d, 70, 40);
    for (const QPoint& p : {QPoint(70, 70), QPoint(10, 70), QPoint(10, 10), QPoint(70, 10), QPoint(70, 45)})
        Move(d, p.x(), p.y());
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], QStringLiteral("Erreur calcul tourbtn dans CorpsMouseMove"));
    EXPECT_EQ(d.Tour(), INT_MAX);
    EXPECT_NEAR(d.Angle(), 7 * Pi / 4, 1e-5);
}

TEST(TBtnRot, HintSwitch) {
    TBtnRot d;
    d.SetHint(QStringLiteral("1 tour = 1 Ma"));
    EXPECT_EQ(d.toolTip(), QStringLiteral("1 tour = 1 Ma"));
    EXPECT_TRUE(d.ShowHint());
    d.SetShowHint(false);
    EXPECT_FALSE(d.ShowHint());
}

TEST(TBtnRot, PaintsARaisedKnobAndASunkenLamp) {
    TBtnRot d;
    ApplyFormValues(d);
    QImage img = Render(d);
    // Corners show the parent's background.
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 0, 255));
    EXPECT_EQ(img.pixel(78, 78), qRgb(255, 0, 255));
    // Rim: light at the upper left, shadow at the lower right (38 px out, on the diagonal).
    EXPECT_TRUE(Near(img.pixel(13, 13), cl::BtnHighlight));
    EXPECT_TRUE(Near(img.pixel(67, 67), cl::BtnShadow));
    EXPECT_TRUE(Near(img.pixel(40, 2), cl::BtnHighlight));
    EXPECT_TRUE(Near(img.pixel(40, 78), cl::BtnShadow));
    // Knob face between the rim and the caption.
    EXPECT_EQ(img.pixel(20, 40), Rgb(cl::BtnFace));
    // Lamp at 61, 33 (15 x 15), off: teal in the middle; its rim is sunken.
    EXPECT_EQ(img.pixel(68, 40), Rgb(cl::Teal));
    EXPECT_EQ(img.pixel(61, 40), Rgb(cl::BtnShadow));
    EXPECT_EQ(img.pixel(63, 35), Rgb(cl::BtnShadow));
    EXPECT_EQ(img.pixel(75, 40), Rgb(cl::BtnHighlight));
    EXPECT_EQ(img.pixel(73, 45), Rgb(cl::BtnHighlight));

    Press(d, 70, 40);
    img = Render(d);
    EXPECT_EQ(img.pixel(68, 40), Rgb(cl::Aqua));

    // A pressed knob has a thinner rim.
    d.SetBevelBtn(1);
    img = Render(d);
    EXPECT_TRUE(Near(img.pixel(40, 2), cl::BtnFace));
}

TEST(TBtnRot, CaptionIsEngravedAndTurnsWithTheKnob) {
    TBtnRot d;
    ApplyFormValues(d);
    d.SetDiodeVisible(false);
    d.SetTexteBtn(QStringLiteral("MMMM"));
    auto inkBox = [](const QImage& img, QRgb ink) {
        QRect box;
        for (int y = 16; y < 64; ++y)
            for (int x = 16; x < 64; ++x)
                if (img.pixel(x, y) == ink)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    QImage img = Render(d);
    const QRect dark = inkBox(img, qRgb(0, 0, 0));
    const QRect light = inkBox(img, Rgb(cl::BtnHighlight));
    ASSERT_FALSE(dark.isEmpty());
    ASSERT_FALSE(light.isEmpty());
    EXPECT_GT(dark.width(), dark.height());
    EXPECT_NEAR(dark.center().x(), 40, 2);
    EXPECT_NEAR(dark.center().y(), 40, 2);
    // The light copy lies one pixel right and down.
    EXPECT_EQ(light.right(), dark.right() + 1);
    EXPECT_EQ(light.bottom(), dark.bottom() + 1);

    d.SetAngleBtn(-Pi / 2);
    img = Render(d);
    const QRect turned = inkBox(img, qRgb(0, 0, 0));
    EXPECT_GT(turned.height(), turned.width());
    EXPECT_NEAR(turned.center().x(), 40, 2);
    EXPECT_NEAR(turned.center().y(), 40, 2);

    // Whatever the angle, the light edge stays at the lower right on the screen:
    // what shows of the light copy lies right of and below the dark text.
    auto lightOffset = [](const QImage& knob) {
        const int face = qGray(Rgb(cl::BtnFace));
        double lx = 0, ly = 0, lw = 0, dx = 0, dy = 0, dw = 0;
        for (int y = 12; y < 68; ++y)
            for (int x = 12; x < 68; ++x) {
                if ((x - 40) * (x - 40) + (y - 40) * (y - 40) > 28 * 28)
                    continue; // the rim
                const int g = qGray(knob.pixel(x, y)) - face;
                (g > 0 ? lx : dx) += std::abs(g) * x;
                (g > 0 ? ly : dy) += std::abs(g) * y;
                (g > 0 ? lw : dw) += std::abs(g);
            }
        return QPointF(lx / lw - dx / dw, ly / lw - dy / dw);
    };
    for (double angle : {0.0, -Pi / 2, Pi / 2, Pi, 3 * Pi / 4}) {
        d.SetAngleBtn(angle);
        const QPointF offset = lightOffset(Render(d));
        EXPECT_GT(offset.x(), 0.5) << angle;
        EXPECT_GT(offset.y(), 0.5) << angle;
    }
}

// A modal box that opens during a drag takes the mouse away: the drag ends as a
// release (lamp off, OnMouseUp) once the step that opened it is done, or at
// once when the box comes from elsewhere.
TEST(TBtnRot, LosingTheMouseToAModalBoxEndsTheDrag) {
    QWidget top;
    auto* d = new TBtnRot(&top);
    ApplyFormValues(*d);
    top.show();
    Recorder r;
    r.attach(*d);
    auto openBox = [&top, &r] {
        QDialog box(&top);
        box.setModal(true);
        QTimer::singleShot(20, &box, &QDialog::accept);
        box.exec();
        r.calls.push_back("closed");
    };
    d->OnAngleChange = [&](TBtnRot*) {
        r.calls.push_back("change");
        if (r.calls.size() == 2)
            openBox();
    };

    Press(*d, 70, 40);
    Move(*d, 70, 60);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"down", "change", "closed", "up"}));
    EXPECT_FALSE(d->Dragging());
    EXPECT_EQ(d->DiodeColor(), cl::Teal);
    EXPECT_EQ(r.points.back(), QPoint(70, 60));
    Move(*d, 40, 75);
    EXPECT_EQ(r.calls.size(), 4u); // moves do nothing until the next press

    r.calls.clear();
    Press(*d, 70, 40);
    openBox();
    EXPECT_EQ(r.calls, (std::vector<std::string>{"down", "up", "closed"}));
    EXPECT_FALSE(d->Dragging());
}
