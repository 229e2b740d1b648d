// "Frise chronologique…": the dialog answered through its hook, the PDF read
// back with poppler's tools, the SVG and the refusals.
#include "app/Dialogs.h"
#include "app/LessonFileDialog.h"
#include "app/TAevoriumF1.h"
#include "app/TChartDialog.h"
#include "lesson/draw/ChartDrawing.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

QString Tool(const char* tool, const QStringList& args) {
    const QString exe = QStandardPaths::findExecutable(QString::fromUtf8(tool));
    if (exe.isEmpty())
        return QString();
    QProcess p;
    p.start(exe, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString Words(const QString& text) {
    return text.simplified();
}

class ChartExportTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TAevoriumF1> w;
    QList<TMessageRequest> boxes;
    QList<TLessonFileRequest> requests;
    QString chosen; // the file dialog's answer; cancel when empty

    void SetUp() override {
        SetMessageHook([this](const TMessageRequest& r) {
            boxes << r;
            return 1;
        });
        SetLessonFileHook([this](TLessonFileRequest& r) {
            requests << r;
            r.FileName = chosen;
            return !chosen.isEmpty();
        });
        w = std::make_unique<TAevoriumF1>();
        w->Arguments = {QStringLiteral("0")};
        w->FormCreate();
    }
    void TearDown() override {
        w.reset();
        SetMessageHook({});
        SetLessonFileHook({});
        SetChartDialogHook({});
    }
};

TEST_F(ChartExportTest, DefaultsGiveAVectorPdfWithEveryPlacedNameAndEvent) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "poppler-utils missing (scripts/install-deps installs it)";
    EXPECT_EQ(w->FriseChronologique1->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+F")));
    TChartOptions options;
    SetChartDialogHook([&options](TChartDialog& d) {
        d.BtnOkClick(); // Entrée on the defaults
        options = d.Options();
    });
    chosen = dir.filePath(QStringLiteral("frise.pdf"));
    w->FriseChronologique1->trigger();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].Kind, TLessonFileRequest::SaveChart);
    EXPECT_TRUE(requests[0].FileName.endsWith(QStringLiteral("/Frise Phanérozoïque.pdf")));
    EXPECT_TRUE(boxes.isEmpty());

    // Fonts embedded, no raster picture (the list has only its two header lines).
    const QStringList fonts = Tool("pdffonts", {chosen}).split('\n', Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts)
        EXPECT_EQ(font.split(' ', Qt::SkipEmptyParts).value(4), QStringLiteral("yes")) << font.toStdString();
    EXPECT_EQ(Tool("pdfimages", {QStringLiteral("-list"), chosen}).count('\n'), 2);

    // Every text the layout placed is in the document: units, ages, events,
    // title and source with the data set's name.
    const TChartScale scale = MakeChartScale(
        w->ScaleTable, LoadChartColours(w->ExeDir + QStringLiteral("Couleurs.ini"), w->ScaleTable));
    options.DataSetName = w->CurrentDataSetName();
    const TChartLayout layout = LayoutChart(scale, w->EventList, options, ChartFontMeasure());
    const QString text = Words(Tool("pdftotext", {QStringLiteral("-raw"), chosen, QStringLiteral("-")}));
    QStringList placed{layout.Title.Text, ChartSourceLine,
                       QStringLiteral("Echelle complète et histoire de la Terre")};
    int events = 0;
    for (const TChartBox& b : layout.Boxes)
        for (const TChartLabel& l : b.Labels)
            placed << l.Text;
    for (const TChartEventMark& e : layout.Events) {
        placed << e.Label.Text;
        events += !e.Label.Text.isEmpty();
    }
    EXPECT_GT(events, 40);
    for (const char* name : {"Paléozoïque", "Cénozoïque", "Cambrien", "Jurassique", "Crétacé", "Néogène"})
        EXPECT_TRUE(placed.contains(QString::fromUtf8(name))) << name;
    for (const QString& t : placed)
        EXPECT_TRUE(text.contains(Words(t))) << t.toStdString();
}

TEST_F(ChartExportTest, DialogRefusesBadFieldsThenWritesStripAndSvg) {
    struct Case {
        const char* Unit; // null: two dates
        const char* From;
        const char* To;
        bool NoLevel;
        int Paper, Format;
        const char* File;
    } cases[] = {
        {"Atlantide", "", "", false, 0, 0, nullptr},   {nullptr, "-300", "-300 Ma", false, 0, 0, nullptr},
        {nullptr, "quand", "0", false, 0, 0, nullptr}, {"Jurassique", "", "", true, 0, 0, nullptr},
        {"jura", "", "", false, 4, 0, "bande.pdf"},    {nullptr, "-250", "-300", false, 2, 1, "frise.svg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File ? c.File : "refused");
        requests.clear();
        QString note;
        SetChartDialogHook([&](TChartDialog& d) {
            if (c.Unit) {
                d.UnitEdit->clear();
                QTest::keyClicks(d.UnitEdit, QString::fromUtf8(c.Unit));
            } else {
                d.ByDates->setChecked(true);
                d.FromEdit->setText(QString::fromUtf8(c.From));
                d.ToEdit->setText(QString::fromUtf8(c.To));
            }
            for (QCheckBox* b : d.LevelBoxes)
                b->setChecked(!c.NoLevel);
            d.PaperBox->setCurrentIndex(c.Paper);
            d.FormatBox->setCurrentIndex(c.Format);
            d.BtnOkClick();
            note = d.Note->text();
            if (c.Unit && QString::fromUtf8(c.Unit) == QLatin1String("jura")) {
                const auto* names = qobject_cast<QStringListModel*>(d.UnitEdit->completer()->model());
                EXPECT_TRUE(names && names->stringList().contains(QStringLiteral("Jurassique")));
                EXPECT_EQ(d.UnitEdit->text(), QStringLiteral("Jurassique"));
            }
        });
        chosen = c.File ? dir.filePath(QString::fromUtf8(c.File)) : QString();
        w->FriseChronologique1->trigger();
        EXPECT_EQ(requests.size(), c.File ? 1 : 0);
        EXPECT_EQ(note.isEmpty(), c.File != nullptr) << note.toStdString();
        if (!c.File)
            continue;
        EXPECT_EQ(requests[0].Svg, c.Format == 1);
        QFile f(chosen);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        if (c.Format == 1) {
            EXPECT_TRUE(bytes.contains("<svg") && bytes.contains("Permien") && !bytes.contains("<image"));
        } else if (!QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
            const QString info = Tool("pdfinfo", {chosen});
            EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+([3-9]|\\d\\d)\\n"))))
                << info.toStdString();
        }
    }
    // A folder that does not exist: a French error, nothing left behind.
    SetChartDialogHook([](TChartDialog& d) { d.BtnOkClick(); });
    chosen = dir.filePath(QStringLiteral("absent/frise.pdf"));
    w->FriseChronologique1->trigger();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Enregistrement de la frise impossible")));
    EXPECT_FALSE(QFile::exists(chosen));
}

} // namespace
