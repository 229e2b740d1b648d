#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>

// The program's own options on the command line: arguments that begin with
// "--". They are neither a display mode nor an event file.
struct TProgramOptions {
    bool FullScreen = false; // --plein-ecran
    QString ResumeFile;      // --reprise=<file>: the state a restart hands on
    double Scale = 0;        // --echelle=<factor> for this run only; 0 when absent
};

// Takes the program's options out of `arguments` and returns them; unknown
// options are dropped too.
TProgramOptions TakeProgramOptions(QStringList& arguments);

// The scale factor Qt draws this run at (set by the program's entry).
double RunScaleFactor();
void SetRunScaleFactor(double factor);

// The sizes the "Taille de la fenêtre" menu offers, in per cent.
constexpr int WindowPercents[] = {100, 125, 150, 175, 200};

// Display settings kept between runs (the user's settings file of Aevorium).
// A stored size that the menu does not offer reads as 100.
int SavedWindowPercent();
void SaveWindowPercent(int percent);
bool SavedHighContrast();
void SaveHighContrast(bool on);

// The largest scale factor at which `layout` (its size at factor 1) fits
// into `screen` (both in device pixels), rounded down to a hundredth and
// never below 1.
double FullScreenScale(const QSizeF& screen, const QSizeF& layout);

// True when a window of `layout` at `factor` fits into `screen` (device pixels).
bool FitsScreen(const QSizeF& screen, const QSizeF& layout, double factor);

// The contrast ratio of two colours given as 0xRRGGBB, from 1 to 21 (relative
// luminance of sRGB, as accessibility guidelines measure it).
double ContrastRatio(unsigned rgb1, unsigned rgb2);
