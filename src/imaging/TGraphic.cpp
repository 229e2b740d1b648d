#include "imaging/TGraphic.h"

#include "imaging/PictureLimits.h"
#include "timescale/AevError.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <new>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

TGraphic::~TGraphic() = default;

template <class F> void TGraphic::run(F&& decode) {
    m_image = QImage();
    m_width = m_height = 0;
    try {
        decode();
    } catch (const std::bad_alloc&) {
        m_image = QImage();
        m_width = m_height = 0;
        throw EAevError(QStringLiteral("Mémoire insuffisante pour décoder l'image"));
    } catch (...) {
        m_image = QImage();
        m_width = m_height = 0;
        throw;
    }
    if (m_image.isNull() || m_width <= 0 || m_height <= 0) {
        m_image = QImage();
        m_width = m_height = 0;
        throw EAevError(QStringLiteral("Image vide"));
    }
}

void TGraphic::LoadFromData(const QByteArray& data, QSize maxDrawSize) {
    run([&] {
        Decode(reinterpret_cast<const unsigned char*>(data.constData()), std::size_t(data.size()),
               maxDrawSize);
    });
}

void TGraphic::LoadFromFile(const QString& path, QSize maxDrawSize) {
    QFile file(path);
    OpenPictureFile(file);
    if (file.size() > MaxPictureFileBytes)
        throw EAevError(QStringLiteral("Fichier graphique trop grand : %1").arg(path));
    run([&] { DecodeFile(file, maxDrawSize); });
}

void TGraphic::DecodeFile(QFile& file, QSize maxDrawSize) {
    const QByteArray data = ReadPictureFile(file);
    Decode(reinterpret_cast<const unsigned char*>(data.constData()), std::size_t(data.size()), maxDrawSize);
}

void TGraphic::SetPicture(QImage image, int width, int height) {
    m_image = std::move(image);
    m_width = width;
    m_height = height;
}

void TGraphic::Draw(QPainter& painter, const QRect& target) const {
    if (m_image.isNull() || target.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, m_image);
    painter.restore();
}

void OpenPictureFile(QFile& file) {
    const QString path = file.fileName();
    const auto cannotOpen = [&] {
        return EAevError(QStringLiteral("Impossible d'ouvrir le fichier %1").arg(path));
    };
#ifdef Q_OS_UNIX
    // Opened without waiting (a FIFO would wait for a writer), then checked
    // on the open file itself, then read normally.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw cannotOpen();
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw EAevError(QStringLiteral("%1 n'est pas un fichier ordinaire").arg(path));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw cannotOpen();
    }
#else
    if (!QFileInfo(path).isFile())
        throw EAevError(QStringLiteral("%1 n'est pas un fichier ordinaire").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen();
#endif
}

QByteArray ReadPictureFile(const QString& path) {
    QFile file(path);
    OpenPictureFile(file);
    return ReadPictureFile(file);
}

QByteArray ReadPictureFile(QFile& file) {
    // No more than the size the file had when it was opened is read.
    const qint64 size = file.size();
    if (size > MaxPictureFileBytes)
        throw EAevError(QStringLiteral("Fichier graphique trop grand : %1").arg(file.fileName()));
    QByteArray data = file.read(size);
    if (file.error() != QFileDevice::NoError)
        throw EAevError(QStringLiteral("Erreur de lecture du fichier %1").arg(file.fileName()));
    return data;
}
