// Event markers with a large event list: rebuilding them, one date update
// with its collision check, and hovering over the view.
#include "app/TAevoriumF1.h"
#include "events/EventFile.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"

#include <QLabel>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

// Event dates: 0 = uniform over the whole range (-4550 to +30 Ma), the
// densest case for the spiral's older turns; 1 = uniform in the logarithm of
// the age, as lists that favour recent history are.
std::unique_ptr<TAevoriumF1> windowWithEvents(int count, int spread) {
    auto w = std::make_unique<TAevoriumF1>();
    w->SceneViewer1->Buffer().SetViewport(517, 413);
    w->BuildSpiral(5, 1.0, 0.3);
    std::mt19937 rng(2024);
    std::uniform_real_distribution<double> uniform(-4550.0, 30.0);
    std::uniform_real_distribution<double> logAge(0.0, std::log(4551.0));
    for (int i = 0; i < count; ++i) {
        const double date = spread == 0 ? uniform(rng) : -(std::exp(logAge(rng)) - 1.0);
        w->EventList.Append(FormatDateText(date), QStringLiteral("Evénement %1").arg(i));
    }
    w->CreateEventMarkers();
    return w;
}

void BM_RebuildEventMarkers(benchmark::State& state) {
    auto w = windowWithEvents(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        w->ClearEventMarkers();
        w->CreateEventMarkers();
    }
}

// Steps 10 to 12 of the date update: the date sphere moves, the touched-event
// label is emptied and the collision check names the event it touches.
void BM_DateUpdateCollision(benchmark::State& state) {
    auto w = windowWithEvents(int(state.range(0)), int(state.range(1)));
    double date = -4550.0;
    w->RunCollisionCheck(); // the first check after a rebuild finds every pair
    for (auto _ : state) {
        date = date >= 30.0 ? -4550.0 : date + 7.3;
        w->CurrentDate = date;
        w->PlaceDateSphere();
        w->Label3->clear();
        w->SelectedEventIndex = -1;
        w->RunCollisionCheck();
    }
}

// The first check after the markers were rebuilt: every pair is found anew.
void BM_FirstCollisionCheck(benchmark::State& state) {
    auto w = windowWithEvents(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        w->ClearEventMarkers();
        w->CreateEventMarkers();
        state.ResumeTiming();
        w->RunCollisionCheck();
    }
}

// One mouse move over the view: a pick and the colour changes, alternating
// between two markers so that every move restores one and lights another.
void BM_HoverMarker(benchmark::State& state) {
    auto w = windowWithEvents(int(state.range(0)), int(state.range(1)));
    TSpiralScene* s = w->Scene;
    const TSceneBuffer& b = w->SceneViewer1->Buffer();
    auto pixelOf = [&](const TBaseSceneObject* o) {
        const Vector4f c = Transform(Vector4f(o->WorldPosition(), 1), b.ViewMatrix() * b.ProjectionMatrix());
        return QPoint(int(std::lround((c.x / c.w + 1) / 2 * b.Width())),
                      int(std::lround((1 - c.y / c.w) / 2 * b.Height())));
    };
    const QPoint p[2] = {pixelOf(s->EventMarkers[10]), pixelOf(s->EventMarkers[20])};
    int k = 0;
    for (auto _ : state) {
        w->HoverMarkerAt(p[k].x(), p[k].y());
        k ^= 1;
    }
}

} // namespace

BENCHMARK(BM_RebuildEventMarkers)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DateUpdateCollision)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FirstCollisionCheck)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond)
    ->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_HoverMarker)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true);
