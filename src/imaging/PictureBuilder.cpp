#include "imaging/PictureBuilder.h"

#include "imaging/PictureLimits.h"

#include <algorithm>

void TPictureBuilder::Init(int width, int height, QSize maxDrawSize, bool alpha) {
    CheckPictureSize(width, height);
    m_width = width;
    m_height = height;
    m_alpha = alpha;
    m_k = ReductionFactor(width, height, maxDrawSize);
    m_line.clear();
    m_sums.clear();
    if (m_k == 1) {
        m_image = AllocatePicture(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        // Pictures without alpha are written whole by their decoders: not
        // cleared, so that a file refused early has not touched its memory.
        if (alpha)
            m_image.fill(Qt::transparent);
        return;
    }
    const int outW = (width + m_k - 1) / m_k;
    const int outH = (height + m_k - 1) / m_k;
    m_image = AllocatePicture(outW, outH, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    m_line.assign(std::size_t(width), 0u);
    m_sums.assign(std::size_t(outW) * std::size_t(outH) * 4, 0u);
}

void TPictureBuilder::add(int y, const QRgb* row) noexcept {
    if (y < 0 || y >= m_height)
        return;
    // Each sample is brought to 0..255 before it is summed, so that the sums
    // of a block of at most 256 x 256 pixels fit in 32 bits.
    std::uint32_t* s = m_sums.data() + std::size_t(y / m_k) * std::size_t(m_image.width()) * 4;
    const int k = m_k;
    for (int x = 0; x < m_width; x += k, s += 4) {
        const int n = std::min(m_width - x, k);
        std::uint32_t r = 0, g = 0, b = 0, a = 0;
        if (m_alpha) {
            for (int i = 0; i < n; ++i) {
                const QRgb p = qPremultiply(row[x + i]);
                r += qRed(p);
                g += qGreen(p);
                b += qBlue(p);
                a += qAlpha(p);
            }
        } else {
            for (int i = 0; i < n; ++i) {
                const QRgb p = row[x + i];
                r += qRed(p);
                g += qGreen(p);
                b += qBlue(p);
            }
        }
        s[0] += r;
        s[1] += g;
        s[2] += b;
        s[3] += a;
    }
}

void TPictureBuilder::FillRows(int y0, int y1, QRgb colour) noexcept {
    y0 = std::max(y0, 0);
    y1 = std::min(y1, m_height);
    if (y0 >= y1)
        return;
    if (m_k == 1) {
        for (int y = y0; y < y1; ++y)
            std::fill_n(reinterpret_cast<QRgb*>(m_image.scanLine(y)), m_width, colour);
        return;
    }
    const QRgb p = m_alpha ? qPremultiply(colour) : colour;
    const int outW = m_image.width();
    for (int oy = y0 / m_k; oy <= (y1 - 1) / m_k; ++oy) {
        const int rows = std::min(y1, (oy + 1) * m_k) - std::max(y0, oy * m_k);
        std::uint32_t* s = m_sums.data() + std::size_t(oy) * std::size_t(outW) * 4;
        for (int ox = 0; ox < outW; ++ox, s += 4) {
            const std::uint32_t n = std::uint32_t(std::min(m_k, m_width - ox * m_k) * rows);
            s[0] += qRed(p) * n;
            s[1] += qGreen(p) * n;
            s[2] += qBlue(p) * n;
            s[3] += m_alpha ? qAlpha(p) * n : 0u;
        }
    }
}

QImage TPictureBuilder::Result() {
    if (m_k > 1 && !m_sums.empty()) {
        const int outW = m_image.width(), outH = m_image.height();
        const std::uint32_t* s = m_sums.data();
        for (int oy = 0; oy < outH; ++oy) {
            QRgb* dst = reinterpret_cast<QRgb*>(m_image.scanLine(oy));
            const int rows = std::min(m_k, m_height - oy * m_k);
            for (int ox = 0; ox < outW; ++ox, s += 4) {
                const std::uint32_t n = std::uint32_t(std::min(m_k, m_width - ox * m_k) * rows);
                const std::uint32_t half = n / 2;
                const std::uint32_t a = m_alpha ? (s[3] + half) / n : 255u;
                dst[ox] =
                    qRgba(int((s[0] + half) / n), int((s[1] + half) / n), int((s[2] + half) / n), int(a));
            }
        }
        m_sums = std::vector<std::uint32_t>();
        m_line = std::vector<QRgb>();
    }
    return std::move(m_image);
}
