// The period at the current date: lookup, levels, colour, captions, buttons,
// pictures and documents, on the real main window.
#include "app/Dialogs.h"
#include "app/Shell.h"
#include "app/TAevoriumF1.h"
#include "timescale/AevError.h"
#include "widgets/TEmbossedText.h"
#include "widgets/TImage.h"
#include "widgets/TPanel.h"
#include "widgets/WinColor.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// A scale row from its start and the twelve column values.
QStringList row(const QString& start, const QStringList& columns) {
    QStringList r{start};
    r += columns;
    while (r.size() < ScaleColumnCount)
        r.append(QString());
    return r;
}

// Columns: eon, ere, systeme, serie, etage, couleur, labelbio, imagebio,
// lienbio, labelpaleo, imagepaleo, lienpaleo.
QStringList columns(const QString& eon, const QString& colour = QString(),
                    const QString& imageBio = QString(), const QString& lienBio = QString(),
                    const QString& imagePaleo = QString(), const QString& lienPaleo = QString()) {
    return {eon,          QString(), QString(), QString(),      QString(),  colour,
            "bio " + eon, imageBio,  lienBio,   "paleo " + eon, imagePaleo, lienPaleo};
}

// A picture file of w x h pixels, left half red and right half blue.
void writePicture(const QString& path, int w, int h, const char* format = "PNG") {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, w / 2, h, Qt::red);
    ASSERT_TRUE(image.save(path, format));
}

class PeriodDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        window.ExeDir = dir.path() + QLatin1Char('/');
        SetMessageHook([this](const TMessageRequest& r) {
            messages.append(r.text);
            kinds.push_back(r.kind);
            return 1;
        });
    }
    void TearDown() override {
        SetMessageHook({});
        SetShellOpenHook({});
    }
    void setScale(const QVector<QStringList>& rows) {
        window.ScaleTable = TScaleTable();
        for (const auto& r : rows) {
            window.ScaleTable.StartDates.append(r[0]);
            window.ScaleTable.Rows.append(r);
        }
    }
    void showAt(double date) {
        window.CurrentDate = date;
        window.ShowPeriod();
    }

    QTemporaryDir dir;
    TAevoriumF1 window;
    QStringList messages;
    std::vector<TMessageRequest::Kind> kinds;
};

} // namespace

TEST_F(PeriodDisplay, LookupFindsTheLastStartAtOrBeforeTheDate) {
    setScale({row("-4550", columns("Hadeen")), row("-541", columns("Phanerozoique")),
              row("-252", columns("Meso"))});
    showAt(-541);
    EXPECT_EQ(window.LevelText(), QStringLiteral(" EON : Phanerozoique"));
    showAt(-541.001);
    EXPECT_EQ(window.LevelText(), QStringLiteral(" EON : Hadeen"));
    showAt(-252);
    EXPECT_EQ(window.LevelText(), QStringLiteral(" EON : Meso"));
    showAt(10);
    EXPECT_EQ(window.LevelText(), QStringLiteral(" EON : Meso"));
    EXPECT_EQ(window.StaticTextBio->Caption(), QStringLiteral("bio Meso"));

    // Before the first start: the level text is empty, the rest stays.
    showAt(-5000);
    EXPECT_EQ(window.LevelText(), QString());
    EXPECT_EQ(window.StaticTextBio->Caption(), QStringLiteral("bio Meso"));
    EXPECT_EQ(window.StaticTextPaleo->Caption(), QStringLiteral("paleo Meso"));
}

TEST_F(PeriodDisplay, EqualStartsShowTheLaterRowAndAnEmptyScaleChangesNothing) {
    setScale({row("-4550", columns("A")), row("-541,0", columns("B")), row("-541", columns("C"))});
    showAt(-541);
    EXPECT_EQ(window.LevelText(), QStringLiteral(" EON : C"));
    showAt(-300);
    EXPECT_EQ(window.LevelText(), QStringLiteral(" EON : C"));

    setScale({});
    showAt(-4000);
    EXPECT_EQ(window.LevelText(), QStringLiteral(" EON : C"));
}

TEST_F(PeriodDisplay, LevelsOneLinePerLevelPresent) {
    QStringList c = columns("Phanerozoique");
    c[4] = QStringLiteral("Maastrichtien");
    setScale({row("-100", c)});
    showAt(-50);
    EXPECT_EQ(window.LevelText(), QStringLiteral(" EON : Phanerozoique\r ETAGE : Maastrichtien"));
    // The label shows the lines broken, as plain text.
    EXPECT_EQ(window.Label1->text(), QStringLiteral(" EON : Phanerozoique\n ETAGE : Maastrichtien"));

    QStringList all = {"Phanerozoique", "Cenozoique", "Paleogene", "Eocene", "<b>Ypresien</b>"};
    while (all.size() < 12)
        all.append(QString());
    setScale({row("-100", all)});
    showAt(-50);
    EXPECT_EQ(window.LevelText(),
              QStringLiteral(" EON : Phanerozoique\r ERE : Cenozoique\r SYSTEME : Paleogene\r"
                             " SERIE : Eocene\r ETAGE : <b>Ypresien</b>"));
    EXPECT_EQ(window.Label1->textFormat(), Qt::PlainText);
}

TEST_F(PeriodDisplay, ColourTexts) {
    const struct {
        const char* text;
        TColor colour;
    } cases[] = {{"255", 0x000000FF},         {"16711680", 0x00FF0000},
                 {"$00FF00", 0x0000FF00},     {"x80", 0x00000080},
                 {"X80", 0x00000080},         {"0x00808000", cl::Teal},
                 {"0X8000000F", cl::BtnFace}, {"$80000010", cl::BtnShadow},
                 {"-2147483628", 0x80000014}, {"", cl::BtnFace}};
    for (const auto& c : cases) {
        setScale({row("-100", columns("E", QString::fromLatin1(c.text)))});
        window.PanelColor->SetColor(cl::Black);
        showAt(0);
        EXPECT_EQ(window.PanelColor->Color(), c.colour) << c.text;
    }
}

TEST_F(PeriodDisplay, AColourThatIsNotANumberStopsAfterTheCaptions) {
    writePicture(dir.filePath("a.png"), 40, 20);
    setScale({row("-100", columns("A", "$FF", "a.png", "doc.html")),
              row("0", columns("B", "vert", "a.png", "", "", ""))});
    showAt(-50);
    ASSERT_TRUE(window.BtnNavBio->isEnabled());
    ASSERT_EQ(window.PanelColor->Color(), TColor(0xFF));
    for (const char* bad : {"vert", "12a", "$", "0x", "$1FFFFFFFF", "2147483648", "1.5", "--1"}) {
        window.ScaleTable.Rows[1][colCouleur] = QString::fromLatin1(bad);
        window.CurrentDate = 10;
        EXPECT_THROW(window.ShowPeriod(), EAevError) << bad;
        // Levels and captions are done; colour, buttons and pictures are not.
        EXPECT_EQ(window.LevelText(), QStringLiteral(" EON : B"));
        EXPECT_EQ(window.StaticTextBio->Caption(), QStringLiteral("bio B"));
        EXPECT_EQ(window.PanelColor->Color(), TColor(0xFF));
        EXPECT_TRUE(window.BtnNavBio->isEnabled());
        EXPECT_EQ(window.PeriodRow, 0);
        EXPECT_FALSE(window.Image1->Picture().IsEmpty());
    }
}

TEST_F(PeriodDisplay, ButtonsFollowTheLinksAndPeriodRowOnlyMovesWithThem) {
    setScale({row("-300", columns("A", "", "", "bio.html", "", "")), row("-200", columns("B")),
              row("-100", columns("C", "", "", "", "", "paleo.html"))});
    showAt(-250);
    EXPECT_TRUE(window.BtnNavBio->isEnabled());
    EXPECT_EQ(window.BtnNavBio->toolTip(), QStringLiteral("Informations complémentaires..."));
    EXPECT_FALSE(window.BtnNavPaleo->isEnabled());
    EXPECT_EQ(window.BtnNavPaleo->toolTip(), QString());
    EXPECT_EQ(window.PeriodRow, 0);
    showAt(-150);
    EXPECT_FALSE(window.BtnNavBio->isEnabled());
    EXPECT_EQ(window.BtnNavBio->toolTip(), QString());
    EXPECT_EQ(window.PeriodRow, 0);
    showAt(-50);
    EXPECT_TRUE(window.BtnNavPaleo->isEnabled());
    EXPECT_EQ(window.PeriodRow, 2);
}

TEST_F(PeriodDisplay, DocumentsOpenThroughTheShellOrSayTheyAreMissing) {
    QStringList opened;
    bool found = true;
    SetShellOpenHook([&](const QString& path) {
        opened.append(path);
        return found;
    });
    setScale({row("-100", columns("A", "", "", "docs/bio.html", "", "docs/paleo.pdf"))});
    showAt(0);
    window.BtnNavBioClick();
    window.BtnNavPaleoClick();
    EXPECT_EQ(opened, QStringList({window.ExeDir + "docs/bio.html", window.ExeDir + "docs/paleo.pdf"}));
    EXPECT_TRUE(messages.isEmpty());
    found = false;
    window.BtnNavPaleoClick();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], window.ExeDir + "docs/paleo.pdf introuvable !");
    EXPECT_EQ(kinds[0], TMessageRequest::Error);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PeriodDisplay, PicturesAreFittedAndCentredInTheirPanels) {
    writePicture(dir.filePath("big.png"), 800, 600);
    writePicture(dir.filePath("small.bmp"), 200, 100, "BMP");
    writePicture(dir.filePath("wide.png"), 1000, 200);
    setScale({row("-300", columns("A", "", "big.png", "", "small.bmp", "")),
              row("-200", columns("B", "", "wide.png", "", "", ""))});
    showAt(-250);
    EXPECT_EQ(window.ShownPictureBio, QStringLiteral("big.png"));
    EXPECT_EQ(window.Image1->geometry(), QRect(42, 2, 235, 176));
    EXPECT_TRUE(window.Image1->Stretch());
    EXPECT_FALSE(window.Image1->AutoSize());
    EXPECT_EQ(window.Image2->geometry(), QRect(60, 40, 200, 100));
    EXPECT_TRUE(window.Image2->AutoSize());
    EXPECT_FALSE(window.Image2->Stretch());
    EXPECT_EQ(window.Image1->Picture().Width(), 800);

    // The stretched picture is drawn scaled to the control.
    QImage shot(window.Image1->size(), QImage::Format_RGB32);
    shot.fill(Qt::black);
    {
        QPainter p(&shot);
        window.Image1->paintTo(p);
    }
    EXPECT_EQ(shot.pixel(10, 88), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(225, 88), qRgb(0, 0, 255));

    // No palaeontology picture in the next period: emptied, size and place kept.
    showAt(-150);
    EXPECT_EQ(window.Image1->geometry(), QRect(2, 58, 316, 63));
    EXPECT_TRUE(window.Image2->Picture().IsEmpty());
    EXPECT_EQ(window.ShownPicturePaleo, QString());
    EXPECT_EQ(window.Image2->geometry(), QRect(60, 40, 200, 100));
}

TEST_F(PeriodDisplay, AnUnchangedPictureNameIsNotLoadedAgain) {
    writePicture(dir.filePath("same.png"), 800, 600);
    setScale({row("-300", columns("A", "", "same.png")), row("-200", columns("B", "", "same.png"))});
    showAt(-250);
    const quint64 serial = window.Image1->Picture().Serial();
    writePicture(dir.filePath("same.png"), 100, 100);
    showAt(-150);
    EXPECT_EQ(window.Image1->Picture().Serial(), serial);
    EXPECT_EQ(window.Image1->geometry(), QRect(42, 2, 235, 176));
    // Names are compared exactly: another case is another name.
    window.ShowPicture(window.Panel2, window.Image1, QStringLiteral("SAME.png"));
    EXPECT_EQ(window.Image1->Picture().Serial(), serial);
    ASSERT_EQ(messages.size(), 1); // no such file on a case-sensitive system
}

TEST_F(PeriodDisplay, AFailingPictureKeepsThePreviousOneAndIsReportedOnce) {
    writePicture(dir.filePath("good.png"), 800, 600);
    writePicture(dir.filePath("other.png"), 400, 300);
    QFile bad(dir.filePath("bad.jpg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    setScale({row("-300", columns("A", "", "good.png")), row("-200", columns("B", "", "bad.jpg")),
              row("-100", columns("C", "", "other.png"))});
    showAt(-250);
    showAt(-150);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("Fichier image : bad.jpg non reconnu !"));
    EXPECT_EQ(kinds[0], TMessageRequest::Notice);
    // The previous picture stays, now unstretched, and the shown name is unchanged.
    EXPECT_EQ(window.Image1->Picture().Width(), 800);
    EXPECT_FALSE(window.Image1->Stretch());
    EXPECT_EQ(window.ShownPictureBio, QStringLiteral("good.png"));
    // Unstretched, the picture's top-left corner (red) covers the control.
    QImage shot(window.Image1->size(), QImage::Format_RGB32);
    shot.fill(Qt::black);
    {
        QPainter p(&shot);
        window.Image1->paintTo(p);
    }
    EXPECT_EQ(shot.pixel(shot.width() - 1, shot.height() - 1), qRgb(255, 0, 0));
    // Later updates in the same period show no new box.
    showAt(-149);
    showAt(-148);
    EXPECT_EQ(messages.size(), 1);
    // After another picture was shown, the failing one is reported again.
    showAt(-50);
    EXPECT_EQ(window.ShownPictureBio, QStringLiteral("other.png"));
    showAt(-150);
    EXPECT_EQ(messages.size(), 2);
}

TEST_F(PeriodDisplay, AFailingPictureIsNotReadAgainUntilItChangesOrTheScaleIsLoaded) {
    writePicture(dir.filePath("good.png"), 800, 600);
    const QString path = dir.filePath("late.png");
    writePicture(path, 400, 300);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    QByteArray broken = bytes;
    broken[1] = 'X'; // no PNG signature
    auto rewrite = [&](const QByteArray& content, const QDateTime& modified) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.flush();
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
        file.close();
    };
    const QDateTime stamp = QDateTime::currentDateTime().addSecs(-100);
    rewrite(broken, stamp);
    setScale({row("-300", columns("A", "", "good.png")), row("-200", columns("B", "", "late.png"))});
    showAt(-250);
    showAt(-150);
    ASSERT_EQ(messages.size(), 1);
    // Repaired with the same size and modification time: taken for the same
    // failing file, not decoded again, no new box.
    rewrite(bytes, stamp);
    showAt(-149);
    EXPECT_EQ(window.ShownPictureBio, QStringLiteral("good.png"));
    EXPECT_EQ(messages.size(), 1);
    // A file that changes is read again.
    rewrite(bytes, stamp.addSecs(10));
    showAt(-148);
    EXPECT_EQ(window.ShownPictureBio, QStringLiteral("late.png"));
    EXPECT_EQ(window.Image1->Picture().Width(), 400);
    // Loading the scale forgets every failure.
    rewrite(broken, stamp);
    showAt(-250);
    showAt(-150);
    rewrite(bytes, stamp);
    window.ScaleFileName = QStringLiteral(AEV_SOURCE_DIR "/data/Echelle.ini");
    window.LoadScale();
    setScale({row("-300", columns("A", "", "good.png")), row("-200", columns("B", "", "late.png"))});
    showAt(-147);
    EXPECT_EQ(window.ShownPictureBio, QStringLiteral("late.png"));
}

TEST_F(PeriodDisplay, LinksWithoutPicturesEnableButtonsAndEmptyBothPanels) {
    writePicture(dir.filePath("p.png"), 100, 50);
    setScale({row("-300", columns("A", "", "p.png", "", "p.png", "")),
              row("-200", columns("B", "", "", "b.html", "", "p.html"))});
    showAt(-250);
    EXPECT_FALSE(window.Image2->Picture().IsEmpty());
    showAt(-150);
    EXPECT_TRUE(window.BtnNavBio->isEnabled());
    EXPECT_TRUE(window.BtnNavPaleo->isEnabled());
    EXPECT_TRUE(window.Image1->Picture().IsEmpty());
    EXPECT_TRUE(window.Image2->Picture().IsEmpty());
    EXPECT_EQ(window.ShownPictureBio, QString());
    // A cleared panel loads its picture again when it comes back.
    showAt(-250);
    EXPECT_FALSE(window.Image1->Picture().IsEmpty());
}

TEST_F(PeriodDisplay, ALargeJpegIsDecodedSmallButFittedByItsTrueSize) {
    writePicture(dir.filePath("photo.JPG"), 1600, 900, "JPEG");
    setScale({row("-300", columns("A", "", "photo.JPG"))});
    showAt(0);
    EXPECT_EQ(window.Image1->Picture().Width(), 1600);
    EXPECT_EQ(window.Image1->Picture().Height(), 900);
    EXPECT_LT(window.Image1->Picture().Image().width(), 1600);
    EXPECT_EQ(window.Image1->geometry(), QRect(3, 2, 313, 176));
}
