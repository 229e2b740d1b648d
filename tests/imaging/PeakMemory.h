#pragma once

// The peak of resident memory while a function runs, from Linux's /proc: the
// peak (VmHWM) is reset to the current size first (clear_refs 5).
#include <QByteArray>
#include <QFile>
#include <functional>

namespace peak {

inline qint64 statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Bytes by which the resident memory grew at most while f ran; -1 where it
// cannot be measured.
inline qint64 Growth(const std::function<void()>& f) {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    const qint64 before = statusKb("VmRSS:");
    f();
    const qint64 after = statusKb("VmHWM:");
    return before < 0 || after < 0 ? -1 : (after - before) * 1024;
}

} // namespace peak
