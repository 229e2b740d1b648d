#include "imaging/TPNMImage.h"

#include "imaging/ByteReader.h"
#include "imaging/PictureBuilder.h"
#include "imaging/PictureLimits.h"

namespace {

[[noreturn]] void bad(const char* what) {
    ThrowBadPicture("PNM", QString::fromUtf8(what));
}

bool isSpace(unsigned c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Skips blanks and comments (from '#' to the end of the line).
void skipBlanks(TByteReader& r) {
    while (!r.AtEnd()) {
        const unsigned c = r.Data()[r.Pos()];
        if (c == '#') {
            while (!r.AtEnd() && r.Data()[r.Pos()] != '\n' && r.Data()[r.Pos()] != '\r')
                r.Skip(1);
        } else if (isSpace(c)) {
            r.Skip(1);
        } else {
            break;
        }
    }
}

// A decimal number after optional blanks; at most limit.
unsigned readNumber(TByteReader& r, unsigned limit) {
    skipBlanks(r);
    if (r.AtEnd())
        r.Truncated();
    std::uint64_t v = 0;
    int digits = 0;
    while (!r.AtEnd()) {
        const unsigned c = r.Data()[r.Pos()];
        if (c < '0' || c > '9')
            break;
        v = v * 10 + (c - '0');
        if (v > limit)
            bad("valeur hors limites");
        ++digits;
        r.Skip(1);
    }
    if (digits == 0)
        bad("nombre attendu");
    return unsigned(v);
}

} // namespace

void TPNMImage::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    TByteReader r(data, size, "PNM");
    if (r.U8() != 'P')
        bad("signature absente");
    const unsigned kind = r.U8() - '0';
    if (kind < 1 || kind > 6)
        bad("variante non prise en charge");
    const bool bitmap = kind == 1 || kind == 4;
    const bool colour = kind == 3 || kind == 6;
    const bool ascii = kind <= 3;
    const unsigned width = readNumber(r, 0xFFFFFFFFu);
    const unsigned height = readNumber(r, 0xFFFFFFFFu);
    const unsigned maxval = bitmap ? 1 : readNumber(r, 65535);
    if (maxval == 0)
        bad("valeur maximale nulle");
    CheckPictureSize(width, height);
    if (!ascii) {
        // Exactly one blank separates the header from the binary samples.
        if (!isSpace(r.U8()))
            bad("en-tête invalide");
    }
    const unsigned samples = colour ? 3 : 1;
    const unsigned bytesPerSample = maxval > 255 ? 2 : 1;
    // The samples must be there before the picture is allocated: binary
    // rows in full, at least one character a sample in text files.
    const std::uint64_t count = std::uint64_t(width) * height;
    const std::uint64_t needed = kind == 4 ? std::uint64_t((width + 7) / 8) * height
                                 : ascii   ? count * samples
                                           : count * samples * bytesPerSample;
    if (needed > r.Remaining())
        r.Truncated();
    TPictureBuilder picture;
    picture.Init(int(width), int(height), maxDrawSize, false);
    auto scale = [maxval](unsigned v) { return int((v * 255u + maxval / 2) / maxval); };

    if (kind == 4) {
        const std::size_t rowBytes = (width + 7) / 8;
        const unsigned char* p = r.Take(std::uint64_t(rowBytes) * height);
        for (unsigned y = 0; y < height; ++y) {
            QRgb* dst = picture.Row(int(y));
            const unsigned char* row = p + y * rowBytes;
            for (unsigned x = 0; x < width; ++x)
                dst[x] = ((row[x / 8] >> (7 - x % 8)) & 1) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            picture.Commit(int(y));
        }
    } else if (!ascii) {
        const std::uint64_t rowBytes = std::uint64_t(width) * samples * bytesPerSample;
        const unsigned char* p = r.Take(rowBytes * height);
        for (unsigned y = 0; y < height; ++y) {
            QRgb* dst = picture.Row(int(y));
            const unsigned char* s = p + y * rowBytes;
            int v[3] = {0, 0, 0};
            for (unsigned x = 0; x < width; ++x) {
                for (unsigned c = 0; c < samples; ++c, s += bytesPerSample) {
                    const unsigned raw = bytesPerSample == 2 ? unsigned((s[0] << 8) | s[1]) : s[0];
                    if (raw > maxval)
                        bad("valeur hors limites");
                    v[c] = scale(raw);
                }
                dst[x] = colour ? qRgb(v[0], v[1], v[2]) : qRgb(v[0], v[0], v[0]);
            }
            picture.Commit(int(y));
        }
    } else {
        for (unsigned y = 0; y < height; ++y) {
            QRgb* dst = picture.Row(int(y));
            for (unsigned x = 0; x < width; ++x) {
                if (kind == 1) {
                    // Plain bitmaps may run their digits together.
                    skipBlanks(r);
                    const unsigned c = r.U8();
                    if (c != '0' && c != '1')
                        bad("chiffre attendu");
                    dst[x] = c == '1' ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                    continue;
                }
                int v[3] = {0, 0, 0};
                for (unsigned c = 0; c < samples; ++c)
                    v[c] = scale(readNumber(r, maxval));
                dst[x] = colour ? qRgb(v[0], v[1], v[2]) : qRgb(v[0], v[0], v[0]);
            }
            picture.Commit(int(y));
        }
    }
    SetPicture(picture.Result(), int(width), int(height));
}
