#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QVariant>
#include <unistd.h>

namespace {
// The lock and the socket are per user, so that two users of one machine each
// run their own instance.
QString socketName(const QString& key) {
    return QStringLiteral("aevorium-%1-%2").arg(QString::number(::getuid()), key);
}
} // namespace

TOneInstance::TOneInstance(const QString& key, QObject* parent) : QObject(parent), m_key(key) {
    m_lock = std::make_unique<QLockFile>(QDir::temp().filePath(socketName(key) + QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0); // a lock whose process died is taken over
    takeLock();
}

void TOneInstance::Release() {
    if (!m_first)
        return;
    m_server->close();
    m_server->deleteLater();
    m_server = nullptr;
    m_lock->unlock();
    m_first = false;
}

bool TOneInstance::Retake() { return m_first || takeLock(); }

bool TOneInstance::takeLock() {
    m_first = m_lock->tryLock(0);
    if (!m_first)
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketName(m_key)); // left behind by a process that died
    m_server->listen(socketName(m_key));
    // Each message is one line: "activate", or "open " and the file's path in
    // Base64 (a path may hold any character but the zero byte).
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                QByteArray buffer = s->property("buffer").toByteArray() + s->readAll();
                const int end = buffer.indexOf('\n');
                if (end < 0) {
                    if (buffer.size() > (1 << 16)) // not one of ours
                        s->disconnectFromServer();
                    else
                        s->setProperty("buffer", buffer);
                    return;
                }
                s->setProperty("buffer", QByteArray());
                handleMessage(buffer.left(end));
                s->disconnectFromServer();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}

TOneInstance::~TOneInstance() = default;

void TOneInstance::handleMessage(const QByteArray& line) {
    if (line == "activate") {
        emit activationRequested();
    } else if (line.startsWith("open ")) {
        const QString path = QString::fromUtf8(QByteArray::fromBase64(line.mid(5)));
        emit activationRequested();
        if (!path.isEmpty())
            emit openRequested(path);
    }
}

bool TOneInstance::ActivateRunningInstance(int timeoutMs) { return send("activate\n", timeoutMs); }

bool TOneInstance::OpenInRunningInstance(const QString& path, int timeoutMs) {
    return send("open " + path.toUtf8().toBase64() + '\n', timeoutMs);
}

bool TOneInstance::send(const QByteArray& message, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    // The first instance may still be setting up its socket: try until the timeout.
    while (clock.elapsed() < timeoutMs) {
        QLocalSocket socket;
        socket.connectToServer(socketName(m_key));
        if (socket.waitForConnected(500)) {
            socket.write(message);
            socket.waitForBytesWritten(1000);
            socket.waitForDisconnected(1000);
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}
