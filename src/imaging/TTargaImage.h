#pragma once

#include "imaging/TGraphic.h"

// Truevision Targa (win, vst, vda, tga, icb): colour-mapped, true-colour (15,
// 16, 24, 32 bits) and grey pictures, raw or run-length encoded, any origin.
class TTargaImage : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
};
