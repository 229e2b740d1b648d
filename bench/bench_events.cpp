// Event markers with a large event list: opening a file and building its
// markers, rebuilding and clearing them, one date update with its collision
// check, editing one event, the memory a load takes, and hovering over the view.
#include "app/TAevoriumF1.h"
#include "app/TEditionEven.h"
#include "events/EventFile.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"
#include "timescale/IniFile.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// An event file of `count` events at dates evenly spread over the whole range,
// written as the program writes it.
QString writeEventFile(const QTemporaryDir& dir, int count) {
    const QString path = dir.filePath(QStringLiteral("grand.aev"));
    QByteArray bytes;
    bytes.reserve(count * 48);
    for (int i = 0; i < count; ++i) {
        const double date = -4550.0 + 4580.0 * i / count;
        bytes += '[' + EncodeWindows1252(FormatDateText(date)) + "]\r\n";
        bytes += "Evenement=" + EncodeWindows1252(QStringLiteral("Evénement numéro %1").arg(i)) + "\r\n";
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

std::unique_ptr<TAevoriumF1> emptyWindow() {
    auto w = std::make_unique<TAevoriumF1>();
    w->SceneViewer1->Buffer().SetViewport(517, 413);
    w->BuildSpiral(5, 1.0, 0.3);
    return w;
}

// Resident memory now, in MB.
double residentMB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The process's peak resident memory, in MB.
double peakMB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

// "Ouvrir" without its dialog: the file is read and its markers are built.
void BM_OpenEventFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeEventFile(dir, int(state.range(0)));
    auto w = emptyWindow();
    for (auto _ : state) {
        state.PauseTiming();
        w->EventList.Clear();
        w->ClearEventMarkers();
        state.ResumeTiming();
        w->EventList = LoadEventFile(path);
        w->CreateEventMarkers();
    }
    state.counters["events"] = w->EventList.Count();
}

// All markers freed, as before a new list is shown.
void BM_ClearEventMarkers(benchmark::State& state) {
    auto w = windowWithEvents(int(state.range(0)), 0);
    for (auto _ : state) {
        state.PauseTiming();
        if (w->Scene->EventMarkers.empty())
            w->CreateEventMarkers();
        state.ResumeTiming();
        w->ClearEventMarkers();
    }
}

// One answer of the event editor in custom mode, with the date update that
// follows: 0 adds an event, 1 changes the text of the touched event, 2
// deletes it.
void BM_EditEvent(benchmark::State& state) {
    const int count = int(state.range(1));
    auto w = windowWithEvents(count, 0);
    w->BtnRot1AngleChange(w->BtnRot3); // the list as shown, its first check done
    int k = 0;
    for (auto _ : state) {
        ++k;
        switch (state.range(0)) {
        case 0:
            w->ApplyEventEdit(TEditionEven::ActionAdd, -1, -4000.0 + k, QStringLiteral("Nouvel événement"));
            break;
        case 1:
            w->ApplyEventEdit(TEditionEven::ActionModify, count / 2, 0, QStringLiteral("Texte %1").arg(k));
            break;
        default:
            w->ApplyEventEdit(TEditionEven::ActionDelete, count / 2 - k, 0, QString());
            break;
        }
    }
}

// The memory of a load: the file read, its markers built and the date update
// with its first collision check. Run each size alone (one process per
// --benchmark_filter) so that the peak is that of this load:
//   peak_MB  peak resident memory above the resident memory before the load;
//   after_MB what stays resident once the load is done.
void BM_LoadMemory(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeEventFile(dir, int(state.range(0)));
    auto w = emptyWindow();
    const double before = residentMB();
    const double peakBefore = peakMB();
    for (auto _ : state) {
        w->EventList = LoadEventFile(path);
        w->CreateEventMarkers();
        w->BtnRot1AngleChange(w->BtnRot3);
    }
    state.counters["peak_MB"] = std::max(peakMB(), peakBefore) - before;
    state.counters["after_MB"] = residentMB() - before;
    state.counters["events"] = w->EventList.Count();
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

BENCHMARK(BM_OpenEventFile)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_ClearEventMarkers)->Arg(100000)->Unit(benchmark::kMillisecond)
    ->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_EditEvent)->Args({0, 100000})->Args({1, 100000})->Args({2, 100000})->Unit(benchmark::kMillisecond)
    ->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadMemory)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RebuildEventMarkers)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DateUpdateCollision)->Args({10000, 0})->Args({10000, 1})->Args({100000, 0})->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FirstCollisionCheck)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond)
    ->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_HoverMarker)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true);
