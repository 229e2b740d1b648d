// Program entry: single instance, splash, main window and dialogs, message loop.
#include "app/CommandLine.h"
#include "app/DisplayOptions.h"
#include "app/ResumeState.h"
#include "app/Globals.h"
#include "app/SingleInstance.h"
#include "app/TAboutBox.h"
#include "app/TAevoriumF1.h"
#include "app/TAevoriumRTF.h"
#include "app/TApplication.h"
#include "app/TEditionEven.h"
#include "app/window/Projection.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStyle>
#include <QThread>
#include <QTimer>

#include <cmath>

Q_LOGGING_CATEGORY(lcInstance, "aevorium.instance", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStartup, "aevorium.startup", QtWarningMsg)

namespace {

// Opens a file (events or a tour) named on the command line once the main window serves
// the user: not while the splash holds or a modal box or dialog is open (the
// event editor works on the list being replaced), but as soon as they close.
void openEventFileWhenIdle(const QString& path) {
    QTimer::singleShot(0, AevoriumF1, [path] {
        if (!AevoriumF1->isVisible() || QApplication::activeModalWidget()) {
            QTimer::singleShot(200, AevoriumF1, [path] { openEventFileWhenIdle(path); });
            return;
        }
        AevoriumF1->OpenFileArgument(path);
        qCInfo(lcInstance) << "event file" << path << "events:" << AevoriumF1->EventList.Count()
                           << "custom:" << AevoriumF1->Personnalise1->isChecked();
    });
}

} // namespace

int main(int argc, char** argv) {
    // The command line is the program's own: Qt sees only the program's name.
    // Options ("--plein-ecran") are taken out first: they are no display mode.
    QStringList arguments = ProgramArguments(argc, argv);
    const TProgramOptions options = TakeProgramOptions(arguments);
    const QString eventFile = FileArgument(arguments); // an event file or a tour

    // The size of everything on show is Qt's scale factor, read when the
    // application object is made: the one a restart asks for, else the stored
    // window size (a factor the user set in the environment stays at 100 %).
    TResumeState resume;
    const bool resuming = !options.ResumeFile.isEmpty() && ReadResumeState(options.ResumeFile, resume);
    double factor = options.Scale > 0 ? options.Scale : resuming ? resume.Scale : SavedWindowPercent() / 100.0;
    bool envOk = false;
    const double envFactor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&envOk);
    if (factor == 1.0 && envOk && envFactor > 0 && !resuming && options.Scale <= 0)
        factor = envFactor;
    else
        qputenv("QT_SCALE_FACTOR", QByteArray::number(factor, 'g', 6));
    SetRunScaleFactor(factor);

    int qtArgc = 1;
    TApplication app(qtArgc, argv);

    // A second instance brings the first forward (handing it its event file) and
    // ends without a window. A process started to take the place of a running
    // one waits for it to give the lock up.
    TOneInstance oneInstance(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    for (int i = 0; resuming && i < 100 && !oneInstance.Retake(); ++i)
        QThread::msleep(50);
    if (!oneInstance.IsFirstInstance()) {
        const bool reached = eventFile.isEmpty() ? oneInstance.ActivateRunningInstance()
                                                 : oneInstance.OpenInRunningInstance(eventFile);
        qCInfo(lcInstance) << "second instance; running instance reached:" << reached;
        return 0;
    }
    app.InstallFrenchAndFonts();

    // 1, 2. The About box as a splash while the rest is made.
    // A restart at another size shows no splash: the window it replaces is on show.
    AboutBox = new TAboutBox;
    if (!resuming) {
        AboutBox->ShowSplash();
        QCoreApplication::processEvents();
    }

    // 3. The main window (its creation handler reports its own failure and the
    // later steps are skipped), the event editor and the credits dialog. An
    // event file argument is not a display mode: the window starts as without
    // argument.
    AevoriumF1 = new TAevoriumF1;
    AevoriumF1->Arguments = eventFile.isEmpty() ? arguments : QStringList();
    TProjection* projection = AevoriumF1->Projection;
    projection->ReleaseInstance = [&oneInstance] { oneInstance.Release(); };
    projection->RetakeInstance = [&oneInstance] { return oneInstance.Retake(); };
    QObject::connect(projection, &TProjection::handedOver, &app, [] { QCoreApplication::exit(0); });
    QObject::connect(&oneInstance, &TOneInstance::activationRequested, AevoriumF1, [] {
        qCInfo(lcInstance) << "activation requested by a second instance";
        if (AevoriumF1->isMinimized())
            AevoriumF1->showNormal();
        AevoriumF1->raise();
        AevoriumF1->activateWindow();
    });
    QObject::connect(&oneInstance, &TOneInstance::openRequested, AevoriumF1, &openEventFileWhenIdle);
    RunReported([] { AevoriumF1->FormCreate(); });
    RunReported([] { EditionEven = new TEditionEven(AevoriumF1); });
    RunReported([] { AevoriumRTF = new TAevoriumRTF(AevoriumF1); });
    if (resuming)
        RunReported([&resume, projection] { projection->ApplyResumeState(resume); });
    // Full screen asked on the command line: at the factor that fills the
    // screen, which may need a process of its own.
    const bool fullScreen = resuming ? resume.FullScreen : options.FullScreen;
    bool handingOver = false;
    if (fullScreen && !resuming) {
        const double fit = FullScreenScale(QSizeF(projection->ScreenDevicePixels()), QSizeF(projection->LayoutSize()));
        if (std::fabs(fit - factor) >= 0.005)
            handingOver = projection->ShowAt(fit, true);
    }
    qCInfo(lcStartup).noquote() << "window made; folder:" << AevoriumF1->ExeDir
                                << "scale rows:" << AevoriumF1->ScaleTable.Count()
                                << "events:" << AevoriumF1->EventList.Count() << "direction:"
                                << (AevoriumF1->layoutDirection() == Qt::RightToLeft ? "RTL" : "LTR")
                                << "style:" << QApplication::style()->name()
                                << "arguments:" << arguments.join(QLatin1Char('|'));

    // 4. The splash stays for its minimum time (not when this process hands
    // over to one at the full-screen size).
    if (handingOver)
        AboutBox->hide();
    else if (!resuming)
        AboutBox->CloseSplash();

    // 5. The message loop until the main window closes.
    AevoriumF1->setAttribute(Qt::WA_QuitOnClose);
    if (!handingOver) {
        if (fullScreen)
            projection->ShowFullScreenHere();
        else
            AevoriumF1->show();
    }
    // The process this one replaces ends when the resume file is gone.
    if (resuming)
        QTimer::singleShot(100, AevoriumF1, [file = options.ResumeFile] { QFile::remove(file); });
    if (!eventFile.isEmpty())
        openEventFileWhenIdle(eventFile);
    const int code = app.exec();
    delete AevoriumF1;
    delete AboutBox;
    return code;
}
