#pragma once

#include <QString>
#include <functional>

// Opens a document with the desktop's default application for its type.
// False when the file does not exist or nothing could open it.
bool ShellOpen(const QString& path);

// Tests replace the desktop by a function that answers for it; empty restores it.
void SetShellOpenHook(std::function<bool(const QString&)> hook);
