#pragma once

#include <QDialog>

// The credits dialog (placeholder until it lands).
class TAevoriumRTF : public QDialog {
    Q_OBJECT
public:
    explicit TAevoriumRTF(QWidget* parent = nullptr);
};
