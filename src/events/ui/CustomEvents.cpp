// Event files, the custom spiral mode and the event editor command.
#include "app/TAevoriumF1.h"

void TAevoriumF1::LoadEvents() {}
void TAevoriumF1::Personnalise1Click(QObject*) {}
void TAevoriumF1::Editervnement1Click() {}
void TAevoriumF1::Sauvegarder1Click() {}
void TAevoriumF1::Ouvrir1Click() {}
bool TAevoriumF1::CanCloseWithUnsavedEvents() { return true; }
