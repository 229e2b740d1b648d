#include "imaging/TEPSImage.h"

#include "imaging/ByteReader.h"
#include "imaging/PictureLimits.h"
#include "imaging/TTIFFImage.h"

void TEPSImage::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    TByteReader r(data, size, "EPS");
    if (size < 30 || data[0] != 0xC5 || data[1] != 0xD0 || data[2] != 0xD3 || data[3] != 0xC6)
        ThrowBadPicture("EPS", QStringLiteral("aperçu TIFF absent"));
    // Header: PostScript offset and length, metafile offset and length, TIFF
    // offset and length (little-endian 32-bit), checksum.
    r.Seek(20);
    const std::uint32_t offset = r.U32LE();
    const std::uint32_t length = r.U32LE();
    if (offset == 0 || length == 0)
        ThrowBadPicture("EPS", QStringLiteral("aperçu TIFF absent"));
    r.Seek(offset);
    const unsigned char* tiff = r.Take(length);
    int w = 0, h = 0;
    QImage image = TTIFFImage::DecodeTiff(tiff, length, maxDrawSize, &w, &h);
    SetPicture(std::move(image), w, h);
}
