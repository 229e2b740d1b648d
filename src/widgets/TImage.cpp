#include "widgets/TImage.h"

#include "imaging/PictureFit.h"
#include "timescale/AevError.h"

#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) {
    m_picture.SetOnChange([this] { pictureChanged(); });
}

void TImage::SetAutoSize(bool on) {
    if (on == m_autoSize)
        return;
    m_autoSize = on;
    if (m_autoSize && !m_picture.IsEmpty())
        resize(m_picture.Width(), m_picture.Height());
    update();
}

void TImage::SetStretch(bool on) {
    if (on == m_stretch)
        return;
    m_stretch = on;
    update();
}

void TImage::SetCenter(bool on) {
    if (on == m_center)
        return;
    m_center = on;
    update();
}

void TImage::pictureChanged() {
    m_cache = QImage();
    if (m_autoSize && !m_picture.IsEmpty())
        resize(m_picture.Width(), m_picture.Height());
    update();
}

void TImage::FitToArea(int areaWidth, int areaHeight, int bevel) {
    const TPictureFit fit = FitPicture(areaWidth, areaHeight, m_picture.Width(), m_picture.Height());
    if (fit.NaturalSize) {
        SetAutoSize(true);
        resize(m_picture.Width(), m_picture.Height());
    } else {
        resize(fit.Width, fit.Height);
        SetStretch(true);
    }
    move(CentredPosition(areaWidth, areaHeight, bevel, width(), height()));
}

const QImage& TImage::scaledPicture(QSize size, qreal dpr) const {
    const QImage source = m_picture.Image();
    if (source.size() == size && dpr == 1)
        return m_picture.Graphic()->Image();
    if (m_cacheSerial != m_picture.Serial() || m_cache.size() != size || m_cache.devicePixelRatio() != dpr) {
        m_cache = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_cache.setDevicePixelRatio(dpr);
        m_cacheSerial = m_picture.Serial();
    }
    return m_cache;
}

void TImage::paintTo(QPainter& painter) const {
    if (m_picture.IsEmpty())
        return;
    QRect target;
    if (m_stretch) {
        target = rect();
    } else {
        // Natural size: the file's own size, whatever copy the decoder kept.
        target = QRect(0, 0, m_picture.Width(), m_picture.Height());
        if (m_center)
            target.moveCenter(rect().center());
    }
    if (target.isEmpty())
        return;
    // On a scaled screen the picture is scaled to the device pixels it covers.
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QImage& source = m_picture.Image();
    if (source.size() == target.size() && dpr == 1) {
        painter.drawImage(target.topLeft(), m_picture.Graphic()->Image());
    } else if (target.width() <= width() * 2 && target.height() <= height() * 2) {
        painter.drawImage(target.topLeft(), scaledPicture(target.size() * dpr, dpr));
    } else {
        // Much larger than the control: only the visible part is scaled.
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.setClipRect(rect());
        painter.drawImage(target, m_picture.Graphic()->Image());
        painter.restore();
    }
}

void TImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintTo(painter);
}
