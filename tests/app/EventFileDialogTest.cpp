// The real file dialogs of event files, driven from a timer: their filter,
// default extension, the question before replacing a file and the checks of
// folder and file.
#include "app/Dialogs.h"
#include "app/TEventFileDialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

class EventFileDialogTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QList<TMessageRequest> asked;
    QList<int> answers;

    void SetUp() override {
        SetFileDialogHook({});
        SetMessageHook([this](const TMessageRequest& r) {
            asked << r;
            return answers.isEmpty() ? 1 : answers.takeFirst();
        });
    }
    void TearDown() override { SetMessageHook({}); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Runs the dialog while `act` plays the user in it.
    bool run(TEventFileDialog& d, std::function<void(QFileDialog&)> act) {
        bool acted = false;
        QTimer::singleShot(0, [&] {
            auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(fd, nullptr);
            acted = true;
            act(*fd);
            if (fd->isVisible())
                fd->reject();
        });
        const bool ok = d.Execute(nullptr);
        EXPECT_TRUE(acted);
        return ok;
    }
};

} // namespace

TEST_F(EventFileDialogTest, SaveDialogAddsTheExtensionAndAsksBeforeReplacing) {
    TEventFileDialog save(TEventFileDialog::Save);
    EXPECT_TRUE(run(save, [&](QFileDialog& fd) {
        EXPECT_EQ(fd.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(fd.nameFilters(), QStringList({QStringLiteral("Evénements personnalisés (*.aev)")}));
        EXPECT_EQ(fd.defaultSuffix(), QStringLiteral("aev"));
        fd.selectFile(path("nouveau"));
        static_cast<QDialog&>(fd).accept();
    }));
    EXPECT_EQ(save.FileName, path("nouveau.aev"));
    EXPECT_TRUE(asked.isEmpty());

    // An existing file: "Non" keeps the dialog open, "Oui" takes the file.
    QFile f(path("existe.aev"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    answers << 0;
    EXPECT_FALSE(run(save, [&](QFileDialog& fd) {
        fd.selectFile(path("existe.aev"));
        static_cast<QDialog&>(fd).accept();
        EXPECT_TRUE(fd.isVisible());
    }));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, TMessageRequest::Confirmation);
    EXPECT_TRUE(asked[0].text.contains(QStringLiteral("existe déjà")));
    EXPECT_EQ(save.FileName, path("nouveau.aev")); // a cancelled dialog keeps the last path
    EXPECT_TRUE(run(save, [&](QFileDialog& fd) {
        fd.selectFile(path("existe.aev"));
        static_cast<QDialog&>(fd).accept();
    }));
    EXPECT_EQ(save.FileName, path("existe.aev"));
}

TEST_F(EventFileDialogTest, AMissingFolderOrFileIsRefused) {
    TEventFileDialog save(TEventFileDialog::Save);
    EXPECT_FALSE(run(save, [&](QFileDialog& fd) {
        fd.selectFile(path("absent/x.aev"));
        static_cast<QDialog&>(fd).accept();
        EXPECT_TRUE(fd.isVisible());
    }));
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(asked.last().kind, TMessageRequest::Error);

    TEventFileDialog open(TEventFileDialog::Open);
    asked.clear();
    EXPECT_FALSE(run(open, [&](QFileDialog& fd) {
        EXPECT_EQ(fd.acceptMode(), QFileDialog::AcceptOpen);
        fd.selectFile(path("absent.aev"));
        static_cast<QDialog&>(fd).accept();
        EXPECT_TRUE(fd.isVisible());
    }));
    EXPECT_EQ(open.FileName, QString());
}
