#pragma once

#include <QByteArray>
#include <cstddef>

class QFile;

// The sequential input of the decoders that read as they go (JPEG, PNG):
// bytes already in memory, or an open file read in pieces so that a large
// file never needs a copy of its own in memory.
class TPictureStream {
public:
    TPictureStream(const unsigned char* data, std::size_t size) : m_data(data), m_size(size) {}
    // An open file: no more than its size when opened (at most
    // MaxPictureFileBytes) is read.
    explicit TPictureStream(QFile* file);

    // Reads up to n bytes; fewer only at the end of the data or on a read error.
    std::size_t Read(unsigned char* out, std::size_t n) noexcept;
    // All the bytes that can be read.
    std::size_t Size() const { return m_file ? m_limit : m_size; }
    // The first n bytes (fewer when the data is shorter), not consumed.
    QByteArray Peek(int n);

private:
    QFile* m_file = nullptr;
    const unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_pos = 0;   // bytes already read
    std::size_t m_limit = 0; // file: the most that will be read
};
