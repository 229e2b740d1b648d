#pragma once

#include "widgets/BevelFrame.h"
#include "widgets/TLEDCharSet.h"

#include <QWidget>

enum TLEDLabelStyle { lsString, lsInteger };

// A line of text drawn as sixteen-segment LED characters in a bevelled frame.
// The text starts at the top-left corner of the area inside the frame and is
// cut at its right edge; it is neither centred nor wrapped.
class TLEDLabel : public QWidget {
    Q_OBJECT
public:
    explicit TLEDLabel(QWidget* parent = nullptr);

    // The text shown in lsString style.
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    // Background of the text area, passed on to the LED.
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    // Character geometry and colours; every change repaints the label.
    TLEDCharSet& LED() { return m_led; }
    const TLEDCharSet& LED() const { return m_led; }
    const TBevelFrame& Bevel() const { return m_bevel; }
    void SetBevel(const TBevelFrame& bevel);
    TLEDLabelStyle Style() const { return m_style; }
    void SetStyle(TLEDLabelStyle style);
    // The number shown in lsInteger style, on Digits characters.
    int Value() const { return m_value; }
    void SetValue(int value);
    // Width of the number in lsInteger style, 1 to 255 (0 is refused).
    int Digits() const { return m_digits; }
    void SetDigits(int digits);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    // Lets the parent show through where the text area has the label's colour.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool on);

    // The text that is drawn: the caption, or the value on Digits characters
    // (Digits times "-" when it needs more).
    QString DisplayText() const;
    // The area inside the frame, where the text is drawn.
    QRect TextRect() const;

    // Draws the label from its state; what paintEvent calls.
    void paintTo(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void changed();

    QString m_caption;
    TColor m_color = 0x00000000;
    TLEDCharSet m_led;
    TBevelFrame m_bevel;
    TLEDLabelStyle m_style = lsString;
    int m_value = 0;
    int m_digits = 2;
    bool m_autoSize = false;
    bool m_transparent = false;
};
