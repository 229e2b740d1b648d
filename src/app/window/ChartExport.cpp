// The timeline chart: the dialog, the layout of the displayed scale and
// events, and the PDF or SVG file written through a temporary file.
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/LessonFileDialog.h"
#include "app/TAevoriumF1.h"
#include "app/TChartDialog.h"
#include "lesson/draw/ChartDrawing.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QRegularExpression>
#include <QSaveFile>

void TAevoriumF1::createChartMenuItem() {
    Fichier1->addSeparator();
    FriseChronologique1 = Fichier1->addAction(QStringLiteral("Frise chronologique…"), this,
                                              [this] { FriseChronologique1Click(); });
    FriseChronologique1->setObjectName(QStringLiteral("FriseChronologique1"));
    FriseChronologique1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    FriseChronologique1->setShortcutContext(Qt::ApplicationShortcut);
}

void TAevoriumF1::FriseChronologique1Click() {
    const TChartScale scale =
        MakeChartScale(ScaleTable, LoadChartColours(ExeDir + QStringLiteral("Couleurs.ini"), ScaleTable));
    TChartDialog dialog(scale, this);
    if (!RunChartDialog(dialog))
        return;
    TChartOptions options = dialog.Options();
    options.DataSetName = CurrentDataSetName();

    TLessonFileRequest request;
    request.Kind = TLessonFileRequest::SaveChart;
    request.Svg = dialog.Svg();
    const QString extension = request.Svg ? QStringLiteral("svg") : QStringLiteral("pdf");
    const QString folder =
        LastChartPath.isEmpty() ? QDir::homePath() : QFileInfo(LastChartPath).absolutePath();
    // The interval names the file; characters that folders refuse become "-".
    QString name = QStringLiteral("Frise %1").arg(dialog.IntervalName());
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("-"));
    request.FileName = QDir(folder).filePath(name + QLatin1Char('.') + extension);
    if (!ChooseLessonFile(this, request))
        return;
    QString path = request.FileName;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + extension;
    LastChartPath = path;

    TBusyCursor busy;
    const TChartLayout layout = LayoutChart(scale, EventList, options, ChartFontMeasure());
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        reason = file.errorString();
    else if (!(request.Svg ? WriteChartSvg : WriteChartPdf)(layout, &file, options.Title, &reason)) {
        file.cancelWriting();
        if (reason.isEmpty())
            reason = QStringLiteral("le dessin de la frise n'a pas pu être écrit");
    } else if (!file.commit())
        reason = file.errorString();
    if (!reason.isEmpty())
        ShowErrorBox(this, QStringLiteral("Enregistrement de la frise impossible :\r%1\r%2")
                               .arg(QDir::toNativeSeparators(path), reason));
}
