#pragma once

#include <QWidget>

// Placeholder with the control's geometry; its own behaviour comes with its widget.
class TEmbossedText : public QWidget {
    Q_OBJECT
public:
    explicit TEmbossedText(QWidget* parent = nullptr);
};
