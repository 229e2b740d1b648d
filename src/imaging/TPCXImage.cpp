#include "imaging/TPCXImage.h"

#include "imaging/ByteReader.h"
#include "imaging/PictureBuilder.h"
#include "imaging/PictureLimits.h"

#include <vector>

namespace {
[[noreturn]] void bad(const char* what) {
    ThrowBadPicture("PCX", QString::fromUtf8(what));
}
} // namespace

void TPCXImage::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    TByteReader r(data, size, "PCX");
    const unsigned char* h = r.Take(128);
    const unsigned manufacturer = h[0];
    const unsigned encoding = h[2];
    const unsigned bits = h[3];
    const int xmin = h[4] | (h[5] << 8), ymin = h[6] | (h[7] << 8);
    const int xmax = h[8] | (h[9] << 8), ymax = h[10] | (h[11] << 8);
    const unsigned planes = h[65];
    const std::size_t bytesPerLine = std::size_t(h[66] | (h[67] << 8));
    if (manufacturer != 0x0A || encoding > 1)
        bad("en-tête invalide");
    const int width = xmax - xmin + 1;
    const int height = ymax - ymin + 1;
    CheckPictureSize(width, height);
    const bool paletted = planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
    const bool planar = bits == 1 && planes >= 2 && planes <= 4;
    const bool rgb = bits == 8 && (planes == 3 || planes == 4);
    if (!paletted && !planar && !rgb)
        bad("profondeur non prise en charge");
    if (bytesPerLine < (std::size_t(width) * bits + 7) / 8)
        bad("longueur de ligne invalide");

    // Palette: 16 entries in the header, 256 after the marker 0x0C at the end.
    QRgb palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = qRgb(0, 0, 0);
    if (paletted && bits == 8) {
        if (size < 128 + 769 || data[size - 769] != 0x0C)
            bad("palette absente");
        const unsigned char* p = data + size - 768;
        for (int i = 0; i < 256; ++i)
            palette[i] = qRgb(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
    } else if (paletted && bits == 1) {
        palette[0] = qRgb(0, 0, 0);
        palette[1] = qRgb(255, 255, 255);
    } else {
        for (int i = 0; i < 16; ++i)
            palette[i] = qRgb(h[16 + 3 * i], h[17 + 3 * i], h[18 + 3 * i]);
    }
    // The 256-colour palette is not part of the pixel data.
    const std::size_t dataEnd = paletted && bits == 8 ? size - 769 : size;
    TByteReader px(data, dataEnd, "PCX");
    px.Seek(128);

    const std::size_t lineBytes = bytesPerLine * planes;
    std::vector<unsigned char> line(lineBytes);
    // Two bytes of packed data fill at most 63 bytes of the lines: data too
    // short for every line is truncated before the picture is allocated.
    const std::uint64_t allLines = std::uint64_t(lineBytes) * unsigned(height);
    if (allLines > (encoding == 0 ? px.Remaining() : std::uint64_t(px.Remaining()) * 32))
        px.Truncated();
    TPictureBuilder picture;
    picture.Init(width, height, maxDrawSize, planes == 4 && rgb);
    unsigned runValue = 0;
    std::size_t runLeft = 0; // runs may continue into the next line
    for (int y = 0; y < height; ++y) {
        if (encoding == 0) {
            const unsigned char* p = px.Take(lineBytes);
            std::copy(p, p + lineBytes, line.begin());
        } else {
            std::size_t i = 0;
            while (i < lineBytes) {
                if (runLeft == 0) {
                    const unsigned c = px.U8();
                    if ((c & 0xC0) == 0xC0) {
                        runLeft = c & 0x3F; // may be an empty run
                        runValue = px.U8();
                    } else {
                        runLeft = 1;
                        runValue = c;
                    }
                    continue;
                }
                line[i++] = static_cast<unsigned char>(runValue);
                --runLeft;
            }
        }
        QRgb* dst = picture.Row(y);
        for (int x = 0; x < width; ++x) {
            if (rgb) {
                const unsigned char* l = line.data();
                dst[x] = qRgba(l[x], l[bytesPerLine + x], l[2 * bytesPerLine + x],
                               planes == 4 ? l[3 * bytesPerLine + x] : 255);
            } else if (planar) {
                unsigned index = 0;
                for (unsigned p = 0; p < planes; ++p)
                    index |= ((line[p * bytesPerLine + unsigned(x) / 8] >> (7 - x % 8)) & 1u) << p;
                dst[x] = palette[index];
            } else {
                const std::size_t bit = std::size_t(x) * bits;
                const unsigned index = (line[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                dst[x] = palette[index];
            }
        }
        picture.Commit(y);
    }
    SetPicture(picture.Result(), width, height);
}
