#pragma once

#include "imaging/TGraphic.h"

// TIFF (tiff, tif, fax) through libtiff: the first page, in any photometric
// interpretation and compression that libtiff's RGBA reader handles (bilevel
// and fax, grey, palette, RGB, CMYK, YCbCr, with alpha).
class TTIFFImage : public TGraphic {
public:
    // Decodes TIFF data held in memory into a picture, reduced when drawn
    // smaller than maxDrawSize; width and height receive the true size.
    // Throws EAevError.
    static QImage DecodeTiff(const unsigned char* data, std::size_t size, QSize maxDrawSize, int* width,
                             int* height);

protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
};
