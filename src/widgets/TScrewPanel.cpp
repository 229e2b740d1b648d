#include "widgets/TScrewPanel.h"

TScrewPanel::TScrewPanel(QWidget* parent) : TPanel(parent) {}
