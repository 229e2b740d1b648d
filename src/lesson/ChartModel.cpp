#include "lesson/ChartModel.h"

#include "events/GoToIndex.h"
#include "timescale/AevError.h"
#include "timescale/ColorText.h"
#include "timescale/IniFile.h"
#include "timescale/StrToFloat.h"

#include <cmath>

namespace {

const char* const LevelKeys[ChartLevelCount] = {"eon", "ere", "systeme", "serie", "etage"};
const TScaleColumn LevelColumns[ChartLevelCount] = {colEon, colEre, colSysteme, colSerie, colEtage};

// 0x00BBGGRR as the scale writes colours, to 0xRRGGBB; system colours (top
// bit set) and unreadable texts give no colour.
std::optional<quint32> rgbOfColourText(const QString& text) {
    try {
        const quint32 c = StrToColor(text);
        if (c & 0x80000000u)
            return std::nullopt;
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    } catch (const EAevError&) {
        return std::nullopt;
    }
}

} // namespace

QString ChartLevelName(int level) {
    static const QString names[ChartLevelCount] = {QStringLiteral("Éon"), QStringLiteral("Ère"),
                                                   QStringLiteral("Système"), QStringLiteral("Série"),
                                                   QStringLiteral("Étage")};
    return level >= 0 && level < ChartLevelCount ? names[level] : QString();
}

TChartColours LoadChartColours(const QString& path, const TScaleTable& scale) {
    TChartColours colours;
    try {
        const TIniFile ini(path);
        for (int level = 0; level < ChartLevelCount; ++level) {
            const QString section = QLatin1String(LevelKeys[level]);
            for (const QStringList& row : scale.Rows) {
                const QString name = row.value(LevelColumns[level]).trimmed();
                if (name.isEmpty() || colours.Rgb[level].contains(name))
                    continue;
                if (const auto rgb = rgbOfColourText(ini.ReadString(section, name)))
                    colours.Rgb[level].insert(name, *rgb);
            }
        }
    } catch (const EAevError&) {
        return TChartColours();
    }
    return colours;
}

quint32 TChartScale::ColourOf(int level, const QString& name, const TChartRow& row) const {
    return Colours.Rgb[level].value(name, row.Rgb);
}

TChartScale MakeChartScale(const TScaleTable& scale, const TChartColours& colours) {
    TChartScale out;
    out.Colours = colours;
    for (int r = 0; r < scale.Count(); ++r) {
        const QStringList& cells = scale.Rows[r];
        TChartRow row;
        row.Start = StrToFloatLenient(scale.StartDates.value(r));
        for (int level = 0; level < ChartLevelCount; ++level)
            row.Names[level] = cells.value(LevelColumns[level]).trimmed();
        row.Rgb = rgbOfColourText(cells.value(colCouleur)).value_or(0xC0C0C0);
        out.Rows.push_back(row);
    }
    // Each row lasts until the next one starts; the last until the present
    // (or the dials' end when it starts in the future). Rows of no length
    // (equal start dates) are left out.
    for (int r = 0; r < out.Rows.size(); ++r)
        out.Rows[r].End =
            r + 1 < out.Rows.size() ? out.Rows[r + 1].Start : (out.Rows[r].Start < 0.0 ? 0.0 : HighestDate);
    QVector<TChartRow> kept;
    for (const TChartRow& row : out.Rows)
        if (std::isfinite(row.Start) && row.End > row.Start)
            kept.push_back(row);
    out.Rows = kept;
    return out;
}

TScaleTable ChartNameTable(const TChartScale& scale) {
    TScaleTable names;
    for (const TChartRow& row : scale.Rows) {
        QStringList cells(ScaleColumnCount);
        for (int level = 0; level < ChartLevelCount; ++level)
            cells[LevelColumns[level]] = row.Names[level];
        names.StartDates << QString::number(row.Start);
        names.Rows.push_back(cells);
    }
    return names;
}

std::optional<TChartInterval> FindChartUnit(const TChartScale& scale, const QString& typed) {
    const auto entry = TGoToIndex(ChartNameTable(scale), TEventList()).Find(typed);
    if (!entry)
        return std::nullopt;
    for (int level = 0; level < ChartLevelCount; ++level) {
        TChartInterval found;
        found.Name = entry->Name;
        found.Level = level;
        bool any = false;
        for (const TChartRow& row : scale.Rows) {
            if (row.Names[level] != entry->Name)
                continue;
            found.From = any ? std::min(found.From, row.Start) : row.Start;
            found.To = any ? std::max(found.To, row.End) : row.End;
            any = true;
        }
        if (any)
            return found;
    }
    return std::nullopt;
}

QString FormatChartAge(double date) {
    if (std::fabs(date) < 1e-9)
        return QStringLiteral("0");
    // Up to four significant figures past the point, enough for the chart's
    // boundaries (0,0042; 538,8; 4567).
    QString text = QString::number(std::fabs(date), 'f', std::fabs(date) < 0.1 ? 4 : 3);
    while (text.contains(QLatin1Char('.')) &&
           (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return date > 0 ? QLatin1Char('+') + text : text;
}
