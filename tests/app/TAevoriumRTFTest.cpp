// The credits dialog: loading, plain-text fallback and the two failure reports.
#include "app/TAevoriumRTF.h"
#include "app/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

struct Reports {
    QStringList texts;
    Reports() {
        SetMessageHook([this](const TMessageRequest& r) {
            EXPECT_EQ(r.kind, TMessageRequest::ErrorReport);
            EXPECT_EQ(r.title, QStringLiteral("Aevorium"));
            texts << r.text;
            return 1;
        });
    }
    ~Reports() { SetMessageHook({}); }
};

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(TAevoriumRTF, ShowsTheRichTextDocumentReadOnly) {
    QTemporaryDir dir;
    write(dir.filePath(QStringLiteral("Credits.rtf")), "{\\rtf1\\ansi {\\b Aevorium}\\par Cr\\'e9dits}");
    Reports reports;
    TAevoriumRTF dialog(nullptr, dir.path() + QLatin1Char('/'));
    EXPECT_TRUE(reports.texts.isEmpty());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Crédits"));
    EXPECT_EQ(dialog.size(), QSize(317, 370));
    EXPECT_EQ(dialog.RichEdit1->toPlainText(), QStringLiteral("Aevorium\nCrédits"));
    EXPECT_TRUE(dialog.RichEdit1->isReadOnly());
    EXPECT_FALSE(dialog.RichEdit1->isEnabled());
    EXPECT_EQ(dialog.RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(dialog.RichEdit1->geometry(), QRect(26, 24, 265, 289));
    EXPECT_TRUE(dialog.Button1->isDefault());

    // Read once: a later change of the file is not seen.
    write(dir.filePath(QStringLiteral("Credits.rtf")), "{\\rtf1 autre}");
    EXPECT_EQ(dialog.RichEdit1->toPlainText(), QStringLiteral("Aevorium\nCrédits"));
}

TEST(TAevoriumRTF, FallsBackToPlainText) {
    QTemporaryDir dir;
    write(dir.filePath(QStringLiteral("Credits.rtf")), "Cr\xe9"
                                                       "dits\n{\\rtf1 cut");
    Reports reports;
    TAevoriumRTF dialog(nullptr, dir.path() + QLatin1Char('/'));
    EXPECT_TRUE(reports.texts.isEmpty());
    EXPECT_EQ(dialog.RichEdit1->toPlainText(), QStringLiteral("Crédits\n{\\rtf1 cut"));

    // A damaged RTF document shows as its text rather than not at all.
    write(dir.filePath(QStringLiteral("Credits.rtf")), "{\\rtf1 {\\b Titre");
    dialog.LoadFile(dir.filePath(QStringLiteral("Credits.rtf")));
    EXPECT_EQ(dialog.RichEdit1->toPlainText(), QStringLiteral("{\\rtf1 {\\b Titre"));
}

TEST(TAevoriumRTF, MissingOrUnreadableDocumentIsReportedAndTheDialogStays) {
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    {
        Reports reports;
        TAevoriumRTF dialog(nullptr, folder);
        ASSERT_EQ(reports.texts.size(), 1);
        EXPECT_EQ(
            reports.texts.first(),
            QStringLiteral("Impossible d'ouvrir le fichier %1.").arg(folder + QStringLiteral("Credits.rtf")));
        EXPECT_TRUE(dialog.RichEdit1->toPlainText().isEmpty());
        EXPECT_NE(dialog.Button1, nullptr);
    }
    {
        // A folder in the document's place cannot be read as a file.
        ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("Credits.rtf")));
        Reports reports;
        TAevoriumRTF dialog(nullptr, folder);
        ASSERT_EQ(reports.texts.size(), 1);
        EXPECT_TRUE(reports.texts.first() == QStringLiteral("Erreur au chargement du flux.") ||
                    reports.texts.first().startsWith(QStringLiteral("Impossible d'ouvrir le fichier")))
            << reports.texts.first().toStdString();
        EXPECT_TRUE(dialog.RichEdit1->toPlainText().isEmpty());
    }
}
