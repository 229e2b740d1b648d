#include "widgets/WinColor.h"

namespace {
// Classic system colours, indexed by the low byte of a system colour value.
constexpr TColor kSystemColors[] = {
    0x00C8D0D4, // 0 scrollbar
    0x00A56E3A, // 1 background
    0x006A240A, // 2 active caption
    0x00DBCDBF, // 3 inactive caption
    0x00F0F0F0, // 4 menu
    0x00FFFFFF, // 5 window
    0x00646464, // 6 window frame
    0x00000000, // 7 menu text
    0x00000000, // 8 window text
    0x00FFFFFF, // 9 caption text
    0x00B4B4B4, // 10 active border
    0x00FCF7F4, // 11 inactive border
    0x00ABABAB, // 12 app workspace
    0x00FF9933, // 13 highlight
    0x00FFFFFF, // 14 highlight text
    0x00F0F0F0, // 15 button face
    0x00A0A0A0, // 16 button shadow
    0x006D6D6D, // 17 grey text
    0x00000000, // 18 button text
    0x00000000, // 19 inactive caption text
    0x00FFFFFF, // 20 button highlight
    0x00696969, // 21 3D dark shadow
    0x00E3E3E3, // 22 3D light
    0x00000000, // 23 info text
    0x00E1FFFF, // 24 info background
};
} // namespace

TColor ColorToRGB(TColor color) {
    if (color & 0x80000000u) {
        const unsigned index = color & 0xFFu;
        if (index < sizeof(kSystemColors) / sizeof(kSystemColors[0]))
            return kSystemColors[index];
        return 0x00000000;
    }
    return color & 0x00FFFFFFu;
}

QColor WinColor(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

TColor ToTColor(const QColor& color) {
    return TColor(color.red()) | (TColor(color.green()) << 8) | (TColor(color.blue()) << 16);
}
