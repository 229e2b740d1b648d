#include "widgets/TLEDLabel.h"

#include <QPainter>

TLEDLabel::TLEDLabel(QWidget* parent) : QWidget(parent) {
    m_led.SetBackgroundColor(m_color);
    m_led.OnChange = [this] { changed(); };
}

void TLEDLabel::changed() {
    if (m_autoSize) {
        const QSize cells = m_led.TextCells(DisplayText());
        const int extent = m_bevel.Extent();
        resize(cells.width() * m_led.CellWidth() + 2 * extent + 1,
               cells.height() * m_led.CellHeight() + 2 * extent);
    }
    update();
}

void TLEDLabel::SetCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    changed();
}

void TLEDLabel::SetColor(TColor color) {
    if (color == m_color)
        return;
    m_color = color;
    m_led.SetBackgroundColor(color); // rebuilds the cell and repaints
    update();
}

void TLEDLabel::SetBevel(const TBevelFrame& bevel) {
    if (bevel == m_bevel)
        return;
    m_bevel = bevel;
    changed();
}

void TLEDLabel::SetStyle(TLEDLabelStyle style) {
    if (style == m_style)
        return;
    m_style = style;
    changed();
}

void TLEDLabel::SetValue(int value) {
    if (value == m_value)
        return;
    m_value = value;
    if (m_style == lsInteger)
        changed();
}

void TLEDLabel::SetDigits(int digits) {
    if (digits < 1 || digits > 255 || digits == m_digits)
        return;
    m_digits = digits;
    if (m_style == lsInteger)
        changed();
}

void TLEDLabel::SetAutoSize(bool on) {
    if (on == m_autoSize)
        return;
    m_autoSize = on;
    changed();
}

void TLEDLabel::SetTransparent(bool on) {
    if (on == m_transparent)
        return;
    m_transparent = on;
    update();
}

QString TLEDLabel::DisplayText() const {
    if (m_style == lsString)
        return m_caption;
    QString digits = QString::number(qAbs(qint64(m_value)));
    const QString sign = m_value < 0 ? QStringLiteral("-") : QString();
    if (sign.size() + digits.size() > m_digits)
        return QString(m_digits, QLatin1Char('-'));
    // Zeros go between the sign and the digits, so -5 on three digits is -05.
    digits = digits.rightJustified(m_digits - int(sign.size()), QLatin1Char('0'));
    return sign + digits;
}

QRect TLEDLabel::TextRect() const {
    const int e = m_bevel.Extent();
    return rect().adjusted(e, e, -e, -e);
}

void TLEDLabel::paintTo(QPainter& painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect area = m_bevel.Draw(painter, rect(), m_color);
    if (area.width() > 0 && area.height() > 0) {
        QImage text(area.size(), QImage::Format_RGB32);
        text.fill(WinColor(m_color));
        {
            QPainter p(&text);
            m_led.DrawText(p, QRect(QPoint(0, 0), area.size()), DisplayText(),
                           isEnabled() || !m_led.DisabledDigits());
        }
        if (m_transparent) {
            const QRgb key = WinColor(m_color).rgb();
            text = text.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < text.height(); ++y) {
                QRgb* line = reinterpret_cast<QRgb*>(text.scanLine(y));
                for (int x = 0; x < text.width(); ++x)
                    if ((line[x] | 0xFF000000u) == key)
                        line[x] = 0;
            }
        }
        painter.drawImage(area.topLeft(), text);
    }
    painter.restore();
}

void TLEDLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintTo(painter);
}
