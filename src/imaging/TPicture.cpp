#include "imaging/TPicture.h"

#include "imaging/TFileFormats.h"
#include "timescale/AevError.h"

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

namespace {
const TFileFormat& formatOf(const QString& extension) {
    const TFileFormat* format = FileFormats().Find(extension);
    if (!format)
        throw EAevError(QStringLiteral("Extension de fichier graphique inconnue (.%1)").arg(extension));
    return *format;
}
} // namespace

void TPicture::LoadFromFile(const QString& path) {
    const TFileFormat& format = formatOf(PictureExtension(path));
    std::unique_ptr<TGraphic> graphic = format.Create();
    graphic->LoadFromFile(path, m_maxDrawSize);
    replace(std::move(graphic));
}

void TPicture::LoadFromData(const QByteArray& data, const QString& extension) {
    const TFileFormat& format = formatOf(extension);
    std::unique_ptr<TGraphic> graphic = format.Create();
    graphic->LoadFromData(data, m_maxDrawSize);
    replace(std::move(graphic));
}

void TPicture::Clear() {
    replace(nullptr);
}

void TPicture::replace(std::unique_ptr<TGraphic> graphic) {
    m_graphic = std::move(graphic);
    ++m_serial;
    if (m_onChange)
        m_onChange();
}

void TPicture::Draw(QPainter& painter, const QRect& target) const {
    if (m_graphic)
        m_graphic->Draw(painter, target);
}
