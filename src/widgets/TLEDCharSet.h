#pragma once

#include "widgets/WinColor.h"

#include <QHash>
#include <QImage>
#include <QPolygon>
#include <QString>
#include <array>
#include <functional>

class QPainter;

// The sixteen-segment character set of a TLEDLabel: the geometry of one
// character cell, its segment polygons, the glyph masks and the colours.
//
// Segments (bit, shape): 0 top bar, 1 upper left, 2 upper right, 3 middle bar,
// 4 lower left, 5 lower right, 6 bottom bar, 7 upper centre, 8 lower centre,
// 9 to 12 the diagonals (upper left, upper right, lower left, lower right),
// 13 middle dot, 14 top dot, 15 bottom dot.
class TLEDCharSet {
public:
    static constexpr int SegmentCount = 16;

    TLEDCharSet();

    TColor ActiveColor() const { return m_activeColor; }
    void SetActiveColor(TColor color);
    TColor InActiveColor() const { return m_inActiveColor; }
    void SetInActiveColor(TColor color);
    // Length H of the horizontal bars, 0 to 255.
    int Horzsize() const { return m_horzsize; }
    void SetHorzsize(int size);
    // Length V of each half of the vertical bars, 0 to 255.
    int Vertsize() const { return m_vertsize; }
    void SetVertsize(int size);
    // Stroke parameter T, 0 to 255.
    int Thickness() const { return m_thickness; }
    void SetThickness(int thickness);
    // When the label is disabled, draw no lit segments.
    bool DisabledDigits() const { return m_disabledDigits; }
    void SetDisabledDigits(bool on);
    // Background of the cells (the label's colour).
    TColor BackgroundColor() const { return m_background; }
    void SetBackgroundColor(TColor color);

    // Cell of one character: H + 5T wide, 2V + 7T high.
    int CellWidth() const { return m_horzsize + 5 * m_thickness; }
    int CellHeight() const { return 2 * m_vertsize + 7 * m_thickness; }

    // The segment mask of a character; lower case as upper case, every
    // character without a glyph (space, accented letters) 0.
    static quint16 GlyphMask(QChar c);
    // A segment's polygon in cell coordinates; empty for a diagonal that has
    // no extent (its horizontal or vertical run is 0).
    const QPolygon& Segment(int index) const { return m_segments[size_t(index)]; }
    // One cell with every segment unlit.
    const QImage& CellImage() const { return m_cell; }

    // Number of cells of the longest line and number of lines of a text, as
    // DrawText lays it out.
    QSize TextCells(const QString& text) const;
    // Draws `text` from the top-left corner of `rect`, one cell per character;
    // a carriage return starts a new line, other control characters take no cell.
    // `litSegments` false (a disabled label with DisabledDigits) draws unlit cells only.
    void DrawText(QPainter& painter, const QRect& rect, const QString& text, bool litSegments) const;

    // Called after every change of the geometry or the colours.
    std::function<void()> OnChange;

private:
    void rebuild();
    void drawLitSegment(QPainter& painter, int index, int x, int y) const;
    // A cell with the segments of `mask` lit, drawn once per mask and kept
    // until the next rebuild.
    const QImage& litCell(quint16 mask) const;

    TColor m_activeColor = 0x0000FF00;
    TColor m_inActiveColor = 0x00008000;
    TColor m_background = 0x00000000;
    int m_horzsize = 9;
    int m_vertsize = 7;
    int m_thickness = 2;
    bool m_disabledDigits = true;
    std::array<QPolygon, SegmentCount> m_segments;
    // Outline pixels of each segment, relative to the cell.
    std::array<QVector<QPoint>, SegmentCount> m_outlines;
    QImage m_cell;
    mutable QHash<quint16, QImage> m_litCells;
};
