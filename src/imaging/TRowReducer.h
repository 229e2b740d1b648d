#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

// Shrinks a picture by an integer factor k while its rows arrive one by one,
// averaging each k x k block (alpha-weighted), so that a large picture that is
// only drawn small never needs its full-size copy.
class TRowReducer {
public:
    // Prepares the output (ceil(w/k) x ceil(h/k)) for rows of 3 bytes a pixel
    // (R, G, B) or 4 (R, G, B, A); throws EAevError when it cannot be
    // allocated. Pictures with alpha give premultiplied ARGB output.
    void Init(int width, int height, int factor, int channels);
    // One source row of width pixels. Does not allocate and does not throw.
    void AddRow(const unsigned char* row) noexcept;
    // The reduced picture once every row was added.
    QImage Result() const { return m_out; }
    int Factor() const { return m_k; }

private:
    void flush() noexcept;

    int m_width = 0, m_height = 0, m_k = 1;
    int m_channels = 3;
    int m_row = 0;        // source rows received
    int m_rowsInBand = 0; // source rows summed into m_sums
    int m_outRow = 0;
    std::vector<std::uint32_t> m_sums; // R, G, B, A per output pixel
    QImage m_out;
};
