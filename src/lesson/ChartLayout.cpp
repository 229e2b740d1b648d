#include "lesson/ChartLayout.h"

#include "timescale/StrToFloat.h"

#include <algorithm>
#include <cmath>

const QString ChartSourceLine =
    QStringLiteral("Charte chronostratigraphique internationale, ICS v2024/12 — couleurs CGMW");

namespace {

// Paper and the bands of the canvas, in mm.
constexpr double Margin = 10.0;
constexpr double StripOverlap = 12.0;
constexpr double TitleHeight = 11.0;
constexpr double FooterHeight = 11.0;
constexpr double AgesHeight = 14.0;
constexpr double HeaderWidth = 20.0;
constexpr double LineHeight = 1.15; // a line's height for an em of 1
constexpr double Pad = 0.6;         // room kept around a name inside its box
constexpr double MinTextSize = 1.4; // about 4 points: smaller is not read on paper

// Names' sizes per level (em, mm) and the bands' share of the height.
constexpr double NameSize[ChartLevelCount] = {3.4, 3.0, 2.8, 2.5, 2.2};
constexpr double BandWeight[ChartLevelCount] = {1.0, 1.0, 1.2, 1.4, 2.2};

struct TBoxRows {
    int First = 0, Last = 0; // rows of the scale, inclusive
};

// The text, or its longest abbreviation ("Frasn."), that fits `room` mm at
// em `size`; abbreviations keep at least one letter.
std::optional<QString> longestFit(const QString& name, double size, double room, const TChartMeasure& measure,
                                  bool abbreviate) {
    if (measure(name) * size <= room)
        return name;
    if (!abbreviate)
        return std::nullopt;
    auto abbreviation = [&](int k) {
        QString a = name.left(k);
        while (!a.isEmpty() && !a.back().isLetterOrNumber())
            a.chop(1);
        return a.isEmpty() ? a : a + QLatin1Char('.');
    };
    // Widths grow with the kept letters: the longest that fits by halving.
    int lo = 1, hi = int(name.size()) - 1, best = 0;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const QString a = abbreviation(mid);
        if (!a.isEmpty() && measure(a) * size <= room) {
            best = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    if (best == 0)
        return std::nullopt;
    return abbreviation(best);
}

// The name in its box: whole and level, whole and turned, at the level's size
// then smaller; else the longest abbreviation either way; else nothing.
TChartLabel fitName(const QString& name, const QRectF& box, double baseSize, const TChartMeasure& measure,
                    bool* abbreviated) {
    *abbreviated = false;
    if (name.isEmpty())
        return {};
    const double sizes[] = {baseSize, baseSize * 0.8, std::max(MinTextSize, baseSize * 0.65)};
    for (const bool abbreviate : {false, true}) {
        for (const double size : sizes) {
            if (abbreviate && size == baseSize)
                continue;
            for (const bool turned : {false, true}) {
                const double along = (turned ? box.height() : box.width()) - 2 * Pad;
                const double across = (turned ? box.width() : box.height()) - Pad;
                if (size * LineHeight > across || along <= 0)
                    continue;
                const auto text = longestFit(name, size, along, measure, abbreviate);
                if (!text)
                    continue;
                const double w = measure(*text) * size, h = size * LineHeight;
                TChartLabel label;
                label.Text = *text;
                label.Size = size;
                label.Turned = turned;
                const QSizeF extent = turned ? QSizeF(h, w) : QSizeF(w, h);
                label.Rect = QRectF(box.center() - QPointF(extent.width() / 2, extent.height() / 2), extent);
                *abbreviated = abbreviate;
                return label;
            }
        }
    }
    return {};
}

// A text on one line, made smaller until it fits `room` mm (not below the
// smallest size, where it is shortened at a space with "…").
TChartLabel lineLabel(const QString& text, double size, QPointF topLeft, double room,
                      const TChartMeasure& measure) {
    TChartLabel label;
    const double w = measure(text);
    label.Size = w * size > room && w > 0 ? std::max(MinTextSize, room / w) : size;
    label.Text = text;
    if (measure(text) * label.Size > room)
        label.Text = text.left(std::max(1, int(text.size() * room / (measure(text) * label.Size)) - 2)) +
                     QStringLiteral("…");
    label.Rect = QRectF(topLeft, QSizeF(measure(label.Text) * label.Size, label.Size * LineHeight));
    return label;
}

// The text cut after whole words (or letters, for a first word too long) with
// "…" so that it fits `room` mm at em `size`.
QString elide(const QString& text, double size, double room, const TChartMeasure& measure) {
    if (measure(text) * size <= room)
        return text;
    const QString ellipsis = QStringLiteral("…");
    int lo = 0, hi = int(text.size()) - 1, best = 0;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        if (measure(text.left(mid).trimmed() + ellipsis) * size <= room) {
            best = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    QString kept = text.left(best);
    const int space = int(kept.lastIndexOf(QLatin1Char(' ')));
    if (space > 0 && best < text.size() && !text.at(best).isSpace())
        kept = kept.left(space);
    kept = kept.trimmed();
    return kept.isEmpty() ? QString() : kept + ellipsis;
}

// Places labels of width `step` as near as they can be to `wanted` (sorted),
// in order, without overlap, inside [lo, hi]: the least-squares placement
// (pool-adjacent-violators on wanted[i] - i * step).
QVector<double> spread(const QVector<double>& wanted, double step, double lo, double hi) {
    const int n = int(wanted.size());
    struct Block {
        double Sum;
        int Count;
        double Mean() const { return Sum / Count; }
    };
    QVector<Block> blocks;
    const double top = std::max(lo, hi - (n - 1) * step);
    for (int i = 0; i < n; ++i) {
        blocks.push_back({std::clamp(wanted[i] - i * step, lo, top), 1});
        while (blocks.size() > 1 && blocks[blocks.size() - 2].Mean() > blocks.back().Mean()) {
            const Block last = blocks.takeLast();
            blocks.back().Sum += last.Sum;
            blocks.back().Count += last.Count;
        }
    }
    QVector<double> out;
    for (const Block& b : blocks)
        for (int k = 0; k < b.Count; ++k)
            out.push_back(std::clamp(b.Mean(), lo, top) + out.size() * step);
    return out;
}

bool overlaps(double a0, double a1, double b0, double b1) {
    return a0 < b1 && b0 < a1;
}

} // namespace

TChartAxis::TChartAxis(TChartOptions::TScale scale, double from, double to, double x0, double x1,
                       QVector<double> unitBounds)
    : m_scale(scale), m_from(from), m_to(to), m_x0(x0), m_x1(x1), m_bounds(std::move(unitBounds)) {
    if (m_scale == TChartOptions::PerUnit && m_bounds.size() < 2)
        m_scale = TChartOptions::Linear;
}

double TChartAxis::X(double date) const {
    date = std::clamp(date, m_from, m_to);
    double t = 0.0;
    switch (m_scale) {
    case TChartOptions::Linear:
        t = (date - m_from) / (m_to - m_from);
        break;
    case TChartOptions::Logarithmic: {
        // The spiral's view of time: the logarithm of age, the future
        // mirrored beyond the present.
        auto g = [](double d) { return d <= 0 ? -std::log1p(-d) : std::log1p(d); };
        t = (g(date) - g(m_from)) / (g(m_to) - g(m_from));
        break;
    }
    case TChartOptions::PerUnit: {
        const int m = int(m_bounds.size()) - 1;
        int j = int(std::upper_bound(m_bounds.begin(), m_bounds.end(), date) - m_bounds.begin()) - 1;
        j = std::clamp(j, 0, m - 1);
        const double span = m_bounds[j + 1] - m_bounds[j];
        t = (j + (span > 0 ? std::clamp((date - m_bounds[j]) / span, 0.0, 1.0) : 0.0)) / m;
        break;
    }
    }
    return m_x0 + t * (m_x1 - m_x0);
}

QString ChartTitle(const TChartInterval& interval) {
    auto ma = [](double d) {
        const QString age = FormatChartAge(d);
        return age == QLatin1String("0") ? QStringLiteral("aujourd'hui") : age + QStringLiteral(" Ma");
    };
    const QString span = QStringLiteral("de %1 à %2").arg(ma(interval.From), ma(interval.To));
    return interval.Name.isEmpty() ? QStringLiteral("Frise chronologique %1").arg(span)
                                   : QStringLiteral("Frise chronologique : %1, %2").arg(interval.Name, span);
}

TChartLayout LayoutChart(const TChartScale& scale, const TEventList& events, const TChartOptions& options,
                         const TChartMeasure& measure) {
    TChartLayout out;
    const double from = std::min(options.From, options.To);
    const double to = std::max(options.To, from + 1e-6);

    QVector<int> levels;
    for (int l = 0; l < ChartLevelCount; ++l)
        if (options.Levels[l])
            levels.push_back(l);
    if (levels.isEmpty())
        levels = {0, 1, 2, 3, 4};

    // ---- Units: boxes per band, a unit with nothing finer running on ----
    int firstRow = 0, lastRow = -1;
    for (int r = 0; r < scale.Rows.size(); ++r) {
        if (scale.Rows[r].End <= from || scale.Rows[r].Start >= to)
            continue;
        if (lastRow < firstRow)
            firstRow = r;
        lastRow = r;
    }
    QVector<TBoxRows> boxRows;
    QVector<int> cover; // boxes of the current band, oldest first
    auto addBox = [&](int column, const QString& name, quint32 rgb, int r0, int r1) {
        TChartBox b;
        b.Column = column;
        b.Name = name;
        b.Rgb = rgb;
        b.Start = std::max(from, scale.Rows[r0].Start);
        b.End = std::min(to, scale.Rows[r1].End);
        out.Boxes.push_back(b);
        boxRows.push_back({r0, r1});
        return int(out.Boxes.size()) - 1;
    };
    for (int c = 0; c < levels.size(); ++c) {
        const int level = levels[c];
        QVector<int> next;
        if (c == 0) {
            // The first band names each row at its level, else at the nearest
            // coarser level that names it.
            auto nameOf = [&](int r, int* at) {
                for (int l = level; l >= 0; --l)
                    if (!scale.Rows[r].Names[l].isEmpty()) {
                        *at = l;
                        return scale.Rows[r].Names[l];
                    }
                *at = level;
                return QString();
            };
            for (int r = firstRow; r <= lastRow;) {
                int at = level;
                const QString name = nameOf(r, &at);
                int end = r;
                int atNext = level;
                while (end + 1 <= lastRow && nameOf(end + 1, &atNext) == name && atNext == at)
                    ++end;
                next.push_back(addBox(c, name, scale.ColourOf(at, name, scale.Rows[r]), r, end));
                r = end + 1;
            }
        } else {
            for (const int parent : cover) {
                const TBoxRows rows = boxRows[parent];
                bool anyName = false;
                for (int r = rows.First; r <= rows.Last; ++r)
                    anyName = anyName || !scale.Rows[r].Names[level].isEmpty();
                if (!anyName) {
                    ++out.Boxes[parent].Span;
                    next.push_back(parent);
                    continue;
                }
                for (int r = rows.First; r <= rows.Last;) {
                    const QString name = scale.Rows[r].Names[level];
                    int end = r;
                    while (end + 1 <= rows.Last && scale.Rows[end + 1].Names[level] == name)
                        ++end;
                    const quint32 rgb =
                        name.isEmpty() ? out.Boxes[parent].Rgb : scale.ColourOf(level, name, scale.Rows[r]);
                    next.push_back(addBox(c, name, rgb, r, end));
                    r = end + 1;
                }
            }
        }
        cover = next;
    }

    // ---- Events inside the interval, in date order ----
    struct TShown {
        double Date;
        QString Text;
    };
    QVector<TShown> shown;
    if (options.ShowEvents) {
        for (int i = 0; i < events.Count(); ++i) {
            const double d = StrToFloatLenient(events.Date(i));
            const QString text = events.Text(i).simplified();
            if (d >= from && d <= to && !text.isEmpty())
                shown.push_back({d, text});
        }
        std::stable_sort(shown.begin(), shown.end(),
                         [](const TShown& a, const TShown& b) { return a.Date < b.Date; });
    }
    // ---- Paper and canvas ----
    const bool strip = options.Paper == TChartOptions::Strip;
    QSizeF paper = options.Paper == TChartOptions::A3 ? QSizeF(420, 297) : QSizeF(297, 210);
    if (options.Portrait && !strip)
        paper.transpose();
    const double printable = paper.width() - 2 * Margin;
    int pages = 1;
    if (strip) {
        pages = options.StripPages;
        if (pages <= 0) {
            // Enough room for every unit of the finest band at 9 mm, or for
            // every event label, on at least three pages.
            const double need = std::max(cover.size() * (options.Scale == TChartOptions::Linear ? 0.0 : 9.0),
                                         shown.size() * 2.9);
            pages = int(std::ceil((need + HeaderWidth + StripOverlap) / (printable - StripOverlap)));
            pages = std::max(3, pages);
        }
        pages = std::clamp(pages, 2, 30);
        out.Overlap = StripOverlap;
    }
    out.Canvas = QSizeF(pages * printable - (pages - 1) * out.Overlap, paper.height() - 2 * Margin);
    for (int p = 0; p < pages; ++p)
        out.Pages.push_back({paper, QRectF(p * (printable - out.Overlap), 0, printable, out.Canvas.height()),
                             QPointF(Margin, Margin), p + 1});
    const double W = out.Canvas.width(), H = out.Canvas.height();
    for (int p = 0; p + 1 < pages; ++p)
        out.Edges << out.Pages[p + 1].Source.left() << out.Pages[p].Source.right();
    auto crossesEdge = [&out](double x0, double x1) {
        return std::any_of(out.Edges.begin(), out.Edges.end(), [&](double s) { return x0 < s && s < x1; });
    };
    // Inside the part two pages share (covered once the strip is assembled).
    auto inOverlap = [&out](double x0, double x1) {
        for (int p = 0; p + 1 < out.Pages.size(); ++p)
            if (x0 >= out.Pages[p + 1].Source.left() && x1 <= out.Pages[p].Source.right())
                return true;
        return false;
    };

    const double eventsHeight = shown.isEmpty() ? 0.0 : std::clamp(H * 0.3, 28.0, 80.0);
    const double bandsTop = TitleHeight + eventsHeight;
    const double bandsBottom = H - FooterHeight - AgesHeight;
    out.Plot = QRectF(HeaderWidth + 1, bandsTop, W - HeaderWidth - 3, bandsBottom - bandsTop);

    // ---- The time axis ----
    QVector<double> bounds;
    for (const int b : cover)
        bounds.push_back(out.Boxes[b].Start);
    if (!cover.isEmpty())
        bounds.push_back(out.Boxes[cover.back()].End);
    const TChartAxis axis(options.Scale, from, to, out.Plot.left(), out.Plot.right(), bounds);

    // ---- Bands and boxes ----
    double weights = 0;
    for (const int l : levels)
        weights += BandWeight[l];
    double y = bandsTop;
    for (const int l : levels) {
        TChartColumn column;
        column.Level = l;
        const double h = out.Plot.height() * BandWeight[l] / weights;
        column.Rect = QRectF(out.Plot.left(), y, out.Plot.width(), h);
        bool abbreviated = false;
        column.Label = fitName(ChartLevelName(l), QRectF(0, y, HeaderWidth, h), 2.6, measure, &abbreviated);
        out.Columns.push_back(column);
        y += h;
    }
    for (TChartBox& b : out.Boxes) {
        const QRectF first = out.Columns[b.Column].Rect, last = out.Columns[b.Column + b.Span - 1].Rect;
        b.Rect = QRectF(QPointF(axis.X(b.Start), first.top()), QPointF(axis.X(b.End), last.bottom()));
        // One name per piece of the box between page edges; the pieces two
        // pages share only when no other piece takes the name.
        QVector<double> cuts{b.Rect.left()};
        for (const double edge : out.Edges)
            if (edge > b.Rect.left() && edge < b.Rect.right())
                cuts.push_back(edge);
        cuts.push_back(b.Rect.right());
        std::sort(cuts.begin(), cuts.end());
        for (const bool shared : {false, true}) {
            if (shared && !b.Labels.isEmpty())
                break;
            for (int i = 0; i + 1 < cuts.size(); ++i) {
                if (cuts[i + 1] <= cuts[i] || inOverlap(cuts[i], cuts[i + 1]) != shared)
                    continue;
                bool abbreviated = false;
                const QRectF piece(QPointF(cuts[i], b.Rect.top()), QPointF(cuts[i + 1], b.Rect.bottom()));
                const TChartLabel label =
                    fitName(b.Name, piece, NameSize[levels[b.Column]], measure, &abbreviated);
                if (label.Text.isEmpty())
                    continue;
                b.Labels.push_back(label);
                b.Abbreviated = b.Abbreviated || abbreviated;
                if (shared)
                    break;
            }
        }
    }

    // ---- Boundary ages below the bands, coarse boundaries first ----
    struct TBoundary {
        double Date;
        int Rank;
    };
    QVector<TBoundary> boundaries{{from, -1}, {to, -1}};
    for (const TChartBox& b : out.Boxes)
        boundaries.push_back({b.Start, b.Column});
    std::stable_sort(boundaries.begin(), boundaries.end(),
                     [](const TBoundary& a, const TBoundary& b) { return a.Rank < b.Rank; });
    const double ageSize = 1.9, ageGap = 0.3;
    QVector<double> taken;
    for (const TBoundary& bound : boundaries) {
        if (std::any_of(out.Ages.begin(), out.Ages.end(),
                        [&](const TChartAge& a) { return a.Date == bound.Date; }))
            continue;
        const double x = axis.X(bound.Date);
        TChartAge age;
        age.Date = bound.Date;
        age.Tick = QLineF(x, bandsBottom, x, bandsBottom + 1.2);
        age.Label.Text = FormatChartAge(bound.Date);
        age.Label.Size = ageSize;
        age.Label.Turned = true;
        const double len = measure(age.Label.Text) * ageSize, thick = ageSize * LineHeight;
        age.Label.Rect = QRectF(x - thick / 2, bandsBottom + 1.6, thick, len);
        const double x0 = age.Label.Rect.left() - ageGap, x1 = age.Label.Rect.right() + ageGap;
        if (x0 < 0 || x1 > W || crossesEdge(x0, x1) ||
            std::any_of(out.Ages.begin(), out.Ages.end(), [&](const TChartAge& a) {
                return overlaps(x0, x1, a.Label.Rect.left(), a.Label.Rect.right());
            }))
            continue;
        out.Ages.push_back(age);
    }
    std::sort(out.Ages.begin(), out.Ages.end(),
              [](const TChartAge& a, const TChartAge& b) { return a.Date < b.Date; });

    // ---- Events: ticks on the bands' top, labels turned above them ----
    if (!shown.isEmpty()) {
        const double width = out.Plot.width();
        double size = 2.2, step = size * LineHeight * 1.1;
        const int n = int(shown.size());
        if (n * step > width) {
            size = std::max(1.5, width / (n * LineHeight * 1.1));
            step = size * LineHeight * 1.1;
        }
        // Room for `room` labels: the others keep their tick, labels being
        // given to events spread evenly through the list.
        const int room = std::max(1, std::min(n, int(width / step)));
        QVector<bool> labelled(n, room == n);
        if (room < n)
            for (int k = 0; k < room; ++k)
                labelled[room == 1 ? 0 : int(std::lround(double(k) * (n - 1) / (room - 1)))] = true;
        QVector<double> wanted;
        for (int i = 0; i < n; ++i)
            if (labelled[i])
                wanted.push_back(axis.X(shown[i].Date));
        QVector<double> placed =
            spread(wanted, step, out.Plot.left() + step / 2, out.Plot.right() - step / 2);
        // A label on a page edge moves off it; when that brings it onto its
        // neighbour it is left out.
        const double thick = size * LineHeight;
        for (int i = 0; i < placed.size(); ++i) {
            for (const double edge : out.Edges)
                if (placed[i] - thick / 2 < edge && edge < placed[i] + thick / 2)
                    placed[i] = placed[i] < edge ? edge - thick / 2 - 0.05 : edge + thick / 2 + 0.05;
        }
        for (int i = 0; i < placed.size(); ++i) {
            const bool clash = (i > 0 && placed[i] - placed[i - 1] < thick) ||
                               (i + 1 < placed.size() && placed[i + 1] - placed[i] < thick);
            if (clash || crossesEdge(placed[i] - thick / 2, placed[i] + thick / 2))
                placed[i] = std::nan("");
        }
        // The leaders' slanted part is steeper the further labels had to move,
        // so that crowded leaders stay apart.
        double shift = 0.0;
        for (int i = 0, j = 0; i < n; ++i)
            if (labelled[i] && !std::isnan(placed[j++]))
                shift = std::max(shift, std::fabs(placed[j - 1] - axis.X(shown[i].Date)));
        const double slant = std::clamp(shift * 0.25, 4.0, std::max(4.0, std::min(16.0, eventsHeight * 0.3)));
        const double top = bandsTop, foot = top - 2.5 - slant, length = eventsHeight - slant - 4.5;
        int k = 0, lastBareTick = -1;
        for (int i = 0; i < n; ++i) {
            TChartEventMark mark;
            mark.Date = shown[i].Date;
            mark.Text = shown[i].Text;
            mark.X = axis.X(mark.Date);
            mark.Leader = {QPointF(mark.X, top), QPointF(mark.X, top - 1.5)};
            const double p = labelled[i] ? placed[k++] : std::nan("");
            if (!std::isnan(p)) {
                mark.Leader << QPointF(p, foot + 1.0) << QPointF(p, foot);
                mark.Label.Text = elide(mark.Text, size, length, measure);
                mark.Label.Size = size;
                mark.Label.Turned = true;
                const double len = measure(mark.Label.Text) * size;
                mark.Label.Rect = QRectF(p - thick / 2, foot - len, thick, len);
            } else {
                ++out.EventsWithoutLabel;
                // Ticks without label closer than a tenth of a millimetre to
                // the last one are one tick on paper: a list of millions of
                // events gives a chart of a few thousand marks.
                if (lastBareTick >= 0 && mark.X - out.Events[lastBareTick].X < 0.1)
                    continue;
                lastBareTick = int(out.Events.size());
            }
            out.Events.push_back(mark);
        }
    }

    // ---- Title, legend and source ----
    const QString title = options.Title.isEmpty() ? ChartTitle({from, to, QString(), -1}) : options.Title;
    out.Title = lineLabel(title, 5.0, QPointF(0, 1), std::min(W, out.Pages.first().Source.width()), measure);
    static const char* const scaleNames[] = {"linéaire", "une case par unité", "logarithmique"};
    QString legend = QStringLiteral("Bandes de gauche : ");
    for (int c = 0; c < levels.size(); ++c)
        legend += (c ? QStringLiteral(", ") : QString()) + ChartLevelName(levels[c]);
    legend += QStringLiteral(" · âges des limites en millions d'années (Ma) · échelle %1")
                  .arg(QString::fromUtf8(scaleNames[options.Scale]));
    if (!shown.isEmpty())
        legend += QStringLiteral(" · traits du haut : événements");
    const double footerRoom = out.Pages.first().Source.width();
    out.Legend = lineLabel(legend, 2.3, QPointF(0, H - FooterHeight + 1.5), footerRoom, measure);
    QString source = ChartSourceLine;
    if (!options.DataSetName.isEmpty())
        source += QStringLiteral(" · Données : ") + options.DataSetName;
    out.Source = lineLabel(source, 2.3, QPointF(0, H - FooterHeight + 5.5), footerRoom, measure);
    return out;
}
