#pragma once

#include "imaging/TGraphic.h"

// ZSoft PCX (pcx, pcc, scr): 1, 2, 4 and 8 bits in one plane, 1 bit in up to
// four planes (EGA), 8 bits in three or four planes (RGB, RGBA); run-length
// encoded or raw; 256-colour palette at the end of the file.
class TPCXImage : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
};
