#pragma once

#include <QWidget>

// Placeholder with the control's geometry; its own behaviour comes with its widget.
class TBtnRot : public QWidget {
    Q_OBJECT
public:
    explicit TBtnRot(QWidget* parent = nullptr);
};
