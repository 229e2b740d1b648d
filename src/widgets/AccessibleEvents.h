#pragma once

#include <functional>

class QAccessibleEvent;

// Sends a change to assistive technology. Qt passes it on only while a screen
// reader listens; an observer set here sees every event as well (tests use it,
// Qt's own update handler being silent while no screen reader listens).
void NotifyAccessible(QAccessibleEvent& event);
using TAccessibleObserver = std::function<void(QAccessibleEvent*)>;
void SetAccessibleObserver(TAccessibleObserver observer);
