#pragma once

#include "timescale/AevError.h"

#include <QByteArray>
#include <QString>

// A save that failed: the French message, and the system's error number of
// its cause (see FrenchSystemError).
class ESaveFailed : public EAevError {
public:
    ESaveFailed(const QString& message, int error) : EAevError(message), Error(error) {}
    int Error;
};

// Replaces the file at `path` by `bytes` in one step: the bytes are written to an
// unnamed file in the same folder (O_TMPFILE), flushed to the disk, given a
// temporary name ".<name>.tmp-XXXXXX" (X: six letters or digits) and renamed
// over the file at once; where the file system has no unnamed files, the
// temporary file is named from the start. Whatever happens,
// even a kill in the middle, the file holds either its old or its new content.
// An existing file keeps its permissions; a symbolic link keeps pointing at the
// file it names, which is the one replaced. Temporary files of that pattern
// left for the same file by an earlier interrupted save are removed first.
// Raises ESaveFailed (French text, with the cause: "le disque est plein" ...) when the file cannot be written; the file is
// then left as it was and no temporary file stays behind.
void SaveFileAtomically(const QString& path, const QByteArray& bytes);

// Removes the temporary files that interrupted saves left for the file at
// `path` (what SaveFileAtomically does first).
void RemoveStaleSaveTemporaries(const QString& path);

// True when `fileName` (a name without folder) is a temporary file that
// SaveFileAtomically makes for the file named `target`.
bool IsSaveTemporaryOf(const QString& fileName, const QString& target);
