#include "widgets/TLEDCharSet.h"

#include "widgets/PixelLine.h"

#include <QBrush>
#include <QPainter>
#include <cmath>

namespace {

// Rounding half to even, as the geometry wants (round(1.5) = 2, round(0.5) = 0).
int roundEven(double v) {
    return int(std::nearbyint(v));
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

QPolygon horizontalBar(int x, int y, int e, int d) {
    return QPolygon({QPoint(x, y + d), QPoint(x + d, y), QPoint(x + d + e, y), QPoint(x + 2 * d + e, y + d),
                     QPoint(x + d + e, y + 2 * d), QPoint(x + d, y + 2 * d)});
}

QPolygon verticalBar(int x, int y, int e, int d) {
    return QPolygon({QPoint(x + e, y), QPoint(x + 2 * e, y + e), QPoint(x + 2 * e, y + e + d),
                     QPoint(x + e, y + 2 * e + d), QPoint(x, y + e + d), QPoint(x, y + e)});
}

QPolygon diagonal(int x, int y, int e, int d, int c) {
    if (e == 0 || d == 0)
        return QPolygon();
    const int e1 = roundEven(sign(e) * c / 2.0), d1 = roundEven(sign(d) * c / 2.0);
    return QPolygon({QPoint(x, y), QPoint(x + e1, y), QPoint(x + e, y + d - d1), QPoint(x + e, y + d),
                     QPoint(x + e - e1, y + d), QPoint(x, y + d1)});
}

QPolygon dot(int x, int y, int e, int d) {
    return QPolygon({QPoint(x + e, y - 1), QPoint(x + e, y + d - 1), QPoint(x, y + d - 1), QPoint(x, y - 1)});
}

// The closed outline of a polygon as a 1-pixel pen draws it, every corner included.
QVector<QPoint> outlinePixels(const QPolygon& polygon) {
    QVector<QPoint> pixels;
    for (int i = 0; i < polygon.size(); ++i)
        pixels += LinePixels(polygon[i], polygon[(i + 1) % polygon.size()], true);
    return pixels;
}

struct Glyph {
    char c;
    quint16 mask;
};

constexpr Glyph kGlyphs[] = {
    {'"', 0x0082}, {'\'', 0x0080}, {'(', 0x1400},  {'<', 0x1400}, {')', 0x0A00}, {'>', 0x0A00}, {'*', 0x1F80},
    {'+', 0x0188}, {'-', 0x0008},  {'.', 0x8000},  {'/', 0x0C00}, {'0', 0x1277}, {'1', 0x0180}, {'2', 0x005D},
    {'3', 0x006D}, {'4', 0x002E},  {'5', 0x006B},  {'6', 0x007B}, {'7', 0x0025}, {'8', 0x007F}, {'9', 0x006F},
    {':', 0xA000}, {'=', 0x0048},  {'\\', 0x1200}, {']', 0x0065}, {'_', 0x0040}, {'A', 0x003F}, {'B', 0x01ED},
    {'C', 0x0053}, {'[', 0x0053},  {'D', 0x01E5},  {'E', 0x005B}, {'F', 0x001B}, {'G', 0x007B}, {'H', 0x003E},
    {'I', 0x0180}, {'J', 0x0074},  {'K', 0x141A},  {'L', 0x0052}, {'M', 0x0636}, {'N', 0x1236}, {'O', 0x0077},
    {'P', 0x001F}, {'Q', 0x1077},  {'R', 0x101F},  {'S', 0x006B}, {'T', 0x0181}, {'U', 0x0076}, {'V', 0x0C12},
    {'W', 0x1836}, {'X', 0x1E00},  {'Y', 0x0700},  {'Z', 0x0C41},
};

} // namespace

TLEDCharSet::TLEDCharSet() {
    rebuild();
}

void TLEDCharSet::SetActiveColor(TColor color) {
    if (color == m_activeColor)
        return;
    m_activeColor = color;
    rebuild();
}

void TLEDCharSet::SetInActiveColor(TColor color) {
    if (color == m_inActiveColor)
        return;
    m_inActiveColor = color;
    rebuild();
}

void TLEDCharSet::SetHorzsize(int size) {
    if (size < 0 || size > 255 || size == m_horzsize)
        return;
    m_horzsize = size;
    rebuild();
}

void TLEDCharSet::SetVertsize(int size) {
    if (size < 0 || size > 255 || size == m_vertsize)
        return;
    m_vertsize = size;
    rebuild();
}

void TLEDCharSet::SetThickness(int thickness) {
    if (thickness < 0 || thickness > 255 || thickness == m_thickness)
        return;
    m_thickness = thickness;
    rebuild();
}

void TLEDCharSet::SetDisabledDigits(bool on) {
    if (on == m_disabledDigits)
        return;
    m_disabledDigits = on;
    if (OnChange)
        OnChange();
}

void TLEDCharSet::SetBackgroundColor(TColor color) {
    if (color == m_background)
        return;
    m_background = color;
    rebuild();
}

quint16 TLEDCharSet::GlyphMask(QChar c) {
    char16_t u = c.unicode();
    if (u >= u'a' && u <= u'z')
        u = char16_t(u - (u'a' - u'A'));
    if (u > 127)
        return 0;
    for (const Glyph& g : kGlyphs)
        if (char16_t(g.c) == u)
            return g.mask;
    return 0;
}

void TLEDCharSet::rebuild() {
    const int T = m_thickness, H = m_horzsize, V = m_vertsize;
    const int k = (4 * T + H) / 2, t = T / 2, h = H / 2, r = roundEven(1.5 * T);
    m_segments = {
        horizontalBar(2 * T, T, H, t),
        verticalBar(T, 2 * T, t, V),
        verticalBar(3 * T + H, 2 * T, t, V),
        horizontalBar(2 * T, 3 * T + V, H, t),
        verticalBar(T, 4 * T + V, t, V),
        verticalBar(3 * T + H, 4 * T + V, t, V),
        horizontalBar(2 * T, 5 * T + 2 * V, H, t),
        verticalBar(k, 2 * T, t, V),
        verticalBar(k, 4 * T + V, t, V),
        diagonal(k - t, 2 * T + V, T - h, T - V, T),
        diagonal(k + r, 2 * T + V, h - T, T - V, T),
        diagonal(k - t, 5 * T + V, T - h, V - T, T),
        diagonal(k + r, 5 * T + V, h - T, V - T, T),
        dot(k - 1, 3 * T + V, T, T),
        dot(k - 1, T, T, T),
        dot(k - 1, 5 * T + 2 * V, T, T),
    };
    for (int i = 0; i < SegmentCount; ++i)
        m_outlines[size_t(i)] = outlinePixels(m_segments[size_t(i)]);

    // The unlit cell: every segment filled with a 50 % dither of the inactive
    // colour on the background, without outline.
    const QColor bg = WinColor(m_background);
    m_litCells.clear();
    m_cell = QImage();
    if (CellWidth() > 0 && CellHeight() > 0) {
        m_cell = QImage(CellWidth(), CellHeight(), QImage::Format_RGB32);
        m_cell.fill(bg);
        QImage pattern(8, 8, QImage::Format_RGB32);
        const QRgb inactive = WinColor(m_inActiveColor).rgb();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                pattern.setPixel(x, y, (x + y) % 2 ? bg.rgb() : inactive);
        QPainter p(&m_cell);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(pattern));
        for (const QPolygon& poly : m_segments)
            if (!poly.isEmpty())
                p.drawPolygon(poly);
    }
    if (OnChange)
        OnChange();
}

QSize TLEDCharSet::TextCells(const QString& text) const {
    int longest = 0, column = 0, lines = text.isEmpty() ? 0 : 1;
    for (const QChar c : text) {
        if (c.unicode() == 13) {
            ++lines;
            column = 0;
        } else if (c.unicode() >= 32) {
            longest = qMax(longest, ++column);
        }
    }
    return QSize(longest, lines);
}

void TLEDCharSet::drawLitSegment(QPainter& painter, int index, int x, int y) const {
    const QPolygon& poly = m_segments[size_t(index)];
    if (poly.isEmpty())
        return;
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(poly.translated(x, y));
    painter.setPen(WinColor(m_activeColor));
    const QVector<QPoint>& outline = m_outlines[size_t(index)];
    QVector<QPoint> moved;
    moved.reserve(outline.size());
    for (const QPoint& p : outline)
        moved.append(p + QPoint(x, y));
    painter.drawPoints(moved.constData(), int(moved.size()));
}

const QImage& TLEDCharSet::litCell(quint16 mask) const {
    auto it = m_litCells.find(mask);
    if (it != m_litCells.end())
        return *it;
    QImage cell = m_cell.copy();
    {
        QPainter p(&cell);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(WinColor(m_activeColor));
        // Thin characters show only the seven outer bars.
        const int segments = (m_vertsize <= 3 || m_horzsize <= 3) ? 7 : SegmentCount;
        for (int s = 0; s < segments; ++s)
            if (mask & (1u << s))
                drawLitSegment(p, s, 0, 0);
    }
    return *m_litCells.insert(mask, cell);
}

void TLEDCharSet::DrawText(QPainter& painter, const QRect& rect, const QString& text,
                           bool litSegments) const {
    if (m_cell.isNull())
        return;
    int column = 0, line = 1, y = rect.top();
    for (const QChar c : text) {
        if (c.unicode() == 13) {
            ++line;
            y = (line - 1) * CellHeight() + rect.top();
            column = 0;
            continue;
        }
        if (c.unicode() < 32)
            continue;
        const int x = column * CellWidth() + rect.left();
        ++column;
        const quint16 mask = litSegments ? GlyphMask(c) : 0;
        painter.drawImage(x, y, mask ? litCell(mask) : m_cell);
    }
}
