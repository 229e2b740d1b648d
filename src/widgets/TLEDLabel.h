#pragma once

#include <QWidget>

// Placeholder with the control's geometry; its own behaviour comes with its widget.
class TLEDLabel : public QWidget {
    Q_OBJECT
public:
    explicit TLEDLabel(QWidget* parent = nullptr);
};
