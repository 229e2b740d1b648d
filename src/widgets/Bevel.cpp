#include "widgets/Bevel.h"

#include <QPainter>

void Frame3D(QPainter& painter, QRect& rect, const QColor& topColor, const QColor& bottomColor, int width) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
        painter.setPen(topColor);
        painter.drawLine(l, b, l, t);
        painter.drawLine(l, t, r, t);
        painter.setPen(bottomColor);
        painter.drawLine(r, t, r, b);
        painter.drawLine(r, b, l, b);
        rect.adjust(1, 1, -1, -1);
    }
    painter.restore();
}

void BevelColors(TPanelBevel bevel, QColor& topColor, QColor& bottomColor) {
    if (bevel == bvLowered) {
        topColor = WinColor(cl::BtnShadow);
        bottomColor = WinColor(cl::BtnHighlight);
    } else {
        topColor = WinColor(cl::BtnHighlight);
        bottomColor = WinColor(cl::BtnShadow);
    }
}
