#pragma once

#include "imaging/TGraphic.h"

// JPEG (jfif, jpg, jpe, jpeg) through libjpeg: baseline and progressive, grey,
// RGB/YCbCr and CMYK/YCCK. When the picture will be drawn smaller, the
// decoder's DCT scaling (1/8 to 8/8) keeps only the pixels needed.
class TJPEGImage : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
    // Files are read in pieces as the decoder asks for them.
    void DecodeFile(QFile& file, QSize maxDrawSize) override;

private:
    void decode(class TPictureStream* stream, const unsigned char* data, std::size_t size, QSize maxDrawSize);
};
