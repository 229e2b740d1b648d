#include "imaging/PictureLimits.h"

#include "timescale/AevError.h"

#include <algorithm>
#include <cmath>

void CheckPictureSize(std::int64_t w, std::int64_t h) {
    if (w <= 0 || h <= 0)
        throw EAevError(QStringLiteral("Image vide (%1 × %2 pixels)").arg(w).arg(h));
    if (w > MaxPictureSide || h > MaxPictureSide || w * h * 4 > MaxPictureBytes)
        throw EAevError(QStringLiteral("Image trop grande (%1 × %2 pixels)").arg(w).arg(h));
}

QImage AllocatePicture(std::int64_t w, std::int64_t h, QImage::Format format) {
    CheckPictureSize(w, h);
    QImage image(int(w), int(h), format);
    if (image.isNull())
        throw EAevError(
            QStringLiteral("Mémoire insuffisante pour une image de %1 × %2 pixels").arg(w).arg(h));
    return image;
}

void ThrowBadPicture(const char* format, const QString& detail) {
    QString text = QStringLiteral("Fichier %1 illisible ou endommagé").arg(QLatin1String(format));
    if (!detail.isEmpty())
        text += QStringLiteral(" : ") + detail;
    throw EAevError(text);
}

double DrawScale(int w, int h, QSize maxDrawSize) {
    if (maxDrawSize.isEmpty() || w <= 0 || h <= 0)
        return 1.0;
    const double s = std::min(double(maxDrawSize.width()) / w, double(maxDrawSize.height()) / h);
    return std::min(s, 1.0);
}

int ReductionFactor(int w, int h, QSize maxDrawSize) {
    const double s = DrawScale(w, h, maxDrawSize);
    if (s >= 1.0)
        return 1;
    // 1/k >= s keeps at least as many pixels as are drawn; capped so that
    // 32-bit sums of k x k premultiplied samples cannot overflow.
    const int k = int(std::floor(1.0 / s));
    return std::clamp(k, 1, 256);
}
