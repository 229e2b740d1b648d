#include "widgets/BevelFrame.h"

#include "widgets/Bevel.h"

#include <QPainter>

namespace {

int styleExtent(TBevelStyle style, int width) {
    switch (style) {
    case TBevelStyle::bvNone:
        return 0;
    case TBevelStyle::bvFrameLowered:
    case TBevelStyle::bvFrameRaised:
        return 2 * width;
    default:
        return width;
    }
}

void drawStyle(QPainter& painter, QRect& r, TBevelStyle style, int width, const TBevelFrame& f,
               TColor controlColor) {
    const QColor light = WinColor(f.LightColor), shadow = WinColor(f.ShadowColor);
    switch (style) {
    case TBevelStyle::bvNone:
        break;
    case TBevelStyle::bvLowered:
        Frame3D(painter, r, shadow, light, width);
        break;
    case TBevelStyle::bvRaised:
        Frame3D(painter, r, light, shadow, width);
        break;
    case TBevelStyle::bvFrameLowered:
        Frame3D(painter, r, shadow, light, width);
        Frame3D(painter, r, light, shadow, width);
        break;
    case TBevelStyle::bvFrameRaised:
        Frame3D(painter, r, light, shadow, width);
        Frame3D(painter, r, shadow, light, width);
        break;
    case TBevelStyle::bvNormal: {
        const QColor frame = WinColor(cl::WindowFrame);
        Frame3D(painter, r, frame, frame, width);
        break;
    }
    case TBevelStyle::bvShadow: {
        // A drop shadow: only the bottom and right edges are dark.
        const QColor face = WinColor(controlColor);
        Frame3D(painter, r, face, shadow, width);
        break;
    }
    }
}

} // namespace

int TBevelFrame::Extent() const {
    return styleExtent(StyleOuter, WidthOuter) + BorderWidth + styleExtent(StyleInner, WidthInner) +
           BorderInnerWidth;
}

QRect TBevelFrame::Draw(QPainter& painter, QRect rect, TColor controlColor) const {
    drawStyle(painter, rect, StyleOuter, WidthOuter, *this, controlColor);
    const QColor face = WinColor(controlColor);
    Frame3D(painter, rect, face, face, BorderWidth);
    drawStyle(painter, rect, StyleInner, WidthInner, *this, controlColor);
    const QColor border = WinColor(BorderColor);
    Frame3D(painter, rect, border, border, BorderInnerWidth);
    return rect;
}

bool TBevelFrame::operator==(const TBevelFrame& o) const {
    return Mode == o.Mode && StyleOuter == o.StyleOuter && WidthOuter == o.WidthOuter &&
           BorderWidth == o.BorderWidth && StyleInner == o.StyleInner && WidthInner == o.WidthInner &&
           BorderInnerWidth == o.BorderInnerWidth && BorderColor == o.BorderColor &&
           LightColor == o.LightColor && ShadowColor == o.ShadowColor;
}
