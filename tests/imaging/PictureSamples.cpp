#include "imaging/PictureSamples.h"

#include <QFile>
#include <QTemporaryDir>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

extern "C" {
#include <jpeglib.h>
}

namespace samples {

QRgb TrueColour(int x, int y) {
    return qRgb((x * 37 + 11) % 256, (y * 53 + 7) % 256, ((x + y) * 29 + 100) % 256);
}
int PaletteIndex(int x, int y, int colours) {
    return (x + 2 * y) % colours;
}
QRgb PaletteColour(int i) {
    return qRgb((i * 71 + 3) % 256, (255 - i * 13 % 256), (i * 7 + 50) % 256);
}

QImage Reference(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, TrueColour(x, y));
    return image;
}

::testing::AssertionResult SamePicture(const QImage& actual, const QImage& expected, int tolerance) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << "size " << actual.width() << "x" << actual.height() << " instead of " << expected.width()
               << "x" << expected.height();
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = e.pixel(x, y);
            const bool transparent = qAlpha(p) == 0 && qAlpha(q) == 0;
            if (!transparent &&
                (std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                 std::abs(qBlue(p) - qBlue(q)) > tolerance || std::abs(qAlpha(p) - qAlpha(q)) > tolerance))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << p << " instead of " << q;
        }
    return ::testing::AssertionSuccess();
}

// ---- JPEG ----

QByteArray Jpeg(int w, int h, bool progressive, int components, int quality) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    // No chroma subsampling: the test picture changes sharply between pixels.
    for (int i = 0; i < c.num_components; ++i)
        c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    if (progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(std::size_t(w) * components);
    while (c.next_scanline < c.image_height) {
        const int y = int(c.next_scanline);
        for (int x = 0; x < w; ++x) {
            const QRgb p = TrueColour(x, y);
            unsigned char* s = row.data() + std::size_t(x) * components;
            if (components == 1) {
                s[0] = static_cast<unsigned char>(qRed(p));
            } else {
                // CMYK is written the Adobe way (inverted): values are the colour itself.
                s[0] = static_cast<unsigned char>(qRed(p));
                s[1] = static_cast<unsigned char>(qGreen(p));
                s[2] = static_cast<unsigned char>(qBlue(p));
                if (components == 4)
                    s[3] = 255;
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray bytes(reinterpret_cast<const char*>(out), int(outSize));
    std::free(out);
    return bytes;
}

// ---- PNG ----

namespace {

int maxSample(int depth) {
    return (1 << depth) - 1;
}

// Sample of channel c at depth d for the reference picture.
int pngSample(int x, int y, int c, int depth) {
    const QRgb p = TrueColour(x, y);
    const int v8 = c == 0 ? qRed(p) : c == 1 ? qGreen(p) : c == 2 ? qBlue(p) : (x * 60 + y * 30) % 256;
    if (depth == 16)
        return v8 * 257;
    if (depth == 8)
        return v8;
    return v8 * maxSample(depth) / 255;
}

int scaleTo8(int v, int depth) {
    return depth == 16 ? v >> 8 : v * 255 / maxSample(depth);
}

void pngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<QByteArray*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), int(length));
}
void pngFlush(png_structp) {}

} // namespace

QImage PngExpected(int w, int h, const TPngKind& s) {
    QImage image(w, h, QImage::Format_ARGB32);
    const int paletteSize = s.depth >= 8 ? 256 : 1 << s.depth;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            QRgb p = 0;
            switch (s.colorType) {
            case PNG_COLOR_TYPE_GRAY: {
                const int raw = pngSample(x, y, 0, s.depth);
                const int v = scaleTo8(raw, s.depth);
                p = qRgba(v, v, v, s.trns && raw == pngSample(0, 0, 0, s.depth) ? 0 : 255);
                break;
            }
            case PNG_COLOR_TYPE_GRAY_ALPHA: {
                const int v = scaleTo8(pngSample(x, y, 0, s.depth), s.depth);
                p = qRgba(v, v, v, scaleTo8(pngSample(x, y, 3, s.depth), s.depth));
                break;
            }
            case PNG_COLOR_TYPE_RGB: {
                bool key = s.trns;
                int v[3];
                for (int c = 0; c < 3; ++c) {
                    v[c] = scaleTo8(pngSample(x, y, c, s.depth), s.depth);
                    key = key && pngSample(x, y, c, s.depth) == pngSample(0, 0, c, s.depth);
                }
                p = qRgba(v[0], v[1], v[2], key ? 0 : 255);
                break;
            }
            case PNG_COLOR_TYPE_RGB_ALPHA: {
                int v[4];
                for (int c = 0; c < 4; ++c)
                    v[c] = scaleTo8(pngSample(x, y, c, s.depth), s.depth);
                p = qRgba(v[0], v[1], v[2], v[3]);
                break;
            }
            default: { // palette
                const int i = PaletteIndex(x, y, paletteSize);
                p = PaletteColour(i);
                if (s.trns && i == 1)
                    p = qRgba(qRed(p), qGreen(p), qBlue(p), 0);
                break;
            }
            }
            image.setPixel(x, y, p);
        }
    return image;
}

QByteArray Png(int w, int h, const TPngKind& s) {
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return QByteArray();
    }
    png_set_write_fn(png, &out, pngWrite, pngFlush);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), s.depth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    const int paletteSize = s.depth >= 8 ? 256 : 1 << s.depth;
    png_color palette[256];
    png_byte alphas[2] = {255, 0};
    png_color_16 key{};
    if (s.colorType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < paletteSize; ++i) {
            const QRgb c = PaletteColour(i);
            palette[i] = {png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))};
        }
        png_set_PLTE(png, info, palette, paletteSize);
        if (s.trns)
            png_set_tRNS(png, info, alphas, 2, nullptr);
    } else if (s.trns) {
        key.gray = png_uint_16(pngSample(0, 0, 0, s.depth));
        key.red = png_uint_16(pngSample(0, 0, 0, s.depth));
        key.green = png_uint_16(pngSample(0, 0, 1, s.depth));
        key.blue = png_uint_16(pngSample(0, 0, 2, s.depth));
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    const int channels = s.colorType == PNG_COLOR_TYPE_GRAY || s.colorType == PNG_COLOR_TYPE_PALETTE ? 1
                         : s.colorType == PNG_COLOR_TYPE_GRAY_ALPHA                                  ? 2
                         : s.colorType == PNG_COLOR_TYPE_RGB                                         ? 3
                                                                                                     : 4;
    const std::size_t rowBytes = (std::size_t(w) * channels * s.depth + 7) / 8;
    std::vector<std::vector<png_byte>> rows(std::size_t(h), std::vector<png_byte>(rowBytes, 0));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) {
                int v;
                if (s.colorType == PNG_COLOR_TYPE_PALETTE)
                    v = PaletteIndex(x, y, paletteSize);
                else
                    v = pngSample(x, y, s.colorType == PNG_COLOR_TYPE_GRAY_ALPHA && c == 1 ? 3 : c, s.depth);
                const std::size_t sample = std::size_t(x) * channels + c;
                auto& row = rows[std::size_t(y)];
                if (s.depth == 16) {
                    row[sample * 2] = png_byte(v >> 8);
                    row[sample * 2 + 1] = png_byte(v & 0xFF);
                } else if (s.depth == 8) {
                    row[sample] = png_byte(v);
                } else {
                    const std::size_t bit = sample * std::size_t(s.depth);
                    row[bit / 8] |= png_byte(v << (8 - s.depth - int(bit % 8)));
                }
            }
    std::vector<png_bytep> pointers;
    for (auto& r : rows)
        pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// ---- GIF ----

namespace {
int gifWrite(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}
} // namespace

QByteArray Gif(int w, int h, bool interlaced, int transparentIndex, int frames) {
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gifWrite, &error);
    GifColorType colours[16];
    for (int i = 0; i < 16; ++i) {
        const QRgb c = PaletteColour(i);
        colours[i] = {GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
    }
    ColorMapObject* map = GifMakeMapObject(16, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, w, h, 4, 0, map);
    for (int f = 0; f < frames; ++f) {
        if (transparentIndex >= 0) {
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = transparentIndex;
            gcb.DelayTime = 10;
            GifByteType ext[4];
            const std::size_t n = EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(n), ext);
        }
        EGifPutImageDesc(gif, 0, 0, w, h, interlaced, nullptr);
        std::vector<GifPixelType> line(static_cast<std::size_t>(w));
        std::vector<int> order;
        if (interlaced) {
            const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int p = 0; p < 4; ++p)
                for (int y = start[p]; y < h; y += step[p])
                    order.push_back(y);
        } else {
            for (int y = 0; y < h; ++y)
                order.push_back(y);
        }
        for (int y : order) {
            for (int x = 0; x < w; ++x)
                line[std::size_t(x)] = GifPixelType(PaletteIndex(x + f, y, 16));
            EGifPutLine(gif, line.data(), w);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

// ---- TIFF ----

QByteArray Tiff(int w, int h, int kind) {
    QTemporaryDir dir;
    const QByteArray path = (dir.path() + QStringLiteral("/t.tif")).toLocal8Bit();
    TIFF* tif = TIFFOpen(path.constData(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(w));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(h));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::uint32_t(2));
    int samples = 3, bits = 8;
    if (kind == 0 || kind == 1) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, kind == 1 ? COMPRESSION_LZW : COMPRESSION_NONE);
    } else if (kind == 2) {
        samples = 1;
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    } else if (kind == 3) {
        samples = 1;
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, std::uint16_t(8)); // sizes the colour map
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
        static std::uint16_t r[256], g[256], b[256];
        for (int i = 0; i < 256; ++i) {
            const QRgb c = PaletteColour(i);
            r[i] = std::uint16_t(qRed(c) * 257);
            g[i] = std::uint16_t(qGreen(c) * 257);
            b[i] = std::uint16_t(qBlue(c) * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, r, g, b);
    } else if (kind == 5) {
        samples = 4;
        static const std::uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, std::uint16_t(1), extra);
        TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_BOTLEFT);
    } else {
        samples = 1;
        bits = 1;
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::uint32_t(h));
    }
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(samples));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, std::uint16_t(bits));
    std::vector<unsigned char> row(std::size_t(w) * samples);
    for (int y = 0; y < h; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < w; ++x) {
            const QRgb p = TrueColour(x, y);
            if (kind <= 1 || kind == 5) {
                unsigned char* px = row.data() + std::size_t(x) * std::size_t(samples);
                px[0] = static_cast<unsigned char>(qRed(p));
                px[1] = static_cast<unsigned char>(qGreen(p));
                px[2] = static_cast<unsigned char>(qBlue(p));
                if (kind == 5)
                    px[3] = static_cast<unsigned char>(255 - x * 10);
            } else if (kind == 2) {
                row[std::size_t(x)] = static_cast<unsigned char>(qRed(p));
            } else if (kind == 3) {
                row[std::size_t(x)] = static_cast<unsigned char>(PaletteIndex(x, y, 256));
            } else if ((x + y) % 3 == 0) {
                row[std::size_t(x) / 8] |= static_cast<unsigned char>(0x80 >> (x % 8)); // black
            }
        }
        TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0);
    }
    TIFFClose(tif);
    QFile f(QString::fromLocal8Bit(path));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace samples
