#pragma once

#include "imaging/TGraphic.h"

// Photoshop (psd, pdd): the flattened composite stored after the layers, raw
// or PackBits-compressed; bitmap, grey, duotone (as grey), indexed, RGB and
// CMYK modes of 8 or 16 bits per channel (1 bit for bitmaps).
class TPSDImage : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
};
