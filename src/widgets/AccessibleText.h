#pragma once

#include <QAccessibleWidget>
#include <functional>

// A widget drawn by hand (segments, LED letters, a dial) has no text of its
// own that Qt could hand to a screen reader. This interface gives it one: the
// text it shows, read only, as its value text and through a text interface
// (what AT-SPI clients read with Text.getText); the role and name stay the
// widget's.
class TAccessibleTextWidget : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    TAccessibleTextWidget(QWidget* widget, QAccessible::Role role, std::function<QString()> shown);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;

    // Read only: no caret, no selection, no geometry of single characters.
    void selection(int, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override { return int(shownText().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    QString shownText() const { return m_shown ? m_shown() : QString(); }

private:
    std::function<QString()> m_shown;
};

// Tells assistive technology that the text a widget shows went from `before`
// to `after` (on AT-SPI, a text-changed delete and insert).
void NotifyTextChanged(QWidget* widget, const QString& before, const QString& after);
