#pragma once

#include <QWidget>

// Placeholder with the control's geometry; its own behaviour comes with its widget.
class TLEDDisplay : public QWidget {
    Q_OBJECT
public:
    explicit TLEDDisplay(QWidget* parent = nullptr);
    double Value() const { return m_value; }
    void SetValue(double value) { m_value = value; update(); }

private:
    double m_value = 0;
};
