#pragma once

#include <QPoint>
#include <QVector>

// The pixels of a one-pixel line from `from` to `to` (Bresenham). The end
// point is part of the line only when `includeEnd` is set, as when a pen moves
// along a polyline whose next segment starts there.
QVector<QPoint> LinePixels(QPoint from, QPoint to, bool includeEnd);
