#include "imaging/DibDecoder.h"

#include "imaging/ByteReader.h"
#include "imaging/PictureBuilder.h"
#include "imaging/PictureLimits.h"

#include <algorithm>
#include <climits>

namespace dib {
namespace {

constexpr const char* Fmt = "BMP";
enum { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

[[noreturn]] void bad(const char* what) {
    ThrowBadPicture(Fmt, QString::fromUtf8(what));
}

// One channel of a bit-field pixel, scaled to 0..255.
struct TChannel {
    unsigned mask = 0;
    int shift = 0;
    unsigned max = 0;
    explicit TChannel(unsigned m) : mask(m) {
        if (!m)
            return;
        while (!((m >> shift) & 1u))
            ++shift;
        max = m >> shift;
    }
    unsigned operator()(unsigned v) const {
        if (!mask)
            return 0;
        return unsigned((std::uint64_t((v & mask) >> shift) * 255u + max / 2) / max);
    }
};

// Rows run from the bottom; pixels that no code sets keep the first palette
// colour. Each row is handed to the picture when the codes leave it.
void decodeRle(TByteReader& r, const THeader& h, const QVector<QRgb>& pal, TPictureBuilder& picture) {
    const bool rle4 = h.compression == BI_RLE4;
    const int w = h.width;
    const QRgb background = pal.isEmpty() ? qRgb(0, 0, 0) : pal[0];
    int x = 0;
    int y = 0;                             // rows from the bottom
    QRgb* row = picture.Row(h.height - 1); // the row y, started
    std::fill_n(row, w, background);
    // Pixels past the end of a row are dropped (x stops at w).
    auto put = [&](unsigned index) {
        if (x < w && y < h.height)
            row[x++] = index < unsigned(pal.size()) ? pal[int(index)] : qRgb(0, 0, 0);
    };
    // Moves down by dy rows: the current row is done, the rows skipped keep
    // the background colour.
    auto nextRows = [&](int dy) {
        if (y < h.height)
            picture.Commit(h.height - 1 - y);
        const int last = std::min(y + dy, h.height); // the row after the skipped ones
        picture.FillRows(h.height - last, h.height - 1 - y, background);
        y = std::min(y + dy, h.height);
        if (y < h.height) {
            row = picture.Row(h.height - 1 - y);
            std::fill_n(row, w, background);
        }
    };
    // Runs until the end-of-bitmap mark. Data that ends before it is
    // truncated, unless every row is there (only the mark is missing).
    for (;;) {
        if (r.AtEnd() && (y >= h.height || (y == h.height - 1 && x >= w)))
            break;
        const unsigned count = r.U8();
        const unsigned value = r.U8();
        if (count > 0) {
            for (unsigned i = 0; i < count && x < w; ++i)
                put(rle4 ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            nextRows(1);
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // delta
            x = std::min(x + int(r.U8()), w);
            const int dy = r.U8();
            if (dy > 0)
                nextRows(dy);
        } else { // absolute run of value pixels, padded to 16 bits
            const unsigned bytes = rle4 ? (value + 1) / 2 : value;
            const unsigned char* p = r.Take(bytes + (bytes & 1));
            for (unsigned i = 0; i < value; ++i)
                put(rle4 ? ((i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4)) : p[i]);
        }
    }
    nextRows(h.height); // the rest keeps the background
}

} // namespace

std::size_t RowStride(int width, int bitCount) {
    return std::size_t((std::uint64_t(width) * unsigned(bitCount) + 31) / 32 * 4);
}

THeader ReadHeader(const unsigned char* data, std::size_t size, std::size_t infoOffset, int heightDivisor) {
    TByteReader r(data, size, Fmt);
    r.Seek(infoOffset);
    THeader h;
    h.infoOffset = infoOffset;
    h.infoSize = r.U32LE();
    std::int64_t height = 0;
    if (h.infoSize == 12) { // OS/2 core header
        h.width = r.U16LE();
        height = std::int16_t(r.U16LE());
        r.U16LE(); // planes
        h.bitCount = r.U16LE();
    } else if (h.infoSize >= 16 && h.infoSize <= 124) {
        r.Seek(infoOffset + 4);
        h.width = r.I32LE();
        height = r.I32LE();
        r.U16LE(); // planes
        h.bitCount = r.U16LE();
        if (h.infoSize >= 20)
            h.compression = r.U32LE();
        const bool os2v2 = h.infoSize != 40 && h.infoSize != 52 && h.infoSize != 56 && h.infoSize != 108 &&
                           h.infoSize != 124;
        if (os2v2 && h.compression > BI_RLE4)
            bad("compression OS/2 non prise en charge");
        std::uint32_t clrUsed = 0;
        if (h.infoSize >= 36) {
            r.Seek(infoOffset + 32);
            clrUsed = r.U32LE();
        }
        if (!os2v2 && (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS)) {
            // The masks stand in the larger headers, or right after a 40-byte one.
            r.Seek(infoOffset + 40);
            const int n = h.compression == BI_ALPHABITFIELDS || h.infoSize >= 56 ? 4 : 3;
            for (int i = 0; i < n; ++i)
                h.masks[i] = r.U32LE();
            h.hasMasks = true;
        }
        if (h.bitCount <= 8 && h.bitCount > 0) {
            const std::uint64_t count = clrUsed ? clrUsed : (1u << h.bitCount);
            h.palette.resize(0);
            r.Seek(infoOffset + h.infoSize);
            const std::uint64_t used = count > 256 ? 256 : count;
            const unsigned char* p = r.Take(used * 4);
            for (std::uint64_t i = 0; i < used; ++i)
                h.palette.push_back(qRgb(p[i * 4 + 2], p[i * 4 + 1], p[i * 4]));
            r.Skip((count - used) * 4);
        } else if (h.infoSize == 40 && h.hasMasks) {
            r.Seek(infoOffset + 40 + (h.compression == BI_ALPHABITFIELDS ? 16 : 12));
        } else {
            r.Seek(infoOffset + h.infoSize);
        }
        h.afterHeader = r.Pos();
    } else {
        bad("en-tête inconnu");
    }
    if (h.infoSize == 12) {
        if (h.bitCount <= 8 && h.bitCount > 0) {
            const unsigned count = 1u << h.bitCount;
            const unsigned char* p = r.Take(count * 3);
            for (unsigned i = 0; i < count; ++i)
                h.palette.push_back(qRgb(p[i * 3 + 2], p[i * 3 + 1], p[i * 3]));
        }
        h.afterHeader = r.Pos();
    }
    if (height == INT_MIN || height == 0 || h.width <= 0)
        bad("dimensions invalides");
    h.topDown = height < 0;
    height = height < 0 ? -height : height;
    if (heightDivisor > 1)
        height /= heightDivisor;
    h.height = int(height);
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        bad("profondeur de couleur non prise en charge");
    }
    switch (h.compression) {
    case BI_RGB:
        break;
    case BI_RLE8:
        if (h.bitCount != 8 || h.topDown)
            bad("compression RLE8 invalide");
        break;
    case BI_RLE4:
        if (h.bitCount != 4 || h.topDown)
            bad("compression RLE4 invalide");
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (h.bitCount != 16 && h.bitCount != 32)
            bad("champs de bits invalides");
        break;
    default:
        bad("compression non prise en charge");
    }
    if (h.bitCount <= 8 && h.palette.isEmpty())
        bad("palette absente");
    CheckPictureSize(h.width, h.height);
    return h;
}

QImage DecodePixels(const unsigned char* data, std::size_t size, const THeader& h, std::size_t pixelOffset,
                    QSize maxDrawSize) {
    TByteReader r(data, size, Fmt);
    r.Seek(pixelOffset);
    unsigned masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    if (!h.hasMasks && h.bitCount == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
        masks[3] = 0;
    } else if (!h.hasMasks && h.bitCount == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0xFF00;
        masks[2] = 0xFF;
        masks[3] = 0;
    }
    const bool alpha = (h.bitCount == 16 || h.bitCount == 32) && masks[3] != 0;
    const bool rle = h.compression == BI_RLE4 || h.compression == BI_RLE8;
    const std::size_t stride = RowStride(h.width, h.bitCount);
    // Uncompressed rows must all be there before the picture is allocated.
    if (!rle && std::uint64_t(stride) * unsigned(h.height) > r.Remaining())
        r.Truncated();
    TPictureBuilder picture;
    picture.Init(h.width, h.height, maxDrawSize, alpha);
    const QVector<QRgb>& pal = h.palette;

    if (rle) {
        decodeRle(r, h, pal, picture);
        return picture.Result();
    }

    const unsigned char* base = r.Data() + r.Pos();
    const TChannel cr(masks[0]), cg(masks[1]), cb(masks[2]), ca(masks[3]);
    const int w = h.width;
    for (int row = 0; row < h.height; ++row) {
        const unsigned char* src = base + std::size_t(row) * stride;
        const int y = h.topDown ? row : h.height - 1 - row;
        QRgb* dst = picture.Row(y);
        switch (h.bitCount) {
        case 1:
        case 4:
        case 8: {
            const int bits = h.bitCount;
            const unsigned valueMask = (1u << bits) - 1;
            for (int x = 0; x < w; ++x) {
                const std::size_t bit = std::size_t(x) * unsigned(bits);
                const unsigned index = (src[bit / 8] >> (8 - bits - int(bit % 8))) & valueMask;
                dst[x] = index < unsigned(pal.size()) ? pal[int(index)] : qRgb(0, 0, 0);
            }
            break;
        }
        case 16:
            for (int x = 0; x < w; ++x) {
                const unsigned v = unsigned(src[2 * x] | (src[2 * x + 1] << 8));
                dst[x] = qRgba(int(cr(v)), int(cg(v)), int(cb(v)), alpha ? int(ca(v)) : 255);
            }
            break;
        case 24:
            for (int x = 0; x < w; ++x)
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
            break;
        case 32:
            if (!h.hasMasks) {
                for (int x = 0; x < w; ++x)
                    dst[x] = qRgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]);
            } else {
                for (int x = 0; x < w; ++x) {
                    const unsigned v = unsigned(src[4 * x]) | (unsigned(src[4 * x + 1]) << 8) |
                                       (unsigned(src[4 * x + 2]) << 16) | (unsigned(src[4 * x + 3]) << 24);
                    dst[x] = qRgba(int(cr(v)), int(cg(v)), int(cb(v)), alpha ? int(ca(v)) : 255);
                }
            }
            break;
        }
        picture.Commit(y);
    }
    return picture.Result();
}

} // namespace dib
