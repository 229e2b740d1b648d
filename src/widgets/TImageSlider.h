#pragma once

#include "widgets/Bevel.h"

#include <QImage>
#include <QWidget>

enum TSliderOrientation { soHorizontal, soVertical };

// Options of a TImageSlider (combined as flags).
enum TSliderOption {
    soShowFocus = 0x01,   // focus frame while the slider has the keyboard focus
    soShowPoints = 0x02,  // tick marks at every Increment
    soSmooth = 0x04,      // the thumb follows the value exactly (else it snaps to Increment)
    soRulerOpaque = 0x08, // ruler drawn without a transparent colour
    soThumbOpaque = 0x10, // thumb drawn without a transparent colour
};

// A slider drawn from pictures: a ruler strip built from a ruler image, and a
// thumb image placed along it after an integer Value in [MinValue, MaxValue].
// The main window uses it disabled, as a read-only gauge.
class TImageSlider : public QWidget {
    Q_OBJECT
public:
    enum ImageIndex { ImageHThumb = 0, ImageHRuler = 1, ImageVThumb = 2, ImageVRuler = 3 };

    explicit TImageSlider(QWidget* parent = nullptr);

    int Value() const { return m_value; }
    // Clamps to the range, moves the thumb and fires OnChange when the stored value changed.
    void SetValue(int value);
    int MinValue() const { return m_min; }
    void SetMinValue(int value);
    int MaxValue() const { return m_max; }
    void SetMaxValue(int value);
    int Increment() const { return m_increment; }
    // Raises EAevError "La valeur doit être comprise entre 1 et <range>" outside
    // 1 ... MaxValue - MinValue (once the layout has been read).
    void SetIncrement(int increment);
    TSliderOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TSliderOrientation orientation);
    TPanelBevel BevelStyle() const { return m_bevelStyle; }
    void SetBevelStyle(TPanelBevel style);
    // Pixels at each end of the ruler image that are not repeated.
    int EdgeSize() const { return m_edgeSize; }
    void SetEdgeSize(int size);
    // 1, or 2 when the thumb image holds a normal and a disabled picture side by side.
    int NumThumbStates() const { return m_numThumbStates; }
    void SetNumThumbStates(int states);
    int Options() const { return m_options; }
    void SetOptions(int options);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);

    // The four pictures (ImageIndex). Setting one rebuilds the slider.
    const QImage& Image(ImageIndex index) const { return m_images[index]; }
    void SetImage(ImageIndex index, const QImage& image);

    // While the stored layout is applied, MinValue and MaxValue are stored as
    // given and Increment is not checked; ending it rebuilds the slider.
    void BeginLoading() { m_loading = true; }
    void EndLoading();

    // The built strip, its position, and the thumb rectangle (for drawing and tests).
    const QImage& RulerStrip() const { return m_strip; }
    QPoint RulerPosition() const { return m_stripPos; }
    QRect ThumbRect() const { return m_thumbRect; }

    // Draws the slider from its state; paintEvent draws it off-screen first.
    void paintTo(QPainter& painter) const;

signals:
    void OnChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect area() const;
    QSize thumbSize() const;
    QImage thumbPicture() const;
    int positionOf(int value) const;
    int valueAt(QPoint point) const;
    void rebuild();
    void placeThumb();
    void checkRange();

    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
    int m_increment = 10;
    TSliderOrientation m_orientation = soHorizontal;
    TPanelBevel m_bevelStyle = bvNone;
    int m_edgeSize = 2;
    int m_numThumbStates = 2;
    int m_options = soShowFocus | soShowPoints | soSmooth;
    TColor m_color = cl::BtnFace;
    QImage m_images[4];
    bool m_loading = false;
    bool m_pressed = false;

    QImage m_strip;
    QPoint m_stripPos;
    QRect m_thumbRect;
};
