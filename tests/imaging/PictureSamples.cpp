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

namespace {

void le16(QByteArray& b, unsigned v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
void le32(QByteArray& b, quint32 v) {
    le16(b, v & 0xFFFF);
    le16(b, v >> 16);
}
void be16(QByteArray& b, unsigned v) {
    b.append(char((v >> 8) & 0xFF));
    b.append(char(v & 0xFF));
}
void be32(QByteArray& b, quint32 v) {
    be16(b, v >> 16);
    be16(b, v & 0xFFFF);
}
} // namespace

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

QImage PngExpected(int w, int h, const TPngSpec& s) {
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

QByteArray Png(int w, int h, const TPngSpec& s) {
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
            if (kind <= 1) {
                row[std::size_t(x) * 3] = static_cast<unsigned char>(qRed(p));
                row[std::size_t(x) * 3 + 1] = static_cast<unsigned char>(qGreen(p));
                row[std::size_t(x) * 3 + 2] = static_cast<unsigned char>(qBlue(p));
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

QByteArray Eps(const QByteArray& tiff) {
    const QByteArray ps("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n");
    QByteArray b;
    b.append(char(0xC5)).append(char(0xD0)).append(char(0xD3)).append(char(0xC6));
    le32(b, 30);
    le32(b, quint32(ps.size()));
    le32(b, 0);
    le32(b, 0);
    le32(b, quint32(30 + ps.size()));
    le32(b, quint32(tiff.size()));
    le16(b, 0xFFFF);
    b.append(ps);
    b.append(tiff);
    return b;
}

// ---- BMP and ICO ----

QImage BmpExpected(int w, int h, int bits) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            QRgb p;
            if (bits <= 8) {
                p = PaletteColour(PaletteIndex(x, y, 1 << bits));
            } else if (bits == 16) {
                const QRgb t = TrueColour(x, y);
                auto q5 = [](int v) { return ((v >> 3) * 255 + 15) / 31; };
                p = qRgb(q5(qRed(t)), q5(qGreen(t)), q5(qBlue(t)));
            } else {
                p = TrueColour(x, y);
            }
            image.setPixel(x, y, p);
        }
    return image;
}

namespace {

// The rows of a DIB (bottom-up unless topDown), uncompressed.
QByteArray dibRows(int w, int h, int bits, bool topDown) {
    QByteArray b;
    for (int i = 0; i < h; ++i) {
        const int y = topDown ? i : h - 1 - i;
        const int start = b.size();
        if (bits <= 8) {
            QByteArray row(int((w * bits + 7) / 8), '\0');
            for (int x = 0; x < w; ++x) {
                const int bit = x * bits;
                row[bit / 8] = char(row[bit / 8] | (PaletteIndex(x, y, 1 << bits) << (8 - bits - bit % 8)));
            }
            b.append(row);
        } else {
            for (int x = 0; x < w; ++x) {
                const QRgb p = TrueColour(x, y);
                if (bits == 16)
                    le16(b, unsigned(((qRed(p) >> 3) << 10) | ((qGreen(p) >> 3) << 5) | (qBlue(p) >> 3)));
                else {
                    b.append(char(qBlue(p))).append(char(qGreen(p))).append(char(qRed(p)));
                    if (bits == 32)
                        b.append(char(0xFF));
                }
            }
        }
        while ((b.size() - start) % 4)
            b.append('\0');
    }
    return b;
}

QByteArray rleRows(int w, int h, int bits) {
    QByteArray b;
    const int colours = 1 << bits;
    for (int y = h - 1; y >= 0; --y) {
        // Three pixels in absolute mode, the rest in runs of one pixel.
        const int absolute = std::min(3, w);
        b.append('\0').append(char(absolute));
        QByteArray run;
        for (int x = 0; x < absolute; ++x) {
            const int i = PaletteIndex(x, y, colours);
            if (bits == 8)
                run.append(char(i));
            else if (x % 2 == 0)
                run.append(char(i << 4));
            else
                run[run.size() - 1] = char(run[run.size() - 1] | i);
        }
        b.append(run);
        if (run.size() % 2)
            b.append('\0');
        for (int x = absolute; x < w; ++x) {
            const int i = PaletteIndex(x, y, colours);
            b.append(char(1)).append(char(bits == 8 ? i : (i << 4)));
        }
        b.append('\0').append('\0');
    }
    b.append('\0').append(char(1));
    return b;
}

QByteArray infoHeader(int w, int h, int bits, int compression, int headerSize, int colours,
                      quint32 imageSize) {
    QByteArray b;
    le32(b, quint32(headerSize));
    le32(b, quint32(w));
    le32(b, quint32(h));
    le16(b, 1);
    le16(b, unsigned(bits));
    le32(b, quint32(compression));
    le32(b, imageSize);
    le32(b, 2835);
    le32(b, 2835);
    le32(b, quint32(colours));
    le32(b, 0);
    if (headerSize >= 108) {
        // Masks, colour space and the rest of a V4/V5 header.
        le32(b, 0x00FF0000);
        le32(b, 0x0000FF00);
        le32(b, 0x000000FF);
        le32(b, 0xFF000000);
        while (b.size() < headerSize)
            b.append('\0');
    }
    return b;
}

} // namespace

QByteArray Bmp(int w, int h, int bits, int compression, bool topDown, int headerSize) {
    QByteArray pixels;
    if (compression == 1 || compression == 2)
        pixels = rleRows(w, h, bits);
    else if (compression == 3 && bits == 32) {
        // Bit fields with alpha: B, G, R, A bytes where A varies.
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) {
                const QRgb p = TrueColour(x, y);
                pixels.append(char(qBlue(p)))
                    .append(char(qGreen(p)))
                    .append(char(qRed(p)))
                    .append(char(255 - x * 10));
            }
    } else
        pixels = dibRows(w, h, bits, topDown);
    const int colours = bits <= 8 ? 1 << bits : 0;
    QByteArray info =
        infoHeader(w, topDown ? -h : h, bits, compression, headerSize, colours, quint32(pixels.size()));
    QByteArray palette;
    for (int i = 0; i < colours; ++i) {
        const QRgb c = PaletteColour(i);
        palette.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    }
    QByteArray b("BM");
    const quint32 offset = quint32(14 + info.size() + palette.size());
    le32(b, offset + quint32(pixels.size()));
    le32(b, 0);
    le32(b, offset);
    return b + info + palette + pixels;
}

QByteArray Ico(int w, int h, int bits, bool png) {
    QByteArray image;
    if (png) {
        image = Png(w, h, {PNG_COLOR_TYPE_RGB_ALPHA, 8});
    } else {
        const int colours = bits <= 8 ? 1 << bits : 0;
        image = infoHeader(w, 2 * h, bits, 0, 40, colours, 0);
        for (int i = 0; i < colours; ++i) {
            const QRgb c = PaletteColour(i);
            image.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
        }
        image.append(dibRows(w, h, bits, false));
        // AND mask: the first column transparent.
        for (int y = 0; y < h; ++y) {
            const int start = image.size();
            QByteArray row(int((w + 7) / 8), '\0');
            row[0] = char(0x80);
            image.append(row);
            while ((image.size() - start) % 4)
                image.append('\0');
        }
    }
    QByteArray b;
    le16(b, 0);
    le16(b, 1);
    le16(b, 2);
    // A small entry first, then the real one: the larger is chosen.
    for (int e = 0; e < 2; ++e) {
        b.append(char(e == 0 ? 1 : w)).append(char(e == 0 ? 1 : h)).append('\0').append('\0');
        le16(b, 1);
        le16(b, unsigned(bits));
        le32(b, e == 0 ? 0 : quint32(image.size()));
        le32(b, e == 0 ? 0 : 6 + 32);
    }
    return b + image;
}

// ---- Targa ----

QByteArray Tga(int w, int h, int imageType, int depth, bool topDown) {
    const bool mapped = imageType == 1 || imageType == 9;
    const bool grey = imageType == 3 || imageType == 11;
    QByteArray b;
    b.append(char(3)); // id length
    b.append(char(mapped ? 1 : 0));
    b.append(char(imageType));
    le16(b, 0);
    le16(b, mapped ? 16 : 0);
    b.append(char(mapped ? 24 : 0));
    le16(b, 0);
    le16(b, 0);
    le16(b, unsigned(w));
    le16(b, unsigned(h));
    b.append(char(depth));
    b.append(char((topDown ? 0x20 : 0) | (depth == 32 ? 8 : 0)));
    b.append("abc");
    if (mapped)
        for (int i = 0; i < 16; ++i) {
            const QRgb c = PaletteColour(i);
            b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        }
    std::vector<QByteArray> pixels;
    for (int i = 0; i < h; ++i) {
        const int y = topDown ? i : h - 1 - i;
        for (int x = 0; x < w; ++x) {
            const QRgb p = TrueColour(x, y);
            QByteArray px;
            if (mapped)
                px.append(char(PaletteIndex(x, y, 16)));
            else if (grey)
                px.append(char(qRed(p)));
            else if (depth == 16)
                le16(px, unsigned(((qRed(p) >> 3) << 10) | ((qGreen(p) >> 3) << 5) | (qBlue(p) >> 3)));
            else {
                px.append(char(qBlue(p))).append(char(qGreen(p))).append(char(qRed(p)));
                if (depth == 32)
                    px.append(char(255 - x * 10));
            }
            pixels.push_back(px);
        }
    }
    if (imageType < 9) {
        for (const auto& p : pixels)
            b.append(p);
    } else {
        // Even pixels as repeat packets of one, odd ones as raw packets of one.
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            if (i % 2 == 0) {
                b.append(char(0x80)); // repeat once
                b.append(pixels[i]);
            } else {
                b.append(char(0x00)); // one raw pixel
                b.append(pixels[i]);
            }
        }
    }
    return b;
}

// ---- PCX ----

QByteArray Pcx(int w, int h, int bits, int planes) {
    const int bytesPerLine = ((w * bits + 7) / 8 + 1) & ~1;
    QByteArray b(128, '\0');
    b[0] = 0x0A;
    b[1] = 5;
    b[2] = 1;
    b[3] = char(bits);
    b[8] = char((w - 1) & 0xFF);
    b[9] = char((w - 1) >> 8);
    b[10] = char((h - 1) & 0xFF);
    b[11] = char((h - 1) >> 8);
    for (int i = 0; i < 16; ++i) {
        const QRgb c = PaletteColour(i);
        b[16 + 3 * i] = char(qRed(c));
        b[17 + 3 * i] = char(qGreen(c));
        b[18 + 3 * i] = char(qBlue(c));
    }
    b[65] = char(planes);
    b[66] = char(bytesPerLine & 0xFF);
    b[67] = char(bytesPerLine >> 8);
    b[68] = 1;
    for (int y = 0; y < h; ++y) {
        QByteArray line(bytesPerLine * planes, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb p = TrueColour(x, y);
            if (bits == 8 && planes == 1)
                line[x] = char(PaletteIndex(x, y, 256));
            else if (bits == 8) {
                line[x] = char(qRed(p));
                line[bytesPerLine + x] = char(qGreen(p));
                line[2 * bytesPerLine + x] = char(qBlue(p));
            } else if (planes == 1) { // 1 bit
                if (PaletteIndex(x, y, 2))
                    line[x / 8] = char(line[x / 8] | (0x80 >> (x % 8)));
            } else { // 1 bit in 4 planes
                const int i = PaletteIndex(x, y, 16);
                for (int pl = 0; pl < planes; ++pl)
                    if (i & (1 << pl))
                        line[pl * bytesPerLine + x / 8] =
                            char(line[pl * bytesPerLine + x / 8] | (0x80 >> (x % 8)));
            }
        }
        // Runs of equal bytes, and literal bytes below 0xC0.
        for (int i = 0; i < line.size();) {
            int n = 1;
            while (i + n < line.size() && line[i + n] == line[i] && n < 63)
                ++n;
            const unsigned char v = static_cast<unsigned char>(line[i]);
            if (n > 1 || v >= 0xC0)
                b.append(char(0xC0 | n)).append(char(v));
            else
                b.append(char(v));
            i += n;
        }
    }
    if (bits == 8 && planes == 1) {
        b.append(char(0x0C));
        for (int i = 0; i < 256; ++i) {
            const QRgb c = PaletteColour(i);
            b.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
        }
    }
    return b;
}

// ---- SGI ----

QByteArray Sgi(int w, int h, int channels, bool rle, int bpc) {
    QByteArray b;
    be16(b, 474);
    b.append(char(rle ? 1 : 0));
    b.append(char(bpc));
    be16(b, channels == 1 ? 2 : 3);
    be16(b, unsigned(w));
    be16(b, unsigned(h));
    be16(b, unsigned(channels));
    be32(b, 0);
    be32(b, bpc == 1 ? 255 : 65535);
    be32(b, 0);
    b.append(QByteArray(80, '\0'));
    be32(b, 0);
    b.append(QByteArray(404, '\0'));
    auto value = [](int x, int y, int c) {
        const QRgb p = TrueColour(x, y);
        return c == 0 ? qRed(p) : c == 1 ? qGreen(p) : c == 2 ? qBlue(p) : 255 - x * 10;
    };
    auto put = [&](QByteArray& out, int v) {
        if (bpc == 2)
            be16(out, unsigned(v * 257));
        else
            out.append(char(v));
    };
    if (!rle) {
        for (int c = 0; c < channels; ++c)
            for (int y = h - 1; y >= 0; --y)
                for (int x = 0; x < w; ++x)
                    put(b, value(x, y, c));
        return b;
    }
    // Rows: a literal run of the first two samples, then repeat runs of one.
    std::vector<QByteArray> rows;
    for (int c = 0; c < channels; ++c)
        for (int y = h - 1; y >= 0; --y) {
            QByteArray row;
            const int lit = std::min(2, w);
            put(row, 0x80 | lit);
            for (int x = 0; x < lit; ++x)
                put(row, value(x, y, c));
            for (int x = lit; x < w; ++x) {
                put(row, 1);
                put(row, value(x, y, c));
            }
            put(row, 0);
            rows.push_back(row);
        }
    const quint32 tableEnd = quint32(512 + rows.size() * 8);
    quint32 offset = tableEnd;
    QByteArray starts, lengths, data;
    for (const auto& row : rows) {
        be32(starts, offset);
        be32(lengths, quint32(row.size()));
        offset += quint32(row.size());
        data.append(row);
    }
    return b + starts + lengths + data;
}

// ---- PNM ----

QByteArray Pnm(int w, int h, int kind, int maxval) {
    QByteArray b = "P" + QByteArray::number(kind) + "\n# made by the tests\n" + QByteArray::number(w) + " " +
                   QByteArray::number(h) + "\n";
    if (kind != 1 && kind != 4)
        b += QByteArray::number(maxval) + "\n";
    auto sample = [maxval](int v8) { return v8 * maxval / 255; };
    for (int y = 0; y < h; ++y) {
        QByteArray bits(int((w + 7) / 8), '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb p = TrueColour(x, y);
            const int black = PaletteIndex(x, y, 2);
            const int v[3] = {sample(qRed(p)), sample(qGreen(p)), sample(qBlue(p))};
            switch (kind) {
            case 1:
                b += black ? "1" : "0";
                break;
            case 2:
                b += QByteArray::number(v[0]) + " ";
                break;
            case 3:
                b += QByteArray::number(v[0]) + " " + QByteArray::number(v[1]) + " " +
                     QByteArray::number(v[2]) + " ";
                break;
            case 4:
                if (black)
                    bits[x / 8] = char(bits[x / 8] | (0x80 >> (x % 8)));
                break;
            default:
                for (int c = 0; c < (kind == 5 ? 1 : 3); ++c) {
                    if (maxval > 255)
                        be16(b, unsigned(v[c]));
                    else
                        b.append(char(v[c]));
                }
            }
        }
        if (kind == 4)
            b += bits;
        if (kind <= 3)
            b += "\n";
    }
    return b;
}

// ---- Photoshop ----

QByteArray Psd(int w, int h, int mode, bool rle) {
    const int channels = mode == 3 ? 3 : 1;
    QByteArray b("8BPS");
    be16(b, 1);
    b.append(QByteArray(6, '\0'));
    be16(b, unsigned(channels));
    be32(b, quint32(h));
    be32(b, quint32(w));
    be16(b, 8);
    be16(b, unsigned(mode));
    be32(b, 0); // colour mode data
    be32(b, 4); // image resources
    b.append("8BIM");
    be32(b, 0); // layers and masks
    be16(b, rle ? 1 : 0);
    auto value = [](int x, int y, int c) {
        const QRgb p = TrueColour(x, y);
        return c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p);
    };
    if (!rle) {
        for (int c = 0; c < channels; ++c)
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    b.append(char(value(x, y, c)));
        return b;
    }
    // PackBits: a no-op byte, a literal run of w - 1 bytes and a literal of one.
    QByteArray counts, data;
    for (int c = 0; c < channels; ++c)
        for (int y = 0; y < h; ++y) {
            QByteArray row;
            row.append(char(0x80));
            row.append(char(w - 2));
            for (int x = 0; x < w - 1; ++x)
                row.append(char(value(x, y, c)));
            row.append(char(0));
            row.append(char(value(w - 1, y, c)));
            be16(counts, unsigned(row.size()));
            data.append(row);
        }
    return b + counts + data;
}

} // namespace samples
