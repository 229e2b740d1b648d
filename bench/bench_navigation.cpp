// Navigation without the mouse: one key step on dial 2 and playback at the
// fastest speed, from the event to every 2D display repainted, to compare
// with one drag step (BM_DialTwoDragStep).
#include "app/TAevoriumF1.h"
#include "app/window/Navigation.h"
#include "widgets/TBtnRot.h"

#include <QApplication>
#include <QKeyEvent>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::unique_ptr<TAevoriumF1> ShownWindow() {
    auto window = std::make_unique<TAevoriumF1>();
    window->FormCreate();
    window->show();
    QApplication::processEvents();
    return window;
}

void BM_DialTwoKeyStep(benchmark::State& state) {
    auto window = ShownWindow();
    TBtnRot* dial = window->BtnRot2;
    // Right and Left in turn, each a press and a release.
    int key = Qt::Key_Right;
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(dial, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(dial, &release);
        QApplication::processEvents();
        key = key == Qt::Key_Right ? Qt::Key_Left : Qt::Key_Right;
    }
    benchmark::DoNotOptimize(window->CurrentDate);
}
BENCHMARK(BM_DialTwoKeyStep)->Unit(benchmark::kMicrosecond);

// Playback at "1 milliard d'années en 10 s" with a clock that advances a
// sixtieth of a second per frame; `frames` frames per iteration.
void PlaybackFrames(benchmark::State& state, int frames) {
    auto window = ShownWindow();
    TNavigation* nav = window->Navigation;
    qint64 now = 0;
    nav->Clock = [&now] { return now; };
    nav->SetSpeed(TNavigation::Speeds[0]);
    for (auto _ : state) {
        for (int i = 0; i < frames; ++i) {
            if (!nav->Playing()) { // from the oldest date again
                nav->GoToDate(-4550);
                nav->Play(+1);
            }
            now += 1000000000 / 60 + 1;
            nav->Tick();
            QApplication::processEvents();
        }
    }
    nav->Stop();
    benchmark::DoNotOptimize(window->CurrentDate);
}

void BM_PlaybackFrameFastest(benchmark::State& state) {
    PlaybackFrames(state, 1);
}
BENCHMARK(BM_PlaybackFrameFastest)->Unit(benchmark::kMicrosecond);

void BM_PlaybackSecondFastest(benchmark::State& state) {
    PlaybackFrames(state, 60);
}
BENCHMARK(BM_PlaybackSecondFastest)->Unit(benchmark::kMillisecond);

} // namespace
