// Event markers on the spiral, hovering and the touched event.
#include "app/TAevoriumF1.h"

void TAevoriumF1::CreateEventMarkers() {}
void TAevoriumF1::ClearEventMarkers() {}
void TAevoriumF1::RunCollisionCheck() {}
void TAevoriumF1::HoverMarkerAt(int, int) {}
