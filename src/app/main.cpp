// Program entry: single instance, splash, main window and dialogs, message loop.
#include "app/Globals.h"
#include "app/SingleInstance.h"
#include "app/TAboutBox.h"
#include "app/TAevoriumF1.h"
#include "app/TAevoriumRTF.h"
#include "app/TApplication.h"
#include "app/TEditionEven.h"

#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcInstance, "aevorium.instance", QtWarningMsg)

int main(int argc, char** argv) {
    TApplication app(argc, argv);

    // A second instance brings the first forward and ends without a window.
    TOneInstance oneInstance(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (!oneInstance.IsFirstInstance()) {
        const bool reached = oneInstance.ActivateRunningInstance();
        qCInfo(lcInstance) << "second instance; running instance reached:" << reached;
        return 0;
    }
    app.InstallFrenchAndFonts();

    // 1, 2. The About box as a splash while the rest is made.
    AboutBox = new TAboutBox;
    AboutBox->ShowSplash();
    QCoreApplication::processEvents();

    // 3. The main window (its creation handler reports its own failure and the
    // later steps are skipped), the event editor and the credits dialog.
    AevoriumF1 = new TAevoriumF1;
    AevoriumF1->Arguments = QCoreApplication::arguments().mid(1);
    QObject::connect(&oneInstance, &TOneInstance::activationRequested, AevoriumF1, [] {
        qCInfo(lcInstance) << "activation requested by a second instance";
        if (AevoriumF1->isMinimized())
            AevoriumF1->showNormal();
        AevoriumF1->raise();
        AevoriumF1->activateWindow();
    });
    RunReported([] { AevoriumF1->FormCreate(); });
    RunReported([] { EditionEven = new TEditionEven(AevoriumF1); });
    RunReported([] { AevoriumRTF = new TAevoriumRTF(AevoriumF1); });

    // 4. The splash stays for its minimum time.
    AboutBox->CloseSplash();

    // 5. The message loop until the main window closes.
    AevoriumF1->setAttribute(Qt::WA_QuitOnClose);
    AevoriumF1->show();
    const int code = app.exec();
    delete AevoriumF1;
    delete AboutBox;
    return code;
}
