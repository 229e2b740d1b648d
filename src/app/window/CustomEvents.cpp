// Event files, the custom spiral mode and the event editor command.
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/Globals.h"
#include "app/TAevoriumF1.h"
#include "app/window/Tours.h"
#include "app/window/Navigation.h"
#include "events/EventEncoding.h"
#include "events/EventFile.h"
#include "app/TEditionEven.h"
#include "timescale/AevError.h"
#include "timescale/StrToFloat.h"

#include <QAction>
#include <QElapsedTimer>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>

#include <chrono>
#include <future>
#include <new>

namespace {

// A count as French readers write it (12 000).
QString FrenchNumber(int n) { return QLocale(QLocale::French, QLocale::France).toString(n); }

} // namespace

void TAevoriumF1::LoadEvents() { EventList = ReadEventFileReported(EventFileName); }

TEventList TAevoriumF1::ReadEventFileReported(const QString& path) {
    int skipped = 0;
    TEventList events;
    try {
        events = LoadEventFile(path, &skipped, MaxEventCount);
    } catch (const EAevError& e) {
        ShowErrorBox(this, e.message());
        return TEventList();
    }
    ReportSkippedSections(path, skipped);
    return events;
}

void TAevoriumF1::ReportSkippedSections(const QString& path, int skipped) {
    if (skipped > 0)
        ShowNotice(this, QStringLiteral("Le fichier :\r%1\rcontient %2 section(s) sans date, ignorée(s).")
                             .arg(path)
                             .arg(skipped));
}

void TAevoriumF1::Sauvegarder1Click() {
    // The file stores Windows-1252 text only: say which events would not come
    // back as they are, and let the user give up.
    const QList<int> altered = EventsAlteredBySaving(EventList);
    if (!altered.isEmpty() &&
        !AskConfirmation(this, QStringLiteral("Le fichier ne peut pas enregistrer certains caractères de ces "
                                              "événements ; ils y deviendront « ? » :\r\r") +
                                   DescribeEvents(EventList, altered) +
                                   QStringLiteral("\r\rEnregistrer quand même ?")))
        return;
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
    if (Navigation) // playback stops before the data change
        Navigation->Stop();
    if (EventsModified &&
        !AskConfirmation(this, QStringLiteral("Remplacer la spirale personnalisée\rsans la sauvegarder ?")))
        return;
    if (!OpenDialog1.Execute(this))
        return;
    OpenEventFile(OpenDialog1.FileName);
}

bool TAevoriumF1::OpenEventFile(const QString& path) {
    TBusyCursor busy;
    const QString kept = QStringLiteral("\rLa liste d'événements actuelle est conservée.");
    // The previous list and its markers stay on show until the new ones are
    // complete: a refusal, a cancel or a lack of memory keeps them.
    QProgressDialog progress(QStringLiteral("Chargement des événements…"), QStringLiteral("Annuler"), 0, 0, this);
    progress.setWindowTitle(QStringLiteral("Aevorium"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.reset(); // no timer of its own: it shows when told below
    // Shown once the load has lasted a moment. Events are processed only
    // while it shows, so that its modality keeps the window from other input.
    QElapsedTimer clock;
    clock.start();
    auto shown = [&] {
        if (!progress.isVisible() && clock.elapsed() >= 300)
            progress.show();
        return progress.isVisible();
    };
    TEventList list;
    std::vector<TSphere*> markers;
    try {
        // The file is read in a thread of its own while this one keeps the
        // window painting; a cancel waits for the end of the reading.
        int skipped = 0;
        std::future<TEventList> reading = std::async(std::launch::async, [path, &skipped, max = MaxEventCount] {
            return LoadEventFile(path, &skipped, max);
        });
        while (reading.wait_for(std::chrono::milliseconds(30)) != std::future_status::ready)
            if (shown())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
        try {
            list = reading.get();
        } catch (const EAevError& e) { // not a regular file, too large to read, too many events
            progress.cancel();
            ShowErrorBox(this, e.message() + kept);
            return false;
        }
        if (progress.wasCanceled())
            return false;
        ReportSkippedSections(path, skipped);
        const QString total = FrenchNumber(list.Count());
        progress.setMaximum(list.Count());
        const bool done = MakeEventMarkers(list, markers, [&](int made) {
            if (shown()) {
                progress.setLabelText(
                    QStringLiteral("Chargement des événements…\n%1 sur %2").arg(FrenchNumber(made), total));
                progress.setValue(made); // paints and takes the dialog's input
            }
            return !progress.wasCanceled();
        });
        if (!done)
            return false;
    } catch (const std::bad_alloc&) {
        // The markers made so far are freed already.
        progress.cancel();
        ShowErrorBox(this, QStringLiteral("Mémoire insuffisante pour ouvrir le fichier : \r") + path + kept);
        return false;
    }
    progress.hide();
    EventList = std::move(list);
    ShowEventMarkers(std::move(markers));
    BtnRot1AngleChange(BtnRot3);
    return true;
}

void TAevoriumF1::OpenFileArgument(const QString& path) {
    if (path.endsWith(QStringLiteral(".aevp"), Qt::CaseInsensitive))
        Tours->OpenTourFile(path);
    else
        OpenEventFileArgument(path);
}

void TAevoriumF1::OpenEventFileArgument(const QString& path) {
    // The open dialog makes sure its file exists; a file named on the command
    // line is checked here, so that the user learns why nothing opened.
    const QFileInfo info(path);
    if (!info.exists()) {
        ShowErrorBox(this, path + QStringLiteral(" introuvable !"));
        return;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        ShowErrorBox(this, QStringLiteral("Lecture du fichier : \r") + path + QStringLiteral("\rimpossible !"));
        return;
    }
    file.close();
    if (!Personnalise1->isChecked())
        Personnalise1Click(Personnalise1);
    else if (EventsModified &&
             !AskConfirmation(this, QStringLiteral("Remplacer la spirale personnalisée\rsans la sauvegarder ?")))
        return;
    OpenEventFile(path);
}

void TAevoriumF1::Personnalise1Click(QObject* Sender) {
    if (Navigation)
        Navigation->Stop();
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
    if (Navigation)
        Navigation->Stop();
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

    ApplyEventEdit(editor.ExecuteAction(), selected, editor.EventDate, editor.EventText);
}

void TAevoriumF1::ApplyEventEdit(int action, int selected, double date, const QString& text) {
    switch (action) {
    case TEditionEven::ActionAdd:
        // "Ajouter" shows only where no event is touched: the event is appended.
        EventList.Insert(selected, EventDateText(date), text);
        break;
    case TEditionEven::ActionModify:
        EventList.SetText(selected, text);
        break;
    case TEditionEven::ActionDelete:
        EventList.Delete(selected);
        break;
    default:
        return;
    }
    EventsModified = true;
    EventMarkersAfterEdit(action, selected);
    BtnRot1AngleChange(BtnRot3);
}

bool TAevoriumF1::CanCloseWithUnsavedEvents() {
    if (!EventsModified)
        return true;
    return AskConfirmation(this, QStringLiteral("Quitter Aevorium\rsans sauvegarder la spirale personnalisée ?"));
}
