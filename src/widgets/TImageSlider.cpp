#include "widgets/TImageSlider.h"

TImageSlider::TImageSlider(QWidget* parent) : QWidget(parent) {}
