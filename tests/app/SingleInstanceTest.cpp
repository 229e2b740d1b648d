// Two real processes of the program: the second asks the first to come forward and ends.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QString programPath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/aevorium"); }

QProcessEnvironment environment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("aevorium.instance.info=true"));
    return env;
}

void start(QProcess& p, const QString& program) {
    p.setProcessEnvironment(environment());
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, {});
    ASSERT_TRUE(p.waitForStarted(5000));
}

void stop(QProcess& p) {
    p.kill();
    p.waitForFinished(5000);
}

} // namespace

TEST(SingleInstance, ASecondProcessActivatesTheFirstAndEnds) {
    if (!QFile::exists(programPath()))
        GTEST_SKIP() << "program not built";
    QProcess first;
    start(first, programPath());
    QThread::msleep(1500); // the first instance takes its lock at once

    QProcess second;
    start(second, programPath());
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("running instance reached: true"));

    // The first one is told and keeps running.
    bool told = false;
    for (int i = 0; i < 100 && !told; ++i) {
        first.waitForReadyRead(100);
        told = first.readAllStandardError().contains("activation requested");
    }
    EXPECT_TRUE(told);
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
    QThread::msleep(1000);
    start(other, copy);
    // The copy is a first instance of its own: it does not end by itself.
    EXPECT_FALSE(other.waitForFinished(2500));
    stop(other);
    stop(first);
}
