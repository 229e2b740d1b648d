#pragma once

#include <QColor>
#include <cstdint>

// Window colours are 32-bit values 0x00BBGGRR (red in the low byte); a value
// with the top bit set names a system colour, resolved when drawing.
using TColor = std::uint32_t;

namespace cl {
constexpr TColor BtnFace = 0x8000000F;
constexpr TColor BtnShadow = 0x80000010;
constexpr TColor BtnHighlight = 0x80000014;
constexpr TColor WindowText = 0x80000008;
constexpr TColor WindowFrame = 0x80000006;
constexpr TColor Window = 0x80000005;
constexpr TColor InactiveCaption = 0x80000003;
constexpr TColor InactiveCaptionText = 0x80000013;
constexpr TColor Highlight = 0x8000000D;
constexpr TColor GrayText = 0x80000011;
constexpr TColor Teal = 0x00808000;
constexpr TColor Aqua = 0x00FFFF00;
constexpr TColor Red = 0x000000FF;
constexpr TColor Lime = 0x0000FF00;
constexpr TColor Silver = 0x00C0C0C0;
constexpr TColor Gray = 0x00808080;
constexpr TColor Black = 0x00000000;
constexpr TColor White = 0x00FFFFFF;
constexpr TColor Navy = 0x00800000;
constexpr TColor Blue = 0x00FF0000;
constexpr TColor Olive = 0x00008080;
} // namespace cl

// The RGB value of a window colour; system colours take fixed classic values
// so that drawing is the same on every desktop.
TColor ColorToRGB(TColor color);

// The QColor of a window colour (opaque).
QColor WinColor(TColor color);

// The window colour of a QColor.
TColor ToTColor(const QColor& color);
