#include "app/Dialogs.h"
#include "app/TAevoriumF1.h"
#include "app/TApplication.h"
#include "spiral/gl/TSceneViewer.h"
#include "timescale/IniFile.h"
#include "widgets/TImageSlider.h"
#include "widgets/TPanel.h"
#include "widgets/TPanelLabel.h"
#include "widgets/WinColor.h"
#include "widgets/TEmbossedText.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A main window reading its data from a temporary folder.
struct WindowFixture : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<TAevoriumF1> w;
    QVector<TMessageRequest> boxes;

    void SetUp() override {
        SetMessageHook([this](const TMessageRequest& r) {
            boxes << r;
            return 1;
        });
        w = std::make_unique<TAevoriumF1>();
        w->ExeDir = dir.path() + QLatin1Char('/');
    }
    void TearDown() override { SetMessageHook({}); }

    void write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
};

} // namespace

TEST_F(WindowFixture, LayoutMatchesTheInstrumentPanel) {
    EXPECT_EQ(w->windowTitle(), "Aevorium v beta 2.3.2.0");
    EXPECT_EQ(w->centralWidget()->size(), QSize(912, 654));
    EXPECT_EQ(w->Panel1->geometry(), QRect(384, 208, 521, 417));
    EXPECT_EQ(w->SceneViewer1->geometry(), QRect(2, 2, 517, 413));
    EXPECT_EQ(w->ImageSlider1->geometry(), QRect(38, 144, 822, 42));
    EXPECT_EQ(w->Panel2->geometry(), QRect(24, 16, 320, 180));
    EXPECT_FALSE(w->Editervnement1->isEnabled());
    EXPECT_FALSE(w->Sauvegarder1->isEnabled());
    EXPECT_FALSE(w->Ouvrir1->isEnabled());
    EXPECT_FALSE(w->Personnalise1->isChecked());
    EXPECT_EQ(w->Aide1->shortcut(), QKeySequence(Qt::Key_F1));
    QStringList menus;
    for (QAction* a : w->menuBar()->actions())
        menus << a->text().remove(QLatin1Char('&')); // access keys apart
    // "Navigation" (keys, Aller à, playback), "Affichage" and "Parcours" come before "?".
    EXPECT_EQ(menus, (QStringList{"Fichier", "Données", "Spirale", "Navigation", "Affichage", "Parcours", "?"}));
}

TEST_F(WindowFixture, StartsOnThePresentDayWithoutData) {
    w->Arguments = {QStringLiteral("0")};
    w->FormCreate();
    EXPECT_EQ(w->CurrentDate, 0.0);
    EXPECT_EQ(w->MonthNames[1], "Janvier");
    EXPECT_EQ(w->MonthNames[12], "Decembre");
    EXPECT_EQ(w->ScaleFileName, w->ExeDir + "Echelle.ini");
    EXPECT_EQ(w->EventFileName, w->ExeDir + "Evenement.ini");
    EXPECT_EQ(w->ScaleTable.Count(), 0);
    EXPECT_TRUE(w->DataSetList.isEmpty());
    EXPECT_TRUE(w->Donnes1->actions().isEmpty());
    EXPECT_FALSE(w->EventsModified);
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(WindowFixture, CommandLineModes) {
    struct Case {
        QStringList args;
        bool debug;
        unsigned options;
        bool hidden;
    };
    const Case cases[] = {
        {{"0"}, false, 63, true},
        {{"1"}, false, 0, false},
        {{"d"}, true, 63, false},
        {{"Debug", "1"}, true, 63, false},
        {{"x"}, false, 63, false},
    };
    for (const Case& c : cases) {
        TAevoriumF1 win;
        win.ExeDir = w->ExeDir;
        win.Arguments = c.args;
        win.FormCreate();
        EXPECT_EQ(win.DebugMessages, c.debug) << c.args.join(' ').toStdString();
        EXPECT_EQ(win.SceneViewer1->ContextOptions(), c.options) << c.args.join(' ').toStdString();
        if (c.hidden) {
            EXPECT_TRUE(win.SceneViewer1->isHidden());
        }
    }
}

TEST_F(WindowFixture, TheDataSetMenuFollowsTheIndexAndD10LoadsTheEleventh) {
    QByteArray index;
    for (int k = 0; k < 12; ++k) {
        index += "[Jeu " + QByteArray::number(k) + "]\r\nEchelle=e" + QByteArray::number(k) +
                 ".ini\r\nEvenement=v" + QByteArray::number(k) + ".ini\r\n";
        write("e" + QString::number(k) + ".ini", "[-" + QByteArray::number(100 + k) + "]\r\neon=E" +
                                                     QByteArray::number(k) + "\r\n");
    }
    write("Donnees.ini", index);
    w->FormCreate();
    const QList<QAction*> items = w->Donnes1->actions();
    ASSERT_EQ(items.size(), 12);
    EXPECT_EQ(items[0]->objectName(), "D0");
    EXPECT_EQ(items[11]->objectName(), "D11");
    EXPECT_EQ(items[10]->text(), "Jeu 10");

    w->Label1->setText("ancien");
    items[10]->trigger();
    EXPECT_EQ(w->ScaleFileName, w->ExeDir + "e10.ini");
    EXPECT_EQ(w->EventFileName, w->ExeDir + "v10.ini");
    ASSERT_EQ(w->ScaleTable.Count(), 1);
    EXPECT_EQ(w->ScaleTable.Rows[0][colEon], "E10");
    EXPECT_EQ(w->CurrentDate, 0.0); // the dials are not touched
}

TEST_F(WindowFixture, ADataSetWithoutScaleFileEmptiesTheTable) {
    write("Echelle.ini", "[-4550]\r\neon=Hadéen\r\n");
    write("Donnees.ini", "[Vide]\r\nEvenement=none.ini\r\n");
    w->FormCreate();
    EXPECT_EQ(w->ScaleTable.Count(), 1);
    w->Donnes1->actions().value(0)->trigger();
    EXPECT_EQ(w->ScaleFileName, w->ExeDir); // the key is absent: the folder itself
    EXPECT_EQ(w->ScaleTable.Count(), 0);
    EXPECT_TRUE(w->Label1->text().isEmpty());
}

TEST_F(WindowFixture, AHugeDataSetIndexOffersTheFirstThousandSetsAndSaysTheListIsCut) {
    // 300 000 sections, the first with a name of 5 million characters.
    QByteArray index = "[" + QByteArray(5'000'000, 'N') + "]\r\nEchelle=e.ini\r\n";
    for (int k = 1; k < 300000; ++k)
        index += "[Jeu " + QByteArray::number(k) + "]\r\nEchelle=e.ini\r\n";
    write("Donnees.ini", index);
    w->FormCreate();
    EXPECT_EQ(w->DataSetList.size(), 300000);
    EXPECT_EQ(w->DataSetList[0].size(), TIniFile::MaxSectionNameLength);
    const QList<QAction*> items = w->Donnes1->actions();
    ASSERT_EQ(items.size(), TAevoriumF1::MaxDataSetItems + 2); // the sets, a separator, the note
    EXPECT_EQ(items[999]->objectName(), "D999");
    EXPECT_TRUE(items[1000]->isSeparator());
    EXPECT_EQ(items[1001]->text(), QStringLiteral("Liste limitée aux 1000 premiers jeux de données (sur 300000)"));
    EXPECT_FALSE(items[1001]->isEnabled());
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(WindowFixture, AScaleFileOver256MBIsRefusedWithAMessageAndTheStartGoesOn) {
    {
        QFile big(dir.filePath("Echelle.ini"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(TIniFile::MaxFileSize + 1)); // sparse
    }
    write("Donnees.ini", "[Jeu]\r\nEchelle=e.ini\r\n");
    w->FormCreate();
    EXPECT_EQ(w->ScaleTable.Count(), 0);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, TMessageRequest::Error);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Le fichier %1 dépasse 256 Mo : il n'est pas lu.").arg(w->ScaleFileName));
    EXPECT_EQ(w->Donnes1->actions().size(), 1);
}

TEST(ErrorReport, AddsAFullStopOnlyAfterCharactersSortingAfterThePoint) {
    EXPECT_EQ(ErrorReportText("Impossible d'ouvrir le fichier /a/Credits.rtf"),
              "Impossible d'ouvrir le fichier /a/Credits.rtf.");
    EXPECT_EQ(ErrorReportText("Fin."), "Fin.");
    EXPECT_EQ(ErrorReportText("Quoi !"), "Quoi !"); // "!" sorts before "."
    EXPECT_EQ(ErrorReportText("x/"), "x/.");        // "/" sorts after "."
    EXPECT_EQ(ErrorReportText(""), "");
}

TEST(ErrorReport, AFailureIsReportedInTheApplicationsBoxAndTheRestSkipped) {
    QVector<TMessageRequest> boxes;
    SetMessageHook([&](const TMessageRequest& r) {
        boxes << r;
        return 1;
    });
    bool after = false;
    const bool ran = RunReported([&] {
        throw EAevError("Erreur au chargement du flux");
        after = true;
    });
    SetMessageHook({});
    EXPECT_FALSE(ran);
    EXPECT_FALSE(after);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, TMessageRequest::ErrorReport);
    EXPECT_EQ(boxes[0].title, "Aevorium");
    EXPECT_EQ(boxes[0].text, "Erreur au chargement du flux.");
}

TEST_F(WindowFixture, HostileDataSetIndexesGiveMenusWithoutHarm) {
    // Binary bytes, NULs, unterminated sections, lines without "=", a huge section name.
    const char head[] = "[Bon jeu]\r\nEchelle=../../../../etc/passwd\r\n[ouvert\r\nsans egal\r\n[A\0B]\r\n";
    QByteArray bytes(head, sizeof head - 1);
    for (int i = 0; i < 20000; ++i)
        bytes.append(char((i * 131) & 0xFF));
    bytes += "\r\n[" + QByteArray(100000, 'n') + "]\r\n";
    write("Donnees.ini", bytes);
    w->FormCreate();
    ASSERT_GE(w->Donnes1->actions().size(), 2);
    EXPECT_EQ(w->Donnes1->actions()[0]->text(), "Bon jeu");
    // A scale path that leads out of the folder reads whatever is there, as any
    // other file: no crash, at most an empty or odd table.
    EXPECT_NO_THROW(w->Donnes1->actions()[0]->trigger());
    EXPECT_NO_THROW(w->Donnes1->actions().last()->trigger());
    write("Donnees.ini", "");
    TAevoriumF1 empty;
    empty.ExeDir = w->ExeDir;
    empty.FormCreate();
    EXPECT_TRUE(empty.Donnes1->actions().isEmpty());
}

// The level text in its 13-pixel font: five lines with the longest names of
// the default data set stay inside their panel.
TEST_F(WindowFixture, LevelLinesFitTheirPanel) {
    for (QLabel* l : {w->Label1, w->Label2, w->Label3})
        EXPECT_EQ(l->font().pixelSize(), 13) << l->objectName().toStdString();
    const TIniFile scale(QStringLiteral(AEV_SOURCE_DIR "/data/Echelle.ini"));
    const QStringList keys{"eon", "ere", "systeme", "serie", "etage"};
    QStringList lines;
    for (const QString& key : keys) {
        QString longest;
        for (const QString& section : scale.ReadSections()) {
            const QString name = scale.ReadString(section, key, QString());
            if (name.size() > longest.size())
                longest = name;
        }
        ASSERT_FALSE(longest.isEmpty()) << key.toStdString();
        lines << QLatin1Char(' ') + key.toUpper() + QStringLiteral(" : ") + longest;
    }
    auto* label = qobject_cast<TPanelLabel*>(w->Label1);
    ASSERT_TRUE(label);
    label->setText(lines.join(QLatin1Char('\n')));
    EXPECT_EQ(label->LineCount(), 5);
    // Drawn without its panel's limit, no ink falls below the label's height.
    const int height = label->height();
    QImage img(label->width(), height + 30, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        label->paintTo(p);
    }
    const QRgb teal = WinColor(cl::Teal).rgb();
    int lowest = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != teal && img.pixel(x, y) != qRgb(0, 0, 0))
                lowest = y;
    EXPECT_GE(lowest, height - 8); // the fifth line is there
    EXPECT_LT(lowest, height);
}

TEST_F(WindowFixture, UnitCaptionKeepsItsLayoutSize) {
    EXPECT_EQ(w->StaticText1->geometry(), QRect(333, 10, 37, 32));
}
