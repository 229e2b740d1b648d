#pragma once

#include "imaging/TGraphic.h"

// A registered format that this program does not decode: every read fails,
// as a file the decoder cannot handle.
class TUndecodedGraphic : public TGraphic {
public:
    explicit TUndecodedGraphic(const char* formatName) : m_formatName(formatName) {}

protected:
    void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) override;

private:
    const char* m_formatName;
};
