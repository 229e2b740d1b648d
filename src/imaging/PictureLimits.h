#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>

// Limits every decoder enforces before it allocates a picture.
constexpr int MaxPictureSide = 16384;                         // pixels, each side
constexpr std::int64_t MaxPictureBytes = 512LL * 1024 * 1024; // decoded, 4 bytes a pixel
// A picture file is read whole into memory; nothing larger is read.
constexpr std::int64_t MaxPictureFileBytes = 1024LL * 1024 * 1024;

// Throws EAevError when a picture of w x h pixels is empty or too large.
void CheckPictureSize(std::int64_t w, std::int64_t h);

// A QImage of that size and format, checked against the limits; throws
// EAevError when it is refused or cannot be allocated.
QImage AllocatePicture(std::int64_t w, std::int64_t h, QImage::Format format);

// The failure every decoder raises for data it cannot use; detail may be empty.
[[noreturn]] void ThrowBadPicture(const char* format, const QString& detail = QString());

// Integer reduction factor k >= 1 such that a w x h picture decoded at 1/k of
// its size still covers the size at which it is drawn when fitted into
// maxDrawSize (an empty maxDrawSize keeps the full size).
int ReductionFactor(int w, int h, QSize maxDrawSize);

// The scale at which a w x h picture is drawn when fitted into maxDrawSize
// without enlarging it (1 when maxDrawSize is empty or larger).
double DrawScale(int w, int h, QSize maxDrawSize);
