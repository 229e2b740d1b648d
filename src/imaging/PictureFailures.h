#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

// Picture files that could not be loaded, each with the size and modification
// time it had then. A failure is remembered until the file changes (or
// appears, or goes away), so that a picture that fails is not decoded again
// at every date update that shows it.
class TPictureFailures {
public:
    // True when path failed before and is still the same file.
    bool Known(const QString& path) const;
    // Remembers that path failed as it is now.
    void Add(const QString& path);
    void Clear() { m_failed.clear(); }

private:
    struct TStamp {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        bool operator==(const TStamp& o) const {
            return exists == o.exists && size == o.size && modified == o.modified;
        }
    };
    static TStamp stampOf(const QString& path);

    QHash<QString, TStamp> m_failed;
};
