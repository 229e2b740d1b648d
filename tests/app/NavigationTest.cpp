// The "Navigation" menu, keys, wheel, playback and screen-reader texts on the
// real main window (offscreen).
#include "app/window/Navigation.h"
#include "app/Dialogs.h"
#include "app/TAevoriumF1.h"
#include "app/TGoToDialog.h"
#include "widgets/AccessibleEvents.h"
#include "widgets/TBtnRot.h"
#include "widgets/TLEDDisplay.h"
#include "widgets/TLEDLabel.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr qint64 Ms = 1000000; // ns

double Turns(const TBtnRot* d) {
    return d->Tour() + d->Angle() / (2 * Pi);
}

class Navigation : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageHook([](const TMessageRequest&) { return 1; });
        w = std::make_unique<TAevoriumF1>();
        w->ExeDir = dataDir.path() + QLatin1Char('/');
        w->FormCreate();
        // A small scale and three events.
        auto row = [this](const char* start, const char* eon, const char* ere, const char* sys) {
            QStringList r(ScaleColumnCount);
            r[colStart] = QString::fromUtf8(start);
            r[colEon] = QString::fromUtf8(eon);
            r[colEre] = QString::fromUtf8(ere);
            r[colSysteme] = QString::fromUtf8(sys);
            w->ScaleTable.StartDates << r[colStart];
            w->ScaleTable.Rows << r;
        };
        row("-4567", "Hadéen", "", "");
        row("-145", "Phanérozoïque", "Mésozoïque", "Crétacé");
        row("-100,5", "Phanérozoïque", "Mésozoïque", "Crétacé");
        row("-66", "Phanérozoïque", "Cénozoïque", "Paléogène");
        w->EventList.Append(QStringLiteral("-66,000"), QStringLiteral("Extinction des dinosaures"));
        w->EventList.Append(QStringLiteral("-252,000"), QStringLiteral("Grande extinction du Permien"));
        w->EventList.Append(QStringLiteral("-0,200"), QStringLiteral("Homo sapiens"));
        w->CreateEventMarkers();
        w->BtnRot1AngleChange(w->BtnRot3);
        nav = w->Navigation;
        nav->Clock = [this] { return now; };
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    void TearDown() override {
        w.reset();
        SetMessageHook({});
    }
    // Every dial shows the date and none blinks: the state after a release.
    void ExpectDialsAt(double date) {
        EXPECT_NEAR(w->CurrentDate, date, 1e-9);
        EXPECT_NEAR(Turns(w->BtnRot1) * 1000, date, 1e-9);
        EXPECT_NEAR(Turns(w->BtnRot2), date, 1e-9);
        EXPECT_NEAR(Turns(w->BtnRot3) / 100, date, 1e-9);
        for (TBtnRot* d : {w->BtnRot1, w->BtnRot2, w->BtnRot3}) {
            EXPECT_FALSE(d->DiodeBlink());
            EXPECT_FALSE(d->Dragging());
            EXPECT_EQ(d->BevelBtn(), 2);
        }
    }
    void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(target, Qt::Key(key), mods);
    }
    void Frame(qint64 at) {
        now = at;
        nav->Tick();
    }

    QTemporaryDir dataDir;
    std::unique_ptr<TAevoriumF1> w;
    TNavigation* nav = nullptr;
    qint64 now = 0;
};

} // namespace

TEST_F(Navigation, TheMenuComesBeforeHelpAndListsItsKeys) {
    QStringList titles;
    for (QAction* a : w->menuBar()->actions())
        titles << a->text();
    QStringList accessKeys;
    for (const QString& t : titles)
        accessKeys << QKeySequence::mnemonic(t).toString();
    EXPECT_EQ(accessKeys, QStringList({"Alt+F", "Alt+D", "Alt+S", "Alt+N", "Alt+A", "Alt+P", "Alt+?"}));
    EXPECT_EQ(w->Ouvrir1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(w->Sauvegarder1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    titles.replaceInStrings(QStringLiteral("&"), QString());
    EXPECT_EQ(titles, QStringList({"Fichier", "Données", "Spirale", "Navigation", "Affichage", "Parcours", "?"}));
    QStringList items;
    for (QAction* a : nav->Navigation1->actions())
        if (!a->isSeparator())
            items << a->text();
    EXPECT_EQ(items,
              QStringList({"Aller à…\tCtrl+G", "Limite précédente\tCtrl+Gauche",
                           "Limite suivante\tCtrl+Droite", "Événement précédent\tAlt+Gauche",
                           "Événement suivant\tAlt+Droite", "Lecture\tEspace", "Lecture arrière\tMaj+Espace",
                           "Arrêter la lecture\tÉchap", "Vitesse", "Pause à chaque événement"}));
    QStringList speeds;
    for (QAction* a : nav->Vitesse1->actions())
        speeds << a->text();
    EXPECT_EQ(speeds, QStringList({"1 milliard d'années en 10 s", "100 Ma en 10 s", "10 Ma en 10 s",
                                   "1 Ma en 10 s", "Logarithmique (chaque ère compte)"}));
    EXPECT_EQ(nav->AllerA1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
}

TEST_F(Navigation, KeysAndWheelTurnTheDialsWithTheirBlinkingAndCatchingUp) {
    w->BtnRot1->setFocus();
    Key(w->BtnRot1, Qt::Key_Left);
    ExpectDialsAt(-25);
    EXPECT_EQ(w->Signe->text(), QStringLiteral("-"));
    EXPECT_EQ(w->LEDDisplay1->Value(), 25);

    // Held down, dial 1 leaves the finer dials blinking until the key is let go.
    QTest::keyPress(w->BtnRot1, Qt::Key_PageDown);
    EXPECT_NEAR(w->CurrentDate, -275, 1e-9);
    EXPECT_TRUE(w->BtnRot2->DiodeBlink());
    EXPECT_TRUE(w->BtnRot3->DiodeBlink());
    EXPECT_EQ(w->BtnRot1->BevelBtn(), 1);
    QTest::keyRelease(w->BtnRot1, Qt::Key_PageDown);
    ExpectDialsAt(-275);

    Key(w->BtnRot2, Qt::Key_Right);
    ExpectDialsAt(-274.975);
    Key(w->BtnRot3, Qt::Key_Up);
    ExpectDialsAt(-274.97475);
    Key(w->BtnRot2, Qt::Key_Home);
    ExpectDialsAt(-4550);
    Key(w->BtnRot3, Qt::Key_End);
    ExpectDialsAt(30);

    QWheelEvent down(QPointF(40, 40), QPointF(40, 40), QPoint(), QPoint(0, -240), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w->BtnRot2, &down);
    ExpectDialsAt(29.95);
}

TEST_F(Navigation, TabGoesThroughTheDialsInOrderAndAClickFocuses) {
    w->BtnRot1->setFocus();
    Key(w->BtnRot1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w->BtnRot2);
    Key(w->BtnRot2, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w->BtnRot3);
    Key(w->BtnRot3, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), w->BtnRot2);
    QTest::mouseClick(w->BtnRot1->Corps(), Qt::LeftButton, {}, QPoint(70, 40));
    EXPECT_EQ(QApplication::focusWidget(), w->BtnRot1);
}

TEST_F(Navigation, StepsToBoundariesAndEventsByTheirKeys) {
    w->BtnRot2->setFocus(); // the dial leaves Ctrl and Alt keys to the window
    Key(w->BtnRot2, Qt::Key_Left, Qt::ControlModifier);
    ExpectDialsAt(-66);
    // The date sphere touches the event there.
    EXPECT_EQ(w->Label3->text(), QStringLiteral(" Extinction des dinosaures"));
    EXPECT_EQ(w->SelectedEventIndex, 0);
    Key(w->BtnRot2, Qt::Key_Left, Qt::ControlModifier);
    ExpectDialsAt(-100.5);
    Key(w->BtnRot2, Qt::Key_Left, Qt::ControlModifier);
    ExpectDialsAt(-145);
    Key(w->BtnRot2, Qt::Key_Left, Qt::ControlModifier); // -4567 lies past the dial's stop
    ExpectDialsAt(-4550);
    Key(w->BtnRot2, Qt::Key_Right, Qt::ControlModifier);
    ExpectDialsAt(-145);

    Key(w->BtnRot2, Qt::Key_Right, Qt::AltModifier);
    ExpectDialsAt(-66);
    Key(w->BtnRot2, Qt::Key_Right, Qt::AltModifier);
    ExpectDialsAt(-0.2);
    Key(w->BtnRot2, Qt::Key_Right, Qt::AltModifier); // none later: nothing moves
    ExpectDialsAt(-0.2);
    Key(w->BtnRot2, Qt::Key_Left, Qt::AltModifier);
    Key(w->BtnRot2, Qt::Key_Left, Qt::AltModifier);
    ExpectDialsAt(-252);
    EXPECT_EQ(w->Label3->text(), QStringLiteral(" Grande extinction du Permien"));
}

TEST_F(Navigation, GoToTurnsTheFinestDialAndTheDialogReadsDatesAndNames) {
    nav->GoToDate(-66);
    ExpectDialsAt(-66);
    nav->GoToDate(-1e9);
    ExpectDialsAt(-4550);

    // Ctrl+G, a name without its accents, Enter.
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<TGoToDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        QTest::keyClicks(d->Edit1, QStringLiteral("cret"));
        // Names are offered as they are typed.
        ASSERT_EQ(d->Completer->model()->rowCount(), 1);
        EXPECT_EQ(d->Completer->model()->index(0, 0).data().toString(), QStringLiteral("Crétacé"));
        d->Edit1->setText(QStringLiteral("cretace"));
        QTest::keyClick(d->Edit1, Qt::Key_Return);
    });
    Key(w.get(), Qt::Key_G, Qt::ControlModifier);
    ExpectDialsAt(-145);

    TGoToDialog dialog(TGoToIndex(w->ScaleTable, w->EventList), w.get());
    dialog.Edit1->setText(QStringLiteral("licorne"));
    dialog.BtnAllerClick();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.Note->text(),
              QStringLiteral("Aucune période ni aucun événement ne correspond à « licorne »"));

    // A date beyond the scale: one Entrée goes to the limit; the note shows under the readout.
    nav->GoToDate(-66);
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<TGoToDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->Edit1->setText(QStringLiteral("5 Ga"));
        QTest::keyClick(d->Edit1, Qt::Key_Return);
        EXPECT_FALSE(d->isVisible());
        if (d->isVisible())
            d->reject();
    });
    Key(w.get(), Qt::Key_G, Qt::ControlModifier);
    ExpectDialsAt(-4550);
    ASSERT_NE(nav->GoToNote, nullptr);
    EXPECT_TRUE(nav->GoToNote->isVisible());
    EXPECT_EQ(nav->GoToNote->text(), QStringLiteral("Date hors de l'échelle, ramenée à -4550 Ma."));
}

TEST_F(Navigation, PlaybackFollowsElapsedTimeAtMostSixtyFramesASecond) {
    nav->GoToDate(-100);
    nav->SetSpeed(100); // "1 milliard d'années en 10 s"
    now = 0;
    nav->Play(+1);
    EXPECT_TRUE(nav->Lecture1->isChecked());
    EXPECT_EQ(nav->PlaybackDial(), w->BtnRot1);
    EXPECT_TRUE(w->BtnRot1->Dragging());
    Frame(0);
    EXPECT_NEAR(w->CurrentDate, -100, 1e-9);
    Frame(17 * Ms);
    EXPECT_NEAR(w->CurrentDate, -98.3, 1e-9);
    EXPECT_TRUE(w->BtnRot2->DiodeBlink()); // as while dial 1 is dragged
    Frame(30 * Ms);                        // too soon after the last frame: nothing drawn
    EXPECT_NEAR(w->CurrentDate, -98.3, 1e-9);
    Frame(500 * Ms); // a late frame catches up
    EXPECT_NEAR(w->CurrentDate, -50, 1e-9);

    // Space stops; the finer dials catch up.
    Key(w.get(), Qt::Key_Space);
    EXPECT_FALSE(nav->Playing());
    ExpectDialsAt(-50);

    // The slowest speed turns dial 2; Shift+Space plays backward.
    nav->SetSpeed(0.1);
    now = 0;
    Key(w.get(), Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(nav->Direction(), -1);
    EXPECT_EQ(nav->PlaybackDial(), w->BtnRot2);
    Frame(10000 * Ms);
    EXPECT_NEAR(w->CurrentDate, -51, 1e-9);
    Key(w.get(), Qt::Key_Space); // stops whichever way time runs
    EXPECT_FALSE(nav->Playing());
    ExpectDialsAt(-51);
    nav->Play(+1);
    Key(w.get(), Qt::Key_Escape);
    EXPECT_FALSE(nav->Playing());
    ExpectDialsAt(-51);
}

TEST_F(Navigation, LogarithmicPlaybackGivesEachFactorOfTenTheSameTime) {
    nav->VitesseLog1->trigger();
    EXPECT_TRUE(nav->Logarithmic());
    EXPECT_FALSE(nav->SpeedActions[1]->isChecked());
    // Five seconds per factor of ten, forward and backward; with the pauses,
    // -252 is reached after 2.09 s and -66 after 2 s of halt and 2.91 s more.
    const struct {
        double from;
        int direction;
        bool pause;
        qint64 at;
        double date;
    } cases[] = {{-4000, +1, false, 5000, -400}, {-660, +1, false, 10000, -6.6},
                 {-0.66, -1, false, 10000, -66}, {-660, +1, true, 7000, -66}, {-660, +1, true, 10000, -41.64}};
    for (const auto& c : cases) {
        nav->PauseEvenement1->setChecked(c.pause);
        nav->GoToDate(c.from);
        now = 0;
        nav->Play(c.direction);
        EXPECT_EQ(nav->PlaybackDial(), std::fabs(c.from) > 10 ? w->BtnRot1 : w->BtnRot2);
        Frame(c.at * Ms);
        EXPECT_NEAR(w->CurrentDate, c.date, std::fabs(c.date) * 1e-3) << c.from << " " << c.at;
        nav->Stop();
    }
    nav->SpeedActions[0]->trigger();
    EXPECT_FALSE(nav->Logarithmic());
    EXPECT_FALSE(nav->VitesseLog1->isChecked());
}

TEST_F(Navigation, PlaybackStopsAtTheLimitsOnADialPressAndOnDataChanges) {
    nav->GoToDate(25);
    nav->SetSpeed(100);
    now = 0;
    nav->Play(+1);
    Frame(1000 * Ms);
    EXPECT_FALSE(nav->Playing());
    ExpectDialsAt(30);

    nav->GoToDate(-4540);
    nav->Play(-1);
    Frame(2000 * Ms);
    EXPECT_FALSE(nav->Playing());
    ExpectDialsAt(-4550);

    nav->GoToDate(-1000);
    now = 0;
    nav->Play(+1);
    Frame(100 * Ms);
    QTest::mousePress(w->BtnRot3->Corps(), Qt::LeftButton, {}, QPoint(70, 40));
    EXPECT_FALSE(nav->Playing());
    QTest::mouseRelease(w->BtnRot3->Corps(), Qt::LeftButton, {}, QPoint(70, 40));
    ExpectDialsAt(-990);

    nav->Play(+1);
    w->Personnalise1->trigger(); // custom mode: a menu action that changes data
    EXPECT_FALSE(nav->Playing());
    ExpectDialsAt(-990);

    // While the mouse drags a dial, commands leave it alone.
    QTest::mousePress(w->BtnRot2->Corps(), Qt::LeftButton, {}, QPoint(70, 40));
    nav->Play(+1);
    nav->GoToDate(-66);
    EXPECT_FALSE(nav->Playing());
    QTest::mouseRelease(w->BtnRot2->Corps(), Qt::LeftButton, {}, QPoint(70, 40));
    ExpectDialsAt(-990);
}

TEST_F(Navigation, PlaybackHaltsTwoSecondsOnEachEventWithoutDrifting) {
    nav->PauseEvenement1->setChecked(true);
    nav->GoToDate(-80);
    nav->SetSpeed(10);
    now = 0;
    nav->Play(+1);
    Frame(1000 * Ms);
    EXPECT_NEAR(w->CurrentDate, -70, 1e-9);
    Frame(1500 * Ms); // -65 is due: the event at -66 is reached first
    EXPECT_TRUE(nav->PausedOnEvent());
    ExpectDialsAt(-66);
    EXPECT_EQ(w->Label3->text(), QStringLiteral(" Extinction des dinosaures"));
    Frame(3000 * Ms);
    ExpectDialsAt(-66);
    // Reached at 1.4 s, the halt ends at 3.4 s, and time runs on from there.
    Frame(3500 * Ms);
    EXPECT_FALSE(nav->PausedOnEvent());
    EXPECT_NEAR(w->CurrentDate, -65, 1e-9);
    // A very late frame passes the next event's whole halt: -0.2 reached at
    // 9.98 s, halted until 11.98 s, then 0.52 s more.
    Frame(12500 * Ms);
    EXPECT_TRUE(nav->Playing());
    EXPECT_NEAR(w->CurrentDate, 5.0, 1e-9);
    nav->Stop();
}

TEST_F(Navigation, ScreenReadersGetNamesValuesAndTheTouchedEvent) {
    std::vector<QString> announced; // the touched-event strip shown anew, with an alert
    int textChanges = 0;
    SetAccessibleObserver([&](QAccessibleEvent* e) {
        if ((e->type() == QAccessible::ObjectShow || e->type() == QAccessible::Alert) && e->object() == w->Label3)
            announced.push_back(e->accessibleInterface()->text(QAccessible::Description));
        if (e->type() == QAccessible::TextUpdated && e->object() == w->DateLabel1)
            ++textChanges;
    });
    nav->GoToDate(-66);

    const char* names[3] = {"Milliards d'années", "Millions d'années", "Dizaines de milliers d'années"};
    const char* steps[3] = {"1 tour = 1 milliard d'années", "1 tour = 1 million d'années", "1 tour = 10 000 ans"};
    const char* texts[3] = {"-66,000", "-66,000", "-66,00000"};
    TBtnRot* dials[3] = {w->BtnRot1, w->BtnRot2, w->BtnRot3};
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(dials[i]);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->role(), QAccessible::SpinBox);
        EXPECT_EQ(a->text(QAccessible::Name), QString::fromUtf8(names[i]));
        EXPECT_EQ(a->text(QAccessible::Description), QString::fromUtf8(steps[i]));
        EXPECT_EQ(a->text(QAccessible::Value).toStdString(),
                  std::string(texts[i]) + " millions d'années, Paléogène");
        ASSERT_NE(a->valueInterface(), nullptr);
        EXPECT_NEAR(a->valueInterface()->currentValue().toDouble(), -66, 1e-9);
    }
    // Name = text, as the text interface gives it.
    auto read = [](QWidget* widget) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
        QAccessibleTextInterface* t = a ? a->textInterface() : nullptr;
        return t ? a->text(QAccessible::Name) + QStringLiteral(" = ") + t->text(0, -1) : QString();
    };
    EXPECT_EQ(read(w->LEDDisplay1), QStringLiteral("Date en millions d'années = -66,000 millions d'années"));
    EXPECT_EQ(read(w->DateLabel1), QStringLiteral("Date ramenée à une année = 26 Decembre 16h55:54"));
    EXPECT_EQ(read(w->Label1).toStdString(), "Période = EON : Phanérozoïque, ERE : Cénozoïque, SYSTEME : Paléogène");
    EXPECT_EQ(read(w->Label3), QStringLiteral("Événement touché = Extinction des dinosaures"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w->Label3)->role(), QAccessible::Notification);
    EXPECT_EQ(announced, std::vector<QString>(2, QStringLiteral("Extinction des dinosaures")));
    EXPECT_EQ(textChanges, 1);

    // A step on a dial: its value follows, the same event is not announced
    // again; the dials blinking behind it do not name the period.
    QTest::keyPress(w->BtnRot2, Qt::Key_Right);
    EXPECT_NEAR(
        QAccessible::queryAccessibleInterface(w->BtnRot2)->valueInterface()->currentValue().toDouble(),
        -65.975, 1e-9);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w->BtnRot3)->text(QAccessible::Value),
              QStringLiteral("-66,00000 millions d'années"));
    QTest::keyRelease(w->BtnRot2, Qt::Key_Right);
    EXPECT_EQ(announced.size(), 2u);
    EXPECT_EQ(textChanges, 2);
    SetAccessibleObserver({});
}
