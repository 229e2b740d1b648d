// Dials: one drag step of dial 2, from the mouse move to every 2D display of
// the main window repainted (the 3D view is not part of it).
#include "app/TAevoriumF1.h"
#include "widgets/TBtnRot.h"
#include "widgets/TLEDDisplay.h"

#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

void BM_DialTwoDragStep(benchmark::State& state) {
    auto window = std::make_unique<TAevoriumF1>();
    window->FormCreate();
    window->show();
    QApplication::processEvents();
    QWidget* knob = window->BtnRot2->Corps();
    SendMouse(knob, QEvent::MouseButtonPress, QPoint(70, 40), Qt::LeftButton, Qt::LeftButton);
    QApplication::processEvents();

    // Back and forth between two pointer positions, a fifth of a turn apart.
    const QPoint positions[2] = {QPoint(70, 20), QPoint(70, 60)};
    int i = 0;
    for (auto _ : state) {
        SendMouse(knob, QEvent::MouseMove, positions[i], Qt::NoButton, Qt::LeftButton);
        // The knob repaints at once; the readouts, invalidated, are repainted
        // when the pending events are processed.
        QApplication::processEvents();
        i ^= 1;
    }
    SendMouse(knob, QEvent::MouseButtonRelease, positions[i], Qt::LeftButton, Qt::NoButton);
    benchmark::DoNotOptimize(window->CurrentDate);
}
BENCHMARK(BM_DialTwoDragStep)->Unit(benchmark::kMicrosecond);

void BM_LEDDisplaySetValue(benchmark::State& state) {
    TLEDDisplay display;
    display.resize(245, 33);
    display.SetDigitHeight(25);
    display.SetFractionDigits(3);
    display.SetNumDigits(7);
    double v = 0;
    for (auto _ : state) {
        display.SetValue(v);
        v += 0.001;
    }
}
BENCHMARK(BM_LEDDisplaySetValue)->Unit(benchmark::kMicrosecond);

} // namespace
