#pragma once

#include "imaging/TGraphic.h"

// SGI image (sgi, rgb, rgba, bw): 1 to 4 channels (grey, grey and alpha, RGB,
// RGBA) of 8 or 16 bits, raw or run-length encoded.
class TSGIImage : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
};
