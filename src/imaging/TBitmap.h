#pragma once

#include "imaging/TGraphic.h"

// Windows bitmap (bmp, rle, dib): a file header "BM" followed by a device-
// independent bitmap; a file without the file header is read as a bare DIB.
class TBitmap : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
};

// The pixels of a Windows bitmap file, whatever its extension; throws EAevError.
QImage LoadBitmapFile(const QString& path);
