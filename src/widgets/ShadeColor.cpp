#include "widgets/ShadeColor.h"

#include <algorithm>

TColor ShadeColor(TColor color, int percent) {
    const TColor rgb = ColorToRGB(color);
    const int r = int(rgb & 0xFF), g = int((rgb >> 8) & 0xFF), b = int((rgb >> 16) & 0xFF);
    // C++ integer division truncates toward zero, as the rule wants.
    int R = r + (r * percent) / 100;
    int carry = R > 255 ? R - 255 : 0;
    int G = g + (g * percent) / 100 + carry;
    if (G > 255) {
        R += G - 255;
        carry = G - 255;
    }
    const int B = b + (b * percent) / 100 + carry;
    if (B > 255 && G <= 255)
        R += B - 255;
    R = std::clamp(R, 0, 255);
    G = std::clamp(G, 0, 255);
    const int Bc = std::clamp(B, 0, 255);
    return TColor(R) + 256u * TColor(G) + 65536u * TColor(Bc);
}
