#pragma once

#include <QWidget>

// Placeholder with the control's geometry; its own behaviour comes with its widget.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);
};
