#pragma once

#include "imaging/TPicture.h"

#include <QImage>
#include <QWidget>

// The picture control: shows its picture object at the picture's natural size
// (from the top-left corner, or centred), or stretched to the control. With
// AutoSize the control takes the picture's size whenever the picture changes.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    TPicture& Picture() { return m_picture; }
    const TPicture& Picture() const { return m_picture; }

    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool on);
    bool Center() const { return m_center; }
    void SetCenter(bool on);

    // Fits the control into an area of its parent: w_a x h_a starting at
    // (bevel, bevel). A picture that fits is shown at its own size (AutoSize);
    // a larger one is shrunk to the area keeping its proportions (Stretch).
    // The control is then centred. Throws EAevError for an empty picture.
    void FitToArea(int areaWidth, int areaHeight, int bevel);

    // Draws the control's content from its state; what paintEvent calls.
    void paintTo(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void pictureChanged();
    // The picture scaled to size, cached until the picture or the size changes.
    // The picture scaled to `size` device pixels, for a device of `dpr`.
    const QImage& scaledPicture(QSize size, qreal dpr) const;

    TPicture m_picture;
    bool m_autoSize = false;
    bool m_stretch = false;
    bool m_center = false;
    mutable QImage m_cache;
    mutable quint64 m_cacheSerial = ~quint64(0);
};
