#include "widgets/TLEDLabel.h"

TLEDLabel::TLEDLabel(QWidget* parent) : QWidget(parent) {}
