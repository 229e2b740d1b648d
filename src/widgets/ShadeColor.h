#pragma once

#include "widgets/WinColor.h"

// A colour made lighter (percent > 0) or darker (percent < 0) by `percent`
// percent, in integer arithmetic; a channel's overflow spills into the others
// (so 192, 192, 192 lightened by 50 becomes white). System colours are resolved
// to their current value first. The result is an RGB window colour.
TColor ShadeColor(TColor color, int percent);
