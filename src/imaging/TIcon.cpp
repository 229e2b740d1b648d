#include "imaging/TIcon.h"

#include "imaging/ByteReader.h"
#include "imaging/DibDecoder.h"
#include "imaging/PictureLimits.h"
#include "imaging/TPNGImage.h"

#include <cstring>

void TIcon::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    TByteReader r(data, size, "ICO");
    const unsigned reserved = r.U16LE();
    const unsigned type = r.U16LE();
    const unsigned count = r.U16LE();
    if (reserved != 0 || (type != 1 && type != 2) || count == 0)
        ThrowBadPicture("ICO", QStringLiteral("en-tête invalide"));
    // The entry with the most pixels, then the most bits per pixel.
    std::uint32_t bestOffset = 0, bestSize = 0;
    std::int64_t bestArea = -1;
    unsigned bestBits = 0;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned char* e = r.Take(16);
        const unsigned w = e[0] ? e[0] : 256;
        const unsigned h = e[1] ? e[1] : 256;
        const unsigned bits = unsigned(e[6] | (e[7] << 8));
        const std::uint32_t bytes = std::uint32_t(e[8]) | (std::uint32_t(e[9]) << 8) |
                                    (std::uint32_t(e[10]) << 16) | (std::uint32_t(e[11]) << 24);
        const std::uint32_t offset = std::uint32_t(e[12]) | (std::uint32_t(e[13]) << 8) |
                                     (std::uint32_t(e[14]) << 16) | (std::uint32_t(e[15]) << 24);
        const std::int64_t area = std::int64_t(w) * h;
        if (area > bestArea || (area == bestArea && bits > bestBits)) {
            bestArea = area;
            bestBits = bits;
            bestOffset = offset;
            bestSize = bytes;
        }
    }
    if (std::uint64_t(bestOffset) + bestSize > size || bestSize < 8)
        r.Truncated();
    const unsigned char* entry = data + bestOffset;

    static const unsigned char pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::memcmp(entry, pngSignature, 8) == 0) {
        TPNGImage png;
        png.LoadFromData(QByteArray::fromRawData(reinterpret_cast<const char*>(entry), int(bestSize)),
                         maxDrawSize);
        SetPicture(png.Image(), png.Width(), png.Height());
        return;
    }

    // A bitmap whose header counts the rows of the colour image and of the mask.
    const dib::THeader h = dib::ReadHeader(entry, bestSize, 0, 2);
    // Icon bitmaps are never run-length encoded; a few bytes of runs could
    // claim a picture of any size.
    if (h.compression == 1 || h.compression == 2)
        ThrowBadPicture("ICO", QStringLiteral("compression non prise en charge"));
    QImage image =
        dib::DecodePixels(entry, bestSize, h, h.afterHeader).convertToFormat(QImage::Format_ARGB32);
    const std::size_t maskOffset =
        h.afterHeader + dib::RowStride(h.width, h.bitCount) * std::size_t(h.height);
    bool usesAlpha = false;
    if (h.bitCount == 32) {
        // 32-bit icons carry their own alpha in the fourth byte.
        const std::size_t stride = dib::RowStride(h.width, 32);
        for (int y = 0; y < h.height; ++y) {
            const unsigned char* src = entry + h.afterHeader + std::size_t(y) * stride;
            QRgb* dst = reinterpret_cast<QRgb*>(image.scanLine(h.topDown ? y : h.height - 1 - y));
            for (int x = 0; x < h.width; ++x) {
                const int a = src[4 * x + 3];
                usesAlpha |= a != 0;
                dst[x] = qRgba(qRed(dst[x]), qGreen(dst[x]), qBlue(dst[x]), a);
            }
        }
    }
    if (!usesAlpha) {
        // The AND mask: 1 bit a pixel, rows padded to 32 bits, set = transparent.
        const std::size_t stride = dib::RowStride(h.width, 1);
        if (std::uint64_t(maskOffset) + std::uint64_t(stride) * unsigned(h.height) > bestSize)
            r.Truncated();
        for (int y = 0; y < h.height; ++y) {
            const unsigned char* src = entry + maskOffset + std::size_t(y) * stride;
            QRgb* dst = reinterpret_cast<QRgb*>(image.scanLine(h.topDown ? y : h.height - 1 - y));
            for (int x = 0; x < h.width; ++x) {
                const bool transparent = (src[x / 8] >> (7 - x % 8)) & 1;
                dst[x] = transparent ? qRgba(0, 0, 0, 0) : (dst[x] | 0xFF000000u);
            }
        }
    }
    SetPicture(std::move(image));
}
