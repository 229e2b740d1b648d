#include "widgets/TImageSlider.h"

#include "timescale/AevError.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

QImage transposed(const QImage& source) {
    const QImage src = source.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.height(), src.width(), QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x)
            out.setPixel(y, x, line[x]);
    }
    return out;
}

// The built-in ruler: a small groove, face colour above and below.
QImage builtInRuler() {
    QImage img(12, 8, QImage::Format_ARGB32);
    const TColor rows[8] = {cl::BtnFace, cl::BtnFace,      cl::BtnShadow, 0x00696969,
                            0x00E3E3E3,  cl::BtnHighlight, cl::BtnFace,   cl::BtnFace};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            img.setPixel(x, y, WinColor(rows[y]).rgb());
    return img;
}

// The built-in thumb: a small pointer with its tip at the bottom, a normal and
// a greyed picture side by side, on a background that the bottom-left pixel names.
QImage builtInThumb() {
    const int w = 11, h = 20;
    QImage img(2 * w, h, QImage::Format_ARGB32);
    img.fill(WinColor(cl::BtnFace));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int state = 0; state < 2; ++state) {
        const int x0 = state * w;
        const QPolygon shape({QPoint(x0, 0), QPoint(x0 + w - 1, 0), QPoint(x0 + w - 1, h - 6),
                              QPoint(x0 + w / 2, h - 1), QPoint(x0, h - 6)});
        p.setPen(WinColor(state == 0 ? 0x00404040 : cl::BtnShadow));
        p.setBrush(WinColor(state == 0 ? cl::Silver : 0x00D8D8D8));
        p.drawPolygon(shape);
        p.setPen(WinColor(cl::BtnHighlight));
        p.drawLine(x0 + 1, 1, x0 + w - 2, 1);
        p.drawLine(x0 + 1, 1, x0 + 1, h - 7);
    }
    return img;
}

// A picture with the pixels of its bottom-left colour made transparent.
QImage keyedOut(const QImage& source) {
    QImage img = source.convertToFormat(QImage::Format_ARGB32);
    if (img.isNull())
        return img;
    const QRgb key = img.pixel(0, img.height() - 1);
    for (int y = 0; y < img.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (line[x] == key)
                line[x] = 0;
    }
    return img;
}

// The ruler strip: the ruler image R copied from left to right, its first and
// last `edge` columns kept at the ends and the middle repeated; the last copy
// is partial and ends with R's right edge.
QImage buildStrip(const QImage& ruler, int width, int edge) {
    if (ruler.isNull() || width <= 0)
        return QImage();
    const QImage R = ruler.convertToFormat(QImage::Format_ARGB32);
    const int Rw = R.width(), Rh = R.height();
    QImage strip(width, Rh, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    int E = std::max(0, edge);
    if (2 * E >= Rw)
        E = 0; // no middle to repeat: the whole picture repeats
    const int M = Rw - 2 * E;
    QPainter p(&strip);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    auto piece = [&](int x, int fromColumn, int columns) {
        if (columns > 0)
            p.drawImage(QRect(x, 0, columns, Rh), R, QRect(fromColumn, 0, columns, Rh));
    };
    // Piece 0: all but the right edge.
    piece(0, 0, Rw - E);
    const int avail = width - 2 * E;
    if (avail >= 0) {
        const int n = avail / M, q = avail % M;
        for (int i = 1; i < n; ++i)
            piece(E + i * M, E, M);
        if (n >= 1)
            piece(E + n * M, E + M - q, E + q);
    }
    return strip;
}

} // namespace

TImageSlider::TImageSlider(QWidget* parent) : QWidget(parent) {
    m_images[ImageHThumb] = builtInThumb();
    m_images[ImageHRuler] = builtInRuler();
    {
        // Vertical thumb: each state turned a quarter, then placed side by side.
        const QImage h = builtInThumb();
        const QImage a = transposed(h.copy(0, 0, 11, 20)), b = transposed(h.copy(11, 0, 11, 20));
        QImage v(a.width() * 2, a.height(), QImage::Format_ARGB32);
        QPainter p(&v);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, a);
        p.drawImage(a.width(), 0, b);
        p.end();
        m_images[ImageVThumb] = v;
    }
    m_images[ImageVRuler] = transposed(builtInRuler());
    setFocusPolicy(Qt::StrongFocus);
    rebuild();
}

QRect TImageSlider::area() const {
    return m_bevelStyle != bvNone ? rect().adjusted(1, 1, -1, -1) : rect();
}

QSize TImageSlider::thumbSize() const {
    const QImage& t = m_images[m_orientation == soHorizontal ? ImageHThumb : ImageVThumb];
    return QSize(t.width() / m_numThumbStates, t.height());
}

QImage TImageSlider::thumbPicture() const {
    const QImage& t = m_images[m_orientation == soHorizontal ? ImageHThumb : ImageVThumb];
    const QSize s = thumbSize();
    if (s.isEmpty())
        return QImage();
    const bool second = m_numThumbStates == 2 && (!isEnabled() || m_pressed);
    return t.copy(second ? s.width() : 0, 0, s.width(), s.height());
}

void TImageSlider::rebuild() {
    const QRect a = area();
    const bool horizontal = m_orientation == soHorizontal;
    const QImage& ruler = m_images[horizontal ? ImageHRuler : ImageVRuler];
    const QSize thumb = thumbSize();
    if (horizontal) {
        m_strip = buildStrip(ruler, a.width(), m_edgeSize);
        const int Rh = m_strip.height();
        if (thumb.height() > Rh) {
            m_stripPos = QPoint(a.left(), a.top() + (thumb.height() - Rh) / 2);
            m_thumbRect = QRect(a.left(), a.top(), thumb.width(), thumb.height());
        } else {
            m_stripPos = a.topLeft();
            m_thumbRect = QRect(a.left(), a.top() + (Rh - thumb.height()) / 2, thumb.width(), thumb.height());
        }
    } else {
        // The same rules with the axes swapped.
        m_strip = transposed(buildStrip(transposed(ruler), a.height(), m_edgeSize));
        const int Rw = m_strip.width();
        if (thumb.width() > Rw) {
            m_stripPos = QPoint(a.left() + (thumb.width() - Rw) / 2, a.top());
            m_thumbRect = QRect(a.left(), a.top(), thumb.width(), thumb.height());
        } else {
            m_stripPos = a.topLeft();
            m_thumbRect = QRect(a.left() + (Rw - thumb.width()) / 2, a.top(), thumb.width(), thumb.height());
        }
    }
    placeThumb();
    update();
}

int TImageSlider::positionOf(int value) const {
    const QRect a = area();
    const bool horizontal = m_orientation == soHorizontal;
    const int stripLength = horizontal ? m_strip.width() : m_strip.height();
    const int thumbLength = horizontal ? m_thumbRect.width() : m_thumbRect.height();
    const int start = horizontal ? a.left() : a.top();
    const int track = stripLength - thumbLength;
    const qint64 range = qint64(m_max) - m_min;
    if (track <= 0 || range <= 0)
        return start;
    qint64 offset = qint64(value) - m_min;
    if (!(m_options & soSmooth) && m_increment > 0) {
        offset = qint64(std::nearbyint(double(offset) / m_increment)) * m_increment;
        offset = std::clamp<qint64>(offset, 0, range);
    }
    const int pos = int(std::nearbyint(double(track) * double(offset) / double(range)));
    return start + std::clamp(pos, 0, track);
}

int TImageSlider::valueAt(QPoint point) const {
    const QRect a = area();
    const bool horizontal = m_orientation == soHorizontal;
    const int stripLength = horizontal ? m_strip.width() : m_strip.height();
    const int thumbLength = horizontal ? m_thumbRect.width() : m_thumbRect.height();
    const int track = stripLength - thumbLength;
    if (track <= 0)
        return m_min;
    const int along = (horizontal ? point.x() - a.left() : point.y() - a.top()) - thumbLength / 2;
    const double fraction = std::clamp(double(along) / track, 0.0, 1.0);
    return int(m_min + std::nearbyint(fraction * (double(m_max) - m_min)));
}

void TImageSlider::placeThumb() {
    const int pos = positionOf(m_value);
    if (m_orientation == soHorizontal)
        m_thumbRect.moveLeft(pos);
    else
        m_thumbRect.moveTop(pos);
}

void TImageSlider::SetValue(int value) {
    value = std::clamp(value, m_min, std::max(m_min, m_max));
    const QRect old = m_thumbRect;
    const bool changed = value != m_value;
    m_value = value;
    placeThumb();
    update(old);
    update(m_thumbRect);
    if (changed)
        emit OnChange();
}

void TImageSlider::checkRange() {
    const qint64 range = qint64(m_max) - m_min;
    if (m_increment > range)
        m_increment = int(range);
    SetValue(m_value);
}

void TImageSlider::SetMinValue(int value) {
    if (m_loading) {
        m_min = value;
        return;
    }
    if (value >= m_max || value == m_min)
        return;
    m_min = value;
    checkRange();
}

void TImageSlider::SetMaxValue(int value) {
    if (m_loading) {
        m_max = value;
        return;
    }
    if (value <= m_min || value == m_max)
        return;
    m_max = value;
    checkRange();
}

void TImageSlider::SetIncrement(int increment) {
    if (!m_loading) {
        const qint64 range = qint64(m_max) - m_min;
        if (increment < 1 || increment > range)
            throw EAevError(QStringLiteral("La valeur doit être comprise entre %1 et %2").arg(1).arg(range));
    }
    m_increment = increment;
    placeThumb();
    update();
}

void TImageSlider::EndLoading() {
    m_loading = false;
    rebuild();
    SetValue(m_value);
}

void TImageSlider::SetOrientation(TSliderOrientation orientation) {
    if (orientation == m_orientation)
        return;
    m_orientation = orientation;
    rebuild();
}

void TImageSlider::SetBevelStyle(TPanelBevel style) {
    if (style == m_bevelStyle)
        return;
    m_bevelStyle = style;
    rebuild();
}

void TImageSlider::SetEdgeSize(int size) {
    if (size < 0 || size == m_edgeSize)
        return;
    m_edgeSize = size;
    rebuild();
}

void TImageSlider::SetNumThumbStates(int states) {
    if ((states != 1 && states != 2) || states == m_numThumbStates)
        return;
    m_numThumbStates = states;
    rebuild();
}

void TImageSlider::SetOptions(int options) {
    if (options == m_options)
        return;
    m_options = options;
    placeThumb();
    update();
}

void TImageSlider::SetColor(TColor color) {
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void TImageSlider::SetImage(ImageIndex index, const QImage& image) {
    m_images[index] = image.convertToFormat(QImage::Format_ARGB32);
    rebuild();
}

void TImageSlider::paintTo(QPainter& painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QRect r = rect();
    if (m_bevelStyle != bvNone) {
        QColor top, bottom;
        BevelColors(m_bevelStyle, top, bottom);
        Frame3D(painter, r, top, bottom, 1);
    }
    painter.fillRect(r, WinColor(m_color));
    painter.setClipRect(r);
    if (!m_strip.isNull())
        painter.drawImage(m_stripPos, (m_options & soRulerOpaque) ? m_strip : keyedOut(m_strip));
    if ((m_options & soShowPoints) && m_increment > 0) {
        painter.setPen(WinColor(cl::BtnShadow));
        const bool horizontal = m_orientation == soHorizontal;
        const int half = horizontal ? m_thumbRect.width() / 2 : m_thumbRect.height() / 2;
        for (qint64 v = m_min; v <= m_max; v += m_increment) {
            const int at = positionOf(int(v)) + half;
            if (horizontal)
                painter.drawLine(at, r.bottom() - 2, at, r.bottom());
            else
                painter.drawLine(r.right() - 2, at, r.right(), at);
        }
    }
    if ((m_options & soShowFocus) && hasFocus()) {
        QPen pen(WinColor(cl::WindowText));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    const QImage thumb = thumbPicture();
    if (!thumb.isNull())
        painter.drawImage(m_thumbRect.topLeft(), (m_options & soThumbOpaque) ? thumb : keyedOut(thumb));
    painter.restore();
}

void TImageSlider::paintEvent(QPaintEvent*) {
    // Drawn off-screen first, then copied in one go.
    const qreal dpr = devicePixelRatioF();
    QImage buffer(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    buffer.setDevicePixelRatio(dpr);
    {
        QPainter p(&buffer);
        paintTo(p);
    }
    QPainter painter(this);
    painter.drawImage(0, 0, buffer);
}

void TImageSlider::resizeEvent(QResizeEvent*) {
    rebuild();
}

void TImageSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    SetValue(valueAt(event->position().toPoint()));
    update();
}

void TImageSlider::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressed)
        SetValue(valueAt(event->position().toPoint()));
}

void TImageSlider::mouseReleaseEvent(QMouseEvent*) {
    m_pressed = false;
    update();
}

void TImageSlider::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        SetValue(int(std::max<qint64>(qint64(m_value) - m_increment, m_min)));
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        SetValue(int(std::min<qint64>(qint64(m_value) + m_increment, m_max)));
        break;
    case Qt::Key_Home:
        SetValue(m_min);
        break;
    case Qt::Key_End:
        SetValue(m_max);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}
