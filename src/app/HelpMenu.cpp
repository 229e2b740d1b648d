// The "?" menu: help, credits and the About box; the gauge's ruler at start-up.
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/Globals.h"
#include "app/Shell.h"
#include "app/TAboutBox.h"
#include "app/TAevoriumF1.h"
#include "app/TAevoriumRTF.h"
#include "app/THelpWindow.h"
#include "imaging/TBitmap.h"
#include "widgets/TImageSlider.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <QImage>

void TAevoriumF1::Aide1Click() {
    repaint();
    // The help document is looked for in the current working folder, then beside
    // the executable, so that help works however the program was started.
    const QString name = QStringLiteral("Aevorium.html");
    QStringList candidates{QDir::current().absoluteFilePath(name)};
    const QString besideExe = QDir(ExeDir).absoluteFilePath(name);
    if (QFileInfo(besideExe) != QFileInfo(candidates.first()))
        candidates.append(besideExe);
    QString found;
    {
        TBusyCursor busy;
        for (const QString& path : candidates) {
            if (!QFileInfo(path).isFile())
                continue;
            if (ShellOpen(path))
                return;
            if (found.isEmpty())
                found = path;
        }
    }
    if (found.isEmpty()) {
        ShowErrorBox(this, QStringLiteral("Fichier d'aide Aevorium.html introuvable !"));
        return;
    }
    // The guide is there but the desktop has nothing to open it: the program
    // shows it itself, so that help works offline and without a browser.
    if (!HelpWindow)
        HelpWindow = new THelpWindow(this);
    HelpWindow->ShowGuide(found);
}

void TAevoriumF1::Crdits1Click() {
    if (AevoriumRTF)
        AevoriumRTF->exec();
}

void TAevoriumF1::Apropos1Click() {
    if (!AboutBox)
        return;
    AboutBox->SetAboutMode();
    AboutBox->exec();
}

void TAevoriumF1::LoadGaugeRuler() {
    // Read as a Windows bitmap whatever its extension; any failure keeps the
    // built-in ruler, without a message.
    try {
        const QImage ruler = LoadBitmapFile(ExeDir + QStringLiteral("Echelle_geol.dat"));
        if (!ruler.isNull())
            ImageSlider1->SetImage(TImageSlider::ImageHRuler, ruler);
    } catch (const std::exception&) {
    }
}
