#pragma once

#include "imaging/TGraphic.h"

// GIF through giflib: the first frame on its logical screen, interlaced or
// not, with its transparent colour; the rest of the file is checked to its end.
class TGIFImage : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
};
