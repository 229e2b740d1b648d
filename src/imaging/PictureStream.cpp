#include "imaging/PictureStream.h"

#include "imaging/PictureLimits.h"

#include <QFile>
#include <algorithm>
#include <cstring>

TPictureStream::TPictureStream(QFile* file) : m_file(file) {
    m_limit = std::size_t(std::clamp<qint64>(file->size(), 0, MaxPictureFileBytes));
}

std::size_t TPictureStream::Read(unsigned char* out, std::size_t n) noexcept {
    if (!m_file) {
        const std::size_t count = std::min(n, m_size - m_pos);
        std::memcpy(out, m_data + m_pos, count);
        m_pos += count;
        return count;
    }
    n = std::min(n, m_limit - m_pos);
    try {
        std::size_t done = 0;
        while (done < n) {
            const qint64 got = m_file->read(reinterpret_cast<char*>(out) + done, qint64(n - done));
            if (got <= 0)
                break;
            done += std::size_t(got);
        }
        m_pos += done;
        return done;
    } catch (...) {
        return 0;
    }
}

QByteArray TPictureStream::Peek(int n) {
    if (m_file)
        return m_file->peek(n);
    return QByteArray(reinterpret_cast<const char*>(m_data + m_pos),
                      int(std::min<std::size_t>(n, m_size - m_pos)));
}
