#include "widgets/PixelLine.h"

#include <cstdlib>

QVector<QPoint> LinePixels(QPoint from, QPoint to, bool includeEnd) {
    QVector<QPoint> pixels;
    int x = from.x(), y = from.y();
    const int dx = std::abs(to.x() - x), dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1, sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    pixels.reserve(dx - dy + 1);
    for (;;) {
        const bool atEnd = x == to.x() && y == to.y();
        if (atEnd) {
            if (includeEnd)
                pixels.append(QPoint(x, y));
            break;
        }
        pixels.append(QPoint(x, y));
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return pixels;
}
