#pragma once

#include "imaging/TGraphic.h"

// Encapsulated PostScript: the TIFF preview of a file that starts with the
// 30-byte binary preview header (C5 D0 D3 C6). The PostScript is not rendered.
class TEPSImage : public TGraphic {
protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;
};
