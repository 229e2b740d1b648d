#include "app/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {
std::function<bool(const QString&)>& hook() {
    static std::function<bool(const QString&)> h;
    return h;
}
} // namespace

void SetShellOpenHook(std::function<bool(const QString&)> h) { hook() = std::move(h); }

bool ShellOpen(const QString& path) {
    if (hook())
        return hook()(path);
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}
