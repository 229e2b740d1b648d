#pragma once

// Small picture files made by the tests themselves, in every decoded format,
// and the checks every decoder must pass on damaged copies of them.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <vector>

namespace samples {

// The reference pictures the files hold.
QRgb TrueColour(int x, int y); // opaque, distinct per pixel
int PaletteIndex(int x, int y, int colours);
QRgb PaletteColour(int index);

// The reference picture of the given size (TrueColour).
QImage Reference(int w, int h);

// Encoders.
QByteArray Jpeg(int w, int h, bool progressive, int components /* 1, 3 or 4 */, int quality = 95);
// PNG of every colour type and depth; samples follow the reference picture.
struct TPngKind {
    int colorType; // PNG_COLOR_TYPE_*
    int depth;
    bool interlaced = false;
    bool trns = false;
};
QByteArray Png(int w, int h, const TPngKind& kind);
// The picture a PNG of that kind decodes to.
QImage PngExpected(int w, int h, const TPngKind& kind);
QByteArray Gif(int w, int h, bool interlaced, int transparentIndex, int frames = 1);
// kind: 0 RGB, 1 RGB LZW, 2 grey, 3 palette, 4 bilevel G4, 5 RGBA stored from the bottom.
QByteArray Tiff(int w, int h, int kind);
QByteArray Eps(const QByteArray& tiff);

// A grid of w x h samples of a flat image, made for hand-written formats.
QByteArray Bmp(int w, int h, int bits, int compression, bool topDown, int headerSize = 40);
QImage BmpExpected(int w, int h, int bits);
QByteArray Ico(int w, int h, int bits, bool png);
QByteArray Tga(int w, int h, int imageType, int depth, bool topDown);
QByteArray Pcx(int w, int h, int bits, int planes);
QByteArray Sgi(int w, int h, int channels, bool rle, int bpc = 1);
QByteArray Pnm(int w, int h, int kind, int maxval = 255);
QByteArray Psd(int w, int h, int mode /* 1 grey, 3 RGB */, bool rle);

// Compares two pictures pixel by pixel within a tolerance on each channel.
::testing::AssertionResult SamePicture(const QImage& actual, const QImage& expected, int tolerance = 0);

} // namespace samples
