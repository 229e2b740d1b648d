#include "app/SingleInstance.h"

#include "app/InstanceMessage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcOneInstance, "aevorium.instance", QtWarningMsg)

namespace {

// True when the process at the other end of the connected socket `fd` runs
// under this user.
bool peerIsThisUser(int fd) {
    ucred cred{};
    socklen_t length = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 && length == sizeof cred &&
           cred.uid == ::getuid();
}

// The socket's name: the key, or its digest when the whole path would not fit
// in a socket address.
QByteArray socketPath(const QByteArray& folder, const QString& key) {
    QByteArray path = folder + "/aevorium-" + QFile::encodeName(key) + ".sock";
    if (path.size() >= qsizetype(sizeof(sockaddr_un::sun_path)))
        path = folder + "/aevorium-" +
               QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16) + ".sock";
    return path;
}

bool socketAddress(const QByteArray& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return true;
}

// Waits until `fd` is ready for `events` or the time left on `clock` runs out.
bool waitFor(int fd, short events, const QElapsedTimer& clock, int timeoutMs) {
    for (;;) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return false;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(left));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

bool IsPrivateFolder(const QByteArray& folder) {
    struct stat st;
    return !folder.isEmpty() && ::lstat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

QByteArray InstanceFolder(QString* why) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && IsPrivateFolder(runtime))
        return runtime;
    // The fallback: a folder of the user's own in the temporary folder. One
    // that another account made first, or that others may enter, is not used.
    const QByteArray own =
        QFile::encodeName(QDir::tempPath()) + "/aevorium-" + QByteArray::number(::getuid());
    if (::mkdir(own.constData(), 0700) != 0 && errno == EEXIST) {
        struct stat st;
        if (::lstat(own.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid())
            ::chmod(own.constData(), 0700);
    }
    if (IsPrivateFolder(own))
        return own;
    if (why)
        *why = QStringLiteral("neither $XDG_RUNTIME_DIR nor %1 is a private folder of this user")
                   .arg(QFile::decodeName(own));
    return QByteArray();
}

struct TOneInstance::Connection {
    int Fd = -1;
    QSocketNotifier* Reading = nullptr;
    QTimer* Deadline = nullptr;
    TInstanceMessageReader Reader;
};

TOneInstance::TOneInstance(const QString& key, const QByteArray& folder, QObject* parent) : QObject(parent) {
    if (folder.isEmpty()) {
        QString why;
        InstanceFolder(&why);
        qCWarning(lcOneInstance).noquote() << "no single instance:" << why;
        return;
    }
    m_lockPath = folder + "/aevorium-" + QFile::encodeName(key) + ".lock";
    m_socketPath = socketPath(folder, key);
    // A lock of the kernel on an open file: it goes with the process that holds
    // it, whatever the file holds, so a dead instance never blocks a new one.
    m_lock = ::open(m_lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat st;
    if (m_lock < 0 || ::fstat(m_lock, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
        qCWarning(lcOneInstance).noquote()
            << "no single instance: lock" << QFile::decodeName(m_lockPath) << "unusable";
        if (m_lock >= 0)
            ::close(m_lock);
        m_lock = -1;
        return;
    }
    m_first = takeLock();
}

bool TOneInstance::takeLock() {
    if (m_lock < 0) // no private folder, or an unusable lock: no rule to keep
        return true;
    if (::flock(m_lock, LOCK_EX | LOCK_NB) != 0)
        return false;
    listen();
    return true;
}

void TOneInstance::Release() {
    if (!m_first)
        return;
    while (!m_connections.empty())
        drop(m_connections.back().get());
    if (m_listener >= 0) {
        delete m_accepting;
        m_accepting = nullptr;
        ::close(m_listener);
        m_listener = -1;
        ::unlink(m_socketPath.constData());
    }
    if (m_lock >= 0)
        ::flock(m_lock, LOCK_UN);
    m_first = false;
}

bool TOneInstance::Retake() { return m_first || (m_first = takeLock()); }

TOneInstance::~TOneInstance() {
    while (!m_connections.empty())
        drop(m_connections.back().get());
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(m_socketPath.constData());
    }
    if (m_lock >= 0)
        ::close(m_lock); // releases the lock
}

void TOneInstance::listen() {
    sockaddr_un address;
    if (!socketAddress(m_socketPath, address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    ::unlink(m_socketPath.constData()); // left by an instance that died; the lock is ours
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(m_socketPath.constData(), 0600) != 0 || ::listen(fd, 16) != 0) {
        qCWarning(lcOneInstance) << "cannot listen for later instances, errno" << errno;
        ::close(fd);
        return;
    }
    m_listener = fd;
    m_accepting = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_accepting, &QSocketNotifier::activated, this, [this] { acceptPending(); });
}

void TOneInstance::acceptPending() {
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of handles or memory: the socket stays, and accepting
                // starts again a moment later.
                m_accepting->setEnabled(false);
                QTimer::singleShot(200, this, [this] {
                    if (m_accepting)
                        m_accepting->setEnabled(true);
                });
            }
            return;
        }
        if (!peerIsThisUser(fd)) {
            qCWarning(lcOneInstance) << "connection of another user refused";
            ::close(fd);
            continue;
        }
        if (int(m_connections.size()) >= MaxConnections) {
            ::close(fd);
            continue;
        }
        auto c = std::make_unique<Connection>();
        Connection* raw = c.get();
        c->Fd = fd;
        c->Reading = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
        connect(c->Reading, &QSocketNotifier::activated, this, [this, raw] { readFrom(raw); });
        c->Deadline = new QTimer(this);
        c->Deadline->setSingleShot(true);
        connect(c->Deadline, &QTimer::timeout, this, [this, raw] { drop(raw); });
        c->Deadline->start(ConnectionTimeoutMs);
        m_connections.push_back(std::move(c));
    }
}

void TOneInstance::readFrom(Connection* c) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(c->Fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) { // closed by the other end, or failed
            drop(c);
            return;
        }
        const TInstanceMessageReader::State state = c->Reader.Feed(buffer, n);
        if (state == TInstanceMessageReader::NeedMore)
            continue;
        if (state == TInstanceMessageReader::Complete) {
            const TInstanceRequest request = DecodeInstanceRequest(c->Reader.Line());
            if (request.Kind != TInstanceRequest::None)
                ::send(c->Fd, "ok\n", 3, MSG_NOSIGNAL | MSG_DONTWAIT);
            drop(c);
            if (request.Kind != TInstanceRequest::None)
                emit activationRequested();
            if (request.Kind == TInstanceRequest::Open)
                emit openRequested(request.Path);
            return;
        }
        drop(c); // not one of ours
        return;
    }
}

void TOneInstance::drop(Connection* c) {
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it->get() != c)
            continue;
        delete c->Reading;          // before its handle is closed
        c->Deadline->deleteLater(); // may be the sender of this call
        ::close(c->Fd);
        m_connections.erase(it);
        return;
    }
}

bool TOneInstance::ActivateRunningInstance(int timeoutMs) {
    return send(EncodeInstanceRequest({TInstanceRequest::Activate, {}}), timeoutMs);
}

bool TOneInstance::OpenInRunningInstance(const QByteArray& nativePath, int timeoutMs) {
    return send(EncodeInstanceRequest({TInstanceRequest::Open, nativePath}), timeoutMs);
}

bool TOneInstance::send(const QByteArray& message, int timeoutMs) {
    sockaddr_un address;
    if (m_socketPath.isEmpty() || !socketAddress(m_socketPath, address))
        return false;
    QElapsedTimer clock;
    clock.start();
    // The first instance may still be setting up its socket: try until the timeout.
    while (clock.elapsed() < timeoutMs) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return false;
        bool answered = false;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            // The path goes only to a process of this user.
            if (!peerIsThisUser(fd)) {
                qCWarning(lcOneInstance) << "the socket is held by another user";
                ::close(fd);
                return false;
            }
            qsizetype sent = 0;
            while (sent < message.size() && waitFor(fd, POLLOUT, clock, timeoutMs)) {
                const ssize_t n =
                    ::send(fd, message.constData() + sent, std::size_t(message.size() - sent), MSG_NOSIGNAL);
                if (n < 0 && errno != EINTR && errno != EAGAIN)
                    break;
                if (n > 0)
                    sent += n;
            }
            char reply[3];
            if (sent == message.size() && waitFor(fd, POLLIN, clock, timeoutMs))
                answered = ::recv(fd, reply, sizeof reply, 0) == 3 && std::memcmp(reply, "ok\n", 3) == 0;
        }
        ::close(fd);
        if (answered)
            return true;
        QThread::msleep(50);
    }
    return false;
}
