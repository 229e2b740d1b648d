// Custom spiral mode, the event editor command and the event-file commands of
// the main window, with message boxes and file dialogs answered by hooks.
#include "app/Dialogs.h"
#include "app/Globals.h"
#include "app/TAevoriumF1.h"
#include "events/EventFile.h"
#include "app/TEditionEven.h"
#include "spiral/SpiralScene.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QString kLeaveQuestion = QStringLiteral("Quitter la spirale personnalisée\rsans la sauvegarder ?");
const QString kReplaceQuestion = QStringLiteral("Remplacer la spirale personnalisée\rsans la sauvegarder ?");
const QString kQuitQuestion = QStringLiteral("Quitter Aevorium\rsans sauvegarder la spirale personnalisée ?");

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct TSeenDialog {
    TEventFileDialog::TKind kind;
    QString initialFileName;
    QString filter;
    QString defaultExt;
};

class CustomEventsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TAevoriumF1> w;
    QList<TMessageRequest> asked;
    QList<int> answers;           // answers to the boxes in turn; "Oui"/"OK" when empty
    QList<QString> chosenPaths;   // paths the file dialogs return in turn; cancel when empty
    QList<TSeenDialog> dialogs;

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void SetUp() override {
        SetMessageHook([this](const TMessageRequest& r) {
            asked << r;
            return answers.isEmpty() ? 1 : answers.takeFirst();
        });
        SetFileDialogHook([this](const TEventFileDialog& d) {
            dialogs << TSeenDialog{d.Kind, d.FileName, d.Filter, d.DefaultExt};
            return chosenPaths.isEmpty() ? QString() : chosenPaths.takeFirst();
        });
        w = std::make_unique<TAevoriumF1>();
        EditionEven = new TEditionEven(w.get());
        writeBytes(path("Evenement.ini"), "[-65,000]\r\nEvenement=Extinction\r\n"
                                          "[-4550,000]\r\nEvenement=Formation\r\n");
        w->EventFileName = path("Evenement.ini");
        w->LoadEvents();
        w->CreateEventMarkers();
    }

    void TearDown() override {
        EditionEven = nullptr; // a child of the window
        w.reset();
        SetMessageHook({});
        SetFileDialogHook({});
    }

    // Marks the markers on show, so that a rebuild can be told from no change.
    void markMarkers() {
        for (TSphere* m : w->Scene->EventMarkers)
            m->Scale().SetX(7);
    }
    // One fresh marker per event.
    bool markersRebuilt() const {
        const auto& markers = w->Scene->EventMarkers;
        if (int(markers.size()) != w->EventList.Count())
            return false;
        for (std::size_t i = 0; i < markers.size(); ++i)
            if (markers[i]->Scale().X() != 1 || markers[i]->Tag() != int(i) + 1)
                return false;
        return true;
    }
    bool markersKept() const {
        for (TSphere* m : w->Scene->EventMarkers)
            if (m->Scale().X() != 7)
                return false;
        return true;
    }
    bool customMode() const { return w->Personnalise1->isChecked(); }
    bool itemsEnabled() const {
        const bool e = w->Editervnement1->isEnabled();
        EXPECT_EQ(w->Sauvegarder1->isEnabled(), e);
        EXPECT_EQ(w->Ouvrir1->isEnabled(), e);
        return e;
    }
    void enterCustomMode() {
        w->Personnalise1->trigger();
        ASSERT_TRUE(customMode());
    }
    // Opens the editor from the menu while `act` plays the user in it.
    void edit(std::function<void(TEditionEven&)> act) {
        bool acted = false;
        QTimer::singleShot(0, EditionEven, [&] {
            acted = true;
            act(*EditionEven);
            if (EditionEven->isVisible()) {
                ADD_FAILURE() << "the editor stayed open";
                EditionEven->reject();
            }
        });
        w->Editervnement1->trigger();
        EXPECT_TRUE(acted);
    }
    void addEvent(const QString& text) {
        w->SelectedEventIndex = -1;
        edit([&](TEditionEven& d) {
            d.Edit1->setText(text);
            QTest::mouseClick(d.BtnModif, Qt::LeftButton);
        });
    }
};

} // namespace

TEST_F(CustomEventsTest, StartsInDefaultModeWithTheDataSetEvents) {
    EXPECT_FALSE(customMode());
    EXPECT_TRUE(w->Personnalise1->isCheckable());
    EXPECT_FALSE(itemsEnabled());
    EXPECT_FALSE(w->EventsModified);
    EXPECT_EQ(w->EventList.Dates(), QStringList({"-65,000", "-4550,000"}));
    EXPECT_EQ(w->EventList.Texts(), QStringList({"Extinction", "Formation"}));
}

TEST_F(CustomEventsTest, LoadEventsReplacesTheListAndAMissingFileEmptiesIt) {
    w->EventList.Append(QStringLiteral("1,000"), QStringLiteral("x"));
    w->LoadEvents();
    EXPECT_EQ(w->EventList.Count(), 2);
    w->EventFileName = path("absent.ini");
    w->LoadEvents();
    EXPECT_EQ(w->EventList.Count(), 0);
    EXPECT_TRUE(asked.isEmpty());
}

// State table: default mode, "Personnalisée".
TEST_F(CustomEventsTest, EnteringCustomModeKeepsTheEventsOnShow) {
    w->EventList.Append(QStringLiteral("-1,000"), QStringLiteral("en mémoire"));
    w->EventsModified = true; // cleared by every switch
    markMarkers();
    w->Personnalise1->trigger();
    EXPECT_TRUE(markersKept());
    EXPECT_TRUE(customMode());
    EXPECT_TRUE(itemsEnabled());
    EXPECT_FALSE(w->EventsModified);
    EXPECT_EQ(w->EventList.Count(), 3);
    EXPECT_TRUE(asked.isEmpty());
}

// State table: custom without edits, "Personnalisée".
TEST_F(CustomEventsTest, LeavingWithoutEditsAsksNothingAndReloadsTheDataSet) {
    enterCustomMode();
    writeBytes(path("autre.aev"), "[-1,000]\r\nEvenement=ouvert\r\n");
    chosenPaths << path("autre.aev");
    w->Ouvrir1->trigger();
    ASSERT_EQ(w->EventList.Texts(), QStringList({"ouvert"}));
    EXPECT_TRUE(markersRebuilt());
    markMarkers();
    w->Personnalise1->trigger();
    EXPECT_TRUE(markersRebuilt());
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(customMode());
    EXPECT_FALSE(itemsEnabled());
    // The data set's file, not the opened one.
    EXPECT_EQ(w->EventList.Texts(), QStringList({"Extinction", "Formation"}));
}

// State table: custom with edits, "Personnalisée" answered "Non", then "Oui".
TEST_F(CustomEventsTest, LeavingWithEditsAsksFirst) {
    enterCustomMode();
    addEvent(QStringLiteral("ajouté"));
    ASSERT_TRUE(w->EventsModified);
    answers << 0;
    markMarkers();
    w->Personnalise1->trigger();
    EXPECT_TRUE(markersKept());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, TMessageRequest::Confirmation);
    EXPECT_EQ(asked[0].title, QStringLiteral("Confirmation"));
    EXPECT_EQ(asked[0].text, kLeaveQuestion);
    EXPECT_TRUE(customMode());
    EXPECT_TRUE(itemsEnabled());
    EXPECT_TRUE(w->EventsModified);
    EXPECT_EQ(w->EventList.Count(), 3);

    answers << 1;
    w->Personnalise1->trigger();
    EXPECT_TRUE(markersRebuilt());
    EXPECT_EQ(asked.size(), 2);
    EXPECT_FALSE(customMode());
    EXPECT_FALSE(itemsEnabled());
    EXPECT_FALSE(w->EventsModified);
    EXPECT_EQ(w->EventList.Texts(), QStringList({"Extinction", "Formation"}));
}

// The data-set selection calls the switch with the Données menu as sender.
TEST_F(CustomEventsTest, DataSetSelectionContract) {
    enterCustomMode();
    addEvent(QStringLiteral("ajouté"));
    answers << 0;
    w->Personnalise1Click(w->Donnes1);
    EXPECT_TRUE(w->EventsModified); // the selection is abandoned
    EXPECT_TRUE(customMode());

    markMarkers();
    w->Personnalise1Click(w->Donnes1); // "Oui"
    EXPECT_TRUE(markersKept());
    EXPECT_FALSE(w->EventsModified);
    EXPECT_FALSE(customMode());
    EXPECT_FALSE(itemsEnabled());
    // The selection loads the new data set itself: nothing reloaded here.
    EXPECT_EQ(w->EventList.Count(), 3);

    // Without edits: no question.
    enterCustomMode();
    asked.clear();
    w->Personnalise1Click(w->Donnes1);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(customMode());
    EXPECT_EQ(w->EventList.Count(), 3);
}

TEST_F(CustomEventsTest, EditorOpensForANewEventWhereNoneIsTouched) {
    enterCustomMode();
    w->CurrentDate = -65.4321;
    w->SelectedEventIndex = -1;
    edit([](TEditionEven& d) {
        EXPECT_EQ(d.BtnModif->text(), QStringLiteral("Ajouter"));
        EXPECT_FALSE(d.BtnSupp->isEnabled());
        EXPECT_EQ(d.Edit1->text(), QString());
        EXPECT_EQ(d.Label2->text(), QStringLiteral("Date de l'événement : -65,4321 Ma"));
        d.Edit1->setText(QStringLiteral("Nouveau"));
        QTest::keyClick(d.Edit1, Qt::Key_Return);
    });
    // Appended at the end whatever its date, with the date text the dialog showed
    // (the decimals the date needs to read back as itself).
    EXPECT_EQ(w->EventList.Dates(), QStringList({"-65,000", "-4550,000", "-65,4321"}));
    EXPECT_TRUE(markersRebuilt());
    EXPECT_EQ(w->EventList.Text(2), QStringLiteral("Nouveau"));
    EXPECT_TRUE(w->EventsModified);
}

TEST_F(CustomEventsTest, EditorChangesOnlyTheTextOfTheTouchedEvent) {
    enterCustomMode();
    w->EventList.Insert(1, QStringLiteral("-2.5"), QStringLiteral("fait main"));
    w->SelectedEventIndex = 1;
    edit([](TEditionEven& d) {
        EXPECT_EQ(d.BtnModif->text(), QStringLiteral("Modifier"));
        EXPECT_TRUE(d.BtnSupp->isEnabled());
        EXPECT_EQ(d.Edit1->text(), QStringLiteral("fait main"));
        EXPECT_DOUBLE_EQ(d.EventDate, -2.5);
        EXPECT_EQ(d.Label2->text(), QStringLiteral("Date de l'événement : -2,500 Ma"));
        d.Edit1->setText(QStringLiteral("corrigé"));
        QTest::mouseClick(d.BtnModif, Qt::LeftButton);
    });
    EXPECT_EQ(w->EventList.Dates(), QStringList({"-65,000", "-2.5", "-4550,000"}));
    EXPECT_EQ(w->EventList.Texts(), QStringList({"Extinction", "corrigé", "Formation"}));
    EXPECT_TRUE(markersRebuilt());
    EXPECT_TRUE(w->EventsModified);
}

TEST_F(CustomEventsTest, EditorDeletesTheTouchedEvent) {
    enterCustomMode();
    w->SelectedEventIndex = 0;
    edit([](TEditionEven& d) { QTest::mouseClick(d.BtnSupp, Qt::LeftButton); });
    EXPECT_EQ(w->EventList.Dates(), QStringList({"-4550,000"}));
    EXPECT_EQ(w->EventList.Texts(), QStringList({"Formation"}));
    EXPECT_TRUE(markersRebuilt());
    EXPECT_TRUE(w->EventsModified);
}

TEST_F(CustomEventsTest, ClosingTheEditorWithoutChoiceChangesNothing) {
    enterCustomMode();
    markMarkers();
    for (int way = 0; way < 3; ++way) {
        w->SelectedEventIndex = 0;
        edit([way](TEditionEven& d) {
            d.Edit1->setText(QStringLiteral("abandonné"));
            if (way == 0)
                QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
            else if (way == 1)
                QTest::keyClick(d.Edit1, Qt::Key_Escape);
            else
                d.close();
        });
        EXPECT_EQ(w->EventList.Texts(), QStringList({"Extinction", "Formation"}));
        EXPECT_FALSE(w->EventsModified);
        EXPECT_TRUE(markersKept());
    }
}

TEST_F(CustomEventsTest, AStaleSelectionOpensForANewEvent) {
    enterCustomMode();
    w->SelectedEventIndex = 7; // past the end of the list
    edit([](TEditionEven& d) {
        EXPECT_EQ(d.BtnModif->text(), QStringLiteral("Ajouter"));
        d.reject();
    });
}

TEST_F(CustomEventsTest, SaveWritesTheListAndClearsTheEditsFlag) {
    enterCustomMode();
    addEvent(QStringLiteral("été"));
    // Cancelled: nothing changes.
    w->Sauvegarder1->trigger();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_EQ(dialogs[0].kind, TEventFileDialog::Save);
    EXPECT_EQ(dialogs[0].initialFileName, QString());
    EXPECT_EQ(dialogs[0].filter, QStringLiteral("Evénements personnalisés (*.aev)|*.aev"));
    EXPECT_EQ(dialogs[0].defaultExt, QStringLiteral("aev"));
    EXPECT_TRUE(w->EventsModified);

    // A name without extension gets ".aev".
    chosenPaths << path("perso");
    markMarkers();
    w->Sauvegarder1->trigger();
    EXPECT_TRUE(markersKept());
    EXPECT_FALSE(w->EventsModified);
    EXPECT_TRUE(asked.isEmpty());
    const TEventList back = LoadEventFile(path("perso.aev"));
    EXPECT_EQ(back.Dates(), w->EventList.Dates());
    EXPECT_EQ(back.Texts(), w->EventList.Texts());
    EXPECT_EQ(w->EventFileName, path("Evenement.ini")); // never changed by saving

    // The last path is offered again.
    w->Sauvegarder1->trigger();
    EXPECT_EQ(dialogs.last().initialFileName, path("perso.aev"));
}

// An event deleted, two added at one date and one at a date that needs four
// decimals, saved over the opened file: opened again, the list as it was saved.
TEST_F(CustomEventsTest, SavedOverItsFileTheListComesBackAsItWas) {
    enterCustomMode();
    writeBytes(path("o.aev"), "[-1,000]\r\nEvenement=un\r\n[-2,000]\r\nEvenement=deux\r\n");
    chosenPaths << path("o.aev");
    w->Ouvrir1->trigger();
    w->SelectedEventIndex = 0;
    edit([](TEditionEven& d) { QTest::mouseClick(d.BtnSupp, Qt::LeftButton); });
    for (const double date : {-2.0, -0.0117}) {
        w->CurrentDate = date;
        addEvent(QStringLiteral("ajout %1").arg(date));
    }
    const QStringList dates{"-2,000", "-2,000", "-0,0117"};
    EXPECT_EQ(w->EventList.Dates(), dates);
    chosenPaths << path("o.aev") << path("o.aev");
    w->Sauvegarder1->trigger();
    w->Ouvrir1->trigger();
    EXPECT_EQ(w->EventList.Dates(), dates);
    EXPECT_EQ(w->EventList.Texts(), QStringList({"deux", "ajout -2", "ajout -0.0117"}));
    EXPECT_EQ(dialogs.last().initialFileName, path("o.aev"));
}

TEST_F(CustomEventsTest, AFailedSaveIsReportedAndKeepsTheEditsUnsaved) {
    enterCustomMode();
    addEvent(QStringLiteral("précieux"));
    const QString target = path("absent/dossier.aev");
    chosenPaths << target;
    w->Sauvegarder1->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, TMessageRequest::Error);
    EXPECT_EQ(asked[0].title, QStringLiteral("Erreur"));
    EXPECT_EQ(asked[0].text, QStringLiteral("Ecriture du fichier : \r") + target + QStringLiteral("\rimpossible !"));
    EXPECT_TRUE(w->EventsModified);
    EXPECT_EQ(w->EventList.Count(), 3);
    // Leaving custom mode now asks before the edits are dropped.
    answers << 0;
    w->Personnalise1->trigger();
    EXPECT_EQ(asked.last().text, kLeaveQuestion);
    EXPECT_TRUE(customMode());
}

TEST_F(CustomEventsTest, SavingAnEmptyListCreatesNoFile) {
    enterCustomMode();
    w->SelectedEventIndex = 0;
    edit([](TEditionEven& d) { QTest::mouseClick(d.BtnSupp, Qt::LeftButton); });
    w->SelectedEventIndex = 0;
    edit([](TEditionEven& d) { QTest::mouseClick(d.BtnSupp, Qt::LeftButton); });
    ASSERT_EQ(w->EventList.Count(), 0);
    chosenPaths << path("vide.aev");
    w->Sauvegarder1->trigger();
    EXPECT_FALSE(QFile::exists(path("vide.aev")));
    EXPECT_FALSE(w->EventsModified);
    EXPECT_TRUE(asked.isEmpty());
}

// State table: "Ouvrir" confirmed leaves EventsModified as it was.
TEST_F(CustomEventsTest, OpenReplacesTheListWithoutQuestionWhenNothingIsUnsaved) {
    enterCustomMode();
    writeBytes(path("o.aev"), "; fichier fait main\r\n[Notes]\r\nAuteur=moi\r\n[-1.5]\r\nEvenement=point\r\n");
    markMarkers();
    w->Ouvrir1->trigger(); // cancelled
    EXPECT_EQ(w->EventList.Count(), 2);
    EXPECT_TRUE(markersKept());
    chosenPaths << path("o.aev");
    w->Ouvrir1->trigger();
    EXPECT_TRUE(asked.isEmpty());
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_EQ(dialogs[1].kind, TEventFileDialog::Open);
    EXPECT_EQ(w->EventList.Dates(), QStringList({"Notes", "-1.5"}));
    EXPECT_EQ(w->EventList.Texts(), QStringList({"", "point"}));
    EXPECT_TRUE(markersRebuilt());
    EXPECT_FALSE(w->EventsModified);
    EXPECT_EQ(w->EventFileName, path("Evenement.ini"));
}

TEST_F(CustomEventsTest, OpenAsksBeforeDroppingUnsavedEdits) {
    enterCustomMode();
    addEvent(QStringLiteral("non sauvé"));
    writeBytes(path("o.aev"), "[-1,000]\r\nEvenement=ouvert\r\n");
    answers << 0;
    w->Ouvrir1->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].text, kReplaceQuestion);
    EXPECT_TRUE(dialogs.isEmpty()); // "Non": no dialog, the list stays
    EXPECT_EQ(w->EventList.Count(), 3);

    chosenPaths << path("o.aev");
    w->Ouvrir1->trigger(); // "Oui"
    EXPECT_EQ(w->EventList.Texts(), QStringList({"ouvert"}));
    EXPECT_TRUE(w->EventsModified); // left as it was
}

TEST_F(CustomEventsTest, OpeningAFileWithoutSectionsEmptiesTheList) {
    enterCustomMode();
    writeBytes(path("vide.aev"), "rien\r\n");
    chosenPaths << path("vide.aev");
    w->Ouvrir1->trigger();
    EXPECT_EQ(w->EventList.Count(), 0);
    EXPECT_TRUE(w->Scene->EventMarkers.empty());
}

// Files beyond what the spiral can show are refused with a message; the list
// on show stays, as it does when the building of the markers is cancelled.
TEST_F(CustomEventsTest, TooLargeFilesAndCancelledLoadsKeepTheList) {
    enterCustomMode();
    markMarkers();
    const int registered = w->Scene->CollisionManager1.Count();
    writeBytes(path("trois.aev"), "[-1,000]\r\nEvenement=un\r\n[-2,000]\r\nEvenement=deux\r\n[-3,000]\r\nEvenement=trois\r\n");
    auto expectKept = [&] {
        EXPECT_EQ(w->EventList.Texts(), QStringList({"Extinction", "Formation"}));
        EXPECT_TRUE(markersKept());
        EXPECT_EQ(w->Scene->CollisionManager1.Count(), registered);
        EXPECT_EQ(w->Scene->BaseSpirale->Count(), 5);
    };
    w->MaxEventCount = 2;
    chosenPaths << path("trois.aev");
    w->Ouvrir1->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, TMessageRequest::Error);
    EXPECT_EQ(asked[0].text, TooManyEventsMessage(path("trois.aev"), 2) +
                                 QStringLiteral("\rLa liste d'événements actuelle est conservée."));
    expectKept();
    TEventList three = LoadEventFile(path("trois.aev"));
    std::vector<TSphere*> made;
    EXPECT_FALSE(w->MakeEventMarkers(three, made, [](int) { return false; }));
    EXPECT_TRUE(made.empty());
    expectKept();
    // Start-up and the data sets refuse with the same message.
    w->EventFileName = path("trois.aev");
    w->LoadEvents();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[1].text, TooManyEventsMessage(path("trois.aev"), 2));
    EXPECT_EQ(w->EventList.Count(), 0);
    w->MaxEventCount = 3;
    EXPECT_TRUE(w->OpenEventFile(path("trois.aev")));
    EXPECT_EQ(w->EventList.Texts(), QStringList({"un", "deux", "trois"}));
    EXPECT_TRUE(markersRebuilt());
    EXPECT_EQ(w->Scene->CollisionManager1.Count(), 4);
}

TEST_F(CustomEventsTest, ClosingWithUnsavedEditsAsks) {
    w->show();
    // Nothing unsaved: closes at once.
    EXPECT_TRUE(w->CanCloseWithUnsavedEvents());
    EXPECT_TRUE(asked.isEmpty());

    enterCustomMode();
    addEvent(QStringLiteral("à garder"));
    answers << 0;
    w->Quitter1->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, TMessageRequest::Confirmation);
    EXPECT_EQ(asked[0].text, kQuitQuestion);
    EXPECT_TRUE(w->isVisible());
    answers << 0;
    w->close(); // the close box
    EXPECT_TRUE(w->isVisible());
    answers << 1;
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(asked.size(), 3);
}

// Texts from elsewhere with characters the file cannot store: the save says
// which events would change and may be given up.
TEST_F(CustomEventsTest, SavingTextsTheFileCannotStoreAsksFirst) {
    enterCustomMode();
    w->EventList.Append(QStringLiteral("-66,000"), QString::fromUtf8("漢字 😀"));
    answers << 0;
    w->Sauvegarder1->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, TMessageRequest::Confirmation);
    EXPECT_TRUE(asked[0].text.contains(QString::fromUtf8("\r-66,000 : 漢字 😀\r"))) << asked[0].text.toStdString();
    EXPECT_FALSE(asked[0].text.contains(QStringLiteral("Extinction")));
    EXPECT_TRUE(dialogs.isEmpty()); // given up before choosing a file

    chosenPaths << path("perso.aev");
    w->Sauvegarder1->trigger(); // "Oui": saved as the file can
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(LoadEventFile(path("perso.aev")).Texts().last(), QStringLiteral("?? ??"));
}

TEST_F(CustomEventsTest, AnOpenedFileWithANamelessSectionSaysSoAndCanBeSavedBack) {
    enterCustomMode();
    const QByteArray original("[]\r\nEvenement=sans date\r\n[-1,000]\r\nEvenement=un\r\n");
    writeBytes(path("n.aev"), original);
    chosenPaths << path("n.aev");
    w->Ouvrir1->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, TMessageRequest::Notice);
    EXPECT_TRUE(asked[0].text.contains(QStringLiteral("1 section(s) sans date"))) << asked[0].text.toStdString();
    EXPECT_EQ(w->EventList.Dates(), QStringList({"-1,000"}));
    chosenPaths << path("n.aev");
    w->Sauvegarder1->trigger();
    EXPECT_EQ(asked.size(), 1); // saved without an error
    EXPECT_FALSE(w->EventsModified);
    QFile saved(path("n.aev"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), original);
}
