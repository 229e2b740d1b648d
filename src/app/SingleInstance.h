#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QSocketNotifier;

// The folder that holds the lock and the socket of the single instance, as the
// file system names it: $XDG_RUNTIME_DIR when it is a private folder (see
// IsPrivateFolder), else "aevorium-<uid>" in the temporary folder, made with
// mode 0700 and checked likewise. Empty, with the reason in `why`, when neither
// is private: the program then runs without the one-instance rule rather than
// trust a folder that another account could reach.
QByteArray InstanceFolder(QString* why = nullptr);

// True when `folder` is a folder (not a link) of this user that no other user
// may read, write or enter.
bool IsPrivateFolder(const QByteArray& folder);

// One instance of the program per executable file name and user: the first
// instance holds a lock and listens on a local socket, both in the private
// folder above; a later one asks it to come forward (and, for a file it was
// started with, to open that file) and ends once the running one answers.
// Either side talks only to a process of the same user (checked on every
// connection with the peer's credentials). The running instance serves at most
// MaxConnections connections at a time, each for at most ConnectionTimeoutMs,
// and keeps listening when it runs out of file handles.
class TOneInstance : public QObject {
    Q_OBJECT
public:
    // `key` is the executable's file name, without folder, with extension.
    // `folder`: where the lock and the socket live; empty: no single instance
    // (IsFirstInstance() is then true and nothing listens).
    explicit TOneInstance(const QString& key, const QByteArray& folder = InstanceFolder(),
                          QObject* parent = nullptr);
    ~TOneInstance() override;

    // True when this process took the lock (or there is no lock to take).
    bool IsFirstInstance() const { return m_first; }
    // True when this process listens for later instances.
    bool IsListening() const { return m_listener >= 0; }
    // Connections being served now.
    int ConnectionCount() const { return int(m_connections.size()); }

    // First instance: gives the lock and the socket up, so that a new process
    // started to take this one's place becomes the first instance.
    void Release();
    // Takes the lock and listens again (after Release); false when another
    // process holds it now.
    bool Retake();

    // Second instance: tells the first to come forward. False when it did not
    // answer within `timeoutMs` (or is not a process of this user).
    bool ActivateRunningInstance(int timeoutMs = 3000);
    // Second instance: tells the first to come forward and open the file whose
    // absolute path is `nativePath` (the file system's bytes). False as above.
    bool OpenInRunningInstance(const QByteArray& nativePath, int timeoutMs = 3000);

    static constexpr int MaxConnections = 8;
    static constexpr int ConnectionTimeoutMs = 2000;

signals:
    // First instance: a later instance asked this one to come forward.
    void activationRequested();
    // First instance: a later instance was started with this file (raw bytes
    // of its absolute path).
    void openRequested(const QByteArray& nativePath);

private:
    struct Connection;
    bool takeLock();
    bool send(const QByteArray& message, int timeoutMs);
    void listen();
    void acceptPending();
    void readFrom(Connection* c);
    void drop(Connection* c);

    QByteArray m_lockPath;
    QByteArray m_socketPath;
    int m_lock = -1;
    int m_listener = -1;
    QSocketNotifier* m_accepting = nullptr;
    std::vector<std::unique_ptr<Connection>> m_connections;
    bool m_first = true;
};
