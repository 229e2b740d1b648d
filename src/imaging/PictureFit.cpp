#include "imaging/PictureFit.h"

#include "timescale/AevError.h"

#include <cmath>

TPictureFit FitPicture(int areaWidth, int areaHeight, int picWidth, int picHeight) {
    if (picWidth <= 0 || picHeight <= 0 || areaHeight <= 0)
        throw EAevError(QStringLiteral("Image de taille nulle"));
    const double ratio = double(picWidth) / double(picHeight);
    TPictureFit fit;
    if (double(areaWidth) / double(areaHeight) > ratio)
        fit.Scale = double(areaHeight) / double(picHeight);
    else
        fit.Scale = double(areaWidth) / double(picWidth);
    if (fit.Scale > 1.0) {
        fit.NaturalSize = true;
        fit.Width = picWidth;
        fit.Height = picHeight;
    } else {
        // std::nearbyint rounds halves to even in the default rounding mode.
        fit.Width = int(std::nearbyint(picWidth * fit.Scale));
        fit.Height = int(std::nearbyint(picHeight * fit.Scale));
    }
    return fit;
}

QPoint CentredPosition(int areaWidth, int areaHeight, int bevel, int width, int height) {
    // C++ integer division truncates toward zero.
    return QPoint((areaWidth - width) / 2 + bevel, (areaHeight - height) / 2 + bevel);
}
