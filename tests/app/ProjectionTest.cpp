// The "Affichage" menu: options, sizes, full screen, the hand-over to a new
// process at another scale factor, high contrast; the printed date in words.
#include "app/window/Projection.h"
#include "app/window/Tours.h"
#include "app/Dialogs.h"
#include "app/DisplayOptions.h"
#include "app/LessonPage.h"
#include "app/TAevoriumF1.h"
#include "widgets/TBtnRot.h"
#include "widgets/TEmbossedText.h"
#include "widgets/TPanel.h"
#include "widgets/WinColor.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr double Pi = 3.14159265358979323846;

TEST(DisplayOptions, ArgumentsSizesAndContrast) {
    QStringList args = {QStringLiteral("--plein-ecran"), QStringLiteral("0"), QStringLiteral("--echelle=1.5"),
                        QStringLiteral("--reprise=/tmp/x.dat"), QStringLiteral("--inconnue")};
    const TProgramOptions o = TakeProgramOptions(args);
    EXPECT_EQ(args, QStringList{QStringLiteral("0")});
    EXPECT_TRUE(o.FullScreen);
    EXPECT_EQ(o.Scale, 1.5);
    EXPECT_EQ(o.ResumeFile, QStringLiteral("/tmp/x.dat"));
    args = {QStringLiteral("--echelle=40")};
    EXPECT_EQ(TakeProgramOptions(args).Scale, 0); // out of range: ignored

    // Screen and layout in device pixels: the largest factor that fits, never below 1.
    const struct {
        QSizeF screen;
        double fit;
        bool fits150, fits200;
    } screens[] = {{{1920, 1080}, 1.59, true, false}, {{3840, 2160}, 3.18, true, true},
                   {{1366, 768}, 1.13, false, false}, {{800, 600}, 1.0, false, false}};
    const QSizeF layout(912, 678);
    for (const auto& s : screens) {
        EXPECT_DOUBLE_EQ(FullScreenScale(s.screen, layout), s.fit) << s.screen.width();
        EXPECT_EQ(FitsScreen(s.screen, layout, 1.5), s.fits150) << s.screen.width();
        EXPECT_EQ(FitsScreen(s.screen, layout, 2.0), s.fits200) << s.screen.width();
    }

    // The ratios of the texts on show: engraved captions on the button face,
    // aqua on teal, and what high contrast draws instead.
    const struct {
        unsigned text, back;
        double low, high;
    } ratios[] = {{0xBFCDDB, 0xF0F0F0, 1.3, 1.5},  {0x00FFFF, 0x008080, 3.7, 3.9},
                  {0x000000, 0xF0F0F0, 18, 19},    {0x00FFFF, 0x003838, 9, 11},
                  {0xFFFFFF, 0x003838, 12, 14},    {0x000000, 0xFFFFFF, 21, 21}};
    for (const auto& r : ratios) {
        const double ratio = ContrastRatio(r.text, r.back);
        EXPECT_GE(ratio, r.low) << std::hex << r.text << " on " << r.back;
        EXPECT_LE(ratio, r.high) << std::hex << r.text << " on " << r.back;
    }
}

TEST(DisplayOptions, DateInWords) {
    const struct {
        double date;
        const char* text;
    } rows[] = {{-66, "Il y a 66 millions d'années (-66,000 Ma)"},
                {-4550, "Il y a 4\u00a0550 millions d'années (-4550,000 Ma)"},
                {-1.5, "Il y a 1,5 million d'années (-1,500 Ma)"},
                {-2.588, "Il y a 2,588 millions d'années (-2,588 Ma)"},
                {-0.012, "Il y a 12\u00a0000 ans (-0,012 Ma)"},
                {0.0001, "Aujourd'hui (0,000 Ma)"},
                {30, "Dans 30 millions d'années (+30,000 Ma)"}};
    for (const auto& r : rows)
        EXPECT_EQ(LessonDateText(r.date), QString::fromUtf8(r.text)) << r.date;
    EXPECT_EQ(LessonTitle(-66, QStringLiteral("26 décembre, 16 h 55 min 54 s")),
              QStringLiteral("Il y a 66 millions d'années (-66,000 Ma) — 26 décembre, 16 h 55 min 54 s"));
}

TEST(DisplayOptions, ResumeFileRoundTrip) {
    QTemporaryDir dir;
    TResumeState s;
    s.Scale = 1.59;
    s.FullScreen = true;
    s.Date = -66.04;
    s.ScaleFileName = QStringLiteral("/d/Echelle_simple.ini");
    s.Custom = s.EventsModified = true;
    s.EventDates = {QStringLiteral("-66,040"), QStringLiteral("-0,001")};
    s.EventTexts = {QStringLiteral("Chicxulub ☄"), QString()};
    s.HasCamera = true;
    s.Camera[2] = 4.5f;
    const QString path = dir.filePath(QStringLiteral("r.dat"));
    ASSERT_TRUE(WriteResumeState(path, s));
    TResumeState r;
    ASSERT_TRUE(ReadResumeState(path, r));
    EXPECT_EQ(r.Scale, 1.59);
    EXPECT_TRUE(r.FullScreen && r.Custom && r.EventsModified && r.HasCamera);
    EXPECT_EQ(r.Date, -66.04);
    EXPECT_EQ(r.ScaleFileName, s.ScaleFileName);
    EXPECT_EQ(r.EventTexts, s.EventTexts);
    EXPECT_EQ(r.Camera[2], 4.5f);
    // A cut or foreign file is refused and leaves the state as it was.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray bytes = f.readAll();
    for (const QByteArray& bad : {bytes.left(bytes.size() - 5), QByteArray("AEVR....")}) {
        f.resize(0);
        f.seek(0);
        f.write(bad);
        f.flush();
        TResumeState kept;
        EXPECT_FALSE(ReadResumeState(path, kept));
        EXPECT_EQ(kept.Date, 0);
    }
    EXPECT_FALSE(ReadResumeState(dir.filePath(QStringLiteral("absent")), r));
}

class Projection : public ::testing::Test {
protected:
    QList<TMessageRequest> boxes;
    std::unique_ptr<TAevoriumF1> w;
    TProjection* p = nullptr;

    std::unique_ptr<TAevoriumF1> makeWindow() {
        auto win = std::make_unique<TAevoriumF1>();
        win->Arguments = {QStringLiteral("0")};
        win->FormCreate();
        return win;
    }
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        SaveWindowPercent(100);
        SaveHighContrast(false);
        SetMessageHook([this](const TMessageRequest& r) {
            boxes << r;
            return 1;
        });
        w = makeWindow();
        p = w->Projection;
    }
    void TearDown() override {
        w.reset();
        SetMessageHook({});
        QStandardPaths::setTestModeEnabled(false);
    }
    void SetDate(TAevoriumF1& win, double date) {
        win.BtnRot3->SetAngleBtn(date * 2 * Pi * 100);
        win.BtnRot1AngleChange(win.BtnRot3);
    }
};

TEST_F(Projection, MenuItemsAndKeys) {
    // (Its place in the menu bar is checked with the other menus.)
    EXPECT_EQ(p->Affichage1->title(), QStringLiteral("&Affichage"));
    QStringList items;
    for (QAction* a : p->Affichage1->actions())
        items << a->text();
    EXPECT_EQ(items, (QStringList{QStringLiteral("&Plein écran\tF11"), QStringLiteral("&Taille de la fenêtre"),
                                  QStringLiteral("&Contraste élevé")}));
    EXPECT_EQ(p->PleinEcran1->shortcut(), QKeySequence(Qt::Key_F11));
    QStringList sizes;
    for (QAction* a : p->Taille1->actions())
        sizes << a->text();
    EXPECT_EQ(sizes.join(QLatin1Char('|')), QStringLiteral("100\u00a0%|125\u00a0%|150\u00a0%|175\u00a0%|200\u00a0%"));
    EXPECT_TRUE(p->TailleActions[0]->isChecked());
}

TEST_F(Projection, FullScreenAtTheSameFactorStaysInThisProcess) {
    auto* strip = new QWidget;
    strip->setFixedHeight(40);
    p->SetBottomStrip(strip);
    ASSERT_TRUE(p->ShowAt(1.0, true));
    EXPECT_TRUE(p->IsFullScreen() && p->PleinEcran1->isChecked() && p->QuitterPleinEcran1->isEnabled());
    QWidget* client = w->findChild<QWidget*>(QStringLiteral("ClientArea"));
    EXPECT_EQ(w->centralWidget()->objectName(), QStringLiteral("Surround"));
    EXPECT_EQ(client->size(), QSize(912, 654));
    EXPECT_EQ(strip->parentWidget(), w->centralWidget());
    EXPECT_EQ(p->LayoutSize().height(), 654 + w->menuBar()->sizeHint().height() + 40);
    // Échap brings the window back, the layout as it was.
    p->QuitterPleinEcran1->trigger();
    EXPECT_FALSE(p->IsFullScreen());
    EXPECT_EQ(w->centralWidget(), client);
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_FALSE(p->QuitterPleinEcran1->isEnabled());
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(Projection, AnotherFactorHandsTheStateToANewProcess) {
    // Custom mode with an unsaved event, a date, a stored size.
    w->Personnalise1->trigger();
    w->ApplyEventEdit(1, -1, -66.04, QStringLiteral("Chicxulub"));
    ASSERT_TRUE(w->EventsModified);
    // A tour at its second stop.
    TTour tour;
    tour.Title = QStringLiteral("Dinosaures");
    for (double d : {-230.0, -150.0}) {
        TTourStop stop;
        stop.Date = d;
        stop.Title = QString::number(d);
        tour.Stops << stop;
    }
    w->Tours->OpenTour(tour, QString());
    w->Tours->GoToStop(1);
    SetDate(*w, -70);
    QStringList launched;
    int released = 0, retaken = 0;
    p->ReleaseInstance = [&] { ++released; };
    p->RetakeInstance = [&] { return ++retaken > 0; };
    p->Launcher = [&](const QStringList& a) {
        launched = a;
        return true;
    };
    QSignalSpy done(p, &TProjection::handedOver);
    p->SetWindowPercent(150); // (the offscreen screen is too small for its menu item)
    EXPECT_EQ(SavedWindowPercent(), 150);
    ASSERT_EQ(launched.size(), 2);
    EXPECT_EQ(launched[0], QStringLiteral("0")); // the display mode goes on
    const QString file = launched[1].mid(QStringLiteral("--reprise=").size());
    EXPECT_EQ(file, p->PendingResumeFile());
    EXPECT_EQ(released, 1);
    EXPECT_FALSE(w->isEnabled());

    // The new process: everything the user had, edits still unsaved.
    TResumeState s;
    ASSERT_TRUE(ReadResumeState(file, s));
    EXPECT_EQ(s.Scale, 1.5);
    EXPECT_FALSE(s.FullScreen);
    auto next = makeWindow();
    next->Projection->ApplyResumeState(s);
    EXPECT_NEAR(next->CurrentDate, -70, 1e-9);
    EXPECT_TRUE(next->Personnalise1->isChecked() && next->EventsModified && next->Sauvegarder1->isEnabled());
    EXPECT_EQ(next->EventList.Texts(), w->EventList.Texts());
    EXPECT_EQ(next->LevelText(), w->LevelText());
    EXPECT_TRUE(next->Tours->IsOpen());
    EXPECT_EQ(next->Tours->Current(), 1);
    EXPECT_EQ(next->Tours->Tour.Title, tour.Title);
    // Once it has taken the file, this process ends.
    QFile::remove(file);
    EXPECT_TRUE(done.wait(2000));
    EXPECT_TRUE(p->PendingResumeFile().isEmpty());

    // A new process that cannot be started: the user is told, nothing is lost.
    p->Launcher = [](const QStringList&) { return false; };
    w->setEnabled(true);
    EXPECT_FALSE(p->ShowAt(2.0, false));
    EXPECT_EQ(retaken, 1);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Changement de taille impossible : Aevorium n'a pas pu être relancé."));
    EXPECT_TRUE(w->isEnabled() && w->EventsModified);

    // A new process that never takes the file: this one goes on.
    p->Launcher = [](const QStringList&) { return true; };
    p->HandOverTimeoutMs = 200;
    ASSERT_TRUE(p->ShowAt(2.0, false));
    const QString left = p->PendingResumeFile();
    QTRY_VERIFY_WITH_TIMEOUT(w->isEnabled(), 3000);
    EXPECT_FALSE(QFile::exists(left));
    EXPECT_EQ(retaken, 2);
    EXPECT_EQ(boxes.size(), 2);
}

TEST_F(Projection, HighContrastIsKeptAndReadable) {
    p->ContrasteEleve1->trigger();
    EXPECT_TRUE(SavedHighContrast());
    const auto rgb = [](TColor c) { return unsigned(WinColor(c).rgb() & 0xFFFFFF); };
    for (TEmbossedText* t : {w->StaticText1, w->StaticTextBio, w->StaticTextPaleo})
        EXPECT_GE(ContrastRatio(rgb(t->FontColor()), rgb(cl::BtnFace)), 7.0) << t->objectName().toStdString();
    for (TPanel* panel : {w->Panel4, w->Panel6, w->Panel5, w->Panel7})
        EXPECT_GE(ContrastRatio(rgb(cl::Aqua), rgb(panel->Color())), 7.0) << panel->objectName().toStdString();
    EXPECT_EQ(w->BtnRot1->FocusRingWidth(), 3);
    // A new window starts with it; switched off, the usual look comes back.
    auto next = makeWindow();
    EXPECT_TRUE(next->Projection->ContrasteEleve1->isChecked());
    EXPECT_EQ(next->StaticText1->FontColor(), cl::Black);
    p->ContrasteEleve1->trigger();
    EXPECT_FALSE(SavedHighContrast());
    EXPECT_EQ(w->StaticText1->FontColor(), cl::InactiveCaption);
    EXPECT_EQ(w->Panel4->Color(), cl::Teal);
    EXPECT_EQ(w->BtnRot1->FocusRingWidth(), 1);
}

} // namespace
