#pragma once

#include "widgets/Bevel.h"
#include "widgets/WinColor.h"

#include <QImage>
#include <QWidget>
#include <functional>

// A non-negative number shown as a row of seven-segment digits, with a
// separator mark between two of them. The ten digit images are prepared when
// the look changes, so a paint only fills, copies images and draws the
// separator.
class TLEDDisplay : public QWidget {
    Q_OBJECT
public:
    enum TBorderStyle { bsNone, bsSingle };
    enum TDecSeperator { dsPoint, dsComma, dsDoublePoint, dsMinus };
    enum TSegmentStyle { ssRectangular, ssBeveled };

    explicit TLEDDisplay(QWidget* parent = nullptr);

    // One-pixel bevel round the control.
    TPanelBevel BevelStyle() const { return m_bevelStyle; }
    void SetBevelStyle(TPanelBevel style);
    // One-pixel frame inside the bevel.
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle style);
    // Background, and outline of the bevelled segments.
    TColor ColorBackGround() const { return m_colorBackGround; }
    void SetColorBackGround(TColor color);
    // Lit segments and the separator mark; unlit segments are half as bright.
    TColor ColorLED() const { return m_colorLED; }
    void SetColorLED(TColor color);
    TColor ColorLEDOff() const { return m_colorLEDOff; }
    // The unlit segments' colour (SetColorLED sets it to the lit colour darkened by half).
    void SetColorLEDOff(TColor color);
    TDecSeperator DecSeperator() const { return m_decSeperator; }
    void SetDecSeperator(TDecSeperator separator);
    // Size of a digit image and thickness of its segments, pixels.
    int DigitHeight() const { return m_digitHeight; }
    void SetDigitHeight(int height);
    int DigitWidth() const { return m_digitWidth; }
    void SetDigitWidth(int width);
    int DigitLineWidth() const { return m_digitLineWidth; }
    void SetDigitLineWidth(int width);
    // Digits after the separator, at most NumDigits - 1 when set.
    int FractionDigits() const { return m_fractionDigits; }
    void SetFractionDigits(int digits);
    // Draw the zeros ahead of the first non-zero digit.
    bool LeadingZeros() const { return m_leadingZeros; }
    void SetLeadingZeros(bool on);
    // Number of digit cells (at least one).
    int NumDigits() const { return m_numDigits; }
    void SetNumDigits(int digits);
    TSegmentStyle SegmentStyle() const { return m_segmentStyle; }
    void SetSegmentStyle(TSegmentStyle style);
    // The number shown, finite and >= 0. Every assignment invalidates the
    // control and fires OnChange, also when the value does not change.
    double Value() const { return m_value; }
    void SetValue(double value);

    // Fired after every assignment of Value.
    std::function<void(TLEDDisplay* sender)> OnChange;

    // The text painted, one digit character per cell (only the first
    // NumDigits are drawn), and the 1-based position s of the separator: the
    // mark belongs after character s - 1 (0 when there is none).
    QString DigitText(int* separatorPos) const;
    // The prepared image of a digit 0 to 9.
    const QImage& DigitImage(int digit) const { return m_digitImages[digit]; }

    // Draws the control from its state; what paintEvent calls.
    void paintTo(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void rebuildImages();
    void drawSeparator(QPainter& p, int x, int y) const;

    TPanelBevel m_bevelStyle = bvLowered;
    TBorderStyle m_borderStyle = bsSingle;
    TColor m_colorBackGround = 0x00808080;
    TColor m_colorLED = 0x0000FF00;
    TColor m_colorLEDOff = 0x00008000;
    TDecSeperator m_decSeperator = dsComma;
    int m_digitHeight = 30;
    int m_digitWidth = 20;
    int m_digitLineWidth = 3;
    int m_fractionDigits = 0;
    bool m_leadingZeros = true;
    int m_numDigits = 6;
    TSegmentStyle m_segmentStyle = ssBeveled;
    double m_value = 0.0;

    TColor m_segmentColors[10][7] = {};
    QImage m_digitImages[10];
    qreal m_imagesDpr = 1; // device pixels per pixel of the digit images
};
