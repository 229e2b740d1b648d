#include "timescale/SafeSave.h"

#include "timescale/AevError.h"
#include "timescale/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String kTempInfix(".tmp-");
constexpr int kTempSuffixLength = 6; // the XXXXXX of mkstemp

[[noreturn]] void fail(const QString& path, int error) {
    throw ESaveFailed(QStringLiteral("Ecriture du fichier %1 impossible : %2").arg(path, FrenchSystemError(error)),
                      error);
}

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

void removeStaleTemporaries(const QString& folder, const QString& target) {
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names)
        if (IsSaveTemporaryOf(name, target))
            QFile::remove(dir.filePath(name));
}

} // namespace

void RemoveStaleSaveTemporaries(const QString& path) {
    const QFileInfo link(path);
    const QFileInfo info(link.isSymLink() && !link.symLinkTarget().isEmpty() ? link.symLinkTarget() : path);
    if (!info.fileName().isEmpty())
        removeStaleTemporaries(info.absolutePath(), info.fileName());
}

bool IsSaveTemporaryOf(const QString& fileName, const QString& target) {
    const qsizetype prefix = 1 + target.size() + kTempInfix.size();
    if (fileName.size() != prefix + kTempSuffixLength || !fileName.startsWith(QLatin1Char('.')) ||
        QStringView(fileName).mid(1, target.size()) != target ||
        QStringView(fileName).mid(1 + target.size(), kTempInfix.size()) != kTempInfix)
        return false;
    for (qsizetype i = prefix; i < fileName.size(); ++i) {
        const char16_t c = fileName[i].unicode();
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return true;
}

void SaveFileAtomically(const QString& path, const QByteArray& bytes) {
    // A link stays a link: the file it points at is the one replaced.
    QString target = path;
    const QFileInfo link(path);
    if (link.isSymLink() && !link.symLinkTarget().isEmpty())
        target = link.symLinkTarget();
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    const QString name = info.fileName();
    if (name.isEmpty())
        fail(path, EISDIR);
    removeStaleTemporaries(folder, name);

    struct stat st;
    mode_t mode;
    if (::stat(QFile::encodeName(target).constData(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const QByteArray prefix = QFile::encodeName(folder + QLatin1String("/.") + name + kTempInfix);
    const QByteArray targetName = QFile::encodeName(target);

    // First an unnamed file in the folder (O_TMPFILE): a kill while it is
    // written leaves nothing behind. Once complete it gets the temporary name
    // for the moment of the rename only.
    int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        int error = 0;
        if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes.constData(), bytes.size()) || ::fsync(fd) != 0)
            error = errno;
        if (error) {
            ::close(fd);
            fail(path, error);
        }
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            QByteArray temp = prefix;
            for (int i = 0; i < kTempSuffixLength; ++i)
                temp += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
            if (::linkat(AT_FDCWD, self, AT_FDCWD, temp.constData(), AT_SYMLINK_FOLLOW) == 0) {
                if (::rename(temp.constData(), targetName.constData()) != 0) {
                    error = errno;
                    ::unlink(temp.constData());
                    ::close(fd);
                    fail(path, error);
                }
                ::close(fd);
                return;
            }
            if (errno != EEXIST)
                break; // no /proc, or links refused: a named temporary file instead
        }
        ::close(fd);
    }

    // A file system without unnamed files: a named temporary file from the start.
    QByteArray temp = prefix + QByteArray(kTempSuffixLength, 'X');
    fd = ::mkstemp(temp.data());
    if (fd < 0)
        fail(path, errno);
    int error = 0;
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes.constData(), bytes.size()) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temp.constData(), targetName.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.constData());
        fail(path, error);
    }
}
