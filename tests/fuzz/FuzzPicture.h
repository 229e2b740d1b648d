#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// The picture target: the first byte of an input picks the extension (its
// value modulo the count of this table), the rest is the file. Replaying a
// picture file of its own (reproducers/picture/) goes to FuzzPictureFile with
// the file's extension.
inline const char* const kFuzzPictureExtensions[] = {
    "bmp", "rle", "dib", "ico", "jpg", "png", "gif", "tif", "tga", "pcx", "sgi",
    "bw",  "psd", "ppm", "pgm", "pbm", "eps", "jfif", "fax", "rgb", "pdd", "icb",
};
constexpr int kFuzzPictureExtensionCount = int(sizeof(kFuzzPictureExtensions) / sizeof(kFuzzPictureExtensions[0]));

// Loads the bytes as a picture file with that extension through the picture
// loader, at the drawn size of the program's picture boxes.
void FuzzPictureFile(const QString& extension, const uint8_t* data, std::size_t size);
