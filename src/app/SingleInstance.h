#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

// One instance of the program per executable file name and user: the first
// instance holds a lock and listens on a local socket; a later one asks it to
// come forward (and, for a file it was started with, to open that file) and ends.
class TOneInstance : public QObject {
    Q_OBJECT
public:
    // `key` is the executable's file name, without folder, with extension.
    explicit TOneInstance(const QString& key, QObject* parent = nullptr);
    ~TOneInstance() override;

    // True when this process took the lock (and now listens for later ones).
    bool IsFirstInstance() const { return m_first; }

    // First instance: gives the lock and the socket up, so that a new process
    // started to take this one's place becomes the first instance.
    void Release();
    // Takes the lock and listens again (after Release); false when another
    // process holds it now.
    bool Retake();

    // Second instance: tells the first to come forward. False when it could
    // not be reached within `timeoutMs`.
    bool ActivateRunningInstance(int timeoutMs = 3000);
    // Second instance: tells the first to come forward and open the event file
    // `path` (absolute). False when it could not be reached within `timeoutMs`.
    bool OpenInRunningInstance(const QString& path, int timeoutMs = 3000);

signals:
    // First instance: a later instance asked this one to come forward.
    void activationRequested();
    // First instance: a later instance was started with this event file.
    void openRequested(const QString& path);

private:
    bool send(const QByteArray& message, int timeoutMs);
    bool takeLock();
    void handleMessage(const QByteArray& line);

    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    bool m_first = false;
};
