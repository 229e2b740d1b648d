// The 3D view with many event-sized spheres: drawing a frame on the software
// renderer and picking the object under the mouse. Run the frame measurement
// under an X server: QT_QPA_PLATFORM=xcb xvfb-run -a build/bin/aev_bench --benchmark_filter=Scene
#include "spiral/FrameGeometry.h"
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <vector>

namespace {

// The window's scene with the spiral, the date sphere and `count` marker-like
// spheres at dates spread evenly over the whole range. Placed on the spiral,
// they are UncachedGeometry like the event markers; `uncached` false keeps
// their meshes cached instead.
std::unique_ptr<TSpiralScene> makeScene(int count, bool uncached = true) {
    auto scene = std::make_unique<TSpiralScene>();
    BuildSpiral(*scene->Spirale, *scene->Spirale2, 5, 1.0, 0.3);
    PlaceOnSpiral(*scene->SpherePos, 5, 1.0, 0.3, 0);
    for (int i = 0; i < count; ++i) {
        auto* m = new TSphere(scene->BaseSpirale);
        m->Reparent(scene->BaseSpirale);
        m->SetRadius(0.03f);
        m->SetSlices(20);
        m->SetStacks(20);
        m->Material() = scene->SpherePos->Material();
        m->Material().SetBlendingMode(bmOpaque);
        m->Material().FrontProperties().Diffuse().SetColor(0, 0.5f, 0.5f, 1);
        m->SetTag(i + 1);
        PlaceOnSpiral(*m, 5, 1.0, 0.3, -4550.0 + 4580.0 * i / count);
        m->SetUncachedGeometry(uncached);
        scene->EventMarkers.push_back(m);
    }
    return scene;
}

// Pixel positions of the sphere centres, where picking has most to sort out.
std::vector<QPoint> sphereCentres(TSpiralScene& scene, TSceneBuffer& buffer) {
    const Matrix4f vp = buffer.ViewMatrix() * buffer.ProjectionMatrix();
    std::vector<QPoint> points;
    for (TSphere* m : scene.EventMarkers) {
        const Vector4f c = Transform(Vector4f(m->WorldPosition(), 1), vp);
        points.emplace_back(int((c.x / c.w + 1) / 2 * buffer.Width()),
                            int((1 - c.y / c.w) / 2 * buffer.Height()));
    }
    return points;
}

// The viewer of the window (517 x 413, teal, its options) on the scene; false
// (and the benchmark skipped) without OpenGL.
bool setUpViewer(benchmark::State& state, TSceneViewer& viewer, TSpiralScene& scene) {
    if (!viewer.OpenGLAvailable()) {
        state.SkipWithError("no OpenGL context (run under xvfb-run with QT_QPA_PLATFORM=xcb)");
        return false;
    }
    viewer.resize(517, 413);
    viewer.SetCamera(scene.Camera1);
    viewer.Buffer().SetBackgroundColor(0x00808000);
    viewer.SetContextOptions(63);
    viewer.Buffer().SetShadeModel(smSmooth);
    viewer.show();
    return true;
}

void BM_SceneFrame(benchmark::State& state) {
    auto scene = makeScene(int(state.range(0)), state.range(1) != 0);
    TSceneViewer viewer;
    if (!setUpViewer(state, viewer, *scene))
        return;
    viewer.SetSendAllTriangles(state.range(2) != 0);
    viewer.GrabFrame(); // makes the context
    for (auto _ : state)
        benchmark::DoNotOptimize(viewer.RenderNow());
}
// Arguments: sphere count, UncachedGeometry, every triangle sent (the
// reference without dropping the triangles that reach no pixel).
BENCHMARK(BM_SceneFrame)->Args({0, 1, 0})->Args({1000, 1, 0})->Args({1000, 0, 0})->Args({1000, 1, 1})->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Frames while something moves, with `markers` markers: the camera turning
// by one degree per frame (a left drag in the view: every object seen anew),
// or the date sphere moving along the spiral (a dial drag).
void moving(benchmark::State& state, int markers, bool cameraTurns) {
    auto scene = makeScene(markers);
    TSceneViewer viewer;
    if (!setUpViewer(state, viewer, *scene))
        return;
    viewer.GrabFrame();
    int step = 0;
    for (auto _ : state) {
        if (cameraTurns)
            scene->Camera1->OrbitTarget(0, 1);
        else
            PlaceOnSpiral(*scene->SpherePos, 5, 1.0, 0.3, -4550.0 + (step++ * 37) % 4580);
        benchmark::DoNotOptimize(viewer.RenderNow());
    }
    state.counters["kept"] = viewer.FramesOverKeptPicture();
    state.counters["standins"] = double(viewer.StandInsDrawn());
}

// 1000 markers; argument 0: the camera turns, 1: the date sphere moves.
void BM_SceneFrameMoving(benchmark::State& state) { moving(state, 1000, state.range(0) == 0); }
BENCHMARK(BM_SceneFrameMoving)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The markers of a large event file (argument 0), the camera turning
// (argument 1 = 0) or the date sphere moving as a dial turns (1).
void BM_SceneFrameManyMarkers(benchmark::State& state) { moving(state, int(state.range(0)), state.range(1) == 0); }
BENCHMARK(BM_SceneFrameManyMarkers)
    ->Args({100000, 0})
    ->Args({1000000, 0})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SceneFrameManyMarkers)
    ->Args({100000, 1})
    ->Args({1000000, 1})
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond);

// The first frame of a new view on a scene of `markers` markers (argument),
// as when the window first shows a large event file: nothing kept yet.
void BM_SceneFirstFrame(benchmark::State& state) {
    auto scene = makeScene(int(state.range(0)));
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    for (auto _ : state) {
        TSceneViewer viewer;
        if (!setUpViewer(state, viewer, *scene))
            return;
        benchmark::DoNotOptimize(viewer.GrabFrame()); // makes the context and draws
    }
    // Peak memory the frames took above the scene, per marker (run alone:
    // the peak is the process's).
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    state.counters["frame_bytes_per_marker"] = double(after.ru_maxrss - before.ru_maxrss) * 1024 / double(state.range(0));
    state.counters["scene_bytes_per_marker"] = double(before.ru_maxrss) * 1024 / double(state.range(0));
}
BENCHMARK(BM_SceneFirstFrame)->Arg(100000)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);

// The geometry work of a frame while the camera turns, without OpenGL: the
// triangles of every object that can reach a pixel centre (argument 0), then
// also those hidden behind the opaque objects (1).
void BM_SceneSelectTriangles(benchmark::State& state) {
    auto scene = makeScene(1000);
    TSceneBuffer buffer;
    buffer.SetViewport(517, 413);
    buffer.SetCamera(scene->Camera1);
    std::vector<TDrawItem> items;
    buffer.CollectDrawList(items);
    TFrameOptions options;
    options.width = 517;
    options.height = 413;
    options.depthTest = state.range(0) != 0;
    TFrameGeometry geometry;
    for (auto _ : state) {
        scene->Camera1->OrbitTarget(0, 1);
        geometry.Prepare(items, buffer.ViewMatrix(), buffer.ProjectionMatrix(), options);
        benchmark::DoNotOptimize(geometry.Batch(0));
    }
}
BENCHMARK(BM_SceneSelectTriangles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ScenePickAt(benchmark::State& state) {
    auto scene = makeScene(int(state.range(0)));
    TSceneBuffer buffer;
    buffer.SetViewport(517, 413);
    buffer.SetCamera(scene->Camera1);
    const std::vector<QPoint> points = sphereCentres(*scene, buffer);
    // The first pick also makes what the next ones keep using while nothing
    // moves (the mouse hovering over the view).
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(buffer.PickAt(points[0].x(), points[0].y()));
    state.counters["first_ms"] = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::size_t i = 0;
    for (auto _ : state) {
        const QPoint p = points[i++ % points.size()];
        benchmark::DoNotOptimize(buffer.PickAt(p.x(), p.y()));
    }
}
BENCHMARK(BM_ScenePickAt)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
