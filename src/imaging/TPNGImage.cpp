#include "imaging/TPNGImage.h"

#include "imaging/PictureBuilder.h"
#include "imaging/PictureLimits.h"
#include "imaging/PictureStream.h"
#include "imaging/TRowReducer.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <png.h>

// libpng reports errors by calling the error function, which jumps back with
// longjmp to the setjmp of the function that called libpng. Those functions
// hold only trivially destructible locals and libpng calls no C++ code that
// could hold one, so the jump never skips a destructor.

namespace {

struct TPngState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    TPictureStream* stream = nullptr;
    char message[200] = {};
};

void pngError(png_structp png, png_const_charp text) {
    auto* s = static_cast<TPngState*>(png_get_error_ptr(png));
    std::snprintf(s->message, sizeof s->message, "%s", text ? text : "");
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* s = static_cast<TPngState*>(png_get_io_ptr(png));
    if (s->stream->Read(out, length) != length)
        png_error(png, "données tronquées");
}

// The largest chunk other than the picture data that is read into memory.
constexpr png_alloc_size_t MaxPngChunkBytes = 8 * 1024 * 1024;

struct TPngInfo {
    int width = 0, height = 0;
    bool alpha = false;
    bool interlaced = false;
};

// Reads the header and expands every kind of row to 8-bit R, G, B (and A).
bool readHeader(TPngState* s, TPngInfo* out) {
    if (setjmp(png_jmpbuf(s->png)))
        return false;
    png_set_read_fn(s->png, s, pngRead);
    png_set_user_limits(s->png, MaxPictureSide, MaxPictureSide);
    // A chunk that declares more than this is not read into memory (libpng
    // would allocate what a few bytes claim); text, profiles and the other
    // chunks the picture does not need are skipped as they are read.
    png_set_chunk_malloc_max(s->png, MaxPngChunkBytes);
    static const png_byte unused[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0";
    png_set_keep_unknown_chunks(s->png, PNG_HANDLE_CHUNK_NEVER, unused, int(sizeof unused / 5));
    // The CRC of every chunk already guards the compressed data; zlib's own
    // checksum of the inflated bytes costs a twentieth of the decoding time.
    png_set_option(s->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_read_info(s->png, s->info);
    png_uint_32 w = 0, h = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(s->png, s->info, &w, &h, &depth, &colorType, &interlace, nullptr, nullptr);
    const bool trns = png_get_valid(s->png, s->info, PNG_INFO_tRNS) != 0;
    png_set_expand(s->png); // palette to RGB, grey to 8 bits, tRNS to alpha
    if (depth == 16)
        png_set_strip_16(s->png);
    if (!(colorType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(s->png);
    out->alpha = (colorType & PNG_COLOR_MASK_ALPHA) || trns;
    out->interlaced = interlace != PNG_INTERLACE_NONE;
    out->width = int(w);
    out->height = int(h);
    return true;
}

// Chooses the rows: B, G, R, A words that are QImage pixels (direct), or the
// plain R, G, B (A) bytes the reducer reads. Interlaced pictures are read
// pass by pass, each row of a pass holding only that pass's pixels.
bool setOutput(TPngState* s, const TPngInfo* info, bool direct) {
    if (setjmp(png_jmpbuf(s->png)))
        return false;
    if (direct) {
        png_set_bgr(s->png);
        if (!info->alpha)
            png_set_filler(s->png, 0xFF, PNG_FILLER_AFTER);
    }
    png_read_update_info(s->png, s->info);
    const std::size_t channels = direct || info->alpha ? 4 : 3;
    if (png_get_rowbytes(s->png, s->info) != std::size_t(info->width) * channels)
        png_error(s->png, "format de ligne inattendu");
    return true;
}

// Reads the seven passes of an interlaced picture into the builder, each
// pixel where it belongs, then the end.
bool readPasses(TPngState* s, unsigned char* row, TPictureBuilder* picture, int width, int height) {
    if (setjmp(png_jmpbuf(s->png)))
        return false;
    for (int pass = 0; pass < 7; ++pass) {
        const int cols = int(PNG_PASS_COLS(png_uint_32(width), pass));
        const int rows = int(PNG_PASS_ROWS(png_uint_32(height), pass));
        if (cols == 0 || rows == 0)
            continue; // libpng skips empty passes
        for (int r = 0; r < rows; ++r) {
            png_read_row(s->png, row, nullptr);
            const int y = int(PNG_ROW_FROM_PASS_ROW(png_uint_32(r), pass));
            const QRgb* src = reinterpret_cast<const QRgb*>(row);
            QRgb* dst = picture->Row(y);
            for (int i = 0; i < cols; ++i)
                dst[PNG_COL_FROM_PASS_COL(png_uint_32(i), pass)] = src[i];
            picture->Commit(y);
        }
    }
    png_read_end(s->png, nullptr);
    return true;
}

// Reads a non-interlaced picture into rows, then the end.
bool readAllRows(TPngState* s, unsigned char* bits, std::size_t stride, int height) {
    if (setjmp(png_jmpbuf(s->png)))
        return false;
    for (int y = 0; y < height; ++y)
        png_read_row(s->png, bits + std::size_t(y) * stride, nullptr);
    png_read_end(s->png, nullptr);
    return true;
}

// Reads a non-interlaced picture row by row into the reducer, then the end.
bool readReducedRows(TPngState* s, unsigned char* row, TRowReducer* reducer, int height) {
    if (setjmp(png_jmpbuf(s->png)))
        return false;
    for (int y = 0; y < height; ++y) {
        png_read_row(s->png, row, nullptr);
        reducer->AddRow(row);
    }
    png_read_end(s->png, nullptr);
    return true;
}

struct TPngGuard {
    TPngState* s;
    ~TPngGuard() { png_destroy_read_struct(&s->png, s->info ? &s->info : nullptr, nullptr); }
};

} // namespace

void TPNGImage::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    TPictureStream stream(data, size);
    decode(stream, maxDrawSize);
}

void TPNGImage::DecodeFile(QFile& file, QSize maxDrawSize) {
    TPictureStream stream(&file);
    decode(stream, maxDrawSize);
}

void TPNGImage::decode(TPictureStream& stream, QSize maxDrawSize) {
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "BGRA rows are ARGB32 pixels on little-endian hosts");
    const QByteArray signature = stream.Peek(8);
    if (signature.size() < 8 ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(signature.constData()), 0, 8) != 0)
        ThrowBadPicture("PNG", QStringLiteral("signature absente"));
    auto state = std::make_unique<TPngState>();
    TPngState* s = state.get();
    s->stream = &stream;
    s->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, s, pngError, pngWarning);
    if (!s->png)
        ThrowBadPicture("PNG", QStringLiteral("mémoire insuffisante"));
    TPngGuard guard{s};
    s->info = png_create_info_struct(s->png);
    if (!s->info)
        ThrowBadPicture("PNG", QStringLiteral("mémoire insuffisante"));

    TPngInfo info;
    if (!readHeader(s, &info))
        ThrowBadPicture("PNG", QString::fromUtf8(s->message));
    CheckPictureSize(info.width, info.height);

    const int k = ReductionFactor(info.width, info.height, maxDrawSize);
    const bool reduce = k > 1 && !info.interlaced;
    if (!setOutput(s, &info, !reduce))
        ThrowBadPicture("PNG", QString::fromUtf8(s->message));
    if (reduce) {
        const int channels = info.alpha ? 4 : 3;
        TRowReducer reducer;
        reducer.Init(info.width, info.height, k, channels);
        std::unique_ptr<unsigned char[]> row(new unsigned char[std::size_t(info.width) * channels]);
        if (!readReducedRows(s, row.get(), &reducer, info.height))
            ThrowBadPicture("PNG", QString::fromUtf8(s->message));
        SetPicture(reducer.Result(), info.width, info.height);
        return;
    }
    if (info.interlaced) {
        // Every pass adds pixels to rows all over the picture: the builder
        // holds them (reduced when drawn smaller).
        TPictureBuilder picture;
        picture.Init(info.width, info.height, maxDrawSize, info.alpha);
        std::unique_ptr<QRgb[]> row(new QRgb[std::size_t(info.width)]);
        if (!readPasses(s, reinterpret_cast<unsigned char*>(row.get()), &picture, info.width, info.height))
            ThrowBadPicture("PNG", QString::fromUtf8(s->message));
        SetPicture(picture.Result(), info.width, info.height);
        return;
    }
    QImage image =
        AllocatePicture(info.width, info.height, info.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (!readAllRows(s, image.bits(), std::size_t(image.bytesPerLine()), info.height))
        ThrowBadPicture("PNG", QString::fromUtf8(s->message));
    SetPicture(std::move(image), info.width, info.height);
}
