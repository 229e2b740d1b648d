#include "imaging/ByteReader.h"

#include "imaging/PictureLimits.h"

void TByteReader::Truncated() const {
    ThrowBadPicture(m_format, QStringLiteral("données tronquées"));
}

void TByteReader::Seek(std::uint64_t pos) {
    if (pos > m_size)
        Truncated();
    m_pos = std::size_t(pos);
}

void TByteReader::Skip(std::uint64_t n) {
    if (n > Remaining())
        Truncated();
    m_pos += std::size_t(n);
}

const unsigned char* TByteReader::Take(std::uint64_t n) {
    if (n > Remaining())
        Truncated();
    const unsigned char* p = m_data + m_pos;
    m_pos += std::size_t(n);
    return p;
}

std::uint8_t TByteReader::U8() {
    if (m_pos >= m_size)
        Truncated();
    return m_data[m_pos++];
}

std::uint16_t TByteReader::U16LE() {
    const unsigned char* p = Take(2);
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint16_t TByteReader::U16BE() {
    const unsigned char* p = Take(2);
    return std::uint16_t((p[0] << 8) | p[1]);
}

std::uint32_t TByteReader::U32LE() {
    const unsigned char* p = Take(4);
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

std::uint32_t TByteReader::U32BE() {
    const unsigned char* p = Take(4);
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}
