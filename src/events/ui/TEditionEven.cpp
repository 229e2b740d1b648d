#include "events/ui/TEditionEven.h"

TEditionEven::TEditionEven(QWidget* parent) : QDialog(parent) {}
