// Reading and writing a spreadsheet of events: 100 000 rows, as LibreOffice
// Calc writes them in French settings.
#include "events/EventCsv.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray rows(int count) {
    QByteArray bytes = "\xEF\xBB\xBF" "Date (Ma);Événement\r\n";
    for (int i = 0; i < count; ++i)
        bytes += "-" + QByteArray::number(i % 4500) + ",125;\"Événement n° " + QByteArray::number(i) +
                 " ; avec un point-virgule\"\r\n";
    return bytes;
}

void BM_ReadEventCsv(benchmark::State& state) {
    const QByteArray bytes = rows(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadEventCsv(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_WriteEventCsv(benchmark::State& state) {
    const TEventList events = ReadEventCsv(rows(int(state.range(0)))).Events;
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteEventCsv(events));
}

} // namespace

BENCHMARK(BM_ReadEventCsv)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WriteEventCsv)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
