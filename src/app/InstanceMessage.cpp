#include "app/InstanceMessage.h"

#include <cstring>

QByteArray EncodeInstanceRequest(const TInstanceRequest& request) {
    switch (request.Kind) {
    case TInstanceRequest::Activate:
        return QByteArrayLiteral("activate\n");
    case TInstanceRequest::Open:
        return QByteArrayLiteral("open ") + request.Path.toBase64() + '\n';
    case TInstanceRequest::None:
        break;
    }
    return QByteArray();
}

TInstanceRequest DecodeInstanceRequest(const QByteArray& line) {
    TInstanceRequest r;
    if (line == "activate") {
        r.Kind = TInstanceRequest::Activate;
    } else if (line.startsWith("open ")) {
        const auto decoded =
            QByteArray::fromBase64Encoding(line.mid(5), QByteArray::AbortOnBase64DecodingErrors);
        // A path names a file: not empty, and without the zero byte no file name holds.
        if (decoded && !decoded.decoded.isEmpty() && !decoded.decoded.contains('\0')) {
            r.Kind = TInstanceRequest::Open;
            r.Path = decoded.decoded;
        }
    }
    return r;
}

TInstanceMessageReader::State TInstanceMessageReader::Feed(const char* data, qsizetype size) {
    if (m_state != NeedMore)
        return m_state;
    const auto* newline = static_cast<const char*>(std::memchr(data, '\n', std::size_t(size)));
    const qsizetype take = newline ? qsizetype(newline - data) : size;
    if (m_line.size() + take > MaxBytes) {
        m_line.clear();
        return m_state = Refused;
    }
    m_line.append(data, take);
    if (newline)
        m_state = Complete;
    return m_state;
}
