// Window titles as the window system shows them (_NET_WM_NAME, read with xprop).
#include "app/Dialogs.h"
#include "app/TAboutBox.h"
#include "app/TAevoriumF1.h"
#include "app/TAevoriumRTF.h"
#include "app/TApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>

namespace {

std::string NetWmName(QWidget* w) {
    if (!QTest::qWaitForWindowExposed(w))
        return "<not shown>";
    QProcess xprop;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    xprop.setProcessEnvironment(env);
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-notype"), QStringLiteral("-id"),
                                          QString::number(w->winId()), QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000))
        return "<xprop failed>";
    // _NET_WM_NAME = "A propos"
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const int eq = int(out.indexOf(QLatin1String(" = \"")));
    return (eq < 0 ? out : out.mid(eq + 4).chopped(1)).toStdString();
}

TEST(WindowTitles, AreExactlyTheWindowsOwnTitles) {
    TApplication::SetNames();
    TAevoriumF1 window;
    window.show();
    EXPECT_EQ(NetWmName(&window), "Aevorium v beta 2.3.2.0");

    TAboutBox about;
    about.SetAboutMode();
    about.show();
    EXPECT_EQ(NetWmName(&about), "A propos");
    about.close();

    TAevoriumRTF credits(&window, QStringLiteral(AEV_SOURCE_DIR "/data/"));
    credits.show();
    EXPECT_EQ(NetWmName(&credits), "Crédits");
    credits.close();

    std::string boxTitle;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        boxTitle = box ? NetWmName(box) : "<no box>";
        if (box)
            box->close();
    });
    ShowErrorBox(&window, QStringLiteral("Essai"));
    EXPECT_EQ(boxTitle, "Erreur");
}

} // namespace
