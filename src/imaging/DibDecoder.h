#pragma once

#include <QImage>
#include <QSize>
#include <cstddef>

// Decoding of device-independent bitmaps (the pixels of BMP, DIB and RLE
// files and of the bitmaps inside icons): 1, 4, 8, 16, 24 and 32 bits per
// pixel, uncompressed, bit fields, RLE4 and RLE8, bottom-up and top-down.
namespace dib {

struct THeader {
    std::size_t infoOffset = 0; // where the info header starts
    std::size_t infoSize = 0;
    int width = 0;
    int height = 0; // rows, always positive
    bool topDown = false;
    int bitCount = 0;
    unsigned compression = 0;         // BI_RGB 0, BI_RLE8 1, BI_RLE4 2, BI_BITFIELDS 3, BI_ALPHABITFIELDS 6
    unsigned masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    bool hasMasks = false;
    QVector<QRgb> palette;
    std::size_t afterHeader = 0; // first byte after the info header, masks and palette
};

// Reads the info header at infoOffset, its bit masks and its palette.
// heightDivisor is 2 for the bitmaps of icons, whose header counts the mask rows.
THeader ReadHeader(const unsigned char* data, std::size_t size, std::size_t infoOffset,
                   int heightDivisor = 1);

// Decodes the pixels that start at pixelOffset. The result is RGB32, or ARGB32
// when the bit fields give an alpha channel; reduced (see TPictureBuilder)
// when maxDrawSize is smaller than the picture.
QImage DecodePixels(const unsigned char* data, std::size_t size, const THeader& header,
                    std::size_t pixelOffset, QSize maxDrawSize = QSize());

// Bytes of one uncompressed row of width pixels at bitCount bits (rows are
// padded to 32 bits).
std::size_t RowStride(int width, int bitCount);

} // namespace dib
