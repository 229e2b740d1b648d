#pragma once

#include <cstddef>
#include <cstdint>

// Reads a picture file held in memory. Every read is checked against the end
// of the data and fails with the decoder's error instead of reading past it.
class TByteReader {
public:
    TByteReader(const unsigned char* data, std::size_t size, const char* format)
        : m_data(data), m_size(size), m_format(format) {}

    std::size_t Pos() const { return m_pos; }
    std::size_t Size() const { return m_size; }
    std::size_t Remaining() const { return m_size - m_pos; }
    bool AtEnd() const { return m_pos >= m_size; }
    const unsigned char* Data() const { return m_data; }
    const char* Format() const { return m_format; }

    void Seek(std::uint64_t pos);
    void Skip(std::uint64_t n);
    // A pointer to the next n bytes, which are consumed.
    const unsigned char* Take(std::uint64_t n);

    std::uint8_t U8();
    std::uint16_t U16LE();
    std::uint16_t U16BE();
    std::uint32_t U32LE();
    std::uint32_t U32BE();
    std::int32_t I32LE() { return std::int32_t(U32LE()); }

    // Fails with the decoder's "truncated" error.
    [[noreturn]] void Truncated() const;

private:
    const unsigned char* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    const char* m_format;
};
