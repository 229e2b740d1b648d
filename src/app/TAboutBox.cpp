#include "app/TAboutBox.h"

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {}
void TAboutBox::ShowSplash() {}
void TAboutBox::CloseSplash() {}
