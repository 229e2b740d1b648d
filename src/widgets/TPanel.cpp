#include "widgets/TPanel.h"

#include <QPainter>

TPanel::TPanel(QWidget* parent) : QWidget(parent) {}

void TPanel::SetBevelInner(TPanelBevel bevel) {
    if (bevel == m_bevelInner)
        return;
    m_bevelInner = bevel;
    update();
}

void TPanel::SetBevelOuter(TPanelBevel bevel) {
    if (bevel == m_bevelOuter)
        return;
    m_bevelOuter = bevel;
    update();
}

void TPanel::SetBevelWidth(int width) {
    if (width < 1)
        width = 1;
    if (width == m_bevelWidth)
        return;
    m_bevelWidth = width;
    update();
}

void TPanel::SetBorderWidth(int width) {
    if (width < 0)
        width = 0;
    if (width == m_borderWidth)
        return;
    m_borderWidth = width;
    update();
}

void TPanel::SetColor(TColor color) {
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void TPanel::SetCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
}

void TPanel::SetFontColor(TColor color) {
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    update();
}

void TPanel::paintTo(QPainter& painter) const {
    QRect r = rect();
    QColor top, bottom;
    if (m_bevelOuter != bvNone) {
        BevelColors(m_bevelOuter, top, bottom);
        Frame3D(painter, r, top, bottom, m_bevelWidth);
    }
    const QColor fill = WinColor(m_color);
    Frame3D(painter, r, fill, fill, m_borderWidth);
    if (m_bevelInner != bvNone) {
        BevelColors(m_bevelInner, top, bottom);
        Frame3D(painter, r, top, bottom, m_bevelWidth);
    }
    painter.fillRect(r, fill);
    if (!m_caption.isEmpty()) {
        painter.setPen(WinColor(m_fontColor));
        painter.setFont(font());
        painter.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, m_caption);
    }
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintTo(painter);
}
