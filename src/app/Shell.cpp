#include "app/Shell.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace {
std::function<bool(const QString&)>& hook() {
    static std::function<bool(const QString&)> h;
    return h;
}

int& openerWait() {
    static int ms = 3000;
    return ms;
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
// Runs the desktop's opener on the file and waits for its verdict: it looks up
// the application, starts it and ends, non-zero when it found none. Pending
// paints go on meanwhile; user input waits. An opener still running when the
// wait is over counts as a success and is left to run: its process object is
// freed when it ends (never while the program runs, so the program's exit
// does not kill it).
bool RunOpener(const QString& opener, const QString& path) {
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({path});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QEventLoop loop;
    QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(openerWait(), &loop, &QEventLoop::quit);
    process->start();
    if (process->state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process->state() != QProcess::NotRunning) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool opened = process->error() == QProcess::UnknownError &&
                        process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return opened;
}
#endif
} // namespace

void SetShellOpenHook(std::function<bool(const QString&)> h) { hook() = std::move(h); }

void SetShellOpenWait(int milliseconds) { openerWait() = milliseconds; }

bool ShellOpen(const QString& path) {
    if (hook())
        return hook()(path);
    const QFileInfo info(path);
    if (!info.exists())
        return false;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return RunOpener(opener, info.absoluteFilePath());
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}
