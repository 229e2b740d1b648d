#pragma once

#include "imaging/TGraphic.h"

// PNG through libpng and zlib: every colour type and bit depth, interlaced or
// not, with transparency (alpha channel or tRNS). A large picture that will
// be drawn smaller is reduced row by row while it is decoded.
class TPNGImage : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
    // Files are read in pieces as the decoder asks for them.
    void DecodeFile(QFile& file, QSize maxDrawSize) override;

private:
    void decode(class TPictureStream& stream, QSize maxDrawSize);
};
