#pragma once

#include <QString>
#include <QStringList>

// The command line is the program's own. Qt is given only the program's name,
// so that its options (-reverse, -style, -geometry, -platform ...) neither take
// effect nor vanish from the arguments the program's rule reads.

// The arguments after the program's name, as the user gave them.
QStringList ProgramArguments(int argc, char** argv);

// The event file that the command line names: the first argument when it ends
// in ".aev" (case ignored), made absolute from the current folder; empty
// otherwise. Such an argument is a file to open, not a display mode.
QString EventFileArgument(const QStringList& arguments);

// The file that the command line names: an event file as above, or a tour,
// the first argument ending in ".aevp" (case ignored), made absolute likewise.
QString FileArgument(const QStringList& arguments);
