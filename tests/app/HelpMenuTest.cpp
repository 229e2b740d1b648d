// The "?" menu of the main window, the gauge's ruler at start-up, and the
// panel controls as the main window sets them up.
#include "app/Dialogs.h"
#include "app/Globals.h"
#include "app/Shell.h"
#include "app/TAboutBox.h"
#include "app/TAevoriumF1.h"
#include "app/TAevoriumRTF.h"
#include "app/THelpWindow.h"
#include "widgets/TEmbossedText.h"
#include "widgets/TImageSlider.h"
#include "widgets/TLEDLabel.h"
#include "widgets/TScrewPanel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Runs the test from a folder of its own and restores the current folder.
struct InFolder {
    QString saved = QDir::currentPath();
    explicit InFolder(const QString& path) { QDir::setCurrent(path); }
    ~InFolder() { QDir::setCurrent(saved); }
};

struct HelpFixture : ::testing::Test {
    QTemporaryDir work, exe;
    TAevoriumF1 window;
    QStringList opened;
    QStringList boxes;
    bool shellAnswer = true;

    void SetUp() override {
        window.ExeDir = exe.path() + QLatin1Char('/');
        SetShellOpenHook([this](const QString& path) {
            opened << path;
            return shellAnswer;
        });
        SetMessageHook([this](const TMessageRequest& r) {
            EXPECT_EQ(r.kind, TMessageRequest::Error);
            EXPECT_EQ(r.title, QStringLiteral("Erreur"));
            boxes << r.text;
            return 1;
        });
    }
    void TearDown() override {
        SetShellOpenHook({});
        SetMessageHook({});
    }
    static void touch(const QString& path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<html></html>");
    }
};

const QString kNotFound = QStringLiteral("Fichier d'aide Aevorium.html introuvable !");

} // namespace

TEST_F(HelpFixture, HelpFromTheCurrentFolderFirst) {
    touch(work.filePath(QStringLiteral("Aevorium.html")));
    touch(exe.filePath(QStringLiteral("Aevorium.html")));
    InFolder in(work.path());
    window.Aide1Click();
    EXPECT_EQ(opened, QStringList{QDir(work.path()).absoluteFilePath(QStringLiteral("Aevorium.html"))});
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(HelpFixture, HelpBesideTheExecutableWhenStartedElsewhere) {
    touch(exe.filePath(QStringLiteral("Aevorium.html")));
    InFolder in(work.path());
    window.Aide1Click();
    EXPECT_EQ(opened, QStringList{QDir(exe.path()).absoluteFilePath(QStringLiteral("Aevorium.html"))});
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(HelpFixture, HelpMissingOrNothingToOpenIt) {
    InFolder in(work.path());
    window.Aide1Click();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(boxes, QStringList{kNotFound});

    // The guide is there but nothing opens it: the program's own help window shows it.
    boxes.clear();
    touch(work.filePath(QStringLiteral("Aevorium.html")));
    QFile guide(work.filePath(QStringLiteral("Aevorium.html")));
    ASSERT_TRUE(guide.open(QIODevice::WriteOnly));
    guide.write("<html><body><h1>Aide</h1><p>Les boutons rotatifs</p></body></html>");
    guide.close();
    shellAnswer = false;
    window.Aide1Click();
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(boxes.isEmpty());
    ASSERT_NE(window.HelpWindow, nullptr);
    EXPECT_TRUE(window.HelpWindow->isVisible());
    EXPECT_FALSE(window.HelpWindow->isModal());
    EXPECT_EQ(window.HelpWindow->windowTitle(), QStringLiteral("Aide d'Aevorium"));
    EXPECT_EQ(window.HelpWindow->Browser->toPlainText(), QStringLiteral("Aide\nLes boutons rotatifs"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    window.HelpWindow->close();
}

TEST_F(HelpFixture, GaugeRulerFromTheBitmapFileOrTheBuiltInOne) {
    const QImage builtIn = window.ImageSlider1->Image(TImageSlider::ImageHRuler);
    // Missing file: silently the built-in ruler.
    window.LoadGaugeRuler();
    EXPECT_EQ(window.ImageSlider1->Image(TImageSlider::ImageHRuler), builtIn);
    // Not a bitmap: the same.
    touch(exe.filePath(QStringLiteral("Echelle_geol.dat")));
    window.LoadGaugeRuler();
    EXPECT_EQ(window.ImageSlider1->Image(TImageSlider::ImageHRuler), builtIn);
    // A BMP under the .dat name.
    QImage bmp(300, 40, QImage::Format_RGB32);
    bmp.fill(Qt::darkGreen);
    ASSERT_TRUE(bmp.save(exe.filePath(QStringLiteral("Echelle_geol.dat")), "BMP"));
    window.LoadGaugeRuler();
    EXPECT_EQ(window.ImageSlider1->Image(TImageSlider::ImageHRuler).size(), QSize(300, 40));
    EXPECT_EQ(window.ImageSlider1->RulerStrip().size(), QSize(820, 40));
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(HelpFixture, AboutAndCreditsDialogs) {
    TAboutBox box;
    box.SetTickSource([] { return quint32(1000000); });
    int rounds = 0;
    box.SetHoldPump([&] { ++rounds; });
    AboutBox = &box;
    QTimer::singleShot(0, &box, [&] { box.OKButton->click(); });
    window.Apropos1Click();
    EXPECT_FALSE(box.LabelTemp->isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_EQ(rounds, 0);
    AboutBox = nullptr;

    SetMessageHook([](const TMessageRequest&) { return 1; }); // no Credits.rtf in the test folder
    TAevoriumRTF credits(nullptr, exe.path() + QLatin1Char('/'));
    AevoriumRTF = &credits;
    bool shown = false;
    QTimer::singleShot(0, &credits, [&] {
        shown = credits.isVisible();
        credits.Button1->click();
    });
    window.Crdits1Click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(credits.result(), QDialog::Accepted);
    AevoriumRTF = nullptr;
}

TEST(MainWindowPanel, ControlsCarryTheirLayoutValues) {
    TAevoriumF1 window;
    const QVector<QPoint> screws = {QPoint(5, 5), QPoint(877, 5), QPoint(5, 180), QPoint(877, 180)};
    EXPECT_EQ(window.ScrewPanel1->ScrewPositions(), screws);
    EXPECT_EQ(window.ScrewPanel2->ScrewPositions(),
              (QVector<QPoint>{QPoint(5, 5), QPoint(348, 5), QPoint(5, 420), QPoint(348, 420)}));

    EXPECT_EQ(window.DateLabel1->LED().CellWidth(), 13);
    EXPECT_EQ(window.DateLabel1->LED().CellHeight(), 17);
    EXPECT_EQ(window.DateLabel1->TextRect(), QRect(4, 4, 427, 17));

    TImageSlider* gauge = window.ImageSlider1;
    EXPECT_FALSE(gauge->isEnabled());
    EXPECT_EQ(gauge->MinValue(), -4550);
    EXPECT_EQ(gauge->MaxValue(), 30);
    gauge->SetImage(TImageSlider::ImageHRuler, QImage(820, 40, QImage::Format_RGB32));
    gauge->SetValue(-4550);
    EXPECT_EQ(gauge->ThumbRect(), QRect(1, 1, 3, 40));
    gauge->SetValue(0);
    EXPECT_EQ(gauge->ThumbRect().left(), 813);
    gauge->SetValue(30);
    EXPECT_EQ(gauge->ThumbRect().left(), 818);

    EXPECT_EQ(window.StaticText1->Caption(), QStringLiteral("Ma"));
    EXPECT_EQ(window.StaticText1->pos(), QPoint(333, 10));
    EXPECT_EQ(window.StaticText1->FontFX().Style, tdSunken);
    EXPECT_EQ(window.StaticTextBio->size(), QSize(290, 22));
    EXPECT_EQ(window.StaticTextBio->FontFX().LightColor, cl::Window);
    EXPECT_EQ(window.StaticTextPaleo->size(), QSize(290, 22));
    EXPECT_EQ(window.StaticTextPaleo->FontFX().LightColor, cl::BtnHighlight);
}

// The desktop's opener is waited for: a fake xdg-open on PATH that fails makes
// the help command show its box; one that succeeds, or is still running when
// the wait ends, counts as opened.
TEST_F(HelpFixture, TheOpenersFailureIsReported) {
    SetShellOpenHook({});
    InFolder in(work.path());
    QTemporaryDir bin;
    const QString log = bin.filePath(QStringLiteral("log"));
    {
        QFile script(bin.filePath(QStringLiteral("xdg-open")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/log\"\n"
                     "sleep \"${FAKE_OPENER_SLEEP:-0}\"\nexit \"${FAKE_OPENER_EXIT:-0}\"\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + savedPath);
    const QString help = exe.filePath(QStringLiteral("Aevorium.html"));
    touch(help);

    qputenv("FAKE_OPENER_EXIT", "3");
    window.Aide1Click();
    EXPECT_TRUE(boxes.isEmpty()); // the program's own help window shows the guide
    ASSERT_NE(window.HelpWindow, nullptr);
    EXPECT_TRUE(window.HelpWindow->isVisible());
    window.HelpWindow->close();
    EXPECT_FALSE(ShellOpen(help));

    qputenv("FAKE_OPENER_EXIT", "0");
    EXPECT_TRUE(ShellOpen(help));
    qputenv("FAKE_OPENER_SLEEP", "2");
    SetShellOpenWait(200);
    EXPECT_TRUE(ShellOpen(help));
    SetShellOpenWait(3000);

    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count('\n'), 4);
    qputenv("PATH", savedPath);
    qunsetenv("FAKE_OPENER_EXIT");
    qunsetenv("FAKE_OPENER_SLEEP");
}
