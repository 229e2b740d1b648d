#include "imaging/PictureFailures.h"

#include <QFileInfo>

TPictureFailures::TStamp TPictureFailures::stampOf(const QString& path) {
    // Only the file's attributes are read: a FIFO or a device does not block.
    const QFileInfo info(path);
    TStamp stamp;
    stamp.exists = info.exists();
    if (stamp.exists) {
        stamp.size = info.size();
        stamp.modified = info.lastModified();
    }
    return stamp;
}

bool TPictureFailures::Known(const QString& path) const {
    const auto it = m_failed.constFind(path);
    return it != m_failed.constEnd() && *it == stampOf(path);
}

void TPictureFailures::Add(const QString& path) {
    m_failed.insert(path, stampOf(path));
}
