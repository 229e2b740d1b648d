// An event file named on the command line: which argument is one, and how the
// main window opens it (custom mode, the unsaved-edits question, the errors).
#include "app/CommandLine.h"
#include "app/Dialogs.h"
#include "app/TAevoriumF1.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>
#include <memory>

TEST(CommandLine, OnlyAFirstArgumentEndingInAevIsAnEventFile) {
    char prog[] = "aevorium", a1[] = "-reverse", a2[] = "-style";
    char* argv[] = {prog, a1, a2, nullptr};
    EXPECT_EQ(ProgramArguments(3, argv), QStringList({"-reverse", "-style"}));

    EXPECT_EQ(EventFileArgument({}), QString());
    EXPECT_EQ(EventFileArgument({"0"}), QString());
    EXPECT_EQ(EventFileArgument({"d", "x.aev"}), QString());
    EXPECT_EQ(EventFileArgument({"/tmp/a/../Mes événements.AEV"}), QStringLiteral("/tmp/Mes événements.AEV"));
    EXPECT_EQ(EventFileArgument({"sous/x.aev", "0"}), QDir::current().absoluteFilePath("sous/x.aev"));
}

namespace {

class EventFileArgumentTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TAevoriumF1> w;
    QList<TMessageRequest> asked;
    QList<int> answers; // "Oui"/"OK" when empty

    QString write(const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    void SetUp() override {
        SetMessageHook([this](const TMessageRequest& r) {
            asked << r;
            return answers.isEmpty() ? 1 : answers.takeFirst();
        });
        w = std::make_unique<TAevoriumF1>();
        w->EventFileName = write("Evenement.ini", "[-65,000]\r\nEvenement=Extinction\r\n");
        w->LoadEvents();
        w->CreateEventMarkers();
    }
    void TearDown() override {
        w.reset();
        SetMessageHook({});
    }
};

} // namespace

TEST_F(EventFileArgumentTest, OpensInCustomModeAndAsksBeforeDroppingEdits) {
    const QString file =
        write("Mes événements.aev", "[-1,000]\r\nEvenement=Un\r\n[-2,000]\r\nEvenement=Deux\r\n");
    w->OpenEventFileArgument(file);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(w->Personnalise1->isChecked());
    EXPECT_TRUE(w->Ouvrir1->isEnabled() && w->Sauvegarder1->isEnabled());
    ASSERT_EQ(w->EventList.Count(), 2);
    EXPECT_EQ(w->EventList.Text(1), QStringLiteral("Deux"));
    EXPECT_EQ(w->EventFileName, dir.filePath("Evenement.ini")); // as "Ouvrir": the data set's file stays

    // Unsaved edits: the question of "Ouvrir"; "Non" keeps the list.
    const QString other = write("autre.aev", "[-3,000]\r\nEvenement=Trois\r\n");
    w->EventsModified = true;
    answers = {0};
    w->OpenEventFileArgument(other);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, TMessageRequest::Confirmation);
    EXPECT_EQ(asked[0].text, QStringLiteral("Remplacer la spirale personnalisée\rsans la sauvegarder ?"));
    EXPECT_EQ(w->EventList.Count(), 2);
    w->OpenEventFileArgument(other); // "Oui"
    EXPECT_EQ(w->EventList.Count(), 1);
    EXPECT_TRUE(w->EventsModified); // opening leaves the flag as it was
}

TEST_F(EventFileArgumentTest, AMissingOrUnreadableFileIsReportedAndChangesNothing) {
    const QString missing = dir.filePath("absent.aev");
    w->OpenEventFileArgument(missing);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, TMessageRequest::Error);
    EXPECT_EQ(asked[0].text, missing + QStringLiteral(" introuvable !"));

    const QString folder = dir.filePath("dossier.aev");
    ASSERT_TRUE(QDir().mkdir(folder));
    w->OpenEventFileArgument(folder);
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[1].kind, TMessageRequest::Error);
    EXPECT_EQ(asked[1].text,
              QStringLiteral("Lecture du fichier : \r") + folder + QStringLiteral("\rimpossible !"));

    const QString locked = write("ferme.aev", "[-1,000]\r\nEvenement=Un\r\n");
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    QFile probe(locked);
    if (!probe.open(QIODevice::ReadOnly)) { // the superuser reads it all the same
        w->OpenEventFileArgument(locked);
        ASSERT_EQ(asked.size(), 3);
        EXPECT_EQ(asked[2].text,
                  QStringLiteral("Lecture du fichier : \r") + locked + QStringLiteral("\rimpossible !"));
    }
    EXPECT_FALSE(w->Personnalise1->isChecked());
    ASSERT_EQ(w->EventList.Count(), 1);
    EXPECT_EQ(w->EventList.Text(0), QStringLiteral("Extinction"));
}

// A name that is not valid UTF-8 is the file system's own: found and opened.
TEST_F(EventFileArgumentTest, ANameThatIsNotUtf8IsOpened) {
    const QByteArray native = QFile::encodeName(dir.path()) + "/\xE9t\xE9.aev";
    FILE* f = std::fopen(native.constData(), "wb");
    ASSERT_TRUE(f);
    std::fputs("[-1,000]\r\nEvenement=Un\r\n", f);
    std::fclose(f);
    w->OpenEventFileArgument(native);
    EXPECT_TRUE(asked.isEmpty());
    ASSERT_EQ(w->EventList.Count(), 1);
    EXPECT_EQ(w->EventList.Text(0), QStringLiteral("Un"));

    EXPECT_EQ(NativeFileArgument("sous/../\xE9t\xE9.AEV"), QFile::encodeName(QDir::currentPath()) + "/\xE9t\xE9.AEV");
    EXPECT_EQ(NativeFileArgument("x.txt"), QByteArray());
    ::unlink(native.constData()); // Qt cannot name it to remove the folder
}
