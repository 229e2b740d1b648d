// Event files, the custom spiral mode and the event editor command.
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/Globals.h"
#include "app/TAevoriumF1.h"
#include "events/EventFile.h"
#include "app/TEditionEven.h"
#include "timescale/AevError.h"
#include "timescale/StrToFloat.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>

void TAevoriumF1::LoadEvents() { EventList = ReadEventFileReported(EventFileName); }

TEventList TAevoriumF1::ReadEventFileReported(const QString& path) {
    int skipped = 0;
    TEventList events;
    try {
        events = LoadEventFile(path, &skipped);
    } catch (const EAevError& e) {
        ShowErrorBox(this, e.message());
        return TEventList();
    }
    if (skipped > 0)
        ShowNotice(this, QStringLiteral("Le fichier :\r%1\rcontient %2 section(s) sans date, ignorée(s).")
                             .arg(path)
                             .arg(skipped));
    return events;
}

void TAevoriumF1::Sauvegarder1Click() {
    if (!SaveDialog1.Execute(this))
        return;
    const QString path = SaveDialog1.FileName;
    try {
        SaveEventFile(path, EventList);
    } catch (const std::exception&) {
        // The file is left as it was and the edits count as unsaved still, so
        // that leaving custom mode or the program asks before dropping them.
        ShowErrorBox(this, QStringLiteral("Ecriture du fichier : \r") + path + QStringLiteral("\rimpossible !"));
        return;
    }
    EventsModified = false;
}

void TAevoriumF1::Ouvrir1Click() {
    if (EventsModified &&
        !AskConfirmation(this, QStringLiteral("Remplacer la spirale personnalisée\rsans la sauvegarder ?")))
        return;
    if (!OpenDialog1.Execute(this))
        return;
    TBusyCursor busy;
    EventList.Clear();
    ClearEventMarkers();
    EventList = ReadEventFileReported(OpenDialog1.FileName);
    CreateEventMarkers();
    BtnRot1AngleChange(BtnRot3);
}

void TAevoriumF1::Personnalise1Click(QObject* Sender) {
    if (EventsModified && Personnalise1->isChecked() &&
        !AskConfirmation(this, QStringLiteral("Quitter la spirale personnalisée\rsans la sauvegarder ?")))
        return;
    EventsModified = false;
    const bool custom = !Personnalise1->isChecked();
    Personnalise1->setChecked(custom);
    Editervnement1->setEnabled(custom);
    Sauvegarder1->setEnabled(custom);
    Ouvrir1->setEnabled(custom);
    // Entering custom mode starts from the events on show; the data-set
    // selection loads its own events.
    if (custom || Sender == Donnes1)
        return;
    TBusyCursor busy;
    LoadEvents();
    ClearEventMarkers();
    CreateEventMarkers();
    BtnRot1AngleChange(BtnRot3);
}

void TAevoriumF1::Editervnement1Click() {
    if (!EditionEven)
        EditionEven = new TEditionEven(this);
    TEditionEven& editor = *EditionEven;
    const int selected = SelectedEventIndex >= 0 && SelectedEventIndex < EventList.Count() ? SelectedEventIndex : -1;

    // A new event at the current date, unless the date sphere touches one.
    editor.SetEventDate(CurrentDate);
    editor.SetEventText(QString());
    editor.BtnModif->setText(QStringLiteral("Ajouter"));
    editor.BtnSupp->setEnabled(false);
    if (selected != -1) {
        editor.SetEventText(EventList.Text(selected));
        editor.SetEventDate(StrToFloatLenient(EventList.Date(selected)));
        editor.BtnModif->setText(QStringLiteral("Modifier"));
        editor.BtnSupp->setEnabled(true);
    }

    switch (editor.ExecuteAction()) {
    case TEditionEven::ActionAdd:
        // "Ajouter" shows only where no event is touched: the event is appended.
        EventList.Insert(selected, FormatDateText(editor.EventDate), editor.EventText);
        break;
    case TEditionEven::ActionModify:
        EventList.SetText(selected, editor.EventText);
        break;
    case TEditionEven::ActionDelete:
        EventList.Delete(selected);
        break;
    default:
        return;
    }
    EventsModified = true;
    ClearEventMarkers();
    CreateEventMarkers();
    BtnRot1AngleChange(BtnRot3);
}

bool TAevoriumF1::CanCloseWithUnsavedEvents() {
    if (!EventsModified)
        return true;
    return AskConfirmation(this, QStringLiteral("Quitter Aevorium\rsans sauvegarder la spirale personnalisée ?"));
}
