// Hostile data files: a data-set index of 300 000 sections and one with a
// section name of 50 MB, read as at start-up (the names, then one key of each
// set), and an event list of 20 000 events saved into its own file.
#include "events/EventFile.h"
#include "timescale/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QString writeOnce(QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (!QFile::exists(path)) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    return path;
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

} // namespace

static void BM_IndexOf300000Sections(benchmark::State& state) {
    QByteArray bytes;
    for (int k = 0; k < 300000; ++k)
        bytes += "[Jeu " + QByteArray::number(k) + "]\r\nEchelle=e.ini\r\nEvenement=v.ini\r\n";
    const QString path = writeOnce(folder(), "many.ini", bytes);
    for (auto _ : state) {
        const TIniFile ini(path);
        const QStringList names = ini.ReadSections();
        for (const QString& n : names)
            benchmark::DoNotOptimize(ini.ReadString(n, QStringLiteral("Echelle")));
    }
}
BENCHMARK(BM_IndexOf300000Sections)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

static void BM_SectionNameOf50MB(benchmark::State& state) {
    const QString path =
        writeOnce(folder(), "long.ini", "[" + QByteArray(50 * 1024 * 1024, 'N') + "]\r\nEchelle=e.ini\r\n");
    for (auto _ : state) {
        const TIniFile ini(path);
        const QStringList names = ini.ReadSections();
        for (int i = 0; i < 1000; ++i)
            benchmark::DoNotOptimize(ini.ReadString(names.value(0), QStringLiteral("Echelle")));
    }
}
BENCHMARK(BM_SectionNameOf50MB)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

static void BM_SaveEventsIntoTheirFile(benchmark::State& state) {
    TEventList list;
    for (int i = 0; i < 20000; ++i)
        list.Append(FormatDateText(-4550.0 + i * 0.2), QStringLiteral("Evénement %1").arg(i));
    const QString path = folder().filePath(QStringLiteral("events.aev"));
    SaveEventFile(path, list);
    int round = 0;
    for (auto _ : state) {
        list.SetText(0, QString::number(++round)); // one change, so that the file is written
        SaveEventFile(path, list);
    }
}
BENCHMARK(BM_SaveEventsIntoTheirFile)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
