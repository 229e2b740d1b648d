#pragma once

// What the timeline chart is drawn from: the rows of the scale with their
// names at each of the five levels and their colours, and the units a name
// designates. Plain QtCore code, no drawing.

#include "timescale/ScaleTable.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <optional>

// The five levels of the chart, coarse first: Éon, Ère, Système, Série, Étage.
constexpr int ChartLevelCount = 5;
// Their French names as the chart and its dialog show them.
QString ChartLevelName(int level);

// The chart colour (0xRRGGBB) of each unit by level and French name, from
// "Couleurs.ini" (one section per level, "eon" to "etage", key = name).
struct TChartColours {
    QHash<QString, quint32> Rgb[ChartLevelCount];
};
// The colours of the units `scale` names. A missing or unreadable file gives
// no colours (the rows' own colours then serve).
TChartColours LoadChartColours(const QString& path, const TScaleTable& scale);

// One row of the scale: a span of time with its name at each level (empty
// where the scale names none) and its colour.
struct TChartRow {
    double Start = 0.0; // Ma, negative in the past
    double End = 0.0;   // the next row's start; the last row ends at the present
    QString Names[ChartLevelCount];
    quint32 Rgb = 0xC0C0C0;
};

struct TChartScale {
    QVector<TChartRow> Rows; // sorted by start, each ending where the next begins
    TChartColours Colours;
    // The colour of `name` at `level`: the colour table's, else the row's own.
    quint32 ColourOf(int level, const QString& name, const TChartRow& row) const;
};

TChartScale MakeChartScale(const TScaleTable& scale, const TChartColours& colours);

// The rows' names as a scale table (the other columns empty), for the index
// of names "Aller à" uses.
TScaleTable ChartNameTable(const TChartScale& scale);

// A stretch of time to draw, From < To in Ma, with the unit that gave it.
struct TChartInterval {
    double From = 0.0;
    double To = 0.0;
    QString Name;   // the unit's name, empty for two typed dates
    int Level = -1; // the unit's level
};

// The unit a typed name designates (matched as "Aller à" matches, without
// regard to case or accents, coarse levels first) and the span of its rows.
std::optional<TChartInterval> FindChartUnit(const TChartScale& scale, const QString& typed);

// A date in Ma as the chart writes an age: "538,8", "0,0117", "0"; future
// dates with a plus sign ("+10").
QString FormatChartAge(double date);
