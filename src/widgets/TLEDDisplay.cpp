#include "widgets/TLEDDisplay.h"

TLEDDisplay::TLEDDisplay(QWidget* parent) : QWidget(parent) {}
