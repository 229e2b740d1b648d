#include "widgets/TScrewPanel.h"

#include "widgets/PixelLine.h"
#include "widgets/ShadeColor.h"

#include <QPainter>

namespace {

// A bevel drawn as two pen strokes, as a 1-pixel pen moving from point to point
// draws them (each stroke leaves out its last point): first from the top right
// corner along the top and down the left edge, then from the top right corner
// down the right edge and along the bottom. A wider bevel repeats inwards.
void drawBevel(QPainter& painter, QRect r, TColor firstColor, TColor secondColor, int width) {
    const QColor first = WinColor(firstColor), second = WinColor(secondColor);
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        const int l = r.left(), t = r.top(), R = r.left() + r.width(), B = r.top() + r.height();
        // (R-1, t) -> (l, t) -> (l, B-1)
        painter.fillRect(QRect(QPoint(l + 1, t), QPoint(R - 1, t)), first);
        painter.fillRect(QRect(QPoint(l, t), QPoint(l, B - 2)), first);
        // (R-1, t) -> (R-1, B-1) -> (l, B-1)
        painter.fillRect(QRect(QPoint(R - 1, t), QPoint(R - 1, B - 2)), second);
        painter.fillRect(QRect(QPoint(l + 1, B - 1), QPoint(R - 1, B - 1)), second);
        r.adjust(1, 1, -1, -1);
    }
}

void plot(QImage& image, const QVector<QPoint>& pixels, QRgb colour) {
    for (const QPoint& p : pixels)
        if (image.rect().contains(p))
            image.setPixel(p, colour);
}

} // namespace

TScrewPanel::TScrewPanel(QWidget* parent) : TPanel(parent) {
    resize(45, 45);
    SetColor(cl::BtnFace);
}

void TScrewPanel::SetColor(TColor color) {
    TPanel::SetColor(color);
    m_light = ShadeColor(color, 50);
    m_dark = ShadeColor(color, -50);
    rebuildScrew();
    update();
}

void TScrewPanel::SetMargin(int margin) {
    if (margin >= width() - m_screwSize || margin >= height() - m_screwSize)
        return;
    m_margin = margin;
    update();
}

void TScrewPanel::SetScrewSize(int size) {
    if (size < 1 || size > 8 || size >= width() || size >= height())
        return;
    m_screwSize = size;
    rebuildScrew();
    update();
}

void TScrewPanel::SetShowScrews(bool show) {
    if (show == m_showScrews)
        return;
    m_showScrews = show;
    update();
}

void TScrewPanel::SetAlignment(Qt::Alignment alignment) {
    alignment &= Qt::AlignHorizontal_Mask;
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    update();
}

// The screw head in its own small image, pixel by pixel: a silver disc with a
// dark rim, the upper-left half of the rim dark and the lower-right half light,
// a grey slot from lower left to upper right and its white lit edge.
void TScrewPanel::rebuildScrew() {
    const int s = m_screwSize, d = 4 * s;
    QImage disc(d, d, QImage::Format_ARGB32);
    disc.fill(Qt::transparent);
    QImage rim(d, d, QImage::Format_ARGB32);
    rim.fill(Qt::transparent);
    {
        QPainter p(&disc);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(WinColor(m_dark));
        p.setBrush(WinColor(cl::Silver));
        p.drawEllipse(QRect(0, 0, d - 1, d - 1));
    }
    {
        QPainter p(&rim);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRect(0, 0, d - 1, d - 1));
    }
    // Slot, drawn over the dark rim.
    plot(disc, LinePixels(QPoint(s - 1, 3 * s - 1), QPoint(3 * s, s - 2), false), WinColor(cl::Gray).rgb());
    // Lower-right half of the rim (from (s, 3s) counterclockwise to (3s, s)).
    const QRgb light = WinColor(m_light).rgb();
    for (int y = 0; y < d; ++y)
        for (int x = 0; x < d; ++x)
            if (qAlpha(rim.pixel(x, y)) != 0 && x + y >= 4 * s)
                disc.setPixel(x, y, light);
    // The lit edge of the slot.
    plot(disc, LinePixels(QPoint(s, 3 * s), QPoint(3 * s + 1, s - 1), false), WinColor(cl::White).rgb());
    m_screw = disc;
}

QRect TScrewPanel::innerRect() const {
    QRect r = rect();
    if (BevelOuter() != bvNone)
        r.adjust(BevelWidth() + BorderWidth(), BevelWidth() + BorderWidth(), -(BevelWidth() + BorderWidth()),
                 -(BevelWidth() + BorderWidth()));
    else
        r.adjust(BorderWidth(), BorderWidth(), -BorderWidth(), -BorderWidth());
    if (BevelInner() != bvNone)
        r.adjust(BevelWidth(), BevelWidth(), -BevelWidth(), -BevelWidth());
    return r;
}

QVector<QPoint> TScrewPanel::ScrewPositions() const {
    const QRect r = innerRect();
    const int d = 4 * m_screwSize;
    const int left = r.left(), top = r.top(), right = r.left() + r.width(), bottom = r.top() + r.height();
    return {QPoint(left + m_margin, top + m_margin), QPoint(right - m_margin - d, top + m_margin),
            QPoint(left + m_margin, bottom - m_margin - d),
            QPoint(right - m_margin - d, bottom - m_margin - d)};
}

void TScrewPanel::paintTo(QPainter& painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect(), WinColor(Color()));
    QRect r = rect();
    if (BevelOuter() != bvNone) {
        const bool raised = BevelOuter() == bvRaised;
        drawBevel(painter, r, raised ? m_light : m_dark, raised ? m_dark : m_light, BevelWidth());
        const int shrink = BevelWidth() + BorderWidth();
        r.adjust(shrink, shrink, -shrink, -shrink);
    } else {
        r.adjust(BorderWidth(), BorderWidth(), -BorderWidth(), -BorderWidth());
    }
    if (BevelInner() != bvNone) {
        const bool raised = BevelInner() == bvRaised;
        drawBevel(painter, r, raised ? m_light : m_dark, raised ? m_dark : m_light, BevelWidth());
        r.adjust(BevelWidth(), BevelWidth(), -BevelWidth(), -BevelWidth());
    }
    if (m_showScrews)
        for (const QPoint& p : ScrewPositions())
            painter.drawImage(p, m_screw);
    if (!Caption().isEmpty()) {
        painter.setPen(WinColor(FontColor()));
        painter.setFont(font());
        painter.drawText(r, int(m_alignment | Qt::AlignVCenter | Qt::TextSingleLine), Caption());
    }
    painter.restore();
}

void TScrewPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintTo(painter);
}
