// The dial turned by keys, the wheel and assistive technology: each turn is a
// drag and its release, seen by the same notifications.
#include "widgets/AccessibleEvents.h"
#include "widgets/TBtnRot.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

double Turns(const TBtnRot& d) {
    return d.Tour() + d.Angle() / (2 * Pi);
}

// A dial of the form's size whose notifications are written down in order.
struct KeyDial : ::testing::Test {
    TBtnRot d;
    std::vector<std::string> calls;
    void SetUp() override {
        d.SetTaille(80);
        d.SetTailleDiode(15);
        d.SetMargeDiode(4);
        d.OnAngleChange = [this](TBtnRot*) { calls.push_back("change"); };
        d.OnMouseDown = [this](TBtnRot*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            calls.push_back("down");
        };
        d.OnMouseUp = [this](TBtnRot*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            calls.push_back("up");
        };
    }
    void Key(QEvent::Type type, int key, bool repeat = false, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(type, key, mods, QString(), repeat);
        QApplication::sendEvent(&d, &e);
    }
    void Click(int key) {
        Key(QEvent::KeyPress, key);
        Key(QEvent::KeyRelease, key);
    }
    void Wheel(int delta) {
        QWheelEvent e(QPointF(40, 40), QPointF(40, 40), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&d, &e);
    }
    using Calls = std::vector<std::string>;
};

} // namespace

TEST_F(KeyDial, KeysStepAFortiethOrAQuarterTurnAsADragAndRelease) {
    Click(Qt::Key_Right);
    EXPECT_NEAR(Turns(d), 1.0 / 40, 1e-15);
    EXPECT_EQ(calls, (Calls{"down", "change", "up"}));
    EXPECT_FALSE(d.Dragging());
    Click(Qt::Key_Up);
    Click(Qt::Key_Left);
    Click(Qt::Key_Down);
    Click(Qt::Key_Down);
    EXPECT_NEAR(Turns(d), -1.0 / 40, 1e-15);
    Click(Qt::Key_PageUp);
    EXPECT_NEAR(Turns(d), 0.225, 1e-15);
    Click(Qt::Key_PageDown);
    Click(Qt::Key_PageDown);
    EXPECT_NEAR(Turns(d), -0.275, 1e-15);
    // Counterclockwise dials still turn clockwise on Right: their angle falls.
    d.SetHoraire(false);
    Click(Qt::Key_Right);
    EXPECT_NEAR(Turns(d), -0.3, 1e-15);
    // Keys with Ctrl or Alt belong to the window.
    calls.clear();
    QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Right, Qt::ControlModifier);
    QApplication::sendEvent(&d, &ctrl);
    EXPECT_FALSE(ctrl.isAccepted());
    EXPECT_TRUE(calls.empty());
}

TEST_F(KeyDial, AHeldKeyIsOneDragAndStopsAtTheLimitAsADragDoes) {
    d.SetBlockMax(true);
    d.SetAngleMax(2 * Pi * 0.06);
    d.SetDiodeBlink(false);
    Key(QEvent::KeyPress, Qt::Key_Right);
    EXPECT_TRUE(d.Dragging());
    EXPECT_EQ(d.DiodeColor(), d.ColorDiodeON());
    Key(QEvent::KeyRelease, Qt::Key_Right, true); // repeats: no release
    Key(QEvent::KeyPress, Qt::Key_Right, true);
    EXPECT_EQ(calls, (Calls{"down", "change", "change"}));
    // The third step passes the limit: stop, release, and the step's own
    // notification; further repeats do nothing until the key is let go.
    Key(QEvent::KeyPress, Qt::Key_Right, true);
    EXPECT_NEAR(Turns(d), 0.06, 1e-15);
    EXPECT_FALSE(d.Dragging());
    Key(QEvent::KeyPress, Qt::Key_Right, true);
    Key(QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_EQ(calls, (Calls{"down", "change", "change", "change", "up", "change", "up"}));
    EXPECT_EQ(d.DiodeColor(), d.ColorDiodeOff());

    // Home and End go to the limits; none without a limit.
    calls.clear();
    Click(Qt::Key_Home);
    EXPECT_NEAR(Turns(d), 0.06, 1e-15);
    EXPECT_EQ(calls, (Calls{"down", "up"}));
    d.SetBlockMin(true);
    d.SetAngleMin(-2 * Pi * 4.55);
    Click(Qt::Key_Home);
    EXPECT_EQ(d.Tour() * 2 * Pi + d.Angle(), d.AngleMin());
    Click(Qt::Key_End);
    EXPECT_NEAR(Turns(d), 0.06, 1e-15);
}

TEST_F(KeyDial, WheelNotchesStepAndFineWheelsAddUp) {
    Wheel(120);
    EXPECT_NEAR(Turns(d), 1.0 / 40, 1e-15);
    EXPECT_EQ(calls, (Calls{"down", "change", "up"}));
    Wheel(40);
    Wheel(40);
    EXPECT_EQ(calls.size(), 3u);
    Wheel(40);
    EXPECT_NEAR(Turns(d), 2.0 / 40, 1e-15);
    Wheel(-360);
    EXPECT_NEAR(Turns(d), -1.0 / 40, 1e-15);
    EXPECT_EQ(calls.size(), 9u); // one gesture per event that turns
}

TEST_F(KeyDial, APressOnTheKnobEndsAHeldKeyFirst) {
    Key(QEvent::KeyPress, Qt::Key_Left);
    QTest::mousePress(d.Corps(), Qt::LeftButton, {}, QPoint(70, 40));
    EXPECT_EQ(calls, (Calls{"down", "change", "up", "down"}));
    EXPECT_FALSE(d.TurnHeld());
    EXPECT_TRUE(d.Dragging());
    // The key's release no longer ends the mouse drag.
    Key(QEvent::KeyRelease, Qt::Key_Left);
    EXPECT_TRUE(d.Dragging());
    QTest::mouseRelease(d.Corps(), Qt::LeftButton, {}, QPoint(70, 40));
    // Keys and the wheel do nothing during a mouse drag.
    QTest::mousePress(d.Corps(), Qt::LeftButton, {}, QPoint(70, 40));
    calls.clear();
    Click(Qt::Key_Right);
    Wheel(120);
    EXPECT_TRUE(calls.empty());
}

TEST(TBtnRotFocus, ADottedRingOutsideTheRimOnlyWhileFocused) {
    QWidget panel;
    panel.resize(200, 120);
    panel.setAutoFillBackground(true);
    QPalette pal = panel.palette();
    pal.setColor(QPalette::Window, Qt::white);
    panel.setPalette(pal);
    auto* d = new TBtnRot(&panel);
    d->SetTaille(80);
    d->move(60, 20);
    auto* other = new TBtnRot(&panel);
    other->move(150, 20);
    other->SetTaille(40);
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));

    auto ringPixels = [&] {
        QImage img(panel.size(), QImage::Format_RGB32);
        panel.render(&img);
        // The band 1 to 4 pixels outside the knob's rim (centre 100, 60).
        int dark = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const double r = std::hypot(x + 0.5 - 100, y + 0.5 - 60);
                dark += r > 41 && r < 44 && qGray(img.pixel(x, y)) < 128;
            }
        return dark;
    };
    other->setFocus();
    QApplication::processEvents();
    const QImage knob = d->grab().toImage();
    EXPECT_EQ(ringPixels(), 0);
    // The ring shows when the focus came from the keyboard, as Qt's own focus frames do.
    const std::pair<Qt::FocusReason, bool> reasons[] = {{Qt::TabFocusReason, true},
                                                        {Qt::BacktabFocusReason, true},
                                                        {Qt::ShortcutFocusReason, true},
                                                        {Qt::MouseFocusReason, false}};
    for (const auto& [reason, ring] : reasons) {
        d->setFocus(reason);
        QApplication::processEvents();
        EXPECT_TRUE(d->hasFocus());
        EXPECT_EQ(ringPixels() > 10, ring) << reason;
        EXPECT_EQ(d->grab().toImage(), knob); // the dial's own drawing is unchanged
        other->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(ringPixels(), 0);
    }
    // A click on the knob gives the dial focus, without the ring; a click on
    // a dial that has the ring takes it away.
    QTest::mouseClick(d->Corps(), Qt::LeftButton, {}, QPoint(60, 40));
    QApplication::processEvents();
    EXPECT_TRUE(d->hasFocus());
    EXPECT_EQ(ringPixels(), 0);
    other->setFocus();
    d->setFocus(Qt::TabFocusReason);
    QTest::mouseClick(d->Corps(), Qt::LeftButton, {}, QPoint(60, 40));
    QApplication::processEvents();
    EXPECT_EQ(ringPixels(), 0);
}

TEST_F(KeyDial, AnAccessibleDialWithItsValueInItsUnit) {
    std::vector<double> notified;
    SetAccessibleObserver([&](QAccessibleEvent* e) {
        if (e->type() == QAccessible::ValueChanged && e->object() == &d)
            notified.push_back(static_cast<QAccessibleValueChangeEvent*>(e)->value().toDouble());
    });
    d.setAccessibleName(QStringLiteral("Millions d'années"));
    d.SetHint(QStringLiteral("1 tour = 1 millon d'années"));
    d.UnitsPerTurn = 1000;
    d.UnitText = QStringLiteral("Ma");
    d.SetBlockMin(true);
    d.SetAngleMin(-2 * Pi * 4.55);

    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&d);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::SpinBox); // read by its text
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Millions d'années"));
    EXPECT_EQ(a->text(QAccessible::Description), QStringLiteral("1 tour = 1 millon d'années"));
    QAccessibleValueInterface* v = a->valueInterface();
    ASSERT_NE(v, nullptr);
    Click(Qt::Key_Left);
    EXPECT_NEAR(v->currentValue().toDouble(), -25, 1e-12);
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("-25,000 Ma"));
    d.ValueDetail = [] { return QStringLiteral("Crétacé"); };
    ASSERT_NE(a->textInterface(), nullptr);
    EXPECT_EQ(a->textInterface()->text(0, -1), QStringLiteral("-25,000 Ma, Crétacé"));
    EXPECT_NEAR(v->minimumValue().toDouble(), -4550, 1e-9);
    EXPECT_FALSE(v->maximumValue().isValid());
    EXPECT_DOUBLE_EQ(v->minimumStepSize().toDouble(), 25);
    ASSERT_FALSE(notified.empty());
    EXPECT_NEAR(notified.back(), -25, 1e-12);
    // Setting the value turns the dial as a drag and release, within limits.
    calls.clear();
    v->setCurrentValue(-9000.0);
    EXPECT_NEAR(v->currentValue().toDouble(), -4550, 1e-9);
    EXPECT_EQ(calls, (Calls{"down", "change", "up", "change", "up"}));

    SetAccessibleObserver({});
}
