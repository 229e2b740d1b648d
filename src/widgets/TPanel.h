#pragma once

#include "widgets/Bevel.h"

#include <QWidget>

// A panel: an outer bevel, a border, an inner bevel, a fill colour and a
// centred caption that shows where no child covers it.
class TPanel : public QWidget {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);

    TPanelBevel BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TPanelBevel bevel);
    TPanelBevel BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TPanelBevel bevel);
    int BevelWidth() const { return m_bevelWidth; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int width);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor color);

    // Draws the panel from its state; what paintEvent calls.
    void paintTo(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPanelBevel m_bevelInner = bvNone;
    TPanelBevel m_bevelOuter = bvRaised;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    TColor m_color = cl::BtnFace;
    TColor m_fontColor = cl::WindowText;
    QString m_caption;
};
