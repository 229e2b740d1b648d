// Scale loading, the data-set menu and the selection of a data set.
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/TAevoriumF1.h"
#include "app/window/Navigation.h"
#include "timescale/AevError.h"
#include "timescale/IniFile.h"
#include "widgets/TImage.h"
#include "widgets/TPanel.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace {
const QString kDataSetIndex = QStringLiteral("Donnees.ini");
}

void TAevoriumF1::LoadScale() {
    // A file too large to be read leaves the scale empty, with the reason.
    try {
        ScaleTable = LoadScaleFile(ScaleFileName);
    } catch (const EAevError& e) {
        ScaleTable = TScaleTable();
        ShowErrorBox(this, e.message());
    }
    // Pictures that failed are tried again with the new data set.
    FailedPictures.Clear();
}

void TAevoriumF1::BuildDataSetMenu() {
    try {
        DataSetList = TIniFile(ExeDir + kDataSetIndex).ReadSections();
    } catch (const EAevError& e) {
        DataSetList.clear();
        ShowErrorBox(this, e.message());
    }
    // A menu of thousands of items is of no use and takes long to build: the
    // first sets are offered, and the last item says the list is cut.
    const int shown = int(qMin<qsizetype>(DataSetList.size(), MaxDataSetItems));
    for (int k = 0; k < shown; ++k) {
        QAction* item = Donnes1->addAction(DataSetList[k]);
        item->setObjectName(QStringLiteral("D") + QString::number(k));
        connect(item, &QAction::triggered, this, [this, item] { SelectDataSet(item); });
    }
    if (DataSetList.size() > shown) {
        Donnes1->addSeparator();
        QAction* note = Donnes1->addAction(QStringLiteral("Liste limitée aux %1 premiers jeux de données (sur %2)")
                                               .arg(shown)
                                               .arg(DataSetList.size()));
        note->setObjectName(QStringLiteral("DataSetListCut"));
        note->setEnabled(false);
    }
}

void TAevoriumF1::SelectDataSet(QAction* item) {
    if (Navigation) // playback stops before the data change
        Navigation->Stop();
    // 1, 2. Leaving custom mode may be refused when edits are unsaved.
    if (Personnalise1->isChecked())
        Personnalise1Click(Donnes1);
    if (EventsModified)
        return;

    // 3. Busy cursor; the window is repainted at once so the menu disappears.
    TBusyCursor busy;
    repaint();

    // 4. The period display is cleared; the captions keep their texts.
    Label1->clear();
    ClearPicture(Image1);
    ClearPicture(Image2);
    BtnNavBio->setEnabled(false);
    BtnNavPaleo->setEnabled(false);
    PanelColor->SetColor(cl::BtnFace);

    // 5 to 7. The item "Dk" names entry k of the index.
    const TIniFile index(ExeDir + kDataSetIndex);
    bool ok = false;
    const int k = item ? item->objectName().mid(1).toInt(&ok) : -1;
    const QString section = ok && k >= 0 && k < DataSetList.size() ? DataSetList[k] : QString();
    ScaleFileName = ExeDir + index.ReadString(section, QStringLiteral("Echelle"));
    EventFileName = ExeDir + index.ReadString(section, QStringLiteral("Evenement"));

    // 8. Reload everything; the dials and the date are not touched.
    LoadScale();
    LoadEvents();
    ClearEventMarkers();
    CreateEventMarkers();
    BtnRot1AngleChange(BtnRot3);
}
