#include "imaging/TTargaImage.h"

#include "imaging/ByteReader.h"
#include "imaging/PictureBuilder.h"
#include "imaging/PictureLimits.h"

#include <algorithm>
#include <vector>

namespace {

[[noreturn]] void bad(const char* what) {
    ThrowBadPicture("Targa", QString::fromUtf8(what));
}

// True when any of the count 32-bit pixels that follow (raw, or in packets
// as the decoder reads them) has a non-zero alpha byte.
bool anyAlpha(TByteReader r, std::uint64_t count, bool rle) {
    for (std::uint64_t n = 0; n < count;) {
        std::uint64_t run = count - n, stored = run;
        if (rle) {
            const unsigned header = r.U8();
            run = std::min<std::uint64_t>((header & 0x7F) + 1, run);
            stored = (header & 0x80) ? 1 : (header & 0x7F) + 1; // a raw packet holds all its pixels
        }
        const unsigned char* p = r.Take(stored * 4);
        for (std::uint64_t i = 0; i < std::min(stored, run); ++i)
            if (p[4 * i + 3])
                return true;
        n += run;
    }
    return false;
}

QRgb from16(unsigned v, bool alphaBit) {
    const int r = int((v >> 10) & 0x1F), g = int((v >> 5) & 0x1F), b = int(v & 0x1F);
    const int a = alphaBit ? ((v & 0x8000) ? 255 : 0) : 255;
    return qRgba((r * 255 + 15) / 31, (g * 255 + 15) / 31, (b * 255 + 15) / 31, a);
}

} // namespace

void TTargaImage::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    TByteReader r(data, size, "Targa");
    const unsigned idLength = r.U8();
    const unsigned mapType = r.U8();
    const unsigned imageType = r.U8();
    const unsigned mapFirst = r.U16LE();
    const unsigned mapLength = r.U16LE();
    const unsigned mapEntryBits = r.U8();
    r.U16LE(); // x origin
    r.U16LE(); // y origin
    const int width = r.U16LE();
    const int height = r.U16LE();
    const unsigned depth = r.U8();
    const unsigned descriptor = r.U8();
    const unsigned alphaBits = descriptor & 0x0F;
    const bool rle = imageType >= 9;
    const unsigned kind = rle ? imageType - 8 : imageType; // 1 mapped, 2 true colour, 3 grey
    if (mapType > 1 || (kind != 1 && kind != 2 && kind != 3) || (imageType > 3 && imageType < 9) ||
        imageType > 11)
        bad("type d'image non pris en charge");
    if (kind == 1 && (mapType != 1 || (depth != 8 && depth != 16)))
        bad("palette invalide");
    if (kind == 2 && depth != 15 && depth != 16 && depth != 24 && depth != 32)
        bad("profondeur non prise en charge");
    if (kind == 3 && depth != 8 && depth != 16)
        bad("profondeur non prise en charge");
    CheckPictureSize(width, height);
    r.Skip(idLength);

    std::vector<QRgb> palette;
    if (mapType == 1) {
        if (mapEntryBits != 15 && mapEntryBits != 16 && mapEntryBits != 24 && mapEntryBits != 32)
            bad("palette invalide");
        const unsigned bytes = (mapEntryBits + 7) / 8;
        const unsigned char* p = r.Take(std::uint64_t(mapLength) * bytes);
        palette.reserve(mapLength);
        for (unsigned i = 0; i < mapLength; ++i, p += bytes) {
            if (bytes == 2)
                palette.push_back(from16(unsigned(p[0] | (p[1] << 8)), false));
            else if (bytes == 3)
                palette.push_back(qRgb(p[2], p[1], p[0]));
            else
                palette.push_back(qRgba(p[2], p[1], p[0], p[3]));
        }
    }

    const unsigned bpp = (depth + 7) / 8;
    // Raw pixels must all be there, and packets hold at most 128 pixels each,
    // before the picture is allocated.
    const std::uint64_t pixels = std::uint64_t(width) * unsigned(height);
    if ((!rle && pixels * bpp > r.Remaining()) || (rle && pixels > std::uint64_t(r.Remaining()) * 128))
        r.Truncated();
    bool useAlpha = (depth == 32 && alphaBits > 0) || (depth == 16 && kind == 2 && alphaBits > 0) ||
                    (kind == 3 && depth == 16) || (kind == 1 && mapEntryBits == 32);
    // Many writers declare alpha bits but leave them all zero: such pictures
    // are shown opaque rather than invisible.
    if (useAlpha && depth == 32 && !anyAlpha(r, std::uint64_t(width) * unsigned(height), rle))
        useAlpha = false;
    TPictureBuilder picture;
    picture.Init(width, height, maxDrawSize, useAlpha);
    auto convert = [&](const unsigned char* p) -> QRgb {
        switch (kind) {
        case 1: {
            const unsigned index = bpp == 1 ? p[0] : unsigned(p[0] | (p[1] << 8));
            if (index < mapFirst || index - mapFirst >= palette.size())
                return qRgb(0, 0, 0);
            return palette[index - mapFirst];
        }
        case 3:
            return qRgba(p[0], p[0], p[0], bpp == 2 ? p[1] : 255);
        default:
            if (bpp == 2)
                return from16(unsigned(p[0] | (p[1] << 8)), useAlpha);
            if (bpp == 3)
                return qRgb(p[2], p[1], p[0]);
            return qRgba(p[2], p[1], p[0], useAlpha ? p[3] : 255);
        }
    };

    // Pixels in file order, then placed by the origin bits of the descriptor;
    // each row is handed to the picture once it is full.
    const bool topDown = descriptor & 0x20;
    const bool rightToLeft = descriptor & 0x10;
    const std::size_t total = std::size_t(width) * std::size_t(height);
    std::size_t n = 0;
    int x = 0, y = 0;
    QRgb* row = picture.Row(topDown ? 0 : height - 1);
    auto place = [&](QRgb c) {
        row[rightToLeft ? width - 1 - x : x] = c;
        ++n;
        if (++x == width) {
            picture.Commit(topDown ? y : height - 1 - y);
            x = 0;
            if (++y < height)
                row = picture.Row(topDown ? y : height - 1 - y);
        }
    };
    if (!rle) {
        const unsigned char* p = r.Take(std::uint64_t(total) * bpp);
        for (std::size_t i = 0; i < total; ++i, p += bpp)
            place(convert(p));
    } else {
        // Packets may run across rows.
        while (n < total) {
            const unsigned header = r.U8();
            const std::size_t count = std::min<std::size_t>((header & 0x7F) + 1, total - n);
            if (header & 0x80) {
                const QRgb c = convert(r.Take(bpp));
                for (std::size_t i = 0; i < count; ++i)
                    place(c);
            } else {
                const unsigned char* p = r.Take(std::uint64_t((header & 0x7F) + 1) * bpp);
                for (std::size_t i = 0; i < count; ++i, p += bpp)
                    place(convert(p));
            }
        }
    }
    SetPicture(picture.Result(), width, height);
}
