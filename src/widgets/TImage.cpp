#include "widgets/TImage.h"

TImage::TImage(QWidget* parent) : QWidget(parent) {}
