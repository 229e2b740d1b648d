#pragma once

#include <QLabel>

// A word-wrapped plain-text label whose lines stand a fixed distance apart, so
// that a given number of lines fits a panel whatever the font's own spacing.
// Lines break at line feeds and wrap at word boundaries; the text is drawn
// from the top left in the palette's window-text colour.
class TPanelLabel : public QLabel {
    Q_OBJECT
public:
    explicit TPanelLabel(QWidget* parent = nullptr);

    // Distance in pixels from one line's top to the next; 0 (the default)
    // takes the font's line spacing.
    qreal LinePitch() const { return m_linePitch; }
    void SetLinePitch(qreal pitch);
    // The pitch that fits `lines` lines of the current font into `height` pixels
    // (the font's own spacing when that fits already).
    qreal PitchToFit(int lines, int height) const;

    // Number of lines the current text takes at the current width.
    int LineCount() const;

    // Draws the background (when filled) and the text; what paintEvent calls.
    void paintTo(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_linePitch = 0;
};
