#include "app/Globals.h"

TAboutBox* AboutBox = nullptr;
TAevoriumF1* AevoriumF1 = nullptr;
TEditionEven* EditionEven = nullptr;
TAevoriumRTF* AevoriumRTF = nullptr;
