#include "imaging/TRowReducer.h"

#include "imaging/PictureLimits.h"

#include <algorithm>

void TRowReducer::Init(int width, int height, int factor, bool withAlpha) {
    m_width = width;
    m_height = height;
    m_k = std::max(1, factor);
    m_alpha = withAlpha;
    m_row = m_rowsInBand = m_outRow = 0;
    const int outW = (width + m_k - 1) / m_k;
    const int outH = (height + m_k - 1) / m_k;
    m_out = AllocatePicture(outW, outH, withAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    m_sums.assign(std::size_t(outW) * 4, 0);
}

void TRowReducer::AddRow(const unsigned char* p) noexcept {
    if (m_row >= m_height)
        return;
    std::uint32_t* s = m_sums.data();
    const int k = m_k;
    int x = 0;
    while (x < m_width) {
        const int end = std::min(m_width, x + k);
        std::uint32_t b = 0, g = 0, r = 0, a = 0;
        if (m_alpha) {
            for (; x < end; ++x, p += 4) {
                const std::uint32_t al = p[3];
                b += p[0] * al;
                g += p[1] * al;
                r += p[2] * al;
                a += al;
            }
            // Premultiplied sums scaled back to 0..255 per sample.
            s[0] += (b + 127) / 255;
            s[1] += (g + 127) / 255;
            s[2] += (r + 127) / 255;
            s[3] += a;
        } else {
            for (; x < end; ++x, p += 4) {
                b += p[0];
                g += p[1];
                r += p[2];
            }
            s[0] += b;
            s[1] += g;
            s[2] += r;
        }
        s += 4;
    }
    ++m_row;
    if (++m_rowsInBand == k || m_row == m_height)
        flush();
}

void TRowReducer::flush() noexcept {
    if (m_outRow >= m_out.height())
        return;
    QRgb* dst = reinterpret_cast<QRgb*>(m_out.scanLine(m_outRow));
    const int outW = m_out.width();
    std::uint32_t* s = m_sums.data();
    for (int ox = 0; ox < outW; ++ox, s += 4) {
        const int cols = std::min(m_k, m_width - ox * m_k);
        const std::uint32_t n = std::uint32_t(cols) * std::uint32_t(m_rowsInBand);
        const std::uint32_t half = n / 2;
        const std::uint32_t a = m_alpha ? (s[3] + half) / n : 255;
        dst[ox] = qRgba(int((s[2] + half) / n), int((s[1] + half) / n), int((s[0] + half) / n), int(a));
        s[0] = s[1] = s[2] = s[3] = 0;
    }
    ++m_outRow;
    m_rowsInBand = 0;
}
