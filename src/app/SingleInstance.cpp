#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
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
    m_first = m_lock->tryLock(0);
    if (!m_first)
        return;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketName(key)); // left behind by a process that died
    m_server->listen(socketName(key));
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains("activate"))
                    emit activationRequested();
                s->disconnectFromServer();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
}

TOneInstance::~TOneInstance() = default;

bool TOneInstance::ActivateRunningInstance(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    // The first instance may still be setting up its socket: try until the timeout.
    while (clock.elapsed() < timeoutMs) {
        QLocalSocket socket;
        socket.connectToServer(socketName(m_key));
        if (socket.waitForConnected(500)) {
            socket.write("activate\n");
            socket.waitForBytesWritten(1000);
            socket.waitForDisconnected(1000);
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}
