#include "app/LessonFileDialog.h"

#include "app/LessonPage.h"

#include "app/Dialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QPrintDialog>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QPrinter>

namespace {

TLessonFileHook& fileHook() {
    static TLessonFileHook h;
    return h;
}

TPrintDialogHook& printHook() {
    static TPrintDialogHook h;
    return h;
}

const QString PngFilter = QStringLiteral("Image PNG (*.png)");
const QString JpegFilter = QStringLiteral("Image JPEG (*.jpg *.jpeg)");
const QString CsvFilter = QStringLiteral("Tableau CSV (*.csv)");
const QString CsvOpenFilter = QStringLiteral("Tableau CSV ou texte (*.csv *.txt *.tsv)");
const QString TourFilter = QStringLiteral("Parcours Aevorium (*.aevp)");
const QString PdfFilter = QStringLiteral("Document PDF (*.pdf)");
const QString SvgFilter = QStringLiteral("Dessin SVG (*.svg)");
const QString AllFilter = QStringLiteral("Tous les fichiers (*)");

// The file dialog; saving asks, in French, before replacing a file.
class TLessonDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    void accept() override {
        const QStringList files = selectedFiles();
        if (acceptMode() == QFileDialog::AcceptSave && !files.isEmpty()) {
            const QFileInfo fi(files.first());
            if (!fi.isDir() && fi.exists() &&
                !AskConfirmation(this, QStringLiteral("%1 existe déjà.\rVoulez-vous le remplacer ?")
                                           .arg(QDir::toNativeSeparators(fi.absoluteFilePath()))))
                return;
        }
        QFileDialog::accept();
    }
};

} // namespace

void SetLessonFileHook(TLessonFileHook hook) { fileHook() = std::move(hook); }
void SetPrintDialogHook(TPrintDialogHook hook) { printHook() = std::move(hook); }

bool ChooseLessonFile(QWidget* parent, TLessonFileRequest& request) {
    if (fileHook())
        return fileHook()(request);
    const bool save = request.Kind != TLessonFileRequest::OpenCsv && request.Kind != TLessonFileRequest::OpenTour;
    TLessonDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QCheckBox* twice = nullptr;
    switch (request.Kind) {
    case TLessonFileRequest::SaveImage:
        dialog.setWindowTitle(QStringLiteral("Exporter l'image"));
        dialog.setNameFilters({PngFilter, JpegFilter});
        dialog.setDefaultSuffix(QStringLiteral("png"));
        // The size option below the file fields.
        twice = new QCheckBox(QStringLiteral("Taille double (projection, impression)"), &dialog);
        twice->setChecked(request.DoubleSize);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(twice, grid->rowCount(), 0, 1, grid->columnCount());
        break;
    case TLessonFileRequest::OpenCsv:
        dialog.setWindowTitle(QStringLiteral("Importer des événements (CSV)"));
        dialog.setNameFilters({CsvOpenFilter, AllFilter});
        break;
    case TLessonFileRequest::SaveCsv:
        dialog.setWindowTitle(QStringLiteral("Exporter les événements (CSV)"));
        dialog.setNameFilters({CsvFilter});
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        break;
    case TLessonFileRequest::OpenTour:
        dialog.setWindowTitle(QStringLiteral("Ouvrir un parcours"));
        dialog.setNameFilters({TourFilter, AllFilter});
        break;
    case TLessonFileRequest::SaveTour:
        dialog.setWindowTitle(QStringLiteral("Enregistrer le parcours"));
        dialog.setNameFilters({TourFilter});
        dialog.setDefaultSuffix(QStringLiteral("aevp"));
        break;
    case TLessonFileRequest::SaveChart:
        dialog.setWindowTitle(QStringLiteral("Frise chronologique"));
        dialog.setNameFilters({request.Svg ? SvgFilter : PdfFilter});
        dialog.setDefaultSuffix(request.Svg ? QStringLiteral("svg") : QStringLiteral("pdf"));
        break;
    }
    if (request.FileName.isEmpty()) {
        dialog.setDirectory(QDir::homePath());
    } else {
        const QFileInfo last(request.FileName);
        dialog.setDirectory(last.absolutePath());
        dialog.selectFile(last.fileName());
        if (request.Kind == TLessonFileRequest::SaveImage) {
            const QString ext = last.suffix().toLower();
            dialog.selectNameFilter(ext == QLatin1String("jpg") || ext == QLatin1String("jpeg") ? JpegFilter
                                                                                                 : PngFilter);
        }
    }
    if (request.Kind == TLessonFileRequest::SaveImage) {
        // The default extension follows the chosen type.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            dialog.setDefaultSuffix(filter == JpegFilter ? QStringLiteral("jpg") : QStringLiteral("png"));
        });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    request.FileName = dialog.selectedFiles().first();
    if (twice)
        request.DoubleSize = twice->isChecked();
    return true;
}

bool ChoosePrinter(QWidget* parent, QPrinter& printer, TLessonSheet* sheet) {
    if (printHook())
        return printHook()(printer);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Imprimer"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    QRadioButton* pupil = nullptr;
    if (sheet) {
        auto* tab = new QWidget;
        tab->setWindowTitle(QStringLiteral("Fiche"));
        auto* column = new QVBoxLayout(tab);
        auto* classe = new QRadioButton(QStringLiteral("Fiche pour la &classe"), tab);
        pupil = new QRadioButton(QStringLiteral("Fiche &élève (à compléter, puis le corrigé)"), tab);
        (*sheet == TLessonSheet::Eleve ? pupil : classe)->setChecked(true);
        column->addWidget(classe);
        column->addWidget(pupil);
        column->addStretch(1);
        dialog.setOptionTabs({tab});
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (sheet)
        *sheet = pupil->isChecked() ? TLessonSheet::Eleve : TLessonSheet::Classe;
    return true;
}
