#include "imaging/TBitmap.h"

#include "imaging/ByteReader.h"
#include "imaging/DibDecoder.h"

void TBitmap::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    TByteReader r(data, size, "BMP");
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
        r.Seek(10);
        const std::uint32_t offBits = r.U32LE();
        const dib::THeader h = dib::ReadHeader(data, size, 14);
        // Some writers leave the offset at 0: the pixels then follow the palette.
        SetPicture(dib::DecodePixels(data, size, h, offBits ? offBits : h.afterHeader, maxDrawSize), h.width,
                   h.height);
    } else {
        const dib::THeader h = dib::ReadHeader(data, size, 0);
        SetPicture(dib::DecodePixels(data, size, h, h.afterHeader, maxDrawSize), h.width, h.height);
    }
}

// TGraphic::LoadFromFile reads a bitmap whatever the file's extension.
QImage LoadBitmapFile(const QString& path) {
    TBitmap bitmap;
    bitmap.LoadFromFile(path);
    return bitmap.Image();
}
