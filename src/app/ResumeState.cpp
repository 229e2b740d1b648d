#include "app/ResumeState.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

namespace {
constexpr quint32 kMagic = 0x41455652; // "AEVR"
constexpr quint32 kVersion = 1;
} // namespace

bool WriteResumeState(const QString& path, const TResumeState& s) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << kVersion << s.Scale << s.FullScreen << s.Date << s.ScaleFileName << s.EventFileName << s.Custom
        << s.EventsModified << s.EventDates << s.EventTexts << s.SavePath << s.OpenPath << s.HasCamera << s.Camera[0]
        << s.Camera[1] << s.Camera[2] << s.Tour << s.TourPath << qint32(s.TourStop);
    return out.status() == QDataStream::Ok && file.commit();
}

bool ReadResumeState(const QString& path, TResumeState& state) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, version = 0;
    in >> magic >> version;
    if (magic != kMagic || version != kVersion)
        return false;
    TResumeState s;
    qint32 stop = -1;
    in >> s.Scale >> s.FullScreen >> s.Date >> s.ScaleFileName >> s.EventFileName >> s.Custom >> s.EventsModified >>
        s.EventDates >> s.EventTexts >> s.SavePath >> s.OpenPath >> s.HasCamera >> s.Camera[0] >> s.Camera[1] >>
        s.Camera[2] >> s.Tour >> s.TourPath >> stop;
    s.TourStop = stop;
    if (in.status() != QDataStream::Ok || s.EventDates.size() != s.EventTexts.size() || !(s.Scale >= 0.5 && s.Scale <= 8))
        return false;
    state = s;
    return true;
}
