#pragma once

// The timeline chart laid out in millimetres on its canvas: one band per
// chosen level with a box per unit, the boundary ages below, the events as
// ticks with labels above, title, legend and source. Time runs from left
// (oldest) to right. Plain code: text widths come from a measuring function,
// so the layout is tested without fonts and drawn by any QPainter device.

#include "events/EventList.h"
#include "lesson/ChartModel.h"

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <functional>

struct TChartOptions {
    enum TScale { Linear, PerUnit, Logarithmic };
    enum TPaper { A4, A3, Strip };

    double From = -538.8; // Ma, From < To
    double To = 0.0;
    QString Title;
    bool Levels[ChartLevelCount] = {true, true, true, true, true};
    bool ShowEvents = true;
    TScale Scale = Linear;
    TPaper Paper = A4;
    bool Portrait = false; // A4 and A3; the strip is made of landscape A4 pages
    int StripPages = 0;    // pages of the strip, 0: as many as the chart needs
    QString DataSetName;
};

// The width in mm of `text` written with an em of 1 mm (widths scale with the size).
using TChartMeasure = std::function<double(const QString& text)>;

// A text placed on the canvas. Rect is the area the text covers; a turned
// text reads from bottom to top, its baseline along the rectangle's height.
struct TChartLabel {
    QString Text;
    QRectF Rect;
    double Size = 0.0; // em in mm
    bool Turned = false;
};

struct TChartBox {
    int Column = 0;                // index into TChartLayout::Columns
    int Span = 1;                  // columns covered: a unit with nothing finer below it runs on
    double Start = 0.0, End = 0.0; // Ma, clipped to the interval
    QString Name;                  // the unit's full name (empty when the scale names none)
    quint32 Rgb = 0;
    QRectF Rect;
    // The name, once per page of a strip the box crosses; none when not even
    // an abbreviation fits.
    QVector<TChartLabel> Labels;
    bool Abbreviated = false;
};

struct TChartColumn {
    int Level = 0;
    QRectF Rect;       // the band of the level across the plot
    TChartLabel Label; // the level's name at the left
};

struct TChartEventMark {
    double Date = 0.0;
    QString Text;
    double X = 0.0;          // the tick's place on the time axis
    QVector<QPointF> Leader; // the tick, then on to the label when it has one
    TChartLabel Label;       // empty text when the chart has no room for it
};

struct TChartAge {
    double Date = 0.0;
    QLineF Tick;
    TChartLabel Label;
};

// One printed page: the part of the canvas it shows and where that part goes
// on the paper (mm).
struct TChartPage {
    QSizeF Paper;
    QRectF Source;  // canvas area shown
    QPointF Origin; // paper position of Source's top left
    int Number = 1;
};

struct TChartLayout {
    QSizeF Canvas;
    QRectF Plot; // the time axis runs across Plot's width
    QVector<TChartColumn> Columns;
    QVector<TChartBox> Boxes;
    QVector<TChartAge> Ages;
    // In date order; ticks without label less than 0.1 mm apart are kept once.
    QVector<TChartEventMark> Events;
    int EventsWithoutLabel = 0;
    TChartLabel Title, Legend, Source;
    QVector<TChartPage> Pages;
    double Overlap = 0.0; // strip: the canvas width two neighbouring pages share
    // Strip: the canvas x of the pages' edges inside the canvas (a page after
    // the first is cut at its left edge and laid on the one before, over the
    // overlap). No text crosses an edge, so each page shows its texts whole.
    QVector<double> Edges;
};

// The fixed source line of every chart.
extern const QString ChartSourceLine;

// The time axis of a layout: x on the canvas for a date, per the chosen scale.
class TChartAxis {
public:
    TChartAxis(TChartOptions::TScale scale, double from, double to, double x0, double x1,
               QVector<double> unitBounds = {});
    double X(double date) const;

private:
    TChartOptions::TScale m_scale;
    double m_from, m_to, m_x0, m_x1;
    QVector<double> m_bounds; // PerUnit: ascending dates, one equal step each
};

TChartLayout LayoutChart(const TChartScale& scale, const TEventList& events, const TChartOptions& options,
                         const TChartMeasure& measure);

// The chart's title for a unit ("Phanérozoïque, de 538,8 Ma à 0") or two dates.
QString ChartTitle(const TChartInterval& interval);
