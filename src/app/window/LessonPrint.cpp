// The printed page of the current date and its preview.
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/LessonFileDialog.h"
#include "app/LessonPage.h"
#include "app/TAevoriumF1.h"
#include "imaging/TPicture.h"
#include "spiral/gl/TSceneViewer.h"
#include "timescale/CalendarDate.h"
#include "timescale/IniFile.h"
#include "widgets/TEmbossedText.h"
#include "widgets/TPanel.h"
#include "widgets/WinColor.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>

namespace {

// A4 landscape with 10 mm margins.
void setUpPrinter(QPrinter& printer) {
    printer.setDocName(QStringLiteral("Aevorium"));
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                                      QPageLayout::Millimeter));
}

// The level lines as the period panel shows them (" EON : Hadéen"), with
// the level names written out ("Éon : Hadéen").
QStringList printedLevels(const QString& levelText) {
    static const QPair<const char*, QString> names[] = {
        {"EON", QStringLiteral("Éon")},          {"ERE", QStringLiteral("Ère")},
        {"SYSTEME", QStringLiteral("Système")},  {"SERIE", QStringLiteral("Série")},
        {"ETAGE", QStringLiteral("Étage")}};
    QStringList out;
    for (const QString& line : levelText.split(QLatin1Char('\r'), Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(QStringLiteral(" : "));
        QString label = line.left(colon).trimmed();
        for (const auto& n : names)
            if (label == QLatin1String(n.first))
                label = n.second;
        out << (colon < 0 ? line.trimmed() : label + QStringLiteral(" : ") + line.mid(colon + 3).trimmed());
    }
    return out;
}

// The description of the chart in the scale file: its first comment line
// that is not the generator's note.
QString scaleFileTitle(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    for (int i = 0; i < 20 && !file.atEnd(); ++i) {
        const QString line = DecodeWindows1252(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            break;
        if (line.startsWith(QLatin1Char(';')) && !line.contains(QStringLiteral("gen_data")))
            return line.mid(1).trimmed();
    }
    return QString();
}

// The picture file at its own resolution (the panel may hold a reduced copy).
QImage fullPicture(const QString& path) {
    TPicture picture;
    try {
        picture.LoadFromFile(path);
    } catch (...) {
        return {};
    }
    return picture.Image();
}

} // namespace

QString TAevoriumF1::CurrentDataSetName() const {
    const TIniFile index(ExeDir + QStringLiteral("Donnees.ini"));
    for (const QString& name : DataSetList) {
        if (ExeDir + index.ReadString(name, QStringLiteral("Echelle")) == ScaleFileName &&
            ExeDir + index.ReadString(name, QStringLiteral("Evenement")) == EventFileName)
            return name;
    }
    return QString();
}

void TAevoriumF1::PrintLesson(QPrinter* printer) {
    QPainter painter;
    if (!painter.begin(printer)) {
        ShowErrorBox(this, QStringLiteral("Impression impossible : l'imprimante ou le fichier\r%1\rn'est pas accessible.")
                               .arg(printer->outputFileName().isEmpty() ? printer->printerName()
                                                                        : printer->outputFileName()));
        return;
    }
    const QRectF page(QPointF(0, 0), printer->pageRect(QPrinter::DevicePixel).size());
    const double dpi = printer->resolution();

    TLessonPage c;
    QString calendar;
    try {
        calendar = CalendarYearText(CalendarYearValue(CurrentDate), PrintedMonthNames());
        if (CurrentDate > 0)
            calendar += QStringLiteral(" de l'année suivante");
    } catch (...) {
    }
    c.Title = LessonTitle(CurrentDate, calendar);
    c.Levels = printedLevels(LevelText());
    if (PanelColor->Color() != cl::BtnFace)
        c.PeriodColor = WinColor(PanelColor->Color());
    if (!ShownPictureBio.isEmpty())
        c.PictureBio = fullPicture(ExeDir + ShownPictureBio);
    if (!ShownPicturePaleo.isEmpty())
        c.PicturePaleo = fullPicture(ExeDir + ShownPicturePaleo);
    c.CaptionBio = StaticTextBio->Caption();
    c.CaptionPaleo = StaticTextPaleo->Caption();
    if (SceneViewer1->isVisibleTo(this)) {
        // At most 300 dots per inch: finer than any printed picture needs.
        const QSizeF mm = LessonViewSizeMm(page, dpi);
        const double dots = std::min(dpi, 300.0) / 25.4;
        c.View = SceneViewer1->RenderImage(QSize(int(mm.width() * dots), int(mm.height() * dots)));
    }
    c.ViewMissingText = Panel1->Caption();
    c.TouchedEvent = Label3->text().trimmed();
    QStringList footer;
    const QString chart = scaleFileTitle(ScaleFileName);
    if (!chart.isEmpty())
        footer << chart;
    const QString dataSet = CurrentDataSetName();
    if (!dataSet.isEmpty())
        footer << QStringLiteral("Jeu de données : ") + dataSet;
    if (Personnalise1->isChecked())
        footer << QStringLiteral("Spirale personnalisée");
    footer << QStringLiteral("Aevorium");
    c.Footer = footer.join(QStringLiteral(" — "));
    PaintLessonPage(painter, page, dpi, c);
    painter.end();
}

void TAevoriumF1::Imprimer1Click() {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    if (!ChoosePrinter(this, printer))
        return;
    TBusyCursor busy;
    PrintLesson(&printer);
}

void TAevoriumF1::Apercu1Click() {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("Aperçu avant impression"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { PrintLesson(p); });
    preview.exec();
}
