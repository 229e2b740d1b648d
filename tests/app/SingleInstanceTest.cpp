// Real processes of the program: the second asks the first to come forward (and
// open its event file) and ends; the command line is the program's own.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString programPath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/aevorium"); }

QProcessEnvironment environment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("aevorium.*.info=true"));
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

} // namespace

TEST(SingleInstance, ASecondProcessActivatesTheFirstAndEnds) {
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

TEST(SingleInstance, CopiesUnderAnotherNameDoNotSeeEachOther) {
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

TEST(SingleInstance, AnEventFileIsOpenedAtStartAndALaterOneGoesToTheRunningInstance) {
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
    stop(first);
}

// Qt's own options are the program's arguments: none takes effect.
TEST(SingleInstance, QtOptionsReachTheProgramsOwnRuleAndTakeNoEffect) {
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
