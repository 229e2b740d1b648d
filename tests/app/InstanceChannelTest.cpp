// The single-instance channel in one process: where its lock and socket live,
// what it hands on, and how it holds against connections that misbehave.
#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray native(const QTemporaryDir& d) {
    return QFile::encodeName(d.path());
}

// Events of this thread are served until `done` holds or `ms` pass.
template <class F> bool serveUntil(F done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A later instance in a thread of its own (the running one answers from this thread).
std::future<bool> openFromLater(const QByteArray& folder, const QByteArray& path) {
    return std::async(std::launch::async, [folder, path] {
        TOneInstance later(QStringLiteral("essai"), folder);
        return !later.IsFirstInstance() && later.OpenInRunningInstance(path, 3000);
    });
}

int connectTo(const QByteArray& socketPath) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path, socketPath.constData(), std::size_t(socketPath.size()));
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

// $XDG_RUNTIME_DIR when private; else a checked folder of the user's own in the
// temporary folder; never a folder that another account could reach.
TEST(InstanceChannel, TheFolderIsOneOnlyTheUserCanReach) {
    QTemporaryDir runtime, temp;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR"), oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", native(temp));
    const QByteArray fallback = native(temp) + "/aevorium-" + QByteArray::number(::getuid());
    struct {
        mode_t runtimeMode;
        bool set;
        bool expectRuntime;
    } cases[] = {{0700, true, true}, {0755, true, false}, {0700, false, false}};
    for (const auto& c : cases) {
        ::chmod(native(runtime).constData(), c.runtimeMode);
        if (c.set)
            qputenv("XDG_RUNTIME_DIR", native(runtime));
        else
            qunsetenv("XDG_RUNTIME_DIR");
        const QByteArray folder = InstanceFolder();
        EXPECT_EQ(folder, c.expectRuntime ? native(runtime) : fallback) << c.runtimeMode;
        EXPECT_TRUE(IsPrivateFolder(folder));
    }
    // A fallback folder that others may enter is closed again.
    ::chmod(fallback.constData(), 0777);
    EXPECT_EQ(InstanceFolder(), fallback);
    EXPECT_TRUE(IsPrivateFolder(fallback));
    if (::getuid() == 0) { // one made by another account is refused
        ASSERT_EQ(::chown(fallback.constData(), 65534, 65534), 0);
        QString why;
        EXPECT_EQ(InstanceFolder(&why), QByteArray());
        EXPECT_FALSE(why.isEmpty());
        TOneInstance none(QStringLiteral("essai"), QByteArray());
        EXPECT_TRUE(none.IsFirstInstance());
        EXPECT_FALSE(none.IsListening());
        EXPECT_EQ(::chown(fallback.constData(), 0, 0), 0);
    }
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("TMPDIR", oldTemp);
}

// The running instance hands on the path's bytes; a stale lock file does not
// count as a running instance; idle connections are bounded in number and
// time, and running out of file handles does not end the listening.
TEST(InstanceChannel, TheRunningInstanceAnswersThroughMisbehavingConnections) {
    QTemporaryDir dir;
    QFile junk(dir.filePath(QStringLiteral("aevorium-essai.lock")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("x");
    junk.close();
    TOneInstance first(QStringLiteral("essai"), native(dir));
    ASSERT_TRUE(first.IsFirstInstance());
    ASSERT_TRUE(first.IsListening());
    QSignalSpy opened(&first, &TOneInstance::openRequested);
    const QByteArray raw = native(dir) + "/\xE9t\xE9.aev";
    auto reached = openFromLater(native(dir), raw);
    ASSERT_TRUE(serveUntil([&] { return opened.count() == 1; }));
    EXPECT_TRUE(reached.get());
    EXPECT_EQ(opened[0][0].toByteArray(), raw);

    const QByteArray socketPath = native(dir) + "/aevorium-essai.sock";
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i)
        idle.push_back(connectTo(socketPath));
    serveUntil([] { return false; }, 300);
    EXPECT_LE(first.ConnectionCount(), TOneInstance::MaxConnections);
    EXPECT_TRUE(
        serveUntil([&] { return first.ConnectionCount() == 0; }, TOneInstance::ConnectionTimeoutMs + 2000));
    for (int fd : idle)
        ::close(fd);

    // Out of file handles while connections wait.
    rlimit old{};
    ::getrlimit(RLIMIT_NOFILE, &old);
    int highest = ::open("/dev/null", O_RDONLY);
    ::close(highest);
    rlimit low = old;
    low.rlim_cur = rlim_t(highest + 4);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    idle.clear();
    for (int fd; (fd = connectTo(socketPath)) >= 0;)
        idle.push_back(fd);
    serveUntil([] { return false; }, 500);
    ::setrlimit(RLIMIT_NOFILE, &old);
    for (int fd : idle)
        ::close(fd);
    EXPECT_TRUE(first.IsListening());
    auto again = openFromLater(native(dir), "/b.aev");
    ASSERT_TRUE(serveUntil([&] { return opened.count() == 2; }));
    EXPECT_TRUE(again.get());
}

// A process of another account never reaches the running instance, even
// through a folder it may enter (run as the superuser, who can be another).
TEST(InstanceChannel, AnotherUsersConnectionIsRefused) {
    if (::getuid() != 0)
        GTEST_SKIP() << "needs the superuser to act as another account";
    QTemporaryDir dir(QStringLiteral("/tmp/aevorium-essai-XXXXXX")); // in a folder all may enter
    ::chmod(dir.path().toLocal8Bit().constData(), 0711);
    TOneInstance first(QStringLiteral("essai"), native(dir));
    ASSERT_TRUE(first.IsListening());
    QSignalSpy activated(&first, &TOneInstance::activationRequested);
    const QByteArray socketPath = native(dir) + "/aevorium-essai.sock";
    ::chmod(socketPath.constData(), 0666);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setuid(65534) != 0)
            ::_exit(2);
        const int fd = connectTo(socketPath);
        if (fd < 0)
            ::_exit(3);
        (void)!::write(fd, "activate\n", 9);
        char reply[3];
        ::_exit(::read(fd, reply, 3) == 3 ? 1 : 0); // 1: it was answered
    }
    int status = -1;
    serveUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; });
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    serveUntil([] { return false; }, 200);
    EXPECT_EQ(activated.count(), 0);
}
