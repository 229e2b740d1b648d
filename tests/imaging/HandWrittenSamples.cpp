// Sample files of the formats written byte by byte: EPS, BMP, ICO, Targa,
// PCX, SGI, PNM and Photoshop.
#include "imaging/PictureSamples.h"

#include <png.h>
#include <vector>

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
