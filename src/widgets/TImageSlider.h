#pragma once

#include <QWidget>

// Placeholder with the control's geometry; its own behaviour comes with its widget.
class TImageSlider : public QWidget {
    Q_OBJECT
public:
    explicit TImageSlider(QWidget* parent = nullptr);
    int Value() const { return m_value; }
    void SetValue(int value) { m_value = value; update(); }

private:
    int m_value = 0;
};
