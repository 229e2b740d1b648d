#include "imaging/TTIFFImage.h"

#include "imaging/PictureLimits.h"

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

QImage TTIFFImage::DecodeTiff(const unsigned char* data, std::size_t size) {
    if (size < 8 || !((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M')))
        ThrowBadPicture("TIFF", QStringLiteral("signature absente"));
    TTiffSource src{data, size, 0, {}};
    TTiffCloser closer;
    closer.options = TIFFOpenOptionsAlloc();
    if (!closer.options)
        ThrowBadPicture("TIFF", QStringLiteral("mémoire insuffisante"));
    TIFFOpenOptionsSetMaxSingleMemAlloc(closer.options, tmsize_t(MaxPictureBytes));
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
    if (!TIFFRGBAImageOK(tif, reason))
        ThrowBadPicture("TIFF", QString::fromLocal8Bit(reason));
    std::uint16_t extraCount = 0;
    std::uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    const bool alpha = extraCount > 0;

    QImage image = AllocatePicture(w, h, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    // The RGBA reader fills packed A, B, G, R words (red in the low byte),
    // premultiplied; the rows of a QImage of this width are contiguous.
    auto* raster = reinterpret_cast<std::uint32_t*>(image.bits());
    if (!TIFFReadRGBAImageOriented(tif, w, h, raster, ORIENTATION_TOPLEFT, 1) || src.message[0])
        ThrowBadPicture("TIFF", QString::fromLocal8Bit(src.message));
    for (std::size_t i = 0, n = std::size_t(w) * h; i < n; ++i) {
        const std::uint32_t p = raster[i];
        raster[i] =
            qRgba(int(TIFFGetR(p)), int(TIFFGetG(p)), int(TIFFGetB(p)), alpha ? int(TIFFGetA(p)) : 255);
    }
    return image;
}

void TTIFFImage::Decode(const unsigned char* data, std::size_t size, QSize) {
    SetPicture(DecodeTiff(data, size));
}
