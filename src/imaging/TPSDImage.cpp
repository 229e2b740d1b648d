#include "imaging/TPSDImage.h"

#include "imaging/ByteReader.h"
#include "imaging/PictureBuilder.h"
#include "imaging/PictureLimits.h"

#include <cstring>
#include <vector>

namespace {

[[noreturn]] void bad(const char* what) {
    ThrowBadPicture("Photoshop", QString::fromUtf8(what));
}

enum { ModeBitmap = 0, ModeGrey = 1, ModeIndexed = 2, ModeRGB = 3, ModeCMYK = 4, ModeDuotone = 8 };

// Unpacks one PackBits row of exactly rowBytes bytes.
void unpackRow(TByteReader& r, unsigned char* out, std::size_t rowBytes) {
    std::size_t n = 0;
    while (n < rowBytes) {
        const int header = static_cast<signed char>(r.U8());
        if (header >= 0) {
            const std::size_t count = std::size_t(header) + 1;
            if (count > rowBytes - n)
                bad("ligne trop longue");
            const unsigned char* p = r.Take(count);
            std::memcpy(out + n, p, count);
            n += count;
        } else if (header != -128) {
            const std::size_t count = std::size_t(1 - header);
            if (count > rowBytes - n)
                bad("ligne trop longue");
            std::memset(out + n, r.U8(), count);
            n += count;
        }
    }
}

} // namespace

void TPSDImage::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    TByteReader r(data, size, "Photoshop");
    if (size < 26 || std::memcmp(data, "8BPS", 4) != 0)
        bad("signature absente");
    r.Seek(4);
    if (r.U16BE() != 1)
        bad("version non prise en charge");
    r.Skip(6);
    const unsigned channels = r.U16BE();
    const std::uint32_t height = r.U32BE();
    const std::uint32_t width = r.U32BE();
    const unsigned depth = r.U16BE();
    const unsigned mode = r.U16BE();
    if (channels < 1 || channels > 56)
        bad("nombre de canaux invalide");
    CheckPictureSize(width, height);
    unsigned needed = 0;
    switch (mode) {
    case ModeBitmap:
        needed = 1;
        if (depth != 1)
            bad("profondeur invalide");
        break;
    case ModeGrey:
    case ModeDuotone:
    case ModeIndexed:
        needed = 1;
        break;
    case ModeRGB:
        needed = 3;
        break;
    case ModeCMYK:
        needed = 4;
        break;
    default:
        bad("mode de couleur non pris en charge");
    }
    if (mode != ModeBitmap && depth != 8 && depth != 16)
        bad("profondeur non prise en charge");
    if (mode == ModeIndexed && depth != 8)
        bad("profondeur non prise en charge");
    if (channels < needed)
        bad("canaux manquants");

    // Colour mode data (the palette of indexed pictures), image resources,
    // layers and masks: the composite comes after them.
    const std::uint32_t colourModeLength = r.U32BE();
    const unsigned char* colourMode = r.Take(colourModeLength);
    QRgb palette[256];
    if (mode == ModeIndexed) {
        if (colourModeLength < 768)
            bad("palette absente");
        for (int i = 0; i < 256; ++i)
            palette[i] = qRgb(colourMode[i], colourMode[256 + i], colourMode[512 + i]);
    }
    r.Skip(r.U32BE());
    r.Skip(r.U32BE());
    const unsigned compression = r.U16BE();
    if (compression > 1)
        bad("compression non prise en charge");

    const std::size_t rowBytes = (std::size_t(width) * depth + 7) / 8;
    const std::uint64_t planeBytes = std::uint64_t(rowBytes) * height;
    // Every channel must be there before the picture is allocated: raw
    // planes in full; packed rows as counted, at least one byte a row.
    const std::uint64_t rows = std::uint64_t(height) * channels;
    if (compression == 0 ? planeBytes * channels > r.Remaining() : rows * 3 > r.Remaining())
        r.Truncated();
    // Where the rows of each channel used start: raw planes one after the
    // other; packed rows after the byte counts of every row of every channel.
    const unsigned char* next[4] = {};
    const unsigned char* counts = nullptr;
    if (compression == 0) {
        for (unsigned c = 0; c < needed; ++c)
            next[c] = r.Data() + r.Pos() + c * planeBytes;
    } else {
        counts = r.Take(rows * 2);
        std::uint64_t total = 0;
        for (std::uint64_t i = 0; i < rows; ++i) {
            if (i % height == 0 && i / height < needed)
                next[i / height] = r.Data() + r.Pos() + total;
            total += unsigned((counts[2 * i] << 8) | counts[2 * i + 1]);
        }
        if (total > r.Remaining())
            r.Truncated();
    }

    // Row by row, so that no plane of the whole picture is held; reduced when
    // drawn smaller.
    TPictureBuilder picture;
    picture.Init(int(width), int(height), maxDrawSize, false);
    std::vector<unsigned char> unpacked(compression == 0 ? 0 : rowBytes * needed);
    const unsigned char* row[4] = {};
    const std::size_t step = depth == 16 ? 2 : 1; // 16-bit samples: the high byte
    for (std::uint32_t y = 0; y < height; ++y) {
        for (unsigned c = 0; c < needed; ++c) {
            if (compression == 0) {
                row[c] = next[c];
                next[c] += rowBytes;
                continue;
            }
            const std::uint64_t i = std::uint64_t(c) * height + y;
            const unsigned length = unsigned((counts[2 * i] << 8) | counts[2 * i + 1]);
            TByteReader packed(next[c], length, "Photoshop");
            unpackRow(packed, unpacked.data() + c * rowBytes, rowBytes);
            row[c] = unpacked.data() + c * rowBytes;
            next[c] += length;
        }
        QRgb* dst = picture.Row(int(y));
        auto at = [&](unsigned c, std::uint32_t x) { return int(row[c][x * step]); };
        for (std::uint32_t x = 0; x < width; ++x) {
            switch (mode) {
            case ModeBitmap: {
                const bool black = (row[0][x / 8] >> (7 - x % 8)) & 1;
                dst[x] = black ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                break;
            }
            case ModeIndexed:
                dst[x] = palette[at(0, x)];
                break;
            case ModeRGB:
                dst[x] = qRgb(at(0, x), at(1, x), at(2, x));
                break;
            case ModeCMYK: {
                // Stored inverted: 255 is no ink.
                const int k = at(3, x);
                dst[x] = qRgb(at(0, x) * k / 255, at(1, x) * k / 255, at(2, x) * k / 255);
                break;
            }
            default: {
                const int v = at(0, x);
                dst[x] = qRgb(v, v, v);
                break;
            }
            }
        }
        picture.Commit(int(y));
    }
    SetPicture(picture.Result(), int(width), int(height));
}
