#include "widgets/AccessibleEvents.h"

#include <QAccessible>

namespace {
TAccessibleObserver& Observer() {
    static TAccessibleObserver observer;
    return observer;
}
} // namespace

void NotifyAccessible(QAccessibleEvent& event) {
    if (Observer())
        Observer()(&event);
    QAccessible::updateAccessibility(&event);
}

void SetAccessibleObserver(TAccessibleObserver observer) {
    Observer() = std::move(observer);
}
