#pragma once

#include <QDialog>

// The event editor dialog (placeholder until the editor lands).
class TEditionEven : public QDialog {
    Q_OBJECT
public:
    explicit TEditionEven(QWidget* parent = nullptr);
};
