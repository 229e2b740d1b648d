#pragma once

#include "imaging/TGraphic.h"

#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QPainter;
class QRect;

// The picture object of an image control: holds at most one picture of one
// format, loaded by path with the format chosen from the file's extension.
class TPicture {
public:
    TPicture();
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // Loads a file. The extension picks the format (latest registration,
    // case ignored); an unregistered extension fails with "Extension de fichier
    // graphique inconnue (.ext)". Any failure throws EAevError and keeps the
    // picture held before; a success replaces it and notifies the owner.
    void LoadFromFile(const QString& path);
    // The same for data already in memory, such as a picture stored with a
    // window; extension names its format.
    void LoadFromData(const QByteArray& data, const QString& extension);
    // Empties the picture and notifies the owner.
    void Clear();

    // True size in pixels, 0 when empty.
    int Width() const { return m_graphic ? m_graphic->Width() : 0; }
    int Height() const { return m_graphic ? m_graphic->Height() : 0; }
    bool IsEmpty() const { return !m_graphic; }
    // The decoded pixels (possibly a reduced copy, see SetMaxDrawSize); null when empty.
    QImage Image() const { return m_graphic ? m_graphic->Image() : QImage(); }
    const TGraphic* Graphic() const { return m_graphic.get(); }
    // Changes with every new content; lets drawers cache scaled copies.
    quint64 Serial() const { return m_serial; }

    // The largest area the owner will ever draw the picture into. When set,
    // decoders may keep a reduced copy (JPEG scaling, PNG box filtering);
    // Width() and Height() stay the file's own. Empty: full resolution.
    void SetMaxDrawSize(QSize size) { m_maxDrawSize = size; }
    QSize MaxDrawSize() const { return m_maxDrawSize; }

    // Draws the picture stretched into target.
    void Draw(QPainter& painter, const QRect& target) const;

    // Called after every change of content.
    void SetOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

private:
    void replace(std::unique_ptr<TGraphic> graphic);

    std::unique_ptr<TGraphic> m_graphic;
    QSize m_maxDrawSize;
    quint64 m_serial = 0;
    std::function<void()> m_onChange;
};
