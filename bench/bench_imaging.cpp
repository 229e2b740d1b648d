// A 6000 x 4000 photograph shown in a 316 x 176 picture panel: load, fit, paint.
// Then the hostile pictures: time and peak memory of each load.
#include "app/Dialogs.h"
#include "app/TAevoriumF1.h"
#include "imaging/PeakMemory.h"
#include "imaging/TPicture.h"
#include "timescale/AevError.h"
#include "widgets/TImage.h"
#include "widgets/TPanel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

// A picture with smooth gradients and grain, like a photograph.
QImage photoLike(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(42);
    for (int y = 0; y < h; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int grain = int(rng.bounded(16u)) - 8;
            const int r = std::clamp(x * 255 / w + grain, 0, 255);
            const int g = std::clamp(y * 255 / h + grain, 0, 255);
            const int b = std::clamp((x + y) * 255 / (w + h) + grain, 0, 255);
            row[x] = qRgb(r, g, b);
        }
    }
    return image;
}

// The two files, made once and kept in the temporary folder between runs
// (encoding them takes longer than the measurements).
struct TBenchFiles {
    QString dir = QDir::tempPath() + QStringLiteral("/aev_bench_imaging_1");
    TBenchFiles() {
        QDir().mkpath(dir);
        const QString jpg = dir + QStringLiteral("/photo.jpg");
        const QString png = dir + QStringLiteral("/photo.png");
        if (QFileInfo::exists(jpg) && QFileInfo::exists(png))
            return;
        const QImage image = photoLike(6000, 4000);
        image.save(jpg + QStringLiteral(".part"), "JPEG", 90);
        image.save(png + QStringLiteral(".part"), "PNG");
        QFile::rename(jpg + QStringLiteral(".part"), jpg);
        QFile::rename(png + QStringLiteral(".part"), png);
    }
};

const TBenchFiles& files() {
    static const TBenchFiles f;
    return f;
}

void showInPanel(benchmark::State& state, const QString& name) {
    TAevoriumF1 window;
    window.ExeDir = files().dir + QLatin1Char('/');
    QImage screen(window.Image1->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        window.ClearPicture(window.Image1);
        window.ShowPicture(window.Panel2, window.Image1, name);
        QPainter painter(&screen);
        window.Image1->paintTo(painter);
    }
    if (window.Image1->Picture().Width() != 6000)
        state.SkipWithError("the picture did not load");
    state.counters["decoded_w"] = window.Image1->Picture().Image().width();
}

void BM_ShowJpeg6000x4000(benchmark::State& state) {
    showInPanel(state, QStringLiteral("photo.jpg"));
}
void BM_ShowPng6000x4000(benchmark::State& state) {
    showInPanel(state, QStringLiteral("photo.png"));
}

// A date update inside the period of a picture that cannot be read (a PSD
// whose first load once allocated 1 GB): the failure is remembered, so each
// step costs a look at the file's size and date.
void BM_ShowFailingPictureAgain(benchmark::State& state) {
    SetMessageHook([](const TMessageRequest&) { return 1; });
    TAevoriumF1 window;
    window.ExeDir = QStringLiteral(AEV_SOURCE_DIR "/tests/fuzz/reproducers/picture/");
    const QString name = QStringLiteral("psd-counts-beyond-data.psd");
    window.ShowPicture(window.Panel2, window.Image1, name);
    for (auto _ : state)
        window.ShowPicture(window.Panel2, window.Image1, name);
    SetMessageHook({});
}

} // namespace

BENCHMARK(BM_ShowJpeg6000x4000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ShowPng6000x4000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ShowFailingPictureAgain)->Unit(benchmark::kMicrosecond);

namespace {

// One hostile picture loaded for a 316 x 176 panel; counters: the growth of
// resident memory at its peak (MB) and whether the picture loaded.
void loadHostile(benchmark::State& state, const QString& path) {
    double peakMb = 0;
    bool loaded = false;
    for (auto _ : state) {
        const qint64 growth = peak::Growth([&] {
            TPicture picture;
            picture.SetMaxDrawSize(QSize(316, 176));
            try {
                picture.LoadFromFile(path);
                loaded = true;
            } catch (const EAevError&) {
                loaded = false;
            }
        });
        peakMb = std::max(peakMb, double(growth) / (1024.0 * 1024.0));
    }
    state.counters["peak_MB"] = peakMb;
    state.counters["loaded"] = loaded ? 1 : 0;
}

// Every file of the reproducers folder (or of AEV_HOSTILE_DIR, for example the
// larger files of tools/make_hostile_pictures.py --issue-sizes).
const bool hostileRegistered = [] {
    QString dir = qEnvironmentVariable("AEV_HOSTILE_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral(AEV_SOURCE_DIR "/tests/fuzz/reproducers/picture");
    const QDir folder(dir);
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
        const QString path = folder.filePath(name);
        benchmark::RegisterBenchmark(("BM_HostilePicture/" + name).toStdString().c_str(),
                                     [path](benchmark::State& state) { loadHostile(state, path); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    return true;
}();

} // namespace
