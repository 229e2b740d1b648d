#include "widgets/TEmbossedText.h"

TEmbossedText::TEmbossedText(QWidget* parent) : QWidget(parent) {}
