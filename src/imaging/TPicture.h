#pragma once

#include <QImage>
#include <QString>

// Placeholder of the picture object until the format table lands.
class TPicture {
public:
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    bool IsEmpty() const { return m_image.isNull(); }
    const QImage& Image() const { return m_image; }

private:
    QImage m_image;
};
