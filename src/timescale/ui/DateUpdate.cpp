// Dial coupling and the date update of the main window.
#include "app/TAevoriumF1.h"

void TAevoriumF1::SetDialLimits() {}
void TAevoriumF1::SetDialsDebugMessages(bool) {}
void TAevoriumF1::BtnRot1AngleChange(TBtnRot*) {}
void TAevoriumF1::BtnRot1MouseDown(TBtnRot*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
void TAevoriumF1::BtnRot3MouseUp(TBtnRot*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
