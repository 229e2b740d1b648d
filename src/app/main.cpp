// Program entry: single instance, splash, main window and dialogs, message loop.
#include "app/CommandLine.h"
#include "app/Globals.h"
#include "app/SingleInstance.h"
#include "app/TAboutBox.h"
#include "app/TAevoriumF1.h"
#include "app/TAevoriumRTF.h"
#include "app/TApplication.h"
#include "app/TEditionEven.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QStyle>
#include <QTimer>

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
    const QStringList arguments = ProgramArguments(argc, argv);
    const QString eventFile = FileArgument(arguments); // an event file or a tour
    int qtArgc = 1;
    TApplication app(qtArgc, argv);

    // A second instance brings the first forward (handing it its event file) and
    // ends without a window.
    TOneInstance oneInstance(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (!oneInstance.IsFirstInstance()) {
        const bool reached = eventFile.isEmpty() ? oneInstance.ActivateRunningInstance()
                                                 : oneInstance.OpenInRunningInstance(eventFile);
        qCInfo(lcInstance) << "second instance; running instance reached:" << reached;
        return 0;
    }
    app.InstallFrenchAndFonts();

    // 1, 2. The About box as a splash while the rest is made.
    AboutBox = new TAboutBox;
    AboutBox->ShowSplash();
    QCoreApplication::processEvents();

    // 3. The main window (its creation handler reports its own failure and the
    // later steps are skipped), the event editor and the credits dialog. An
    // event file argument is not a display mode: the window starts as without
    // argument.
    AevoriumF1 = new TAevoriumF1;
    AevoriumF1->Arguments = eventFile.isEmpty() ? arguments : QStringList();
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
    qCInfo(lcStartup).noquote() << "window made; folder:" << AevoriumF1->ExeDir
                                << "scale rows:" << AevoriumF1->ScaleTable.Count()
                                << "events:" << AevoriumF1->EventList.Count() << "direction:"
                                << (AevoriumF1->layoutDirection() == Qt::RightToLeft ? "RTL" : "LTR")
                                << "style:" << QApplication::style()->name()
                                << "arguments:" << arguments.join(QLatin1Char('|'));

    // 4. The splash stays for its minimum time.
    AboutBox->CloseSplash();

    // 5. The message loop until the main window closes.
    AevoriumF1->setAttribute(Qt::WA_QuitOnClose);
    AevoriumF1->show();
    if (!eventFile.isEmpty())
        openEventFileWhenIdle(eventFile);
    const int code = app.exec();
    delete AevoriumF1;
    delete AboutBox;
    return code;
}
