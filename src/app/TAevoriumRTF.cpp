#include "app/TAevoriumRTF.h"

TAevoriumRTF::TAevoriumRTF(QWidget* parent) : QDialog(parent) {}
