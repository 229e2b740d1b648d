#include "widgets/AccessibleText.h"

#include "widgets/AccessibleEvents.h"

#include <QWidget>

#include <algorithm>

TAccessibleTextWidget::TAccessibleTextWidget(QWidget* widget, QAccessible::Role role,
                                             std::function<QString()> shown)
    : QAccessibleWidget(widget, role), m_shown(std::move(shown)) {}

void* TAccessibleTextWidget::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString TAccessibleTextWidget::text(QAccessible::Text t) const {
    if (t == QAccessible::Value)
        return shownText();
    return QAccessibleWidget::text(t);
}

void TAccessibleTextWidget::selection(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = 0;
}

QString TAccessibleTextWidget::text(int startOffset, int endOffset) const {
    const QString all = shownText();
    // AT-SPI asks for (0, -1) for the whole text.
    const int n = int(all.size());
    const int end = endOffset < 0 ? n : std::min(endOffset, n);
    const int start = std::clamp(startOffset, 0, end);
    return all.mid(start, end - start);
}

QString TAccessibleTextWidget::attributes(int offset, int* startOffset, int* endOffset) const {
    // One run without attributes over the whole text.
    *startOffset = offset < 0 ? -1 : 0;
    *endOffset = offset < 0 ? -1 : characterCount();
    return QString();
}

void NotifyTextChanged(QWidget* widget, const QString& before, const QString& after) {
    QAccessibleTextUpdateEvent event(static_cast<QObject*>(widget), 0, before, after);
    NotifyAccessible(event);
}
