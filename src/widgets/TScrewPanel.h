#pragma once

#include "widgets/TPanel.h"

#include <QImage>

// A container panel painted like an instrument front plate: a flat fill,
// bevels whose light and dark colours derive from the fill colour, and four
// slotted screw heads in the corners. Children draw over it as usual.
class TScrewPanel : public TPanel {
    Q_OBJECT
public:
    explicit TScrewPanel(QWidget* parent = nullptr);

    // Fill colour; the light colour is ShadeColor(+50) and the dark colour
    // ShadeColor(-50) of it, computed when it is set.
    void SetColor(TColor color);
    TColor LightColor() const { return m_light; }
    TColor DarkColor() const { return m_dark; }

    // Distance of the screws from the inner edge of the bevels, pixels. A value
    // not smaller than Width - ScrewSize or Height - ScrewSize is ignored.
    int Margin() const { return m_margin; }
    void SetMargin(int margin);
    // A screw head is 4 x ScrewSize pixels across; 1 to 8, and smaller than
    // both the width and the height, otherwise ignored.
    int ScrewSize() const { return m_screwSize; }
    void SetScrewSize(int size);
    bool ShowScrews() const { return m_showScrews; }
    void SetShowScrews(bool show);
    // Horizontal placement of the caption (left, right or centre).
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);

    // The top-left corners of the four screw heads in the current geometry,
    // in painting order: top left, top right, bottom left, bottom right.
    QVector<QPoint> ScrewPositions() const;
    // One screw head, 4 x ScrewSize pixels square, transparent outside the disc.
    const QImage& ScrewImage() const { return m_screw; }

    // Draws the panel from its state; what paintEvent calls.
    void paintTo(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect innerRect() const;
    void rebuildScrew();

    TColor m_light = 0;
    TColor m_dark = 0;
    int m_margin = 2;
    int m_screwSize = 2;
    bool m_showScrews = true;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    QImage m_screw;
};
