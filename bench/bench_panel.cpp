// Instrument-panel widgets and the credits reader: the costs paid at each date
// change (calendar text, gauge) and once at start-up (credits document).
#include "app/RtfReader.h"
#include "widgets/TImageSlider.h"
#include "widgets/TLEDLabel.h"
#include "widgets/TScrewPanel.h"

#include <QPainter>
#include <QTextDocument>
#include <benchmark/benchmark.h>

namespace {

void configureDateLabel(TLEDLabel& label) {
    label.resize(435, 25);
    TBevelFrame bevel;
    bevel.StyleInner = TBevelStyle::bvLowered;
    bevel.BorderColor = cl::Teal;
    bevel.BorderInnerWidth = 3;
    label.SetBevel(bevel);
    label.SetColor(cl::Teal);
    label.LED().SetActiveColor(cl::Aqua);
    label.LED().SetHorzsize(8);
    label.LED().SetInActiveColor(cl::Teal);
    label.LED().SetThickness(1);
    label.LED().SetVertsize(5);
}

void BM_LEDLabelPaint(benchmark::State& state) {
    TLEDLabel label;
    configureDateLabel(label);
    label.SetCaption(QStringLiteral("31 Decembre 23h59:59 FUTUR"));
    QImage img(label.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&img);
        label.paintTo(p);
    }
}
BENCHMARK(BM_LEDLabelPaint);

void BM_GaugeSetValueAndPaint(benchmark::State& state) {
    TImageSlider gauge;
    gauge.resize(822, 42);
    gauge.SetBevelStyle(bvLowered);
    gauge.SetMinValue(-4550);
    gauge.SetMaxValue(30);
    gauge.SetIncrement(1);
    gauge.SetEdgeSize(0);
    gauge.SetNumThumbStates(1);
    gauge.SetOptions(soSmooth | soRulerOpaque | soThumbOpaque);
    QImage thumb(3, 40, QImage::Format_ARGB32);
    thumb.fill(Qt::red);
    gauge.SetImage(TImageSlider::ImageHThumb, thumb);
    QImage ruler(820, 40, QImage::Format_RGB32);
    ruler.fill(Qt::darkGreen);
    gauge.SetImage(TImageSlider::ImageHRuler, ruler);
    QImage img(gauge.size(), QImage::Format_ARGB32_Premultiplied);
    int v = -4550;
    for (auto _ : state) {
        gauge.SetValue(v);
        v = v >= 30 ? -4550 : v + 7;
        QPainter p(&img);
        gauge.paintTo(p);
    }
}
BENCHMARK(BM_GaugeSetValueAndPaint);

void BM_ScrewPanelPaint(benchmark::State& state) {
    TScrewPanel panel;
    panel.resize(898, 201);
    panel.SetBevelInner(bvRaised);
    panel.SetBevelOuter(bvLowered);
    panel.SetMargin(3);
    panel.SetScrewSize(4);
    QImage img(panel.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&img);
        panel.paintTo(p);
    }
}
BENCHMARK(BM_ScrewPanelPaint);

void BM_ReadRtfCredits(benchmark::State& state) {
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green128\\blue128;}";
    for (int i = 0; i < 100; ++i)
        rtf += "\\pard\\qc{\\b\\fs28 Cr\\'e9dits}\\par\\pard {\\cf1 Sc\\'e9nario} : \\i quelqu'un\\i0\\tab "
               "\\u8364? fin de ligne\\par";
    rtf += "}";
    for (auto _ : state) {
        QTextDocument doc;
        benchmark::DoNotOptimize(ReadRtf(rtf, doc));
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_ReadRtfCredits);

} // namespace
