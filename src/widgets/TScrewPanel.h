#pragma once

#include "widgets/TPanel.h"

// Placeholder: a raised panel until the screw panel is drawn.
class TScrewPanel : public TPanel {
    Q_OBJECT
public:
    explicit TScrewPanel(QWidget* parent = nullptr);
};
