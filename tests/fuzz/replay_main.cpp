// Replays every file of the fuzz corpus and reproducer folders through the
// fuzz entry points, without libFuzzer, and checks for each file a time bound
// and a bound on the memory it makes the process take (peak resident size).
// The folders are listed when the program runs, so that files added later are
// replayed too.
//
//   aev_fuzz_replay <tests/fuzz folder> [--seconds S] [--mb M] [target...]
#include "FuzzPicture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#define AEV_ENTRY(name) extern "C" int AevFuzz_##name(const uint8_t*, std::size_t);
AEV_ENTRY(ini)
AEV_ENTRY(number)
AEV_ENTRY(scale)
AEV_ENTRY(events)
AEV_ENTRY(rtf)
AEV_ENTRY(picture)
AEV_ENTRY(tour)

namespace {

struct Target {
    const char* name;
    int (*entry)(const uint8_t*, std::size_t);
};
const Target kTargets[] = {
    {"ini", AevFuzz_ini},       {"number", AevFuzz_number}, {"scale", AevFuzz_scale},
    {"events", AevFuzz_events}, {"rtf", AevFuzz_rtf},       {"picture", AevFuzz_picture},
    {"tour", AevFuzz_tour},
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

char g_current[4096] = "";

void onAlarm(int) {
    const char prefix[] = "\nFAIL (time bound): no end in sight while replaying ";
    (void)!write(2, prefix, sizeof prefix - 1);
    (void)!write(2, g_current, std::strlen(g_current));
    (void)!write(2, "\n", 1);
    _exit(2);
}

// A check or a sanitizer aborting: say which file did it.
void onAbort(int sig) {
    const char prefix[] = "\nFAIL (abort) while replaying ";
    (void)!write(2, prefix, sizeof prefix - 1);
    (void)!write(2, g_current, std::strlen(g_current));
    (void)!write(2, "\n", 1);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// A field of /proc/self/status in kB, -1 when absent.
long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
            return std::strtol(line.c_str() + n + 1, nullptr, 10);
    return -1;
}

// Sets the peak resident size back to the present size (Linux 4.0 and later).
bool resetPeak() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return bool(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <fuzz folder> [--seconds S] [--mb M] [target...]\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    double maxSeconds = kSanitized ? 60 : 10;
    long maxMb = kSanitized ? 512 : 256;
    QStringList only;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
            maxSeconds = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--mb") && i + 1 < argc)
            maxMb = std::atol(argv[++i]);
        else
            only << QString::fromLocal8Bit(argv[i]);
    }
    if (!kSanitized) {
        // A runaway allocation fails here instead of taking the machine's memory.
        const rlim_t limit = rlim_t(maxMb + 4096) * 1024 * 1024;
        struct rlimit rl = {limit, limit};
        setrlimit(RLIMIT_AS, &rl);
    }
    std::signal(SIGALRM, onAlarm);
    std::signal(SIGABRT, onAbort);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    int replayed = 0, failed = 0;
    for (const Target& t : kTargets) {
        if (!only.isEmpty() && !only.contains(QString::fromLatin1(t.name)))
            continue;
        for (const char* kind : {"corpus", "reproducers"}) {
            const QDir dir(root + QLatin1Char('/') + QLatin1String(kind) + QLatin1Char('/') + QLatin1String(t.name));
            const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
            for (const QFileInfo& file : files) {
                if (file.fileName() == QLatin1String("README.md") || file.fileName() == QLatin1String(".gitkeep"))
                    continue;
                QFile f(file.filePath());
                if (!f.open(QIODevice::ReadOnly)) {
                    std::fprintf(stderr, "FAIL: %s cannot be read\n", qPrintable(file.filePath()));
                    ++failed;
                    continue;
                }
                const QByteArray bytes = f.readAll();
                std::snprintf(g_current, sizeof g_current, "%s", qPrintable(file.filePath()));
                const long rssBefore = statusKb("VmRSS");
                const bool reset = resetPeak();
                const long peakBefore = statusKb("VmHWM");
                alarm(unsigned(maxSeconds * 3 + 1));
                QElapsedTimer timer;
                timer.start();
                const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
                // A picture of its own keeps its extension; corpus inputs carry it in their first byte.
                if (!std::strcmp(t.name, "picture") && !std::strcmp(kind, "reproducers"))
                    FuzzPictureFile(file.suffix().toLower(), data, std::size_t(bytes.size()));
                else
                    t.entry(data, std::size_t(bytes.size()));
                const double seconds = double(timer.nsecsElapsed()) / 1e9;
                alarm(0);
                const long peak = statusKb("VmHWM");
                const long usedMb = (peak - (reset ? rssBefore : peakBefore)) / 1024;
                ++replayed;
                const bool slow = seconds > maxSeconds;
                const bool heavy = usedMb > maxMb;
                if (slow || heavy) {
                    ++failed;
                    std::fprintf(stderr, "FAIL: %s/%s/%s took %.2f s (bound %.0f s) and %ld MB (bound %ld MB)\n", kind,
                                 t.name, qPrintable(file.fileName()), seconds, maxSeconds, usedMb, maxMb);
                } else {
                    std::printf("ok %s/%s/%s %.3f s %ld MB\n", kind, t.name, qPrintable(file.fileName()), seconds,
                                usedMb);
                }
            }
        }
    }
    std::printf("%d files replayed, %d over their bounds\n", replayed, failed);
    if (replayed == 0) {
        std::fprintf(stderr, "no file found under %s\n", qPrintable(root));
        return 1;
    }
    return failed ? 1 : 0;
}
