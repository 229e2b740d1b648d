#pragma once

// Drawing the timeline chart through QPainter, so that one layout gives the
// PDF (QPdfWriter: vector, fonts embedded) and the SVG (QSvgGenerator).

#include "lesson/ChartLayout.h"

class QIODevice;
class QPainter;

// Widths of texts in the chart's font (Liberation Sans, metric-compatible
// with Arial), for LayoutChart. Needs a QGuiApplication.
TChartMeasure ChartFontMeasure();

// Draws page `page` of the layout with the painter's origin at the paper's top
// left corner; `dotsPerMm` is the device's resolution. Strip pages carry their
// assembly marks.
void DrawChartPage(QPainter& painter, const TChartLayout& layout, int page, double dotsPerMm);

// Writes the chart's pages as a PDF, or the whole canvas as one SVG picture
// with a margin. False, with the reason in French, when the device refuses.
bool WriteChartPdf(const TChartLayout& layout, QIODevice* device, const QString& title, QString* error);
bool WriteChartSvg(const TChartLayout& layout, QIODevice* device, const QString& title, QString* error);
