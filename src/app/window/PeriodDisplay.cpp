// The period at the current date: levels, colour, captions, pictures, documents.
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/Shell.h"
#include "app/TAevoriumF1.h"
#include "timescale/AevError.h"
#include "timescale/ColorText.h"
#include "timescale/StrToFloat.h"
#include "widgets/TEmbossedText.h"
#include "widgets/TImage.h"
#include "widgets/TPanel.h"
#include "widgets/WinColor.h"

#include <QApplication>
#include <QLabel>
#include <QToolButton>

#include <cmath>
#include <utility>

namespace {

// Labels of the scale columns 1 to 5.
const char* const LevelNames[6] = {"", "eon", "ere", "systeme", "serie", "etage"};

const QString InfoHint = QStringLiteral("Informations complémentaires...");

QString cell(const TScaleTable& table, int row, int column) {
    if (row < 0 || row >= table.Rows.size() || column < 0 || column >= table.Rows[row].size())
        return QString();
    return table.Rows[row][column];
}


void setInfoButton(QToolButton* button, bool on) {
    button->setEnabled(on);
    button->setToolTip(on ? InfoHint : QString());
}

} // namespace

void TAevoriumF1::ShowPeriod() {
    // 1. The last row whose start is at or before the date.
    const int n = int(std::min<qsizetype>(ScaleTable.StartDates.size(), ScaleTable.Rows.size()));
    int r = -1;
    for (int i = 0; i < n; ++i) {
        const double v = StrToFloatLenient(ScaleTable.StartDates[i]);
        if (v <= CurrentDate &&
            (i == n - 1 || StrToFloatLenient(ScaleTable.StartDates[i + 1]) > CurrentDate)) {
            r = i;
            break;
        }
    }
    // Every row passed over empties the level text: when none qualifies it
    // stays empty (a found row's levels empty it first themselves).
    if (r < 0) {
        if (n > 0 && !Label1->text().isEmpty())
            Label1->clear();
        return;
    }
    // 2. Levels.
    ShowLevels(r);
    // 3. Captions, redrawn at once.
    // (A caption that keeps its text shows the same pixels: it is not redrawn.)
    for (auto [caption, column] : {std::pair{StaticTextBio, int(colLabelBio)}, {StaticTextPaleo, int(colLabelPaleo)}}) {
        const QString text = cell(ScaleTable, r, column);
        if (text != caption->Caption()) {
            caption->SetCaption(text);
            caption->repaint();
        }
    }
    // 4. Colour: a text that is not an integer ends the display here.
    const QString colour = cell(ScaleTable, r, colCouleur);
    PanelColor->SetColor(colour.isEmpty() ? cl::BtnFace : StrToColor(colour));
    // 5, 6. Information buttons.
    const bool bio = !cell(ScaleTable, r, colLienBio).isEmpty();
    setInfoButton(BtnNavBio, bio);
    const bool paleo = !cell(ScaleTable, r, colLienPaleo).isEmpty();
    setInfoButton(BtnNavPaleo, paleo);
    if (bio || paleo)
        PeriodRow = r;
    // 7, 8. Pictures.
    const QString imageBio = cell(ScaleTable, r, colImageBio);
    if (!imageBio.isEmpty())
        ShowPicture(Panel2, Image1, imageBio);
    else
        ClearPicture(Image1);
    const QString imagePaleo = cell(ScaleTable, r, colImagePaleo);
    if (!imagePaleo.isEmpty())
        ShowPicture(Panel3, Image2, imagePaleo);
    else
        ClearPicture(Image2);
}

void TAevoriumF1::ShowLevels(int r) {
    QString text;
    for (int c = colEon; c <= colEtage; ++c) {
        const QString name = cell(ScaleTable, r, c);
        if (name.isEmpty())
            continue;
        const QString line =
            QLatin1Char(' ') + QString::fromLatin1(LevelNames[c]).toUpper() + QStringLiteral(" : ") + name;
        text = text.isEmpty() ? line : text + QLatin1Char('\r') + line;
    }
    // The label breaks its lines at the carriage returns and shows names as
    // they are written, never as markup.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setText(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
}

QString TAevoriumF1::LevelText() const {
    return Label1->text().replace(QLatin1Char('\n'), QLatin1Char('\r'));
}

void TAevoriumF1::ShowPicture(TPanel* panel, TImage* image, const QString& name) {
    const bool bio = image == Image1;
    QString& shown = bio ? ShownPictureBio : ShownPicturePaleo;
    QString& failed = bio ? FailedPictureBio : FailedPicturePaleo;
    // 1. The same picture stays as it is.
    if (name == shown)
        return;
    // 2. The area inside the panel's bevel.
    const int bevel = panel->BevelWidth();
    const int areaWidth = panel->width() - 2 * bevel;
    const int areaHeight = panel->height() - 2 * bevel;
    // 3.
    image->SetAutoSize(false);
    image->SetStretch(false);
    // 4. Load; the panel never shows more than its area, so the decoder may
    // keep a reduced copy (of the device pixels the area covers on a scaled screen).
    const qreal dpr = image->devicePixelRatioF();
    image->Picture().SetMaxDrawSize(QSize(int(std::ceil(areaWidth * dpr)), int(std::ceil(areaHeight * dpr))));
    // A file that failed before and has not changed since is not decoded
    // again: a dial drag inside its period would decode it at every step.
    const QString path = ExeDir + name;
    bool loaded = false;
    if (!FailedPictures.Known(path)) {
        try {
            image->Picture().LoadFromFile(path);
            loaded = true;
        } catch (...) {
            FailedPictures.Add(path);
        }
    }
    if (!loaded) {
        // Shown once per failing name: a box at every step of a dial drag
        // would break the drag.
        if (name != failed) {
            failed = name;
            ShowNotice(this, QStringLiteral("Fichier image : ") + name + QStringLiteral(" non reconnu !"));
        }
        return;
    }
    failed.clear();
    // 5.
    shown = name;
    // 6 to 9. Fit and centre.
    image->FitToArea(areaWidth, areaHeight, bevel);
}

void TAevoriumF1::ClearPicture(TImage* image) {
    image->Picture().Clear();
    (image == Image1 ? ShownPictureBio : ShownPicturePaleo).clear();
}

void TAevoriumF1::BtnNavBioClick() {
    TBusyCursor busy;
    const QString path = ExeDir + cell(ScaleTable, PeriodRow, colLienBio);
    if (!ShellOpen(path))
        ShowErrorBox(this, path + QStringLiteral(" introuvable !"));
}

void TAevoriumF1::BtnNavPaleoClick() {
    TBusyCursor busy;
    const QString path = ExeDir + cell(ScaleTable, PeriodRow, colLienPaleo);
    if (!ShellOpen(path))
        ShowErrorBox(this, path + QStringLiteral(" introuvable !"));
}
