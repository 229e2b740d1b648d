#include "imaging/TRowReducer.h"

#include "imaging/PictureLimits.h"

#include <algorithm>

void TRowReducer::Init(int width, int height, int factor, int channels) {
    m_width = width;
    m_height = height;
    m_k = std::max(1, factor);
    m_channels = channels == 4 ? 4 : 3;
    m_row = m_rowsInBand = m_outRow = 0;
    const int outW = (width + m_k - 1) / m_k;
    const int outH = (height + m_k - 1) / m_k;
    m_out = AllocatePicture(outW, outH,
                            m_channels == 4 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    m_sums.assign(std::size_t(outW) * 4, 0);
}

void TRowReducer::AddRow(const unsigned char* p) noexcept {
    if (m_row >= m_height)
        return;
    std::uint32_t* s = m_sums.data();
    const int k = m_k;
    for (int x = 0; x < m_width; x += k, s += 4) {
        const int n = std::min(m_width - x, k);
        std::uint32_t r = 0, g = 0, b = 0, a = 0;
        if (m_channels == 4) {
            for (int i = 0; i < n; ++i, p += 4) {
                const std::uint32_t al = p[3];
                r += p[0] * al;
                g += p[1] * al;
                b += p[2] * al;
                a += al;
            }
            // Premultiplied sums brought back to 0..255 a sample.
            s[0] += (r + 127) / 255;
            s[1] += (g + 127) / 255;
            s[2] += (b + 127) / 255;
            s[3] += a;
        } else {
            for (int i = 0; i < n; ++i, p += 3) {
                r += p[0];
                g += p[1];
                b += p[2];
            }
            s[0] += r;
            s[1] += g;
            s[2] += b;
        }
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
        const std::uint32_t a = m_channels == 4 ? (s[3] + half) / n : 255;
        dst[ox] = qRgba(int((s[0] + half) / n), int((s[1] + half) / n), int((s[2] + half) / n), int(a));
        s[0] = s[1] = s[2] = s[3] = 0;
    }
    ++m_outRow;
    m_rowsInBand = 0;
}
