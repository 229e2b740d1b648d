#pragma once

#include "imaging/TGraphic.h"

// Windows icon (and cursor) file: the largest, deepest of its images, stored
// as a bitmap with its transparency mask or as PNG data.
class TIcon : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
};
