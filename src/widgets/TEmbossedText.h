#pragma once

#include "widgets/BevelFrame.h"

#include <QWidget>

enum TThreeDStyle {
    tdNone,
    tdSunken,
    tdRaised,
    tdSunkenShadow,
    tdRaisedShadow,
    tdPColorSunken,
    tdPColorRaised,
    tdShadow,
    tdOutline,
    tdExtrude,
    tdExtrudeEnh
};

enum TTextAlignment {
    agTopLeft,
    agTopCenter,
    agTopRight,
    agCenterLeft,
    agCenter,
    agCenterRight,
    agBottomLeft,
    agBottomCenter,
    agBottomRight
};

// A three-dimensional font effect: copies of the text in a light and a shadow
// colour, offset by their depths, under the text itself.
struct TFxCaption {
    TThreeDStyle Style = tdNone;
    TColor LightColor = cl::BtnHighlight;
    TColor ShadowColor = cl::BtnShadow;
    int LightDepth = 1;
    int ShadowDepth = 1;
    int Angle = 0; // degrees, counterclockwise

    bool operator==(const TFxCaption& o) const {
        return Style == o.Style && LightColor == o.LightColor && ShadowColor == o.ShadowColor &&
               LightDepth == o.LightDepth && ShadowDepth == o.ShadowDepth && Angle == o.Angle;
    }
    bool operator!=(const TFxCaption& o) const { return !(*this == o); }
};

// A static caption with a font effect, such as lettering engraved in a panel.
// The font is the widget's font; its colour is FontColor.
class TEmbossedText : public QWidget {
    Q_OBJECT
public:
    explicit TEmbossedText(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor color);
    const TFxCaption& FontFX() const { return m_fx; }
    void SetFontFX(const TFxCaption& fx);
    TTextAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TTextAlignment alignment);
    // Sizes the control to its text (only while it has a parent).
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    bool MultiLine() const { return m_multiLine; }
    void SetMultiLine(bool on);
    // An ampersand underlines the next character and is not drawn ("&&" draws one).
    bool ShowAccelChar() const { return m_showAccelChar; }
    void SetShowAccelChar(bool on);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    // Leaves the background undrawn.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool on);
    const TBevelFrame& Bevel() const { return m_bevel; }
    void SetBevel(const TBevelFrame& bevel);

    // The size the control takes with AutoSize.
    QSize AutoSizeExtent() const;

    // Draws the control from its state; what paintEvent calls.
    void paintTo(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int textFlags() const;
    void changed();

    QString m_caption;
    TColor m_fontColor = cl::WindowText;
    TFxCaption m_fx;
    TTextAlignment m_alignment = agCenter;
    bool m_autoSize = true;
    bool m_multiLine = false;
    bool m_showAccelChar = true;
    TColor m_color = cl::BtnFace;
    bool m_transparent = false;
    TBevelFrame m_bevel;
};
