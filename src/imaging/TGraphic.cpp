#include "imaging/TGraphic.h"

#include "imaging/PictureLimits.h"
#include "timescale/AevError.h"

#include <QFile>
#include <QPainter>
#include <new>

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
    if (!file.open(QIODevice::ReadOnly))
        throw EAevError(QStringLiteral("Impossible d'ouvrir le fichier %1").arg(path));
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

QByteArray ReadPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EAevError(QStringLiteral("Impossible d'ouvrir le fichier %1").arg(path));
    return ReadPictureFile(file);
}

QByteArray ReadPictureFile(QFile& file) {
    if (file.size() > MaxPictureFileBytes)
        throw EAevError(QStringLiteral("Fichier graphique trop grand : %1").arg(file.fileName()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EAevError(QStringLiteral("Erreur de lecture du fichier %1").arg(file.fileName()));
    return data;
}
