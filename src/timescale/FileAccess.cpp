#include "timescale/FileAccess.h"

#include "timescale/AevError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString FrenchSystemError(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("le disque est plein");
    case EDQUOT:
        return QStringLiteral("le quota de disque de l'utilisateur est atteint");
    case EACCES:
    case EPERM:
        return QStringLiteral("accès refusé");
    case EROFS:
        return QStringLiteral("le disque est en lecture seule");
    case ENOENT:
        return QStringLiteral("fichier ou dossier introuvable");
    case ENOTDIR:
        return QStringLiteral("un élément du chemin n'est pas un dossier");
    case EISDIR:
        return QStringLiteral("c'est un dossier");
    case ENAMETOOLONG:
        return QStringLiteral("nom de fichier trop long");
    case EIO:
        return QStringLiteral("erreur de lecture ou d'écriture sur le disque");
    case EFBIG:
        return QStringLiteral("fichier trop grand pour ce disque");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("trop de fichiers ouverts");
    case ENOMEM:
        return QStringLiteral("mémoire insuffisante");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("le fichier est occupé");
    case ELOOP:
        return QStringLiteral("trop de liens symboliques");
    case EXDEV:
        return QStringLiteral("déplacement entre deux disques impossible");
    default:
        return QStringLiteral("erreur système %1 (%2)")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

QByteArray ReadWholeFile(const QByteArray& nativePath, qint64 maxSize) {
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw EReadFailed(FrenchSystemError(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0)
        throw EReadFailed(FrenchSystemError(errno));
    // A folder, a pipe or a device is not read (a pipe would block, a device
    // never end).
    if (S_ISDIR(st.st_mode))
        throw EReadFailed(FrenchSystemError(EISDIR));
    if (!S_ISREG(st.st_mode))
        throw EReadFailed(QStringLiteral("ce n'est pas un fichier ordinaire"));
    if (st.st_size > maxSize)
        throw EReadFailed(QStringLiteral("le fichier dépasse %1 Mo").arg(FrenchCount(maxSize / (1024 * 1024))));
    // The size it had when opened, no more: a file that grows meanwhile is cut there.
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EReadFailed(FrenchSystemError(errno));
        if (n == 0)
            break; // shortened meanwhile
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

QString FrenchCount(qint64 n) {
    QString digits = QString::number(n < 0 ? quint64(0) - quint64(n) : quint64(n));
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QChar(0x00A0));
    return n < 0 ? QLatin1Char('-') + digits : digits;
}
