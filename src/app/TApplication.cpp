#include "app/TApplication.h"

#include "app/Dialogs.h"

#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) { SetNames(); }

void TApplication::SetNames() {
    // No display name: Qt would append it to every window title.
    setApplicationName(QStringLiteral("Aevorium"));
    // Installed, the desktop entry and the icon of the package name the windows
    // in task bars and window lists.
    setDesktopFileName(QStringLiteral("fr.aevorium.Aevorium"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("fr.aevorium.Aevorium")));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    RunReported([&] { result = QApplication::notify(receiver, event); });
    return result;
}

void TApplication::InstallFrenchAndFonts() {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_fr", "qt_fr"}) {
        auto* tr = new QTranslator(this);
        if (tr->load(QString::fromLatin1(name), dir))
            installTranslator(tr);
        else
            delete tr;
    }
    // Metric-compatible stand-ins for the fonts the layout names.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
}
