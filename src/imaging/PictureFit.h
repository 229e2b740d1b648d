#pragma once

#include <QPoint>

// How a picture of picW x picH pixels is fitted into an area of w_a x h_a
// pixels inside a panel's bevel: shrunk keeping its proportions when it is
// larger than the area, never enlarged.
struct TPictureFit {
    double Scale = 1.0;       // the scale the proportions give (may exceed 1)
    bool NaturalSize = false; // Scale > 1: shown at the picture's own size
    int Width = 0;            // the control's size
    int Height = 0;
};

// Scale: h_a / h when the area is relatively wider than the picture
// (w_a / h_a > w / h), otherwise w_a / w. Above 1 the control takes the
// picture's own size; otherwise w x scale by h x scale, each rounded to the
// nearest integer with halves to even. Throws EAevError when picW or picH is 0.
TPictureFit FitPicture(int areaWidth, int areaHeight, int picWidth, int picHeight);

// The control's top-left corner that centres it in the area:
// ((w_a - width) / 2 + bevel, (h_a - height) / 2 + bevel), halvings truncated
// toward zero.
QPoint CentredPosition(int areaWidth, int areaHeight, int bevel, int width, int height);
