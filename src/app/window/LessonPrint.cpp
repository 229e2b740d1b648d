// The printed page of the current date and its preview.
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/LessonFileDialog.h"
#include "app/LessonPage.h"
#include "app/TAevoriumF1.h"
#include "imaging/TPicture.h"
#include "lesson/ChartModel.h"
#include "spiral/gl/TSceneViewer.h"
#include "timescale/CalendarDate.h"
#include "timescale/ColorText.h"
#include "timescale/IniFile.h"
#include "timescale/StrToFloat.h"
#include "events/EventFile.h"
#include "spiral/SpiralScene.h"
#include "widgets/TImageSlider.h"
#include "widgets/TEmbossedText.h"
#include "widgets/TPanel.h"
#include "widgets/WinColor.h"

#include <QAction>
#include <QComboBox>
#include <QPrintPreviewWidget>
#include <QToolBar>
#include <QFile>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// A4 landscape with 10 mm margins.
void setUpPrinter(QPrinter& printer) {
    printer.setDocName(QStringLiteral("Aevorium"));
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                                      QPageLayout::Millimeter));
}

// The five levels of scale row r with their names in full ("Ère") and their
// colours from the chart's colour table, else the row's own colour for its
// finest level.
QVector<TLessonLevel> printedLevels(const TScaleTable& table, int r, const TChartColours& colours) {
    static const char* const labels[5] = {"Éon", "Ère", "Système", "Série", "Étage"};
    QVector<TLessonLevel> out;
    if (r < 0 || r >= table.Count())
        return out;
    const QStringList& row = table.Rows[r];
    int finest = -1;
    for (int c = colEon; c <= colEtage; ++c)
        if (!row[c].trimmed().isEmpty())
            finest = c;
    for (int c = colEon; c <= colEtage; ++c) {
        const QString name = row[c].trimmed();
        if (name.isEmpty())
            continue;
        TLessonLevel level{QString::fromUtf8(labels[c - colEon]), name, QColor()};
        const auto known = colours.Rgb[c - colEon].constFind(name);
        if (known != colours.Rgb[c - colEon].constEnd()) {
            level.Color = QColor::fromRgb(*known);
        } else if (c == finest) {
            try {
                if (!row[colCouleur].trimmed().isEmpty())
                    level.Color = WinColor(TColor(StrToColor(row[colCouleur])));
            } catch (...) {
                // a colour text that cannot be read leaves the level without a swatch
            }
        }
        out << level;
    }
    return out;
}

// The row of the scale that holds the date, as the period display finds it; -1 for none.
int scaleRowAt(const TScaleTable& table, double date) {
    int found = -1;
    for (int i = 0; i < table.Count(); ++i)
        if (StrToFloatLenient(table.StartDates[i]) <= date)
            found = i;
    return found;
}

// The 3D view as printed: white background, dark spiral; the window's look
// comes back when this ends.
class TPrintLook {
public:
    explicit TPrintLook(TAevoriumF1& w) : m_w(w), m_background(w.SceneViewer1->Buffer().BackgroundColor()) {
        w.SceneViewer1->Buffer().SetBackgroundColor(0x00FFFFFF);
        set(*w.Scene->Spirale, {0.10f, 0.13f, 0.20f}, {0.18f, 0.24f, 0.36f});
        set(*w.Scene->Spirale2, {0.05f, 0.22f, 0.08f}, {0.10f, 0.45f, 0.16f});
    }
    ~TPrintLook() {
        m_w.SceneViewer1->Buffer().SetBackgroundColor(m_background);
        for (auto& s : m_saved)
            s.colour->SetColor(s.value[0], s.value[1], s.value[2], s.value[3]);
    }
    TPrintLook(const TPrintLook&) = delete;
    TPrintLook& operator=(const TPrintLook&) = delete;

private:
    struct TSaved {
        TSceneColor* colour;
        float value[4];
    };
    void set(TCustomSceneObject& o, std::array<float, 3> ambient, std::array<float, 3> diffuse) {
        TFaceProperties& f = o.Material().FrontProperties();
        for (TSceneColor* c : {&f.Ambient(), &f.Diffuse(), &f.Emission()})
            m_saved.push_back({c, {c->Red(), c->Green(), c->Blue(), c->Alpha()}});
        f.Ambient().SetColor(ambient[0], ambient[1], ambient[2], f.Ambient().Alpha());
        f.Diffuse().SetColor(diffuse[0], diffuse[1], diffuse[2], f.Diffuse().Alpha());
        f.Emission().SetColor(0, 0, 0, f.Emission().Alpha());
    }
    TAevoriumF1& m_w;
    std::uint32_t m_background;
    std::vector<TSaved> m_saved;
};

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
        calendar = CalendarYearLongText(CalendarYearValue(CurrentDate));
        if (CurrentDate > 0)
            calendar += QStringLiteral(" de l'année suivante");
    } catch (...) {
    }
    c.Title = LessonTitle(CurrentDate, calendar);
    const int row = scaleRowAt(ScaleTable, CurrentDate);
    c.Levels = printedLevels(ScaleTable, row, LoadChartColours(ExeDir + QStringLiteral("Couleurs.ini"), ScaleTable));
    c.ScaleStrip = ImageSlider1->Image(TImageSlider::ImageHRuler);
    c.DateOnStrip = std::clamp((CurrentDate + 4550.0) / 4580.0, 0.0, 1.0);
    c.DateOnStripText = (CurrentDate > 0 ? QStringLiteral("+") : QString()) + FormatDateText(CurrentDate) +
                        QStringLiteral(" Ma");
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
        TPrintLook look(*this);
        c.View = SceneViewer1->RenderImage(QSize(int(mm.width() * dots), int(mm.height() * dots)));
    }
    c.ViewMissingText = Panel1->Caption();
    c.TouchedEvent = Label3->text().trimmed();

    // The events of the list inside the stage of the date, oldest first.
    if (row >= 0) {
        const double from = StrToFloatLenient(ScaleTable.StartDates[row]);
        const double to = row + 1 < ScaleTable.Count() ? StrToFloatLenient(ScaleTable.StartDates[row + 1]) : 30.0;
        QVector<QPair<double, int>> inside;
        for (int i = 0; i < EventList.Count(); ++i) {
            const double d = StrToFloatLenient(EventList.Date(i));
            if (d >= from && (d < to || (row + 1 == ScaleTable.Count() && d <= to)))
                inside.append({d, i});
        }
        std::stable_sort(inside.begin(), inside.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& e : inside)
            c.Events.append({EventList.Date(e.second) + QStringLiteral(" Ma"), EventList.Text(e.second)});
        const QString span = QStringLiteral("(de %1 à %2 Ma)")
                                 .arg(FormatDateText(from), (to > 0 ? QStringLiteral("+") : QString()) + FormatDateText(to));
        c.EventsHeading = QStringLiteral("Événements de la période ") +
                          (c.Levels.isEmpty() ? QString() : c.Levels.last().Name + QLatin1Char(' ')) + span;
    }
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

    if (PrintSheet == TLessonSheet::Eleve) {
        // The pupil's page, then the same page filled in for the teacher.
        TLessonPage blank = c;
        blank.Blank = true;
        blank.Heading = QStringLiteral("Fiche élève");
        if (!blank.Levels.isEmpty())
            blank.EventsHeading = QStringLiteral("Événements de la période");
        PaintLessonPage(painter, page, dpi, blank);
        printer->newPage();
        c.Heading = QStringLiteral("Corrigé");
    }
    PaintLessonPage(painter, page, dpi, c);
    painter.end();
}

void TAevoriumF1::Imprimer1Click() {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    if (!ChoosePrinter(this, printer, &PrintSheet))
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
    // The sheet is chosen in the preview's tool bar; the preview follows the choice.
    if (auto* bar = preview.findChild<QToolBar*>()) {
        auto* sheet = new QComboBox(bar);
        sheet->setObjectName(QStringLiteral("FicheChoix"));
        sheet->setAccessibleName(QStringLiteral("Fiche"));
        sheet->addItems({QStringLiteral("Fiche pour la classe"), QStringLiteral("Fiche élève")});
        sheet->setCurrentIndex(PrintSheet == TLessonSheet::Eleve ? 1 : 0);
        bar->addSeparator();
        bar->addWidget(sheet);
        auto* view = preview.findChild<QPrintPreviewWidget*>();
        connect(sheet, &QComboBox::currentIndexChanged, this, [this, view](int index) {
            PrintSheet = index == 1 ? TLessonSheet::Eleve : TLessonSheet::Classe;
            if (view)
                view->updatePreview();
        });
    }
    preview.exec();
}
