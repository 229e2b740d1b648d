// The period at the current date: levels, colour, captions, pictures, documents.
#include "app/TAevoriumF1.h"

void TAevoriumF1::ShowPeriod() {}
void TAevoriumF1::ShowLevels(int) {}
void TAevoriumF1::ShowPicture(TPanel*, TImage*, const QString&) {}
void TAevoriumF1::ClearPicture(TImage*) {}
void TAevoriumF1::BtnNavBioClick() {}
void TAevoriumF1::BtnNavPaleoClick() {}
