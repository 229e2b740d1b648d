// The lesson commands of the Fichier menu: picture export, printed page, CSV
// import and export, with the dialogs and boxes answered by hooks.
#include "app/Dialogs.h"
#include "app/LessonFileDialog.h"
#include "app/TAevoriumF1.h"
#include "widgets/TBtnRot.h"
#include "widgets/TLEDDisplay.h"
#include "widgets/TPanel.h"
#include "widgets/WinColor.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr double Pi = 3.14159265358979323846;

class LessonExportTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TAevoriumF1> w;
    QList<TMessageRequest> boxes;
    QList<TLessonFileRequest> requests;
    QStringList chosen; // answers of the file dialogs in turn; cancel when empty
    bool doubleSize = false;

    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    void SetUp() override {
        SetMessageHook([this](const TMessageRequest& r) {
            boxes << r;
            return 1;
        });
        SetLessonFileHook([this](TLessonFileRequest& r) {
            requests << r;
            if (chosen.isEmpty())
                return false;
            r.FileName = chosen.takeFirst();
            r.DoubleSize = doubleSize;
            return true;
        });
        // The program's own data beside the test program.
        w = std::make_unique<TAevoriumF1>();
        w->Arguments = {QStringLiteral("0")};
        w->FormCreate();
    }
    void TearDown() override {
        w.reset();
        SetMessageHook({});
        SetLessonFileHook({});
        SetPrintDialogHook({});
    }
    void SetDate(double date) {
        w->BtnRot3->SetAngleBtn(date * 2 * Pi * 100);
        w->BtnRot1AngleChange(w->BtnRot3);
    }
    void write(const char* name, const QByteArray& bytes) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const char* name) {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(LessonExportTest, FichierMenuKeepsQuitterFirst) {
    QStringList items;
    for (QAction* a : w->Fichier1->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(items, (QStringList{"Quitter", "-", "Exporter l'image…", "Imprimer…", "Aperçu avant impression…", "-",
                                  "Importer des événements (CSV)…", "Exporter les événements (CSV)…", "-",
                                  "Frise chronologique…"}));
    EXPECT_EQ(w->ExporterImage1->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
    EXPECT_EQ(w->Imprimer1->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    for (QAction* a : w->Fichier1->actions())
        EXPECT_TRUE(a->isEnabled());
}

TEST_F(LessonExportTest, CsvImportEntersCustomModeAndReports) {
    const int before = w->EventList.Count();
    ASSERT_GT(before, 0);
    write("cours.csv", "\xEF\xBB\xBF"
                       "Date (Ma);Événement\r\n-1234,567;Repère importé\r\nvers 70;illisible\r\n12,5;Futur proche\r\n");
    // Cancelled: nothing changes.
    w->ImporterCsv1->trigger();
    EXPECT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].Kind, TLessonFileRequest::OpenCsv);
    EXPECT_FALSE(w->Personnalise1->isChecked());
    EXPECT_EQ(w->EventList.Count(), before);
    EXPECT_TRUE(boxes.isEmpty());

    chosen << path("cours.csv");
    w->ImporterCsv1->trigger();
    EXPECT_TRUE(w->Personnalise1->isChecked());
    EXPECT_TRUE(w->Editervnement1->isEnabled());
    EXPECT_TRUE(w->EventsModified);
    ASSERT_EQ(w->EventList.Count(), before + 2);
    EXPECT_EQ(w->EventList.Date(before), QStringLiteral("-1234,567"));
    EXPECT_EQ(w->EventList.Text(before + 1), QStringLiteral("Futur proche"));
    EXPECT_EQ(w->EventList.Date(before + 1), QStringLiteral("-12,500"));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, TMessageRequest::Notice);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Fichier : cours.csv\r2 événements ajoutés à la spirale personnalisée.\r\r"
                                            "1 ligne refusée :\rligne 3 : date illisible « vers 70 »"));
    // The date sphere now touches the imported event at the current date.
    SetDate(-1234.567);
    EXPECT_EQ(w->Label3->text().trimmed(), QStringLiteral("Repère importé"));

    // Leaving custom mode asks, as after any edit.
    w->Personnalise1->trigger();
    EXPECT_EQ(boxes.last().kind, TMessageRequest::Confirmation);
}

TEST_F(LessonExportTest, CsvWithoutEventsOrUnreadableChangesNothing) {
    write("vide.csv", "Date;Texte\r\nabc;def\r\n");
    chosen << path("vide.csv") << path("absent.csv");
    w->ImporterCsv1->trigger();
    EXPECT_FALSE(w->Personnalise1->isChecked());
    EXPECT_FALSE(w->EventsModified);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("Aucun événement ajouté.")));
    w->ImporterCsv1->trigger();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[1].kind, TMessageRequest::Error);
    EXPECT_TRUE(boxes[1].text.startsWith(QStringLiteral("Lecture du fichier")));
}

// The limit of "Ouvrir" and start-up: a file that would take the list beyond
// it is refused as a whole, with the same message.
TEST_F(LessonExportTest, CsvImportStopsAtTheLimitOfEvents) {
    EXPECT_EQ(w->MaxEventCount, 1000000);
    const int before = w->EventList.Count();
    w->MaxEventCount = before + 2;
    write("trois.csv", "-1;un\n-2;deux\n-3;trois\n");
    write("deux.csv", "-1;un\n-2;deux\n");
    chosen << path("trois.csv") << path("deux.csv");
    w->ImporterCsv1->trigger();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, TMessageRequest::Error);
    EXPECT_EQ(boxes[0].text, TooManyEventsMessage(path("trois.csv"), before + 2));
    EXPECT_EQ(w->EventList.Count(), before);
    w->ImporterCsv1->trigger();
    EXPECT_EQ(w->EventList.Count(), before + 2);
}

TEST_F(LessonExportTest, CsvExportRoundTrip) {
    const TEventList shown = w->EventList;
    chosen << path("liste");
    w->ExporterCsv1->trigger();
    EXPECT_EQ(requests[0].Kind, TLessonFileRequest::SaveCsv);
    EXPECT_TRUE(read("liste.csv").startsWith("\xEF\xBB\xBF" "Date (Ma);\xC3\x89v\xC3\xA9nement\r\n"));
    EXPECT_TRUE(boxes.isEmpty());
    // Imported into an emptied custom list, it gives the same list.
    w->Personnalise1->trigger();
    while (w->EventList.Count() > 0)
        w->EventList.Delete(0);
    chosen << path("liste.csv");
    w->ImporterCsv1->trigger();
    EXPECT_EQ(w->EventList.Dates(), shown.Dates());
    EXPECT_EQ(w->EventList.Texts(), shown.Texts());
    // A folder that does not exist: a French error and no file.
    chosen << path("absent/liste.csv");
    w->ExporterCsv1->trigger();
    EXPECT_EQ(boxes.last().kind, TMessageRequest::Error);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("Ecriture du fichier")));
}

TEST_F(LessonExportTest, ImageOfTheWindowAtOneAndTwoTimes) {
    SetDate(-100);
    const QColor period = WinColor(w->PanelColor->Color());
    chosen << path("vue.png") << path("vue2.jpg");
    w->ExporterImage1->trigger();
    EXPECT_EQ(requests[0].Kind, TLessonFileRequest::SaveImage);
    EXPECT_TRUE(requests[0].FileName.endsWith(QStringLiteral("Aevorium -100,000 Ma.png")));
    QImage one(path("vue.png"));
    ASSERT_EQ(one.size(), QSize(912, 654));
    // The colour panel, the readout's teal, and the panel caption in place of the 3D view.
    const QPoint colour = w->PanelColor->mapTo(w->centralWidget(), QPoint(12, 34));
    EXPECT_EQ(one.pixelColor(colour), period);
    const QPoint readout = w->LEDDisplay1->mapTo(w->centralWidget(), QPoint(2, 2));
    EXPECT_EQ(one.pixelColor(readout), QColor(0, 128, 128));
    EXPECT_EQ(one.pixelColor(w->Panel1->mapTo(w->centralWidget(), QPoint(10, 10))), QColor(0, 128, 128));

    doubleSize = true;
    w->ExporterImage1->trigger();
    QImage two(path("vue2.jpg"));
    ASSERT_EQ(two.size(), QSize(1824, 1308));
    const QColor c = two.pixelColor(colour * 2 + QPoint(1, 1));
    EXPECT_NEAR(c.red(), period.red(), 6);
    EXPECT_NEAR(c.green(), period.green(), 6);
    EXPECT_NEAR(c.blue(), period.blue(), 6);
    EXPECT_TRUE(boxes.isEmpty());

    // An unwritable place: a French error box and nothing left behind.
    chosen << path("absent/vue.png");
    w->ExporterImage1->trigger();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, TMessageRequest::Error);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Enregistrement de l'image impossible :")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(LessonExportTest, PrintsBothWorksheetsToPdf) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdftotext.isEmpty() || pdfinfo.isEmpty())
        GTEST_SKIP() << "poppler-utils missing (scripts/install-deps installs it)";
    SetDate(-66);
    auto run = [](const QString& program, const QStringList& arguments) {
        QProcess p;
        p.start(program, arguments);
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    // The period names the window shows, the event touched and the events of
    // the stage, the chart and the data set.
    QStringList names;
    for (const QString& line : w->LevelText().split(QLatin1Char('\r')))
        names << line.section(QStringLiteral(" : "), 1);
    ASSERT_EQ(names.size(), 5);
    const QStringList filled = names + QStringList{QStringLiteral("Il y a 66 millions d'années (-66,000 Ma) — 26 "
                                                                  "décembre, 16 h 55 min 54 s"),
                                                   QStringLiteral("Événement touché : 5e grande extinction"),
                                                   QStringLiteral("Événements de la période ") + names.last(),
                                                   QStringLiteral("-4550 Ma"), QStringLiteral("-66,000 Ma"),
                                                   QStringLiteral("édition ICS 2024/12"),
                                                   QStringLiteral("Jeu de données : Echelle complète et histoire de la Terre")};
    const QStringList blanks = {QStringLiteral("Fiche élève"), QStringLiteral("Nom : ____"),
                                QStringLiteral("Étage : ____"), QStringLiteral("Événement touché : ____"),
                                QStringLiteral("Ma : ____")};
    const struct {
        TLessonSheet sheet;
        int pages;
    } cases[] = {{TLessonSheet::Classe, 1}, {TLessonSheet::Eleve, 2}};
    for (const auto& k : cases) {
        const QString pdf = path(k.pages == 1 ? "classe.pdf" : "eleve.pdf");
        SetPrintDialogHook([&pdf](QPrinter& printer) {
            EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        w->PrintSheet = k.sheet;
        w->Imprimer1->trigger();
        ASSERT_TRUE(QFile::exists(pdf));
        if (qEnvironmentVariableIsSet("AEV_KEEP_PDF"))
            QFile::copy(pdf, qEnvironmentVariable("AEV_KEEP_PDF") + QFileInfo(pdf).fileName());
        EXPECT_TRUE(run(pdfinfo, {pdf}).contains(QStringLiteral("Pages:           %1\n").arg(k.pages)));
        const QString first = run(pdftotext, {QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
        const QString last = run(pdftotext, {QStringLiteral("-f"), QString::number(k.pages), pdf, QStringLiteral("-")});
        // The class sheet and the answers are filled in; the pupil's page has
        // lines in place of the names, the date and the events' texts.
        for (const QString& text : filled)
            EXPECT_TRUE(last.simplified().contains(text)) << text.toStdString() << "\n" << last.toStdString();
        if (k.sheet == TLessonSheet::Eleve) {
            EXPECT_TRUE(last.startsWith(QStringLiteral("Corrigé — Il y a 66 millions")));
            for (const QString& text : blanks)
                EXPECT_TRUE(first.contains(text)) << text.toStdString() << "\n" << first.toStdString();
            for (const QString& text : names + QStringList{QStringLiteral("66 millions"), QStringLiteral("dinosaures")})
                EXPECT_FALSE(first.contains(text)) << text.toStdString();
        }
    }
    EXPECT_TRUE(boxes.isEmpty());
}

} // namespace
