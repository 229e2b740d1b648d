#include "imaging/TTIFFImage.h"

#include "imaging/PictureBuilder.h"
#include "imaging/PictureLimits.h"

#include <algorithm>
#include <memory>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <tiffio.h>

namespace {

struct TTiffSource {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
    char message[256];
};

tmsize_t tiffRead(thandle_t h, void* out, tmsize_t length) {
    auto* s = static_cast<TTiffSource*>(h);
    if (length <= 0 || s->pos >= s->size)
        return 0;
    const std::size_t n = std::min(std::size_t(length), s->size - s->pos);
    std::memcpy(out, s->data + s->pos, n);
    s->pos += n;
    return tmsize_t(n);
}

tmsize_t tiffWrite(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t tiffSeek(thandle_t h, toff_t offset, int whence) {
    auto* s = static_cast<TTiffSource*>(h);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = s->pos;
    else if (whence == SEEK_END)
        base = s->size;
    const std::uint64_t target = base + offset;
    if (target < base) // wrapped
        return toff_t(-1);
    // Seeking past the end is allowed; reads there return nothing.
    s->pos = target > s->size ? s->size : std::size_t(target);
    return target;
}

int tiffClose(thandle_t) {
    return 0;
}
toff_t tiffSize(thandle_t h) {
    return static_cast<TTiffSource*>(h)->size;
}
int tiffMap(thandle_t, void**, toff_t*) {
    return 0;
}
void tiffUnmap(thandle_t, void*, toff_t) {}

int tiffError(TIFF*, void* user, const char*, const char* fmt, va_list ap) {
    auto* s = static_cast<TTiffSource*>(user);
    if (!s->message[0])
        std::vsnprintf(s->message, sizeof s->message, fmt, ap);
    return 1;
}

// Warnings are ignored, except a tag that could not be read because the file
// ends too early, and a colour map that was dropped: libtiff would go on
// without them and show a palette picture in grey.
int tiffWarning(TIFF*, void* user, const char*, const char* fmt, va_list ap) {
    char text[256];
    std::vsnprintf(text, sizeof text, fmt, ap);
    auto* s = static_cast<TTiffSource*>(user);
    const bool fatal = std::strstr(text, "IO error") || std::strstr(text, "\"ColorMap\"");
    if (fatal && !s->message[0])
        std::snprintf(s->message, sizeof s->message, "%s", text);
    return 1;
}

// The most a band of full-size rows may hold.
constexpr std::uint64_t MaxBandBytes = 4 * 1024 * 1024;
// The largest block libtiff may allocate: this plus this many bytes per byte
// of the file.
constexpr std::uint64_t MinTiffMemory = 64 * 1024 * 1024;
constexpr std::uint64_t TiffMemoryPerFileByte = 256;

struct TRgbaImageEnd {
    TIFFRGBAImage* img;
    ~TRgbaImageEnd() { TIFFRGBAImageEnd(img); }
};

struct TTiffCloser {
    TIFF* tif = nullptr;
    TIFFOpenOptions* options = nullptr;
    ~TTiffCloser() {
        if (tif)
            TIFFClose(tif);
        if (options)
            TIFFOpenOptionsFree(options);
    }
};

} // namespace

QImage TTIFFImage::DecodeTiff(const unsigned char* data, std::size_t size, QSize maxDrawSize, int* width,
                              int* height) {
    if (size < 8 || !((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M')))
        ThrowBadPicture("TIFF", QStringLiteral("signature absente"));
    TTiffSource src{data, size, 0, {}};
    TTiffCloser closer;
    closer.options = TIFFOpenOptionsAlloc();
    if (!closer.options)
        ThrowBadPicture("TIFF", QStringLiteral("mémoire insuffisante"));
    // libtiff holds a whole strip or tile while it decodes it (and clears
    // what the data does not fill): a few bytes may not claim more than a
    // few times their size.
    TIFFOpenOptionsSetMaxSingleMemAlloc(
        closer.options,
        tmsize_t(std::min<std::uint64_t>(MaxPictureBytes, MinTiffMemory + TiffMemoryPerFileByte * size)));
    TIFFOpenOptionsSetErrorHandlerExtR(closer.options, tiffError, &src);
    TIFFOpenOptionsSetWarningHandlerExtR(closer.options, tiffWarning, &src);
    // "m": no memory mapping; the data is already in memory.
    closer.tif = TIFFClientOpenExt("picture", "rm", &src, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize,
                                   tiffMap, tiffUnmap, closer.options);
    // libtiff recovers from some errors in a directory (a tag whose data lies
    // past the end of the file); any error reported makes the file damaged.
    if (!closer.tif || src.message[0])
        ThrowBadPicture("TIFF", QString::fromLocal8Bit(src.message));
    TIFF* tif = closer.tif;
    std::uint32_t w = 0, h = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h))
        ThrowBadPicture("TIFF", QStringLiteral("dimensions absentes"));
    CheckPictureSize(w, h);
    char reason[1024] = {};
    TIFFRGBAImage img;
    if (!TIFFRGBAImageOK(tif, reason) || !TIFFRGBAImageBegin(&img, tif, 1, reason))
        ThrowBadPicture("TIFF", QString::fromLocal8Bit(reason));
    TRgbaImageEnd end{&img};
    std::uint16_t extraCount = 0;
    std::uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    const bool alpha = extraCount > 0;

    // The picture is read in bands of whole strips or tiles (libtiff decodes
    // a strip from its start for every band that needs it), so that only a
    // band is held at full size; the builder keeps a reduced copy when the
    // picture is drawn smaller. Rows come in the file's order: pictures
    // stored from the bottom are placed from the bottom.
    const bool fromBottom = img.orientation == ORIENTATION_BOTLEFT ||
                            img.orientation == ORIENTATION_BOTRIGHT ||
                            img.orientation == ORIENTATION_LEFTBOT || img.orientation == ORIENTATION_RIGHTBOT;
    img.req_orientation = fromBottom ? ORIENTATION_BOTLEFT : ORIENTATION_TOPLEFT;
    std::uint32_t unit = 0;
    if (TIFFIsTiled(tif))
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
    // A band inside a strip starts on a multiple of 16 rows, so that rows of
    // subsampled colour (YCbCr) are never split.
    const std::uint32_t most =
        std::max<std::uint32_t>(16, std::uint32_t(MaxBandBytes / (std::uint64_t(w) * 4)) / 16 * 16);
    unit = std::clamp<std::uint32_t>(unit, 1, h);
    const std::uint32_t band = std::min(h, unit <= most ? unit * (most / unit) : most);

    TPictureBuilder picture;
    picture.Init(int(w), int(h), maxDrawSize, alpha);
    // Not cleared: libtiff writes every pixel of the rows it is asked for.
    std::unique_ptr<std::uint32_t[]> raster(new std::uint32_t[std::size_t(w) * band]);
    for (std::uint32_t y0 = 0; y0 < h; y0 += band) {
        const std::uint32_t rows = std::min(band, h - y0);
        img.row_offset = int(y0);
        img.col_offset = 0;
        if (!TIFFRGBAImageGet(&img, raster.get(), w, rows) || src.message[0])
            ThrowBadPicture("TIFF", QString::fromLocal8Bit(src.message));
        for (std::uint32_t r = 0; r < rows; ++r) {
            // Packed A, B, G, R words (red in the low byte), premultiplied.
            const std::uint32_t* p = raster.get() + std::size_t(r) * w;
            const int y = int(fromBottom ? h - 1 - (y0 + r) : y0 + r);
            QRgb* dst = picture.Row(y);
            for (std::uint32_t x = 0; x < w; ++x) {
                const std::uint32_t v = p[x];
                const QRgb c = qRgba(int(TIFFGetR(v)), int(TIFFGetG(v)), int(TIFFGetB(v)),
                                     alpha ? int(TIFFGetA(v)) : 255);
                dst[x] = alpha ? qUnpremultiply(c) : c;
            }
            picture.Commit(y);
        }
    }
    *width = int(w);
    *height = int(h);
    return picture.Result();
}

void TTIFFImage::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    int w = 0, h = 0;
    QImage image = DecodeTiff(data, size, maxDrawSize, &w, &h);
    SetPicture(std::move(image), w, h);
}
