#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a restart of the program at another size hands on to the new process:
// everything the user would lose otherwise. Written by the running window,
// read by the new process before it shows its own.
struct TResumeState {
    double Scale = 1;         // the new process's scale factor
    bool FullScreen = false;  // the new process starts full screen
    double Date = 0;          // CurrentDate, Ma
    QString ScaleFileName, EventFileName;
    bool Custom = false;      // the custom spiral, with its events below
    bool EventsModified = false;
    QStringList EventDates, EventTexts;
    QString SavePath, OpenPath; // the event file dialogs' last paths
    float Camera[3] = {0, 0, 0};
    bool HasCamera = false;
    QByteArray Tour;          // the open tour as its file has it; empty for none
    QString TourPath;
    int TourStop = -1;
};

// Writes the state to `path` (a new file, readable by this user only); false
// when it cannot be written.
bool WriteResumeState(const QString& path, const TResumeState& state);
// Reads a state that WriteResumeState wrote; false for a missing, damaged or
// foreign file (the state is then left as it was).
bool ReadResumeState(const QString& path, TResumeState& state);
