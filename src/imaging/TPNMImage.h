#pragma once

#include "imaging/TGraphic.h"

// Portable any-map (ppm, pgm, pbm): P1 to P6, ASCII and binary, any maximum
// value up to 65535. The content decides the kind, not the extension.
class TPNMImage : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
};
