// Real processes of the program: the second asks the first to come forward (and
// open its event file) and ends; the command line is the program's own.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString programPath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/aevorium"); }

// Each test has its own runtime and temporary folders (made by the fixture),
// so that it never meets another test's instance or a user's running program.
struct Folders {
    QTemporaryDir runtime, temp;
};
Folders* folders = nullptr;

QProcessEnvironment environment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("aevorium.*.info=true"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folders->runtime.path());
    env.insert(QStringLiteral("TMPDIR"), folders->temp.path());
    return env;
}

void start(QProcess& p, const QString& program, const QStringList& arguments = {}) {
    p.setProcessEnvironment(environment());
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, arguments);
    ASSERT_TRUE(p.waitForStarted(5000));
}

void stop(QProcess& p) {
    p.kill();
    p.waitForFinished(5000);
}

// Reads the process's diagnostics until `text` shows (false after `ms`).
bool waitForLog(QProcess& p, QByteArray& log, const QByteArray& text, int ms = 15000) {
    for (int waited = 0; !log.contains(text) && waited < ms; waited += 100) {
        p.waitForReadyRead(100);
        log += p.readAllStandardError();
    }
    return log.contains(text);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override { folders = &own; }
    void TearDown() override { folders = nullptr; }
    Folders own;
};

} // namespace

TEST_F(SingleInstance, ASecondProcessActivatesTheFirstAndEnds) {
    if (!QFile::exists(programPath()))
        GTEST_SKIP() << "program not built";
    QProcess first;
    start(first, programPath());
    QByteArray log; // the first instance holds its lock once its window is made
    ASSERT_TRUE(waitForLog(first, log, "window made"));

    QProcess second;
    start(second, programPath());
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("running instance reached: true"));

    // The first one is told and keeps running.
    EXPECT_TRUE(waitForLog(first, log, "activation requested"));
    EXPECT_EQ(first.state(), QProcess::Running);
    stop(first);
}

TEST_F(SingleInstance, CopiesUnderAnotherNameDoNotSeeEachOther) {
    if (!QFile::exists(programPath()))
        GTEST_SKIP() << "program not built";
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("aevorium-copie"));
    ASSERT_TRUE(QFile::copy(programPath(), copy));
    QProcess first, other;
    start(first, programPath());
    QByteArray log;
    ASSERT_TRUE(waitForLog(first, log, "window made"));
    start(other, copy);
    // The copy is a first instance of its own: it does not end by itself.
    EXPECT_FALSE(other.waitForFinished(2500));
    stop(other);
    stop(first);
}

TEST_F(SingleInstance, AnEventFileIsOpenedAtStartAndALaterOneGoesToTheRunningInstance) {
    if (!QFile::exists(programPath()))
        GTEST_SKIP() << "program not built";
    QTemporaryDir dir;
    writeFile(dir.filePath("a.aev"), "[-65,000]\r\nEvenement=Un\r\n");
    writeFile(dir.filePath("b.aev"), "[-1,000]\r\nEvenement=Un\r\n[-2,000]\r\nEvenement=Deux\r\n");
    QProcess first;
    first.setWorkingDirectory(dir.path()); // a relative name is taken from the current folder
    start(first, programPath(), {QStringLiteral("a.aev")});
    QByteArray log;
    EXPECT_TRUE(waitForLog(first, log, "event file \"" + dir.filePath("a.aev").toUtf8() + "\" events: 1 custom: true"));
    // Its data from the executable's folder all the same.
    EXPECT_TRUE(log.contains("folder: " + QCoreApplication::applicationDirPath().toUtf8() + "/ scale rows:"));

    QProcess second;
    second.setWorkingDirectory(dir.path());
    start(second, programPath(), {QStringLiteral("b.aev"), QStringLiteral("0")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("running instance reached: true"));
    EXPECT_TRUE(waitForLog(first, log, "event file \"" + dir.filePath("b.aev").toUtf8() + "\" events: 2 custom: true"));
    EXPECT_TRUE(log.contains("activation requested"));

    // A name that is not UTF-8 goes through the channel as the file system's bytes.
    FILE* f = std::fopen((QFile::encodeName(dir.path()) + "/\xE9t\xE9.aev").constData(), "wb");
    ASSERT_TRUE(f);
    std::fputs("[-1,000]\r\nEvenement=Un\r\n[-2,000]\r\nEvenement=Deux\r\n[-3,000]\r\nEvenement=Trois\r\n", f);
    std::fclose(f);
    QProcess third;
    third.setWorkingDirectory(dir.path());
    start(third, QStringLiteral("/bin/sh"),
          {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$(printf '\\351t\\351.aev')\""), programPath()});
    ASSERT_TRUE(third.waitForFinished(10000));
    EXPECT_TRUE(third.readAllStandardError().contains("running instance reached: true"));
    EXPECT_TRUE(waitForLog(first, log, "events: 3 custom: true"));
    stop(first);
    ::unlink((QFile::encodeName(dir.path()) + "/\xE9t\xE9.aev").constData()); // Qt cannot name it
}

// A lock that no running instance answers for (a stale file, or a holder that
// does not listen) never makes the program end without a window.
TEST_F(SingleInstance, WithoutAnAnswerTheProgramStartsOnItsOwn) {
    if (!QFile::exists(programPath()))
        GTEST_SKIP() << "program not built";
    const QByteArray lock = QFile::encodeName(folders->runtime.path()) + "/aevorium-aevorium.lock";
    writeFile(QFile::decodeName(lock), "x"); // a stale one-byte lock
    QProcess p;
    start(p, programPath());
    QByteArray log;
    EXPECT_TRUE(waitForLog(p, log, "window made"));
    stop(p);

    const int held = ::open(lock.constData(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    QProcess q;
    start(q, programPath());
    log.clear();
    EXPECT_TRUE(waitForLog(q, log, "window made"));
    EXPECT_TRUE(log.contains("running instance reached: false"));
    stop(q);
    ::close(held);
}

// Qt's own options are the program's arguments: none takes effect.
TEST_F(SingleInstance, QtOptionsReachTheProgramsOwnRuleAndTakeNoEffect) {
    if (!QFile::exists(programPath()))
        GTEST_SKIP() << "program not built";
    QProcess p;
    start(p, programPath(), {"-reverse", "-style", "windows", "-platform", "none"});
    QByteArray log;
    EXPECT_TRUE(waitForLog(p, log, "window made"));
    EXPECT_TRUE(log.contains("direction: LTR"));
    EXPECT_FALSE(log.contains("style: windows"));
    EXPECT_TRUE(log.contains("arguments: -reverse|-style|windows|-platform|none"));
    stop(p);
}
