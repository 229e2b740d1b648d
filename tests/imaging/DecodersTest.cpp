// Every decoder on small files the tests make, and on damaged copies of them.
#include "imaging/PictureSamples.h"
#include "imaging/TFileFormats.h"
#include "timescale/AevError.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

using namespace samples;

namespace {

constexpr int W = 13; // odd sizes exercise row padding, nibbles and interlacing
constexpr int H = 9;

std::unique_ptr<TGraphic> decode(const char* extension, const QByteArray& bytes) {
    const TFileFormat* format = FileFormats().Find(QString::fromLatin1(extension));
    EXPECT_NE(format, nullptr) << extension;
    std::unique_ptr<TGraphic> graphic = format->Create();
    graphic->LoadFromData(bytes);
    return graphic;
}

// Truncated copies must fail with an error; bit-flipped copies must either
// fail with an error or load a picture with a size. The sanitizer build
// checks that neither reads out of bounds. The last optionalTail bytes may
// be missing: a trailer after the last row, or numbers at the end of a text
// file that cannot tell they were cut.
void expectDamagedCopiesFailCleanly(const char* extension, const QByteArray& bytes, int optionalTail = 0) {
    SCOPED_TRACE(extension);
    const int n = int(bytes.size());
    std::vector<int> lengths = {0, 1, 2, n / 8, n / 4, n / 2, 3 * n / 4};
    for (int cut : {2, 1})
        if (cut > optionalTail)
            lengths.push_back(n - cut);
    for (int length : lengths) {
        SCOPED_TRACE(length);
        EXPECT_THROW(decode(extension, bytes.left(length)), EAevError);
    }
    const int step = std::max(1, n / 300);
    for (int i = 0; i < n; i += step) {
        QByteArray damaged = bytes;
        damaged[i] = char(damaged[i] ^ (1 << (i % 8)));
        try {
            auto graphic = decode(extension, damaged);
            EXPECT_GT(graphic->Width(), 0);
            EXPECT_GT(graphic->Height(), 0);
            EXPECT_FALSE(graphic->Image().isNull());
        } catch (const EAevError&) {
        }
    }
    // The whole file bit-inverted.
    QByteArray inverted = bytes;
    for (auto& c : inverted)
        c = char(~c);
    EXPECT_THROW(decode(extension, inverted), EAevError);
}

double meanError(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

QImage grey(const QImage& colour) {
    QImage g = colour.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < g.height(); ++y)
        for (int x = 0; x < g.width(); ++x) {
            const int v = qRed(g.pixel(x, y));
            g.setPixel(x, y, qRgb(v, v, v));
        }
    return g;
}

} // namespace

TEST(JpegDecoder, BaselineProgressiveGreyAndCmyk) {
    const QImage reference = Reference(W * 3, H * 3);
    struct {
        bool progressive;
        int components;
    } cases[] = {{false, 3}, {true, 3}, {false, 1}, {true, 1}, {false, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.components);
        const QByteArray file = Jpeg(W * 3, H * 3, c.progressive, c.components, 100);
        auto g = decode("jpg", file);
        ASSERT_EQ(g->Width(), W * 3);
        ASSERT_EQ(g->Height(), H * 3);
        const QImage expected = c.components == 1 ? grey(reference) : reference;
        // The test picture changes sharply from pixel to pixel; JPEG keeps it
        // close on average.
        EXPECT_LT(meanError(g->Image(), expected), c.components == 1 ? 4.0 : 12.0);
        expectDamagedCopiesFailCleanly("jpeg", file, 2);
    }
}

TEST(JpegDecoder, EveryJpegExtensionAndOnlyJpegContent) {
    const QByteArray jpeg = Jpeg(W, H, false, 3);
    for (const char* ext : {"jfif", "jpg", "jpe", "jpeg", "JPG"})
        EXPECT_EQ(decode(ext, jpeg)->Width(), W) << ext;
    // PNG data in a file named .jpg is not JPEG.
    EXPECT_THROW(decode("jpg", Png(W, H, {PNG_COLOR_TYPE_RGB, 8})), EAevError);
}

TEST(PngDecoder, EveryColourTypeAndDepthInterlacedOrNot) {
    const TPngKind kinds[] = {
        {PNG_COLOR_TYPE_GRAY, 1},
        {PNG_COLOR_TYPE_GRAY, 2},
        {PNG_COLOR_TYPE_GRAY, 4},
        {PNG_COLOR_TYPE_GRAY, 8},
        {PNG_COLOR_TYPE_GRAY, 16},
        {PNG_COLOR_TYPE_GRAY, 8, false, true},
        {PNG_COLOR_TYPE_RGB, 8},
        {PNG_COLOR_TYPE_RGB, 16},
        {PNG_COLOR_TYPE_RGB, 8, false, true},
        {PNG_COLOR_TYPE_PALETTE, 1},
        {PNG_COLOR_TYPE_PALETTE, 2},
        {PNG_COLOR_TYPE_PALETTE, 4},
        {PNG_COLOR_TYPE_PALETTE, 8},
        {PNG_COLOR_TYPE_PALETTE, 4, false, true},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16},
        {PNG_COLOR_TYPE_RGB_ALPHA, 8},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16},
    };
    for (TPngKind kind : kinds) {
        for (bool interlaced : {false, true}) {
            kind.interlaced = interlaced;
            SCOPED_TRACE(testing::Message() << "type " << kind.colorType << " depth " << kind.depth
                                            << " trns " << kind.trns << " interlaced " << interlaced);
            const QByteArray file = Png(W, H, kind);
            auto g = decode("png", file);
            EXPECT_TRUE(SamePicture(g->Image(), PngExpected(W, H, kind)));
        }
    }
    expectDamagedCopiesFailCleanly("png", Png(W, H, {PNG_COLOR_TYPE_RGB_ALPHA, 8}));
    expectDamagedCopiesFailCleanly("png", Png(W, H, {PNG_COLOR_TYPE_PALETTE, 4, true, true}));
}

TEST(PngDecoder, ChunksThePictureDoesNotNeedAreSkippedWhateverTheirSize) {
    // A 9 MB text chunk after the header: skipped as it is read.
    const QByteArray body = QByteArray("tEXtComment") + '\0' + QByteArray(9 << 20, 'a');
    QByteArray chunk;
    for (quint32 v :
         {quint32(body.size() - 4),
          quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size())))}) {
        for (int shift = 24; shift >= 0; shift -= 8)
            chunk.append(char((v >> shift) & 0xFF));
        if (chunk.size() == 4)
            chunk.append(body);
    }
    QByteArray file = Png(W, H, {PNG_COLOR_TYPE_RGB, 8});
    file.insert(33, chunk); // after the signature and the header chunk
    EXPECT_TRUE(SamePicture(decode("png", file)->Image(), PngExpected(W, H, {PNG_COLOR_TYPE_RGB, 8})));
}

TEST(GifDecoder, FirstFrameWithTransparencyInterlacedOrNot) {
    for (bool interlaced : {false, true}) {
        const QByteArray file = Gif(W, H, interlaced, 3, 2);
        auto g = decode("gif", file);
        QImage expected(W, H, QImage::Format_ARGB32);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int i = PaletteIndex(x, y, 16);
                expected.setPixel(x, y, i == 3 ? qRgba(0, 0, 0, 0) : PaletteColour(i));
            }
        EXPECT_TRUE(SamePicture(g->Image(), expected)) << interlaced;
        expectDamagedCopiesFailCleanly("gif", file, 1);
    }
}

TEST(TiffDecoder, RgbLzwGreyPaletteAndFax) {
    const QImage reference = Reference(W, H);
    for (int kind = 0; kind <= 4; ++kind) {
        SCOPED_TRACE(kind);
        const QByteArray file = Tiff(W, H, kind);
        auto g = decode(kind == 4 ? "fax" : kind % 2 ? "tiff" : "tif", file);
        QImage expected = reference;
        if (kind == 2)
            expected = grey(reference);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                if (kind == 3)
                    expected.setPixel(x, y, PaletteColour(PaletteIndex(x, y, 256)));
                if (kind == 4)
                    expected.setPixel(x, y, (x + y) % 3 == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            }
        EXPECT_TRUE(SamePicture(g->Image(), expected));
        // A fax strip decodes in full without its end-of-page code.
        expectDamagedCopiesFailCleanly("tif", file, kind == 4 ? 2 : 0);
    }
    // Unassociated alpha, rows stored from the bottom.
    QImage expected(W, H, QImage::Format_ARGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const QRgb p = reference.pixel(x, H - 1 - y);
            expected.setPixel(x, y, qRgba(qRed(p), qGreen(p), qBlue(p), 255 - x * 10));
        }
    EXPECT_TRUE(SamePicture(decode("tif", Tiff(W, H, 5))->Image(), expected, 2));
}

TEST(EpsDecoder, TiffPreviewAfterTheBinaryHeader) {
    const QByteArray file = Eps(Tiff(W, H, 0));
    EXPECT_TRUE(SamePicture(decode("eps", file)->Image(), Reference(W, H)));
    expectDamagedCopiesFailCleanly("eps", file);
    // A PostScript file without preview has nothing to show.
    EXPECT_THROW(decode("eps", QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 1 1\n")), EAevError);
}

TEST(BmpDecoder, EveryDepthCompressionAndRowOrder) {
    struct {
        int bits, compression;
        bool topDown;
        const char* ext;
    } cases[] = {{1, 0, false, "bmp"}, {4, 0, true, "bmp"},   {8, 0, false, "dib"}, {16, 0, false, "bmp"},
                 {24, 0, true, "bmp"}, {32, 0, false, "rle"}, {8, 1, false, "rle"}, {4, 2, false, "rle"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, compression " << c.compression);
        const QByteArray file = Bmp(W, H, c.bits, c.compression, c.topDown);
        auto g = decode(c.ext, file);
        EXPECT_TRUE(SamePicture(g->Image(), BmpExpected(W, H, c.bits)));
        expectDamagedCopiesFailCleanly(c.ext, file, c.compression ? 2 : 0);
    }
    // 32 bits with an alpha mask in a V5 header.
    const QByteArray file = Bmp(W, H, 32, 3, false, 124);
    QImage expected = Reference(W, H).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const QRgb p = expected.pixel(x, y);
            expected.setPixel(x, y, qRgba(qRed(p), qGreen(p), qBlue(p), 255 - x * 10));
        }
    EXPECT_TRUE(SamePicture(decode("bmp", file)->Image(), expected));
}

TEST(IcoDecoder, BitmapWithMaskAndPngEntries) {
    for (int bits : {4, 8, 24}) {
        const QByteArray file = Ico(W, H, bits, false);
        QImage expected = BmpExpected(W, H, bits);
        for (int y = 0; y < H; ++y)
            expected.setPixel(0, y, qRgba(0, 0, 0, 0));
        EXPECT_TRUE(SamePicture(decode("ico", file)->Image(), expected)) << bits;
        expectDamagedCopiesFailCleanly("ico", file);
    }
    const QByteArray png = Ico(W, H, 32, true);
    EXPECT_TRUE(SamePicture(decode("ico", png)->Image(), PngExpected(W, H, {PNG_COLOR_TYPE_RGB_ALPHA, 8})));
}

TEST(TargaDecoder, RawAndRunLengthOfEveryKind) {
    struct {
        int type, depth;
        bool topDown;
    } cases[] = {{2, 24, false}, {2, 32, true}, {2, 16, false}, {10, 24, true}, {10, 32, false},
                 {1, 8, false},  {9, 8, true},  {3, 8, false},  {11, 8, true}};
    const char* extensions[] = {"tga", "win", "vst", "vda", "icb"};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " depth " << c.depth);
        const QByteArray file = Tga(W, H, c.type, c.depth, c.topDown);
        QImage expected = Reference(W, H).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const QRgb p = expected.pixel(x, y);
                if (c.type == 1 || c.type == 9)
                    expected.setPixel(x, y, PaletteColour(PaletteIndex(x, y, 16)));
                else if (c.type == 3 || c.type == 11)
                    expected.setPixel(x, y, qRgb(qRed(p), qRed(p), qRed(p)));
                else if (c.depth == 32)
                    expected.setPixel(x, y, qRgba(qRed(p), qGreen(p), qBlue(p), 255 - x * 10));
            }
        const char* ext = extensions[n++ % 5];
        EXPECT_TRUE(SamePicture(decode(ext, file)->Image(), expected, c.depth == 16 ? 8 : 0));
        expectDamagedCopiesFailCleanly(ext, file);
    }
}

TEST(TargaDecoder, AlphaBytesAllZeroShowOpaque) {
    QByteArray file = Tga(W, H, 2, 32, false);
    for (int i = 0; i < W * H; ++i)
        file[18 + 3 + 4 * i + 3] = 0; // after the header and its 3-byte id
    const QImage image = decode("tga", file)->Image();
    EXPECT_EQ(qAlpha(image.pixel(5, 5)), 255);
    EXPECT_TRUE(SamePicture(image, Reference(W, H)));
}

TEST(PcxDecoder, PalettedPlanarAndRgb) {
    struct {
        int bits, planes;
        const char* ext;
    } cases[] = {{8, 1, "pcx"}, {8, 3, "pcc"}, {1, 1, "scr"}, {1, 4, "pcx"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits " << c.planes << " planes");
        const QByteArray file = Pcx(W, H, c.bits, c.planes);
        QImage expected = Reference(W, H);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                if (c.bits == 8 && c.planes == 1)
                    expected.setPixel(x, y, PaletteColour(PaletteIndex(x, y, 256)));
                else if (c.bits == 1 && c.planes == 1)
                    expected.setPixel(x, y, PaletteIndex(x, y, 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
                else if (c.bits == 1)
                    expected.setPixel(x, y, PaletteColour(PaletteIndex(x, y, 16)));
            }
        EXPECT_TRUE(SamePicture(decode(c.ext, file)->Image(), expected));
        expectDamagedCopiesFailCleanly(c.ext, file);
    }
}

TEST(SgiDecoder, RawAndRunLengthGreyRgbAndRgba) {
    struct {
        int channels;
        bool rle;
        int bpc;
        const char* ext;
    } cases[] = {{3, false, 1, "sgi"}, {3, true, 1, "rgb"}, {4, true, 1, "rgba"},
                 {1, false, 1, "bw"},  {1, true, 2, "bw"},  {4, false, 2, "sgi"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels rle " << c.rle << " bpc " << c.bpc);
        const QByteArray file = Sgi(W, H, c.channels, c.rle, c.bpc);
        QImage expected = Reference(W, H).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const QRgb p = expected.pixel(x, y);
                if (c.channels == 1)
                    expected.setPixel(x, y, qRgb(qRed(p), qRed(p), qRed(p)));
                else if (c.channels == 4)
                    expected.setPixel(x, y, qRgba(qRed(p), qGreen(p), qBlue(p), 255 - x * 10));
            }
        EXPECT_TRUE(SamePicture(decode(c.ext, file)->Image(), expected));
        expectDamagedCopiesFailCleanly(c.ext, file);
    }
}

TEST(PnmDecoder, AsciiAndBinaryOfEachKind) {
    const QImage reference = Reference(W, H);
    for (int kind = 1; kind <= 6; ++kind) {
        for (int maxval : {255, 1000}) {
            if ((kind == 1 || kind == 4) && maxval != 255)
                continue;
            SCOPED_TRACE(testing::Message() << "P" << kind << " maxval " << maxval);
            const QByteArray file = Pnm(W, H, kind, maxval);
            QImage expected = reference;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    const QRgb p = reference.pixel(x, y);
                    if (kind == 1 || kind == 4)
                        expected.setPixel(x, y, PaletteIndex(x, y, 2) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
                    else if (kind == 2 || kind == 5)
                        expected.setPixel(x, y, qRgb(qRed(p), qRed(p), qRed(p)));
                }
            const char* ext = kind % 3 == 1 ? "pbm" : kind % 3 == 2 ? "pgm" : "ppm";
            EXPECT_TRUE(SamePicture(decode(ext, file)->Image(), expected, maxval == 255 ? 0 : 1));
            expectDamagedCopiesFailCleanly(ext, file, kind <= 3 ? 2 : 0);
        }
    }
    // The content decides: a pixmap in a file named .pbm still loads.
    EXPECT_EQ(decode("pbm", Pnm(W, H, 6))->Width(), W);
}

TEST(PsdDecoder, CompositeRawAndPackBitsGreyAndRgb) {
    for (int mode : {1, 3}) {
        for (bool rle : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " rle " << rle);
            const QByteArray file = Psd(W, H, mode, rle);
            const QImage expected = mode == 1 ? grey(Reference(W, H)) : Reference(W, H);
            EXPECT_TRUE(SamePicture(decode(rle ? "psd" : "pdd", file)->Image(), expected));
            expectDamagedCopiesFailCleanly("psd", file);
        }
    }
}

TEST(Decoders, RandomDataAfterAValidStartFailsCleanly) {
    const std::pair<const char*, QByteArray> files[] = {
        {"jpg", Jpeg(W, H, true, 3)},    {"png", Png(W, H, {PNG_COLOR_TYPE_RGB, 8})},
        {"gif", Gif(W, H, true, 2)},     {"tif", Tiff(W, H, 1)},
        {"bmp", Bmp(W, H, 8, 1, false)}, {"bmp", Bmp(W, H, 4, 2, false)},
        {"ico", Ico(W, H, 8, false)},    {"tga", Tga(W, H, 10, 24, false)},
        {"pcx", Pcx(W, H, 8, 1)},        {"sgi", Sgi(W, H, 3, true)},
        {"ppm", Pnm(W, H, 3)},           {"psd", Psd(W, H, 3, true)},
    };
    for (const auto& [ext, bytes] : files) {
        SCOPED_TRACE(ext);
        for (int seed = 0; seed < 40; ++seed) {
            QRandomGenerator rng{quint32(seed)};
            QByteArray damaged = bytes;
            const int keep = seed % 2 ? int(bytes.size()) / 2 : int(bytes.size()) / 6;
            for (int i = keep; i < damaged.size(); ++i)
                damaged[i] = char(rng.bounded(256u));
            try {
                EXPECT_GT(decode(ext, damaged)->Width(), 0);
            } catch (const EAevError&) {
            }
        }
    }
}

TEST(Decoders, CompletePicturesWithoutTheirTrailerLoadTruncatedOnesDoNot) {
    // A JPEG without its end marker, a GIF without its ';', an RLE bitmap
    // without its end-of-bitmap code: every row is there.
    const struct {
        const char* ext;
        QByteArray file;
        int trailer;
    } cases[] = {{"jpg", Jpeg(W * 3, H * 3, false, 3), 2}, {"jpg", Jpeg(W * 3, H * 3, true, 3), 2},
                 {"jpg", Jpeg(W * 3, H * 3, true, 1), 2},  {"gif", Gif(W, H, false, 3), 1},
                 {"gif", Gif(W, H, true, 3, 2), 1},        {"rle", Bmp(W, H, 8, 1, false), 2},
                 {"rle", Bmp(W, H, 4, 2, false), 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ext);
        const int n = int(c.file.size());
        const QImage full = decode(c.ext, c.file)->Image();
        EXPECT_TRUE(SamePicture(decode(c.ext, c.file.left(n - c.trailer))->Image(), full));
        if (c.ext[0] == 'j') {
            EXPECT_TRUE(SamePicture(decode(c.ext, c.file.left(n - 1))->Image(), full));
        }
        // Cut inside the last row's data: refused.
        EXPECT_THROW(decode(c.ext, c.file.left(n - c.trailer - (c.ext[0] == 'j' ? 12 : 1))), EAevError);
    }
    // A progressive JPEG cut between two scans lacks the later ones.
    const QByteArray progressive = Jpeg(W * 3, H * 3, true, 3);
    const int lastScan = int(progressive.lastIndexOf(QByteArray("\xFF\xDA", 2)));
    ASSERT_GT(lastScan, 0);
    EXPECT_THROW(decode("jpg", progressive.left(lastScan)), EAevError);
}
