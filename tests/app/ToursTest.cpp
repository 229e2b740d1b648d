// Guided tours on the real main window (offscreen): clicker keys, the smooth
// movement with a fake clock, writing, saving and printing, the shipped tours.
#include "app/window/Tours.h"
#include "app/Dialogs.h"
#include "app/LessonFileDialog.h"
#include "app/TAevoriumF1.h"
#include "app/TTourPanel.h"
#include "app/TTourStopDialog.h"
#include "app/window/Navigation.h"
#include "widgets/TBtnRot.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr qint64 Second = 1000000000;

class Tours : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageHook([this](const TMessageRequest& r) {
            messages << r.text;
            return answer;
        });
        w = std::make_unique<TAevoriumF1>();
        w->ExeDir = dir.path() + QLatin1Char('/');
        w->FormCreate();
        w->EventList.Append(QStringLiteral("-66,000"), QStringLiteral("Extinction des dinosaures"));
        w->CreateEventMarkers();
        tours = w->Tours;
        tours->Clock = [this] { return now; };
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        height = w->height();
    }
    void TearDown() override {
        tours->CloseTour();
        w.reset();
        SetMessageHook({});
        SetTourTextHook({});
        SetLessonFileHook({});
        SetPrintDialogHook({});
    }
    QString write(const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    // Lets the movement under way run to its end.
    void finishMove() {
        now += 3 * Second;
        tours->TickMove();
        EXPECT_FALSE(tours->Moving());
    }

    QTemporaryDir dir;
    std::unique_ptr<TAevoriumF1> w;
    TTours* tours = nullptr;
    qint64 now = 0;
    int height = 0;
    int answer = 1;
    QStringList messages;
};

} // namespace

TEST_F(Tours, ClickerKeysStepTheTourWhereverTheFocusIs) {
    QStringList items;
    for (QAction* a : tours->Parcours1->actions())
        if (!a->isSeparator() && !tours->ShippedTourActions.contains(a))
            items << a->text();
    EXPECT_EQ(items,
              QStringList({"Ouvrir un parcours…", "Étape suivante\tPage suivante",
                           "Étape précédente\tPage précédente", "Première étape\tCtrl+Début",
                           "Fermer le parcours\tÉchap", "Nouveau parcours…", "Ajouter la date comme étape",
                           "Modifier l'étape…", "Monter l'étape", "Descendre l'étape", "Supprimer l'étape",
                           "Enregistrer le parcours…", "Imprimer le parcours…"}));
    EXPECT_EQ(tours->ShippedTourActions.size(), tours->ShippedTours.size());

    // A bad file is refused with its line, and nothing opens.
    w->OpenFileArgument(write("bad.aevp", "[Etape 1]\nTitre=x\nDate=hier\n"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("Ligne 3 : date illisible")))
        << messages[0].toStdString();
    EXPECT_FALSE(tours->IsOpen());

    w->OpenFileArgument(write("t.aevp", "[Parcours]\nTitre=Essai\n[Etape 1]\nDate=-252\nTitre=Permien\n"
                                        "[Etape 2]\nDate=66 Ma\nTitre=K-Pg\nTexte=Fin\\ndes dinosaures\n"
                                        "[Etape 3]\nDate=-0,2\nTitre=Homo sapiens\n"));
    ASSERT_TRUE(tours->IsOpen());
    finishMove();
    EXPECT_EQ(w->CurrentDate, -252);
    EXPECT_GE(w->height(), height + TTourPanel::PanelHeight);
    EXPECT_EQ(w->centralWidget()->geometry().size(), QSize(912, 654)); // the layout is not covered

    const struct {
        QWidget* focus;
        int key;
        Qt::KeyboardModifiers mods;
        int stop;
        double date;
    } steps[] = {
        {w->BtnRot2, Qt::Key_PageDown, Qt::NoModifier, 1, -66},
        {w->BtnRot1, Qt::Key_PageDown, Qt::NoModifier, 2, -0.2},
        {w->BtnRot3, Qt::Key_PageDown, Qt::NoModifier, 2, -0.2}, // the last stop stays
        {w.get(), Qt::Key_PageUp, Qt::NoModifier, 1, -66},
        {w->BtnRot2, Qt::Key_Home, Qt::ControlModifier, 0, -252},
    };
    for (const auto& s : steps) {
        s.focus->setFocus();
        QTest::keyClick(s.focus, Qt::Key(s.key), s.mods);
        finishMove();
        EXPECT_EQ(tours->Current(), s.stop);
        EXPECT_NEAR(w->CurrentDate, s.date, 1e-9);
    }
    QTest::keyClick(w->BtnRot2, Qt::Key_PageDown);
    EXPECT_EQ(tours->Panel->CountLabel->text(), QStringLiteral("2 / 3"));
    EXPECT_EQ(tours->Panel->TitleLabel->text(), QStringLiteral("K-Pg"));
    EXPECT_EQ(tours->Panel->TextLabel->text(), QStringLiteral("Fin\ndes dinosaures"));
    EXPECT_EQ(tours->Panel->CountLabel->accessibleName(), QStringLiteral("Étape 2 sur 3"));

    // Échap stops a playback first, then closes; the dials have their Page keys back.
    finishMove();
    w->Navigation->Play(+1);
    QTest::keyClick(w->BtnRot2, Qt::Key_Escape);
    EXPECT_FALSE(w->Navigation->Playing());
    EXPECT_TRUE(tours->IsOpen());
    w->Navigation->GoToDate(-66);
    QTest::keyClick(w->BtnRot2, Qt::Key_Escape);
    EXPECT_FALSE(tours->IsOpen());
    EXPECT_EQ(w->height(), height);
    QTest::keyClick(w->BtnRot2, Qt::Key_PageDown);
    EXPECT_NEAR(w->CurrentDate, -66.25, 1e-9);
}

TEST_F(Tours, TheMovementIsLogarithmicSmoothAndEndsAsAllerA) {
    TTour tour;
    tour.Stops = {TTourStop{-4000, "", "a", "", "", {}}, TTourStop{-66, "", "b", "", "", {}}};
    tours->OpenTour(tour, QString());
    finishMove();
    tours->NextStop();
    ASSERT_TRUE(tours->Moving());
    const qint64 start = now, duration = TTourMove(-4000, -66).DurationNs();
    EXPECT_LE(duration, 2 * Second);
    double last = w->CurrentDate;
    for (int i = 1; i < 10; ++i) {
        now = start + duration * i / 10;
        tours->TickMove();
        EXPECT_GT(w->CurrentDate, last); // forward at every frame
        last = w->CurrentDate;
        if (i == 5) { // half-way in the logarithm of age
            EXPECT_NEAR(w->CurrentDate, -std::sqrt(4000.0 * 66), 1.0);
        }
    }
    EXPECT_TRUE(w->BtnRot3->DiodeBlink()); // one drag of a coarse dial
    finishMove();
    // The same state as "Aller à" the stop's date.
    const double dials[3] = {w->BtnRot1->Angle(), w->BtnRot2->Angle(), w->BtnRot3->Angle()};
    const QString texts[2] = {w->Label1->text(), w->Label3->text()};
    w->Navigation->GoToDate(-100);
    w->Navigation->GoToDate(-66);
    EXPECT_NEAR(w->CurrentDate, -66, 1e-9);
    EXPECT_EQ(dials[0], w->BtnRot1->Angle());
    EXPECT_EQ(dials[1], w->BtnRot2->Angle());
    EXPECT_EQ(dials[2], w->BtnRot3->Angle());
    EXPECT_EQ(texts[0], w->Label1->text());
    EXPECT_EQ(texts[1], w->Label3->text());
    EXPECT_EQ(texts[1].trimmed(), QStringLiteral("Extinction des dinosaures"));
    // A press on a dial during a movement takes the dials back.
    tours->PreviousStop();
    now += Second / 10;
    tours->TickMove();
    w->BtnRot2->EndTurn();
    w->BtnRot1->EndTurn();
    tours->TickMove();
    EXPECT_FALSE(tours->Moving());
}

TEST_F(Tours, WriteSaveOpenAndPrint) {
    QStringList answers = {"Ma leçon", "Pour les 4e", "K-Pg", "Fin des\ndinosaures", "P-T",
                           "",         "P-T !",       "Texte"};
    SetTourTextHook([&answers](TTourTextRequest& r) {
        r.Title = answers.takeFirst();
        r.Text = answers.takeFirst();
        return true;
    });
    tours->NouveauParcoursClick();
    ASSERT_TRUE(tours->IsOpen());
    EXPECT_EQ(tours->Panel->TitleLabel->text(), QStringLiteral("Aucune étape"));
    EXPECT_FALSE(tours->EnregistrerParcours1->isEnabled());
    w->Navigation->GoToDate(-66);
    tours->AjouterEtapeClick();
    w->Navigation->GoToDate(-251.902);
    tours->AjouterEtapeClick();
    tours->MoveStop(-1);
    tours->ModifierEtapeClick();
    ASSERT_EQ(tours->Tour.Stops.size(), 2);
    EXPECT_EQ(tours->Tour.Stops[0].Title, QStringLiteral("P-T !"));
    EXPECT_EQ(tours->Tour.Stops[0].Date, -251.902);
    EXPECT_EQ(tours->Tour.Stops[1].Text, QStringLiteral("Fin des\ndinosaures"));
    EXPECT_TRUE(tours->Modified());

    const QString path = dir.filePath("lecon.aevp");
    SetLessonFileHook([&path](TLessonFileRequest& r) {
        EXPECT_EQ(r.Kind, TLessonFileRequest::SaveTour);
        r.FileName = path;
        return true;
    });
    ASSERT_TRUE(tours->EnregistrerParcoursClick());
    EXPECT_FALSE(tours->Modified());
    const TTour saved = tours->Tour;
    const TTourReadResult back = LoadTourFile(path);
    ASSERT_TRUE(back.Ok());
    EXPECT_EQ(back.Tour, saved);

    // Deleting asks; closing with the change unsaved asks too.
    tours->SupprimerEtapeClick();
    EXPECT_EQ(tours->Tour.Stops.size(), 1);
    answer = 0;
    EXPECT_FALSE(tours->CloseTour());
    answer = 1;

    const QString pdf = dir.filePath("parcours.pdf");
    SetPrintDialogHook([&pdf](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        return true;
    });
    // One page, also for the longest shipped tour (15 stops with their texts).
    for (int i = 0; i < 2; ++i) {
        if (i == 1) {
            ASSERT_TRUE(
                tours->OpenTourFile(AEV_SOURCE_DIR "/data/Parcours/De_la_vie_primitive_a_l_Homme.aevp"));
        }
        tours->ImprimerParcoursClick();
        QFile printed(pdf);
        ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
        const QByteArray bytes = printed.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 1);
    }
}

TEST(ShippedTours, ReadAndWithinTheirBounds) {
    const QDir data(QStringLiteral(AEV_SOURCE_DIR "/data/Parcours"));
    QStringList titles;
    for (const QString& name : data.entryList({QStringLiteral("*.aevp")})) {
        const TTourReadResult r = LoadTourFile(data.filePath(name));
        ASSERT_TRUE(r.Ok()) << name.toStdString() << r.Error.toStdString();
        EXPECT_GE(r.Tour.Stops.size(), 8);
        EXPECT_LE(r.Tour.Stops.size(), 15);
        titles << r.Tour.Title;
    }
    titles.sort();
    EXPECT_EQ(titles, QStringList({"De la vie primitive à l'Homme", "L'histoire de la Terre en douze étapes",
                                   "Les cinq grandes extinctions"}));
}
