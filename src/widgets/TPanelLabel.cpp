#include "widgets/TPanelLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Lays out each paragraph of `text` at `width` and calls `line` for every line
// in order (each placed at the origin).
void ForEachLine(const QString& text, const QFont& font, qreal width,
                 const std::function<void(const QTextLine&)>& line) {
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    const QStringList paragraphs = QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')).split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(width);
            l.setPosition(QPointF(0, 0));
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i)
            line(layout.lineAt(i));
    }
}

} // namespace

TPanelLabel::TPanelLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TPanelLabel::SetLinePitch(qreal pitch) {
    m_linePitch = std::max<qreal>(0, pitch);
    update();
}

qreal TPanelLabel::PitchToFit(int lines, int height) const {
    const QFontMetricsF fm(font());
    if (lines <= 1)
        return fm.lineSpacing();
    return std::min<qreal>(fm.lineSpacing(), (height - fm.height()) / (lines - 1));
}

int TPanelLabel::LineCount() const {
    if (text().isEmpty())
        return 0;
    int count = 0;
    ForEachLine(text(), font(), contentsRect().width(), [&count](const QTextLine&) { ++count; });
    return count;
}

void TPanelLabel::paintTo(QPainter& p) const {
    if (autoFillBackground())
        p.fillRect(rect(), palette().color(backgroundRole()));
    if (text().isEmpty())
        return;
    const qreal pitch = m_linePitch > 0 ? m_linePitch : QFontMetricsF(font()).lineSpacing();
    const QRect area = contentsRect();
    p.save();
    p.setPen(palette().color(foregroundRole()));
    int index = 0;
    ForEachLine(text(), font(), area.width(), [&](const QTextLine& line) {
        // Whole pixels, so that every line is drawn alike.
        line.draw(&p, QPointF(area.left(), area.top() + std::round(index * pitch)));
        ++index;
    });
    p.restore();
}

void TPanelLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintTo(p);
}
