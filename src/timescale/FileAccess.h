#pragma once

#include "timescale/AevError.h"

#include <QByteArray>
#include <QString>

// A file that could not be read: the French reason alone.
class EReadFailed : public EAevError {
public:
    using EAevError::EAevError;
};

// Files read through one open handle, and system errors told in French.

// The French text of a system error number (errno): "le disque est plein",
// "accès refusé" ... and, for the rare others, the system's own text with
// its number.
QString FrenchSystemError(int error);

// Reads the whole regular file named by `nativePath` (the file system's own
// bytes, so that any name can be read) through one open handle: a file
// renamed or removed meanwhile is either read whole or not at all. Raises
// EReadFailed with the French reason (FrenchSystemError, "ce n'est pas un
// fichier", "plus de N Mo") when it cannot be read or holds more than
// `maxSize` bytes.
QByteArray ReadWholeFile(const QByteArray& nativePath, qint64 maxSize);

// A count as French texts write it: groups of three digits separated by a
// no-break space ("1 000 000", "52 428 800").
QString FrenchCount(qint64 n);
