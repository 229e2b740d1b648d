#pragma once

#include <QImage>
#include <QSize>
#include <algorithm>
#include <cstdint>
#include <vector>

// Collects the rows of a decoded picture, in any order, either at full size or
// reduced by an integer factor k (each k x k block averaged, alpha-weighted)
// when the picture will only be drawn smaller. The reduced form never holds
// the full-size picture: memory stays within a few times the drawn size
// whatever size the file declares.
//
// A decoder asks for a row with Row(y), writes the pixels it has (ARGB, not
// premultiplied) and hands the row back with Commit(y). A pixel is written at
// most once over all commits. Pixels never written are transparent in
// pictures with alpha; a decoder of a picture without alpha writes every pixel.
class TPictureBuilder {
public:
    // Prepares a w x h picture (checked against the limits) reduced for
    // maxDrawSize (empty: full size). Throws EAevError when it is refused or
    // cannot be allocated.
    void Init(int width, int height, QSize maxDrawSize, bool alpha);

    // Row y (0 = top) to write: at full size the picture's own row with what
    // was written before, reduced a cleared row. Valid until the next call.
    QRgb* Row(int y) {
        if (m_k == 1)
            return reinterpret_cast<QRgb*>(m_image.scanLine(y));
        std::fill(m_line.begin(), m_line.end(), 0u);
        return m_line.data();
    }
    // The row returned by Row(y) is written.
    void Commit(int y) noexcept {
        if (m_k > 1)
            add(y, m_line.data());
    }
    // Rows [y0, y1) all of one colour, none of them written before.
    void FillRows(int y0, int y1, QRgb colour) noexcept;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Factor() const { return m_k; }
    // The picture once every row is committed (reduced: premultiplied ARGB
    // with alpha, RGB32 without).
    QImage Result();

private:
    void add(int y, const QRgb* row) noexcept;

    int m_width = 0, m_height = 0, m_k = 1;
    bool m_alpha = false;
    QImage m_image;                    // full size, or the reduced result
    std::vector<QRgb> m_line;          // reduced: the row being written
    std::vector<std::uint32_t> m_sums; // reduced: R, G, B, A sums per output pixel
};
