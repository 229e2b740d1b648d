#include "widgets/TLEDDisplay.h"

#include "widgets/PixelLine.h"
#include "widgets/ShadeColor.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Segments: 0 top, 1 upper left, 2 upper right, 3 middle, 4 lower left,
// 5 lower right, 6 bottom. Bit s is set when the digit lights segment s.
constexpr unsigned char kLitSegments[10] = {
    0b1110111, // 0: 0 1 2 4 5 6
    0b0100100, // 1: 2 5
    0b1011101, // 2: 0 2 3 4 6
    0b1101101, // 3: 0 2 3 5 6
    0b0101110, // 4: 1 2 3 5
    0b1101011, // 5: 0 1 3 5 6
    0b1111010, // 6: 1 3 4 5 6 (no top)
    0b0100101, // 7: 0 2 5
    0b1111111, // 8: all
    0b1101111, // 9: 0 1 2 3 5 6
};

} // namespace

TLEDDisplay::TLEDDisplay(QWidget* parent) : QWidget(parent) {
    resize(168, 36);
    m_colorLEDOff = ShadeColor(m_colorLED, -50);
    rebuildImages();
}

void TLEDDisplay::SetBevelStyle(TPanelBevel style) {
    m_bevelStyle = style;
    update();
}

void TLEDDisplay::SetBorderStyle(TBorderStyle style) {
    m_borderStyle = style;
    update();
}

void TLEDDisplay::SetColorBackGround(TColor color) {
    m_colorBackGround = color;
    rebuildImages();
    update();
}

void TLEDDisplay::SetColorLED(TColor color) {
    m_colorLED = color;
    m_colorLEDOff = ShadeColor(color, -50);
    rebuildImages();
    update();
}

void TLEDDisplay::SetColorLEDOff(TColor color) {
    m_colorLEDOff = color;
    rebuildImages();
    update();
}

void TLEDDisplay::SetDecSeperator(TDecSeperator separator) {
    m_decSeperator = separator;
    update();
}

void TLEDDisplay::SetDigitHeight(int height) {
    m_digitHeight = height;
    rebuildImages();
    update();
}

void TLEDDisplay::SetDigitWidth(int width) {
    m_digitWidth = width;
    rebuildImages();
    update();
}

void TLEDDisplay::SetDigitLineWidth(int width) {
    m_digitLineWidth = width;
    rebuildImages();
    update();
}

void TLEDDisplay::SetFractionDigits(int digits) {
    // Checked against the current digit count only; a later NumDigits does not re-check.
    m_fractionDigits = std::max(0, std::min(digits, m_numDigits - 1));
    update();
}

void TLEDDisplay::SetLeadingZeros(bool on) {
    m_leadingZeros = on;
    update();
}

void TLEDDisplay::SetNumDigits(int digits) {
    // At least one cell: the cell width is the control's width divided by it.
    m_numDigits = std::max(1, digits);
    update();
}

void TLEDDisplay::SetSegmentStyle(TSegmentStyle style) {
    m_segmentStyle = style;
    rebuildImages();
    update();
}

void TLEDDisplay::SetValue(double value) {
    // The digit images depend on the look only, which rebuilds them whenever
    // it changes: they are ready for any value.
    m_value = value;
    update();
    if (OnChange)
        OnChange(this);
}

void TLEDDisplay::rebuildImages() {
    for (int d = 0; d < 10; ++d)
        for (int s = 0; s < 7; ++s)
            m_segmentColors[d][s] = (kLitSegments[d] >> s) & 1 ? m_colorLED : m_colorLEDOff;

    const int W = m_digitWidth, H = m_digitHeight, L = m_digitLineWidth;
    const int h = H / 2, k = (L + 2) / 2;
    const QPoint P[14] = {
        {0, 0},
        {W - 1, 0},
        {L + 1, L + 1},
        {W - L - 2, L + 1},
        {0, h},
        {L + 1, h - k},
        {W - L - 2, h - k},
        {W - 1, h},
        {L + 1, h + k},
        {W - L - 2, h + k},
        {0, H - 1},
        {L + 1, H - L - 2},
        {W - L - 2, H - L - 2},
        {W - 1, H - 1},
    };
    // Corner indices of the bevelled segments.
    static const int kPolygons[7][6] = {
        {0, 1, 3, 2, -1, -1},   {0, 2, 5, 4, -1, -1},   {1, 7, 6, 3, -1, -1},     {4, 5, 6, 7, 9, 8},
        {4, 8, 11, 10, -1, -1}, {7, 13, 12, 9, -1, -1}, {10, 11, 12, 13, -1, -1},
    };
    // End points of the rectangular segments.
    const QLine lines[7] = {
        {L, L / 2, W - L - 1, L / 2},
        {L / 2, 3 * L / 2, L / 2, H / 2 - L},
        {W - L / 2 - 1, 3 * L / 2, W - L / 2 - 1, H / 2 - L},
        {L, H / 2, W - L, H / 2},
        {L / 2, H / 2 + L, L / 2, H - 3 * L / 2},
        {W - L / 2 - 1, H / 2 + L, W - L / 2 - 1, H - 3 * L / 2},
        {L, H - L / 2 - 1, W - L, H - L / 2 - 1},
    };

    const QColor background = WinColor(m_colorBackGround);
    for (int d = 0; d < 10; ++d) {
        if (W <= 0 || H <= 0) {
            m_digitImages[d] = QImage();
            continue;
        }
        // Drawn at the screen's device pixels, so that a scaled window shows
        // sharp segments.
        QImage img(int(std::ceil(W * m_imagesDpr)), int(std::ceil(H * m_imagesDpr)), QImage::Format_RGB32);
        img.setDevicePixelRatio(m_imagesDpr);
        img.fill(background);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int s = 0; s < 7; ++s) {
            const QColor c = WinColor(m_segmentColors[d][s]);
            if (m_segmentStyle == ssBeveled) {
                QPoint corners[6];
                int n = 0;
                for (int i = 0; i < 6 && kPolygons[s][i] >= 0; ++i)
                    corners[n++] = P[kPolygons[s][i]];
                // Outlined in the background, so neighbours stay apart.
                p.setPen(QPen(background, 1));
                p.setBrush(c);
                p.drawPolygon(corners, n);
            } else {
                p.setPen(QPen(c, std::max(1, L), Qt::SolidLine, Qt::FlatCap));
                p.drawLine(lines[s]);
            }
        }
        p.end();
        m_digitImages[d] = std::move(img);
    }
}

QString TLEDDisplay::DigitText(int* separatorPos) const {
    // Fixed-point text; anything that is not a finite number is a formatting
    // failure and gives the empty text. The separator is found and removed.
    QString text;
    if (std::isfinite(m_value))
        text = QString::number(m_value == 0.0 ? 0.0 : m_value, 'f', m_fractionDigits);
    int s = int(text.indexOf(QLatin1Char('.'))) + 1;
    if (s > 0)
        text.remove(s - 1, 1);
    const int missing = m_numDigits - int(text.size());
    if (missing > 0) {
        text.prepend(QString(missing, QLatin1Char('0')));
        if (s > 0)
            s += missing;
    }
    if (separatorPos)
        *separatorPos = s;
    return text;
}

namespace {

// Fills, pixel by pixel, the ellipse inscribed in the box from (left, top) to
// (right, bottom), right and bottom outside: the pixels whose centres lie in it.
void FillEllipsePixels(QPainter& p, int left, int top, int right, int bottom, const QColor& color) {
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    const double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    if (rx <= 0 || ry <= 0)
        return;
    for (int j = top; j < bottom; ++j)
        for (int i = left; i < right; ++i) {
            const double u = (i + 0.5 - cx) / rx, v = (j + 0.5 - cy) / ry;
            if (u * u + v * v <= 1.0)
                p.fillRect(QRect(i, j, 1, 1), color);
        }
}

// A one-pixel line as a pen moving from `from` to `to` draws it: the end point
// is left for the next segment.
void DrawPixelLine(QPainter& p, QPoint from, QPoint to, const QColor& color) {
    for (const QPoint& q : LinePixels(from, to, false))
        p.fillRect(QRect(q, QSize(1, 1)), color);
}

} // namespace

void TLEDDisplay::drawSeparator(QPainter& p, int x, int y) const {
    const int D = m_digitHeight;
    const QColor led = p.pen().color();
    switch (m_decSeperator) {
    case dsPoint:
        FillEllipsePixels(p, x - 6, y + D - 5, x - 2, y + D - 1, led);
        break;
    case dsComma:
        // The dot, then a line to the tail point and back up.
        FillEllipsePixels(p, x - 6, y + D - 8, x - 2, y + D - 4, led);
        DrawPixelLine(p, {x - 3, y + D - 5}, {x - 6, y + D - 1}, led);
        DrawPixelLine(p, {x - 6, y + D - 1}, {x - 2, y + D - 6}, led);
        break;
    case dsDoublePoint:
        FillEllipsePixels(p, x - 6, y + D / 3 - 2, x - 2, y + D / 3 + 2, led);
        FillEllipsePixels(p, x - 6, y + 2 * D / 3 - 2, x - 2, y + 2 * D / 3 + 2, led);
        break;
    case dsMinus: {
        QPen pen = p.pen();
        pen.setWidth(std::max(1, m_digitLineWidth));
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(x - 6, y + D / 2, x - m_digitLineWidth, y + D / 2);
        break;
    }
    }
}

void TLEDDisplay::paintTo(QPainter& p) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor led = WinColor(m_colorLED);
    QRect area = rect();
    p.fillRect(area, WinColor(m_colorBackGround));

    const int cell = width() / m_numDigits;
    int x = (cell - m_digitWidth) / 2;
    const int y = (height() - m_digitHeight) / 2;
    p.setPen(QPen(led, 1));
    p.setBrush(led);

    int s = 0;
    const QString text = DigitText(&s);
    bool drawn = false;
    const int count = std::min(m_numDigits, int(text.size()));
    for (int pos = 1; pos <= m_numDigits; ++pos) {
        const QChar c = pos <= count ? text.at(pos - 1) : QChar();
        if (!m_leadingZeros && c == QLatin1Char('0') && !drawn) {
            // a leading zero: the cell stays empty
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            const QImage& img = m_digitImages[c.unicode() - '0'];
            if (!img.isNull())
                p.drawImage(x, y, img);
            drawn = true;
        }
        x += cell;
        if (pos == s - 1)
            drawSeparator(p, x, y);
    }

    // The bevel keeps the pen that the separator left (its width included).
    if (m_bevelStyle != bvNone) {
        const QColor light = WinColor(cl::BtnHighlight), dark = WinColor(cl::BtnShadow);
        QPen pen = p.pen();
        const int l = area.left(), t = area.top(), r = area.right(), b = area.bottom();
        pen.setColor(m_bevelStyle == bvRaised ? light : dark);
        p.setPen(pen);
        p.drawLine(r, t, l, t);
        p.drawLine(l, t, l, b - 1);
        pen.setColor(m_bevelStyle == bvRaised ? dark : light);
        p.setPen(pen);
        p.drawLine(l, b, r, b);
        p.drawLine(r, b, r, t + 1);
        area.adjust(1, 1, -1, -1);
    }
    if (m_borderStyle == bsSingle && area.width() > 0 && area.height() > 0) {
        p.setPen(QPen(WinColor(cl::WindowFrame), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(area.adjusted(0, 0, -1, -1));
    }
    p.restore();
}

void TLEDDisplay::paintEvent(QPaintEvent*) {
    if (devicePixelRatioF() != m_imagesDpr) {
        m_imagesDpr = devicePixelRatioF();
        rebuildImages();
    }
    QPainter p(this);
    paintTo(p);
}
