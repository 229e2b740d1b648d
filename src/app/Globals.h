#pragma once

class TAboutBox;
class TAevoriumF1;
class TAevoriumRTF;
class TEditionEven;

// The windows made once at start-up and kept for the whole run.
extern TAboutBox* AboutBox;
extern TAevoriumF1* AevoriumF1;
extern TEditionEven* EditionEven;
extern TAevoriumRTF* AevoriumRTF;
