#pragma once

#include "widgets/WinColor.h"

#include <QRect>

class QPainter;

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

// Draws a rectangular 3D frame `width` pixels wide just inside `rect`: the top
// and left edges in `topColor`, the bottom and right edges in `bottomColor`.
// On return `rect` is the area inside the frame.
void Frame3D(QPainter& painter, QRect& rect, const QColor& topColor, const QColor& bottomColor, int width);

// The edge colours of a bevel style: lowered is dark on top, raised light on top.
void BevelColors(TPanelBevel bevel, QColor& topColor, QColor& bottomColor);
