#pragma once

#include <QString>
#include <functional>

// Opens a document with the desktop's default application for its type.
// False when the file does not exist or nothing could open it. On Linux
// desktops the opener (xdg-open) is waited for, a few seconds at most, and
// its failure is reported.
bool ShellOpen(const QString& path);

// Tests replace the desktop by a function that answers for it; empty restores it.
void SetShellOpenHook(std::function<bool(const QString&)> hook);
// How long ShellOpen waits for the opener's verdict (3000 ms unless set).
void SetShellOpenWait(int milliseconds);
