#include "imaging/TSGIImage.h"

#include "imaging/ByteReader.h"
#include "imaging/PictureBuilder.h"
#include "imaging/PictureLimits.h"

#include <vector>

namespace {
[[noreturn]] void bad(const char* what) {
    ThrowBadPicture("SGI", QString::fromUtf8(what));
}
} // namespace

void TSGIImage::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    TByteReader r(data, size, "SGI");
    if (r.U16BE() != 474)
        bad("signature absente");
    const unsigned storage = r.U8();
    const unsigned bpc = r.U8();
    const unsigned dimension = r.U16BE();
    const int width = r.U16BE();
    int height = r.U16BE();
    unsigned channels = r.U16BE();
    r.Seek(104);
    const std::uint32_t colormap = r.U32BE();
    if (storage > 1 || (bpc != 1 && bpc != 2) || dimension < 1 || dimension > 3 || colormap != 0)
        bad("variante non prise en charge");
    if (dimension == 1)
        height = 1;
    if (dimension < 3)
        channels = 1;
    if (channels == 0)
        bad("aucun canal");
    CheckPictureSize(width, height);
    const unsigned used = channels > 4 ? 4 : channels;
    r.Seek(512);

    if (storage == 0 && std::uint64_t(width) * bpc * unsigned(height) * channels > r.Remaining())
        r.Truncated();
    const std::uint64_t rows = std::uint64_t(height) * channels;
    const unsigned char* raw = nullptr;    // uncompressed: all planes, one after the other
    const unsigned char* starts = nullptr; // run-length: offset and length of every row
    const unsigned char* lengths = nullptr;
    const std::uint64_t rowBytes = std::uint64_t(width) * bpc;
    if (storage == 0) {
        raw = r.Take(rowBytes * rows);
    } else {
        starts = r.Take(rows * 4);
        lengths = r.Take(rows * 4);
    }
    auto be32 = [](const unsigned char* p) {
        return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
    };
    // One row of channel c (rows from the bottom) into dst, 8 bits a sample.
    auto readRow = [&](unsigned c, int y, unsigned char* dst) {
        const std::uint64_t index = std::uint64_t(c) * unsigned(height) + unsigned(y);
        if (storage == 0) {
            const unsigned char* src = raw + index * rowBytes;
            for (int x = 0; x < width; ++x)
                dst[x] = src[std::size_t(x) * bpc]; // high byte of 16-bit samples
            return;
        }
        const std::uint32_t start = be32(starts + index * 4);
        const std::uint32_t length = be32(lengths + index * 4);
        if (std::uint64_t(start) + length > size)
            r.Truncated();
        TByteReader row(data + start, length, "SGI");
        int x = 0;
        auto sample = [&]() -> unsigned { return bpc == 1 ? row.U8() : unsigned(row.U16BE() >> 8); };
        for (;;) {
            const unsigned code = bpc == 1 ? row.U8() : row.U16BE();
            const unsigned count = code & 0x7F;
            if (count == 0)
                break;
            if (x + int(count) > width)
                bad("ligne trop longue");
            if (code & 0x80) {
                for (unsigned i = 0; i < count; ++i)
                    dst[x++] = static_cast<unsigned char>(sample());
            } else {
                const unsigned v = sample();
                for (unsigned i = 0; i < count; ++i)
                    dst[x++] = static_cast<unsigned char>(v);
            }
        }
        if (x != width)
            bad("ligne incomplète");
    };

    // Row by row, so that no plane of the whole picture is held: the rows of
    // the used channels, then the pixels (reduced when drawn smaller).
    const bool alpha = used == 2 || used == 4;
    TPictureBuilder picture;
    picture.Init(width, height, maxDrawSize, alpha);
    std::vector<unsigned char> samples(std::size_t(used) * std::size_t(width));
    unsigned char* ch[4] = {};
    for (unsigned c = 0; c < used; ++c)
        ch[c] = samples.data() + std::size_t(c) * std::size_t(width);
    for (int y = 0; y < height; ++y) {
        for (unsigned c = 0; c < used; ++c)
            readRow(c, y, ch[c]);
        QRgb* dst = picture.Row(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const int v0 = ch[0][x];
            switch (used) {
            case 1:
                dst[x] = qRgb(v0, v0, v0);
                break;
            case 2:
                dst[x] = qRgba(v0, v0, v0, ch[1][x]);
                break;
            case 3:
                dst[x] = qRgb(v0, ch[1][x], ch[2][x]);
                break;
            default:
                dst[x] = qRgba(v0, ch[1][x], ch[2][x], ch[3][x]);
                break;
            }
        }
        picture.Commit(height - 1 - y);
    }
    SetPicture(picture.Result(), width, height);
}
