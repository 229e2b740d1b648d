// A save killed at any moment leaves the whole old or the whole new file.
#include "events/EventFile.h"
#include "timescale/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList temporaries(const QString& folder) {
    QStringList found;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        if (name != QLatin1String("k.aev"))
            found << name;
    return found;
}

} // namespace

TEST(SaveKill, AKilledSaveLeavesTheWholeOldOrTheWholeNewFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("k.aev"));
    // Two lists of the same dates with other texts: saving one over the other
    // rewrites every event line, and either file is about 300 KB (a save takes 50 to 100 ms here).
    TEventList a, b;
    for (int i = 0; i < 4000; ++i) {
        const QString date = FormatDateText(-4550.0 + i * 0.2);
        a.Append(date, QStringLiteral("Evénement A numéro %1, un texte d'une longueur moyenne").arg(i));
        b.Append(date, QStringLiteral("Evénement B %1").arg(i));
    }
    SaveEventFile(path, b);
    const QByteArray bytesB = readBytes(path);
    SaveEventFile(path, a);
    const QByteArray bytesA = readBytes(path);
    ASSERT_NE(bytesA, bytesB);

    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> pause(1000, 300000); // microseconds
    int seenNew = 0, leftTemporary = 0;
    for (int kill = 0; kill < 30; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (;;) {
                                        SaveEventFile(path, b);
                    SaveEventFile(path, a);
                }
            } catch (...) {
            }
            _exit(1);
        }
        usleep(useconds_t(pause(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process stopped by itself";
        const QByteArray now = readBytes(path);
        ASSERT_TRUE(now == bytesA || now == bytesB) << "kill " << kill << ": a file of " << now.size() << " bytes";
        seenNew += now == bytesB;
        // Anything left beside the file is a temporary of the recognisable pattern.
        for (const QString& name : temporaries(dir.path())) {
            EXPECT_TRUE(IsSaveTemporaryOf(name, QStringLiteral("k.aev"))) << name.toStdString();
            ++leftTemporary;
        }
    }
    RecordProperty("FilesHoldingTheNewList", seenNew);
    RecordProperty("TemporariesLeftByKills", leftTemporary);
    // Where the file system has unnamed files, a kill leaves nothing at all:
    // the file is named only for the moment of its rename.
    const int probe = ::open(QFile::encodeName(dir.path()).constData(), O_TMPFILE | O_WRONLY, 0600);
    if (probe >= 0) {
        ::close(probe);
        EXPECT_EQ(leftTemporary, 0);
    }
    // The next save removes whatever temporaries the kills left.
    SaveEventFile(path, a);
    EXPECT_EQ(readBytes(path), bytesA);
    EXPECT_EQ(temporaries(dir.path()), QStringList());
}
