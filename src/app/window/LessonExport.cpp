// Taking the lesson out of the program: the window as a picture, and the event
// list to and from a spreadsheet.
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/LessonFileDialog.h"
#include "app/TAevoriumF1.h"
#include "events/EventCsv.h"
#include "events/EventFile.h"
#include "spiral/gl/TSceneViewer.h"
#include "timescale/AevError.h"
#include "widgets/WinColor.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>

#include <cmath>

namespace {

// The path with `extension` added when it has none.
QString withExtension(const QString& path, const char* extension) {
    if (QFileInfo(path).suffix().isEmpty())
        return path + QLatin1Char('.') + QLatin1String(extension);
    return path;
}

QString inFolderOf(const QString& last, const QString& name) {
    const QString folder = last.isEmpty() ? QDir::homePath() : QFileInfo(last).absolutePath();
    return QDir(folder).filePath(name);
}

} // namespace

void TAevoriumF1::createLessonMenuItems() {
    Fichier1->addSeparator();
    ExporterImage1 = Fichier1->addAction(QStringLiteral("Exporter l'image…"), this, [this] { ExporterImage1Click(); });
    ExporterImage1->setObjectName(QStringLiteral("ExporterImage1"));
    ExporterImage1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    Imprimer1 = Fichier1->addAction(QStringLiteral("Imprimer…"), this, [this] { Imprimer1Click(); });
    Imprimer1->setObjectName(QStringLiteral("Imprimer1"));
    Imprimer1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    Apercu1 = Fichier1->addAction(QStringLiteral("Aperçu avant impression…"), this, [this] { Apercu1Click(); });
    Apercu1->setObjectName(QStringLiteral("Apercu1"));
    Fichier1->addSeparator();
    ImporterCsv1 = Fichier1->addAction(QStringLiteral("Importer des événements (CSV)…"), this,
                                       [this] { ImporterCsv1Click(); });
    ImporterCsv1->setObjectName(QStringLiteral("ImporterCsv1"));
    ExporterCsv1 = Fichier1->addAction(QStringLiteral("Exporter les événements (CSV)…"), this,
                                       [this] { ExporterCsv1Click(); });
    ExporterCsv1->setObjectName(QStringLiteral("ExporterCsv1"));
    for (QAction* a : {ExporterImage1, Imprimer1})
        a->setShortcutContext(Qt::ApplicationShortcut);
}

QImage TAevoriumF1::WindowImage(int scale) {
    // The layout itself, also in full screen (where it sits in a surround).
    QWidget* client = findChild<QWidget*>(QStringLiteral("ClientArea"));
    QImage image(client->size() * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(WinColor(cl::BtnFace));
    client->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    // The 3D view drawn again at the picture's size rather than enlarged;
    // without OpenGL its panel stays as it shows.
    if (SceneViewer1->isVisibleTo(this)) {
        QImage view = SceneViewer1->RenderImage(SceneViewer1->size() * scale);
        if (!view.isNull()) {
            QPainter p(&image);
            p.drawImage(QRect(SceneViewer1->mapTo(client, QPoint()), SceneViewer1->size()), view);
        }
    }
    image.setDevicePixelRatio(1);
    // The screen's 96 dots per inch: at twice the size the picture keeps its
    // printed size with twice the detail.
    const int dotsPerMeter = int(std::lround(96 / 0.0254 * scale));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

void TAevoriumF1::ExporterImage1Click() {
    TLessonFileRequest request;
    request.Kind = TLessonFileRequest::SaveImage;
    request.FileName = LastImagePath.isEmpty()
                           ? inFolderOf(QString(), QStringLiteral("Aevorium %1 Ma.png").arg(FormatDateText(CurrentDate)))
                           : LastImagePath;
    request.DoubleSize = LastImageDoubleSize;
    if (!ChooseLessonFile(this, request))
        return;
    QString path = request.FileName;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool jpeg = suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
    if (!jpeg && suffix != QLatin1String("png"))
        path += QStringLiteral(".png");
    LastImagePath = path;
    LastImageDoubleSize = request.DoubleSize;

    TBusyCursor busy;
    const QImage image = WindowImage(request.DoubleSize ? 2 : 1);
    // Written beside the target and renamed over it once complete.
    QSaveFile file(path);
    QImageWriter writer(&file, jpeg ? "JPEG" : "PNG");
    if (jpeg)
        writer.setQuality(92);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        reason = file.errorString();
    else if (!writer.write(image))
        reason = writer.errorString();
    else if (!file.commit())
        reason = file.errorString();
    if (!reason.isEmpty())
        ShowErrorBox(this, QStringLiteral("Enregistrement de l'image impossible :\r%1\r%2")
                               .arg(QDir::toNativeSeparators(path), reason));
}

void TAevoriumF1::ImporterCsv1Click() {
    TLessonFileRequest request;
    request.Kind = TLessonFileRequest::OpenCsv;
    request.FileName = LastCsvOpenPath;
    if (!ChooseLessonFile(this, request))
        return;
    LastCsvOpenPath = request.FileName;
    TEventCsvResult result;
    try {
        TBusyCursor busy;
        result = LoadEventCsv(request.FileName);
    } catch (const EAevError& e) {
        ShowErrorBox(this, e.message());
        return;
    }
    // The list may not go beyond what the spiral shows: the file is refused
    // as a whole, as "Ouvrir" refuses one.
    if (qint64(EventList.Count()) + result.Events.Count() > MaxEventCount) {
        ShowErrorBox(this, TooManyEventsMessage(request.FileName, MaxEventCount));
        return;
    }
    if (result.Events.Count() > 0) {
        // Into the custom list, entering custom mode as "Personnalisée" does.
        if (!Personnalise1->isChecked()) {
            Personnalise1Click(Personnalise1);
            if (!Personnalise1->isChecked())
                return;
        }
        TBusyCursor busy;
        for (int i = 0; i < result.Events.Count(); ++i)
            EventList.Append(result.Events.Date(i), result.Events.Text(i));
        EventsModified = true;
        ClearEventMarkers();
        CreateEventMarkers();
        BtnRot1AngleChange(BtnRot3);
    }
    ShowNotice(this, EventCsvSummary(result, QFileInfo(request.FileName).fileName()));
}

void TAevoriumF1::ExporterCsv1Click() {
    TLessonFileRequest request;
    request.Kind = TLessonFileRequest::SaveCsv;
    request.FileName = LastCsvSavePath.isEmpty() ? inFolderOf(QString(), QStringLiteral("Evenements.csv"))
                                                 : LastCsvSavePath;
    if (!ChooseLessonFile(this, request))
        return;
    const QString path = withExtension(request.FileName, "csv");
    LastCsvSavePath = path;
    try {
        TBusyCursor busy;
        SaveEventCsv(path, EventList);
    } catch (const EAevError& e) {
        ShowErrorBox(this, e.message());
    }
}
