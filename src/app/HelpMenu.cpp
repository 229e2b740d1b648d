// The "?" menu: help, credits and the About box; the gauge's ruler at start-up.
#include "app/TAevoriumF1.h"

void TAevoriumF1::Aide1Click() {}
void TAevoriumF1::Crdits1Click() {}
void TAevoriumF1::Apropos1Click() {}
void TAevoriumF1::LoadGaugeRuler() {}
