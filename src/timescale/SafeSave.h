#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at `path` by `bytes` in one step: the bytes are written to a
// temporary file ".<name>.tmp-XXXXXX" in the same folder (X: six letters or
// digits), flushed to the disk, then renamed over the file. Whatever happens,
// even a kill in the middle, the file holds either its old or its new content.
// An existing file keeps its permissions; a symbolic link keeps pointing at the
// file it names, which is the one replaced. Temporary files of that pattern
// left for the same file by an earlier interrupted save are removed first.
// Raises EAevError (French text) when the file cannot be written; the file is
// then left as it was and no temporary file stays behind.
void SaveFileAtomically(const QString& path, const QByteArray& bytes);

// Removes the temporary files that interrupted saves left for the file at
// `path` (what SaveFileAtomically does first).
void RemoveStaleSaveTemporaries(const QString& path);

// True when `fileName` (a name without folder) is a temporary file that
// SaveFileAtomically makes for the file named `target`.
bool IsSaveTemporaryOf(const QString& fileName, const QString& target);
