// The timeline chart of the whole scale (117 rows, five levels) with the
// 190 events of the four event sets: its layout alone, and the layout written
// as a PDF in memory, per paper. Target: under 200 ms for the whole chart.
#include "events/EventFile.h"
#include "lesson/draw/ChartDrawing.h"

#include <QBuffer>
#include <benchmark/benchmark.h>

namespace {

struct TFullChart {
    TChartScale Scale;
    TEventList Events;
    TChartOptions Options;
};

TFullChart FullChart(TChartOptions::TPaper paper) {
    const QString dir = QStringLiteral(AEV_SOURCE_DIR "/data/");
    const TScaleTable table = LoadScaleFile(dir + "Echelle.ini");
    TFullChart c;
    c.Scale = MakeChartScale(table, LoadChartColours(dir + "Couleurs.ini", table));
    for (const char* name :
         {"Evenement.ini", "Evenement_vie.ini", "Evenement_crises.ini", "Evenement_homme.ini"}) {
        const TEventList part = LoadEventFile(dir + name);
        for (int i = 0; i < part.Count(); ++i)
            c.Events.Append(part.Date(i), part.Text(i));
    }
    c.Options.From = c.Scale.Rows.first().Start;
    c.Options.To = 0.0;
    c.Options.Paper = paper;
    c.Options.Scale = TChartOptions::PerUnit;
    return c;
}

void BM_ChartLayout(benchmark::State& state) {
    const TFullChart c = FullChart(TChartOptions::TPaper(state.range(0)));
    for (auto _ : state) {
        // A new measure each time: its cache of widths is part of the work.
        const TChartLayout layout = LayoutChart(c.Scale, c.Events, c.Options, ChartFontMeasure());
        benchmark::DoNotOptimize(layout.Boxes.size());
    }
}
BENCHMARK(BM_ChartLayout)->Arg(TChartOptions::A4)->Arg(TChartOptions::Strip)->Unit(benchmark::kMillisecond);

void BM_ChartPdf(benchmark::State& state) {
    const TFullChart c = FullChart(TChartOptions::TPaper(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const TChartLayout layout = LayoutChart(c.Scale, c.Events, c.Options, ChartFontMeasure());
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteChartPdf(layout, &buffer, QStringLiteral("Frise"), nullptr);
        bytes = buffer.size();
    }
    state.counters["pdf_kB"] = double(bytes) / 1024;
}
BENCHMARK(BM_ChartPdf)->Arg(TChartOptions::A4)->Arg(TChartOptions::Strip)->Unit(benchmark::kMillisecond);

} // namespace
