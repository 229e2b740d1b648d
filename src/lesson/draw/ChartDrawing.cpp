#include "lesson/draw/ChartDrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QIODevice>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <memory>

namespace {

const QString FontFamily = QStringLiteral("Liberation Sans");
constexpr double MeasureSize = 100.0; // pixels: the em at which widths are measured
// Margin around the SVG picture, and the paper margin of strip marks (mm).
constexpr double SvgMargin = 10.0;

QFont chartFont(double emPixels) {
    QFont font(FontFamily);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(int(emPixels));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

// Dark colours take white names.
QColor textColourOn(quint32 rgb) {
    const QColor c = QColor::fromRgb(rgb);
    return 0.299 * c.redF() + 0.587 * c.greenF() + 0.114 * c.blueF() < 0.45 ? Qt::white : Qt::black;
}

class TPageDrawer {
public:
    TPageDrawer(QPainter& painter, double dotsPerMm, QPointF offset, QRectF visible)
        : p(painter), k(dotsPerMm), m_offset(offset), m_visible(visible) {}

    QPointF at(QPointF mm) const { return (mm + m_offset) * k; }
    QRectF at(const QRectF& mm) const { return QRectF(at(mm.topLeft()), mm.size() * k); }
    bool shows(const QRectF& mm) const { return m_visible.intersects(mm.adjusted(-1, -1, 1, 1)); }
    QPen pen(double widthMm, const QColor& colour = Qt::black) const {
        QPen pen(colour, widthMm * k);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        return pen;
    }

    void text(const TChartLabel& label, const QColor& colour = Qt::black) {
        if (label.Text.isEmpty() || !shows(label.Rect))
            return;
        // The em in points: the device turns them into its own dots.
        QFont font = chartFont(MeasureSize);
        font.setPointSizeF(label.Size * 72.0 / 25.4);
        p.setFont(font);
        p.setPen(colour);
        const QRectF r = at(label.Rect);
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip | Qt::TextSingleLine;
        if (!label.Turned) {
            p.drawText(r, flags, label.Text);
            return;
        }
        p.save();
        p.translate(r.bottomLeft());
        p.rotate(-90);
        p.drawText(QRectF(0, 0, r.height(), r.width()), flags, label.Text);
        p.restore();
    }

    QPainter& p;
    double k;

private:
    QPointF m_offset;
    QRectF m_visible;
};

void drawCanvas(TPageDrawer& d, const TChartLayout& layout) {
    QPainter& p = d.p;
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const TChartColumn& c : layout.Columns)
        d.text(c.Label);
    for (const TChartBox& b : layout.Boxes) {
        if (!d.shows(b.Rect))
            continue;
        p.setPen(d.pen(0.15));
        p.setBrush(QColor::fromRgb(b.Rgb));
        p.drawRect(d.at(b.Rect));
        for (const TChartLabel& label : b.Labels)
            d.text(label, textColourOn(b.Rgb));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(d.pen(0.15));
    for (const TChartAge& a : layout.Ages) {
        if (!d.shows(a.Label.Rect))
            continue;
        p.drawLine(QLineF(d.at(a.Tick.p1()), d.at(a.Tick.p2())));
        d.text(a.Label);
    }
    for (const TChartEventMark& e : layout.Events) {
        QRectF extent(e.Leader.first(), QSizeF(0, 0));
        for (const QPointF& q : e.Leader)
            extent = extent.united(QRectF(q, QSizeF(0, 0)));
        if (!d.shows(extent))
            continue;
        p.setPen(d.pen(0.12, QColor(0x40, 0x40, 0x40)));
        QPolygonF leader;
        for (const QPointF& q : e.Leader)
            leader << d.at(q);
        p.drawPolyline(leader);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(d.at(e.Leader.first()), 0.35 * d.k, 0.35 * d.k);
        p.setBrush(Qt::NoBrush);
        d.text(e.Label);
    }
    d.text(layout.Title);
    d.text(layout.Legend);
    d.text(layout.Source);
}

// A registration cross centred on `c` (paper mm).
void cross(QPainter& p, double k, QPointF c) {
    const double r = 3.0;
    p.drawLine(QLineF((c - QPointF(r, 0)) * k, (c + QPointF(r, 0)) * k));
    p.drawLine(QLineF((c - QPointF(0, r)) * k, (c + QPointF(0, r)) * k));
}

// The strip's marks in the paper's margins: page number, where this page is
// cut (left) and where the next one is laid (right), crosses to line them up.
void drawAssemblyMarks(QPainter& p, const TChartLayout& layout, int page, double k) {
    const TChartPage& pg = layout.Pages[page];
    const int n = int(layout.Pages.size());
    const double top = pg.Origin.y() / 2, bottom = pg.Paper.height() - pg.Origin.y() / 2;
    const double left = pg.Origin.x(), right = pg.Origin.x() + pg.Source.width() - layout.Overlap;
    QPen pen(Qt::black, 0.2 * k);
    p.setPen(pen);
    auto note = [&](const QString& text, QPointF topLeft) {
        TChartLabel l;
        l.Text = text;
        l.Size = 2.2;
        l.Rect = QRectF(topLeft, QSizeF(150, 2.6));
        TPageDrawer(p, k, QPointF(), QRectF(QPointF(), pg.Paper)).text(l);
    };
    note(QStringLiteral("Frise en bande : page %1 sur %2").arg(pg.Number).arg(n),
         QPointF(pg.Paper.width() - 75, pg.Paper.height() - 6.5));
    if (page > 0) {
        cross(p, k, QPointF(left, top));
        cross(p, k, QPointF(left, bottom));
        QPen cut = pen;
        cut.setDashPattern({6, 4});
        p.setPen(cut);
        p.drawLine(QLineF(QPointF(left, 0) * k, QPointF(left, pg.Paper.height()) * k));
        p.setPen(pen);
        note(
            QStringLiteral("✂ Couper le long du trait, puis poser sur la page %1, croix sur croix").arg(page),
            QPointF(left + 4, 1.5));
    }
    if (page + 1 < n) {
        cross(p, k, QPointF(right, top));
        cross(p, k, QPointF(right, bottom));
        QPen dotted = pen;
        dotted.setDashPattern({1, 3});
        p.setPen(dotted);
        p.drawLine(QLineF(QPointF(right, pg.Origin.y()) * k,
                          QPointF(right, pg.Origin.y() + pg.Source.height()) * k));
        p.setPen(pen);
        note(QStringLiteral("La page %1 se pose ici →").arg(page + 2), QPointF(right - 62, 1.5));
    }
}

} // namespace

TChartMeasure ChartFontMeasure() {
    auto metrics = std::make_shared<QFontMetricsF>(chartFont(MeasureSize));
    auto cache = std::make_shared<QHash<QString, double>>();
    return [metrics, cache](const QString& text) {
        auto it = cache->constFind(text);
        if (it != cache->constEnd())
            return *it;
        // A little room for the difference between the measuring and the
        // drawing device.
        const double w = metrics->horizontalAdvance(text) / MeasureSize * 1.03;
        cache->insert(text, w);
        return w;
    };
}

void DrawChartPage(QPainter& painter, const TChartLayout& layout, int page, double dotsPerMm) {
    if (page < 0 || page >= layout.Pages.size())
        return;
    const TChartPage& pg = layout.Pages[page];
    TPageDrawer drawer(painter, dotsPerMm, pg.Origin - pg.Source.topLeft(), pg.Source);
    painter.save();
    painter.setClipRect(QRectF(pg.Origin * dotsPerMm, pg.Source.size() * dotsPerMm));
    drawCanvas(drawer, layout);
    painter.restore();
    if (layout.Pages.size() > 1)
        drawAssemblyMarks(painter, layout, page, dotsPerMm);
}

bool WriteChartPdf(const TChartLayout& layout, QIODevice* device, const QString& title, QString* error) {
    if (layout.Pages.isEmpty())
        return false;
    QPdfWriter pdf(device);
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("Aevorium"));
    pdf.setResolution(600);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setPageSize(QPageSize(layout.Pages.first().Paper, QPageSize::Millimeter));
    QPainter painter;
    if (!painter.begin(&pdf)) {
        if (error)
            *error = QStringLiteral("le fichier PDF ne peut pas être écrit");
        return false;
    }
    const double k = pdf.resolution() / 25.4;
    for (int i = 0; i < layout.Pages.size(); ++i) {
        if (i > 0)
            pdf.newPage();
        DrawChartPage(painter, layout, i, k);
    }
    return painter.end();
}

bool WriteChartSvg(const TChartLayout& layout, QIODevice* device, const QString& title, QString* error) {
    constexpr double k = 10.0; // SVG units per mm (254 dots per inch)
    const QSizeF size = layout.Canvas + QSizeF(2 * SvgMargin, 2 * SvgMargin);
    QSvgGenerator svg;
    svg.setOutputDevice(device);
    svg.setResolution(254);
    svg.setSize((size * k).toSize());
    svg.setViewBox(QRectF(QPointF(), size * k));
    svg.setTitle(title);
    svg.setDescription(layout.Source.Text);
    QPainter painter;
    if (!painter.begin(&svg)) {
        if (error)
            *error = QStringLiteral("le fichier SVG ne peut pas être écrit");
        return false;
    }
    TPageDrawer drawer(painter, k, QPointF(SvgMargin, SvgMargin), QRectF(QPointF(), layout.Canvas));
    drawCanvas(drawer, layout);
    return painter.end();
}
