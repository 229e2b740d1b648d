#pragma once

#include "widgets/WinColor.h"

#include <QRect>

class QPainter;

// The cut of one bevel of a TBevelFrame.
enum class TBevelStyle { bvNone, bvLowered, bvRaised, bvFrameLowered, bvFrameRaised, bvNormal, bvShadow };
// How the frame is composed; every mode draws the custom composition below.
enum class TBevelMode { bmCustom, bmStandard, bmEdge, bmWindows };

// A frame round a control's content, from the outside in: an outer bevel, a
// frame of BorderWidth pixels in the control's colour, an inner bevel and an
// inner frame of BorderInnerWidth pixels in BorderColor.
struct TBevelFrame {
    TBevelMode Mode = TBevelMode::bmCustom;
    TBevelStyle StyleOuter = TBevelStyle::bvNone;
    int WidthOuter = 1;
    int BorderWidth = 0;
    TBevelStyle StyleInner = TBevelStyle::bvNone;
    int WidthInner = 1;
    int BorderInnerWidth = 0;
    TColor BorderColor = cl::BtnFace;
    TColor LightColor = cl::BtnHighlight;
    TColor ShadowColor = cl::BtnShadow;

    // Pixels the frame takes on each side.
    int Extent() const;
    // Draws the frame just inside `rect` (frames in `controlColor` where the
    // frame has no colour of its own) and returns the area inside it.
    QRect Draw(QPainter& painter, QRect rect, TColor controlColor) const;

    bool operator==(const TBevelFrame& o) const;
    bool operator!=(const TBevelFrame& o) const { return !(*this == o); }
};
