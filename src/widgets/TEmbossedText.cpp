#include "widgets/TEmbossedText.h"

#include "widgets/AccessibleEvents.h"
#include "widgets/ShadeColor.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>

namespace {

constexpr int kAlignFlags[] = {
    Qt::AlignTop | Qt::AlignLeft,
    Qt::AlignTop | Qt::AlignHCenter,
    Qt::AlignTop | Qt::AlignRight,
    Qt::AlignVCenter | Qt::AlignLeft,
    Qt::AlignCenter,
    Qt::AlignVCenter | Qt::AlignRight,
    Qt::AlignBottom | Qt::AlignLeft,
    Qt::AlignBottom | Qt::AlignHCenter,
    Qt::AlignBottom | Qt::AlignRight,
};

// Lettering drawn by hand: assistive technology reads its caption as the
// name of a static text.
class TEmbossedTextAccessible : public QAccessibleWidget {
public:
    explicit TEmbossedTextAccessible(TEmbossedText* t) : QAccessibleWidget(t, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<TEmbossedText*>(widget())->Caption();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* EmbossedTextFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TEmbossedText") && object && object->isWidgetType())
        return new TEmbossedTextAccessible(static_cast<TEmbossedText*>(object));
    return nullptr;
}

} // namespace

TEmbossedText::TEmbossedText(QWidget* parent) : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(EmbossedTextFactory);
        return true;
    }();
    (void)installed;
}

int TEmbossedText::textFlags() const {
    int flags = kAlignFlags[m_alignment];
    flags |= m_multiLine ? int(Qt::TextWordWrap) : int(Qt::TextSingleLine);
    if (m_showAccelChar)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

QSize TEmbossedText::AutoSizeExtent() const {
    const QFontMetrics fm(font());
    QSize text;
    if (!m_caption.isEmpty()) {
        // Multi-line text keeps its own line breaks; a single line is measured whole.
        const int flags =
            (m_multiLine ? 0 : int(Qt::TextSingleLine)) | (m_showAccelChar ? int(Qt::TextShowMnemonic) : 0);
        text = fm.boundingRect(QRect(0, 0, 100000, 100000), flags, m_caption).size();
    }
    const int pad = 2 * (m_bevel.Extent() + 1);
    return QSize(text.width() + pad, text.height() + pad);
}

void TEmbossedText::changed() {
    if (m_autoSize && parentWidget())
        resize(AutoSizeExtent());
    update();
}

void TEmbossedText::SetCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    changed();
    QAccessibleEvent named(this, QAccessible::NameChanged);
    NotifyAccessible(named);
}

void TEmbossedText::SetFontColor(TColor color) {
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    update();
}

void TEmbossedText::SetFontFX(const TFxCaption& fx) {
    if (fx == m_fx)
        return;
    m_fx = fx;
    changed();
}

void TEmbossedText::SetAlignment(TTextAlignment alignment) {
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    update();
}

void TEmbossedText::SetAutoSize(bool on) {
    if (on == m_autoSize)
        return;
    m_autoSize = on;
    changed();
}

void TEmbossedText::SetMultiLine(bool on) {
    if (on == m_multiLine)
        return;
    m_multiLine = on;
    changed();
}

void TEmbossedText::SetShowAccelChar(bool on) {
    if (on == m_showAccelChar)
        return;
    m_showAccelChar = on;
    changed();
}

void TEmbossedText::SetColor(TColor color) {
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void TEmbossedText::SetTransparent(bool on) {
    if (on == m_transparent)
        return;
    m_transparent = on;
    update();
}

void TEmbossedText::SetBevel(const TBevelFrame& bevel) {
    if (bevel == m_bevel)
        return;
    m_bevel = bevel;
    changed();
}

void TEmbossedText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        changed();
    else if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void TEmbossedText::paintTo(QPainter& painter) const {
    painter.save();
    if (!m_transparent)
        painter.fillRect(rect(), WinColor(m_color));
    const QRect area = m_bevel.Draw(painter, rect(), m_color).adjusted(1, 1, -1, -1);
    painter.setClipRect(rect());
    painter.setFont(font());
    if (m_fx.Angle % 360 != 0) {
        // Turned about the centre of the text area.
        painter.translate(area.center());
        painter.rotate(-m_fx.Angle);
        painter.translate(-area.center());
    }
    const int flags = textFlags();
    auto draw = [&](int dx, int dy, TColor colour) {
        painter.setPen(WinColor(colour));
        painter.drawText(area.translated(dx, dy), flags, m_caption);
    };
    const int L = m_fx.LightDepth, S = m_fx.ShadowDepth;
    if (!isEnabled()) {
        draw(1, 1, cl::BtnHighlight);
        draw(0, 0, cl::BtnShadow);
        painter.restore();
        return;
    }
    switch (m_fx.Style) {
    case tdNone:
        break;
    case tdSunken:
        draw(L, L, m_fx.LightColor);
        break;
    case tdRaised:
        draw(-L, -L, m_fx.LightColor);
        draw(S, S, m_fx.ShadowColor);
        break;
    case tdSunkenShadow:
        draw(-S, -S, m_fx.ShadowColor);
        draw(L, L, m_fx.LightColor);
        break;
    case tdRaisedShadow:
        draw(-L, -L, m_fx.LightColor);
        draw(S, S, m_fx.ShadowColor);
        draw(S + 1, S + 1, m_fx.ShadowColor);
        break;
    case tdPColorSunken:
        // Light and shadow taken from the background colour.
        draw(-S, -S, ShadeColor(m_color, -50));
        draw(L, L, ShadeColor(m_color, 50));
        break;
    case tdPColorRaised:
        draw(-L, -L, ShadeColor(m_color, 50));
        draw(S, S, ShadeColor(m_color, -50));
        break;
    case tdShadow:
        draw(S, S, m_fx.ShadowColor);
        break;
    case tdOutline:
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx || dy)
                    draw(dx, dy, m_fx.LightColor);
        break;
    case tdExtrude:
        for (int i = S; i >= 1; --i)
            draw(i, i, m_fx.ShadowColor);
        break;
    case tdExtrudeEnh:
        for (int i = S; i >= 1; --i)
            draw(i, i, m_fx.ShadowColor);
        draw(-L, -L, m_fx.LightColor);
        break;
    }
    draw(0, 0, m_fontColor);
    painter.restore();
}

void TEmbossedText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintTo(painter);
}
