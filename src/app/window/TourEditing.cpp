// Guided tours: writing a tour (new, stops added at the current date, edited,
// moved, deleted), saving it and printing the list of its stops.
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/LessonFileDialog.h"
#include "app/TAevoriumF1.h"
#include "app/TTourStopDialog.h"
#include "app/window/Navigation.h"
#include "app/window/Tours.h"
#include "timescale/AevError.h"
#include "timescale/DateText.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

void TTours::setModified(bool on) {
    m_modified = on;
    updateActions();
}

void TTours::NouveauParcoursClick() {
    TTourTextRequest request;
    request.Caption = QStringLiteral("Nouveau parcours");
    request.TitleLabel = QStringLiteral("Titre du parcours :");
    request.TextLabel = QStringLiteral("Description (facultative) :");
    if (!CloseTour() || !AskTourText(w, request))
        return;
    TTour tour;
    tour.Title = request.Title;
    tour.Description = request.Text;
    OpenTour(tour, QString());
}

void TTours::AjouterEtapeClick() {
    if (!m_open)
        return;
    w->Navigation->Stop();
    abandonMove();
    TTourTextRequest request;
    // The date as "Aller à" would write it, so that the saved file holds it.
    const QString dateText = FormatTypedDate(w->CurrentDate);
    request.Caption = QStringLiteral("Ajouter l'étape %1 Ma").arg(dateText);
    request.TitleLabel = QStringLiteral("Titre de l'étape :");
    request.TextLabel = QStringLiteral("Texte (facultatif) :");
    if (!AskTourText(w, request))
        return;
    TTourStop stop;
    stop.DateText = dateText;
    stop.Date = ParseDateText(dateText).value_or(w->CurrentDate);
    stop.Title = request.Title;
    stop.Text = request.Text;
    // After the stop on show; the date is already the stop's: no movement.
    m_current = m_current < 0 ? Tour.Stops.size() : m_current + 1;
    Tour.Stops.insert(m_current, stop);
    setModified(true);
    showStop();
}

void TTours::ModifierEtapeClick() {
    if (!m_open || m_current < 0 || m_current >= Tour.Stops.size())
        return;
    TTourStop& stop = Tour.Stops[m_current];
    TTourTextRequest request;
    request.Caption = QStringLiteral("Modifier l'étape %1").arg(m_current + 1);
    request.TitleLabel = QStringLiteral("Titre de l'étape :");
    request.TextLabel = QStringLiteral("Texte (facultatif) :");
    request.Title = stop.Title;
    request.Text = stop.Text;
    if (!AskTourText(w, request) || (request.Title == stop.Title && request.Text == stop.Text))
        return;
    stop.Title = request.Title;
    stop.Text = request.Text;
    setModified(true);
    showStop();
}

void TTours::MoveStop(int direction) {
    const int to = m_current + (direction < 0 ? -1 : 1);
    if (!m_open || m_current < 0 || to < 0 || to >= Tour.Stops.size())
        return;
    Tour.Stops.swapItemsAt(m_current, to);
    m_current = to; // the stop stays on show, at its new place
    setModified(true);
    showStop();
}

void TTours::SupprimerEtapeClick() {
    if (!m_open || m_current < 0 || m_current >= Tour.Stops.size())
        return;
    if (!AskConfirmation(w, QStringLiteral("Supprimer l'étape %1 « %2 » ?")
                                .arg(m_current + 1)
                                .arg(Tour.Stops[m_current].Title)))
        return;
    Tour.Stops.removeAt(m_current);
    // The stop that took its place is shown without moving the dials.
    m_current = Tour.Stops.isEmpty() ? -1 : std::min(m_current, int(Tour.Stops.size()) - 1);
    setModified(true);
    showStop();
}

bool TTours::EnregistrerParcoursClick() {
    if (!m_open || Tour.Stops.isEmpty())
        return false;
    TLessonFileRequest request;
    request.Kind = TLessonFileRequest::SaveTour;
    // A tour of the program's own folder is saved elsewhere (the folder may be
    // read-only, and an update would replace it).
    const bool shipped =
        !TourPath.isEmpty() && QFileInfo(TourPath).absolutePath() ==
                                   QFileInfo(w->ExeDir + QStringLiteral("Parcours")).absoluteFilePath();
    request.FileName = TourPath.isEmpty() || shipped
                           ? QDir::home().filePath(
                                 (shipped ? QFileInfo(TourPath).fileName() : QStringLiteral("parcours.aevp")))
                           : TourPath;
    if (!ChooseLessonFile(w, request))
        return false;
    try {
        TBusyCursor busy;
        SaveTourFile(request.FileName, Tour);
    } catch (const EAevError& e) {
        ShowErrorBox(w, e.message());
        return false;
    }
    TourPath = request.FileName;
    setModified(false);
    return true;
}

void TTours::ImprimerParcoursClick() {
    if (!m_open || Tour.Stops.isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(Tour.Title.isEmpty() ? QStringLiteral("Parcours") : Tour.Title);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    if (!ChoosePrinter(w, printer))
        return;
    TBusyCursor busy;
    PrintTour(&printer);
}

void TTours::PrintTour(QPrinter* printer) {
    // The list as a text document: title, description, then per stop its
    // number, title, date and text, on one A4 page: the type is made smaller
    // (down to 6 points) until the list fits; a tour too long for that goes
    // on over further pages.
    auto esc = [](const QString& s) {
        return s.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    };
    auto html = [&](double pt) {
        QString h = QStringLiteral("<h1 style='font-size:%1pt'>%2</h1>")
                        .arg(pt * 1.8, 0, 'f', 1)
                        .arg(esc(Tour.Title.isEmpty() ? QStringLiteral("Parcours") : Tour.Title));
        if (!Tour.Author.isEmpty())
            h += QStringLiteral("<p><i>%1</i></p>").arg(esc(Tour.Author));
        if (!Tour.Description.isEmpty())
            h += QStringLiteral("<p>%1</p>").arg(esc(Tour.Description));
        for (int i = 0; i < Tour.Stops.size(); ++i) {
            const TTourStop& s = Tour.Stops[i];
            h += QStringLiteral(
                     "<h3 style='font-size:%1pt'>%2. %3 <span style='font-weight:normal'>— %4 Ma</span></h3>")
                     .arg(pt * 1.2, 0, 'f', 1)
                     .arg(i + 1)
                     .arg(esc(s.Title), FormatTypedDate(s.Date));
            if (!s.Text.isEmpty())
                h += QStringLiteral("<p>%1</p>").arg(esc(s.Text));
        }
        h += QStringLiteral("<p style='color:#666; font-size:%1pt'>Aevorium — %2 %3</p>")
                 .arg(pt * 0.75, 0, 'f', 1)
                 .arg(Tour.Stops.size())
                 .arg(Tour.Stops.size() > 1 ? QStringLiteral("étapes") : QStringLiteral("étape"));
        return h;
    };
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(printer); // type measured in the printer's units
    const QRectF page(QPointF(0, 0), printer->pageRect(QPrinter::DevicePixel).size());
    doc.setTextWidth(page.width());
    for (double pt = 11; pt >= 6; pt -= 0.5) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(pt);
        doc.setDefaultFont(font);
        doc.setHtml(html(pt));
        if (doc.size().height() <= page.height()) {
            QPainter painter;
            if (!painter.begin(printer)) {
                ShowErrorBox(
                    w, QStringLiteral(
                           "Impression impossible : l'imprimante ou le fichier\r%1\rn'est pas accessible.")
                           .arg(printer->outputFileName().isEmpty() ? printer->printerName()
                                                                    : printer->outputFileName()));
                return;
            }
            doc.drawContents(&painter, page);
            return;
        }
    }
    doc.print(printer);
}
