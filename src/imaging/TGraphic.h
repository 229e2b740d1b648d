#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class QFile;
class QPainter;
class QRect;

// One decoded picture of one format. Each format is a subclass that reads the
// whole file from memory; a failed read throws EAevError and leaves the object
// empty. Width() and Height() are the picture's true size from the file, even
// when the decoder kept a reduced copy because it will only be drawn smaller.
class TGraphic {
public:
    virtual ~TGraphic();

    // Decodes a file's content. maxDrawSize, when not empty, is the largest area
    // the picture will be drawn into: a decoder may then keep fewer pixels, never
    // fewer than the fitted picture shows.
    void LoadFromData(const QByteArray& data, QSize maxDrawSize = QSize());
    // The same for a file; throws EAevError when it is missing, not a regular
    // file, unreadable or larger than MaxPictureFileBytes.
    void LoadFromFile(const QString& path, QSize maxDrawSize = QSize());

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool IsEmpty() const { return m_image.isNull(); }
    // The decoded pixels, possibly smaller than Width() x Height().
    const QImage& Image() const { return m_image; }

    // Draws the picture stretched into target (smooth scaling).
    void Draw(QPainter& painter, const QRect& target) const;

protected:
    // What a format decodes. Throws EAevError; must not return an empty image.
    virtual void Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) = 0;
    // Decodes an open file; by default reads it whole and calls Decode.
    // Formats that read as they go override it.
    virtual void DecodeFile(QFile& file, QSize maxDrawSize);
    // Stores the decoded pixels and the picture's true size.
    void SetPicture(QImage image, int width, int height);
    void SetPicture(QImage image) {
        const int w = image.width(), h = image.height();
        SetPicture(std::move(image), w, h);
    }

private:
    template <class F> void run(F&& decode);

    QImage m_image;
    int m_width = 0;
    int m_height = 0;
};

// Opens file (its name set) for reading. Only a regular file is opened: a
// FIFO would block and a device read without end. Throws EAevError.
void OpenPictureFile(QFile& file);
// Reads a whole picture file into memory; throws EAevError when it is missing,
// not a regular file, unreadable or larger than MaxPictureFileBytes.
QByteArray ReadPictureFile(const QString& path);
// The same for a file already open.
QByteArray ReadPictureFile(QFile& file);
