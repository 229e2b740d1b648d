#include "widgets/TBtnRot.h"

TBtnRot::TBtnRot(QWidget* parent) : QWidget(parent) {}
