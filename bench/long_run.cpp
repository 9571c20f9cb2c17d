// A long run of the real window against the local stand-in for the service: many scans in a
// row, with the scan's waits shortened, watching what a program that runs all day must keep
// flat: its memory, its open file descriptors and the browser's helper processes between scans.
//
//     build/bench/amiscan_long_run [SCANS]      (default 1000)
//
// The service's friends come and go (its clock runs fast) and its logins expire every 10
// seconds, so most scans read directly and some log in through the browser again. Memory is
// compared with the program's after 50 scans. Descriptors are compared with those after 100:
// by then, some 20 seconds in, Qt has started the pooled threads its network access keeps while
// it is busy (each with a descriptor to wake it), and they stay for the rest of a run this fast.
#include "bench/own_memory.h"
#include "tests/browser_processes.h"
#include "tests/service_scan.h"
#include "tests/vey_sim_process.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <unistd.h>

using namespace amiscan;

namespace {

// The names of the process's threads.
QStringList threadNames()
{
    QStringList names;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task) + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly))
            names << QString::fromLocal8Bit(comm.readAll().trimmed());
    }
    names.sort();
    return names;
}

// What each open descriptor is open on, as the kernel names it.
QStringList openDescriptors()
{
    QStringList targets;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo &fd :
         fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[256] = {};
        const ssize_t length =
            ::readlink(fd.filePath().toLocal8Bit().constData(), target, sizeof target - 1);
        targets << fd.fileName() + QStringLiteral(" -> ") +
                       QString::fromLocal8Bit(target, std::max<ssize_t>(length, 0));
    }
    return targets;
}

// The browser's processes below this one: all of them (its helper program and the engine's),
// and the pages' own.
struct Helpers
{
    int all = 0;
    int pages = 0;
};

Helpers browserHelpers()
{
    Helpers helpers;
    for (const BrowserProcess &process : browserProcesses()) {
        ++helpers.all;
        helpers.pages += process.kind == BrowserProcess::Page;
    }
    return helpers;
}

struct Sample
{
    int scan = 0;
    long rssKb = 0;
    long heapKb = 0;
    QStringList fds;
    QStringList threads;
    Helpers helpers;
};

Sample sample(int scan)
{
    return {scan,          residentKb(),    heapInUseBytes() / 1024, openDescriptors(),
            threadNames(), browserHelpers()};
}

void print(const Sample &s)
{
    std::printf("%6d %10.1f %10.1f %6lld %8d %10d\n", s.scan, double(s.rssKb) / 1024.0,
                double(s.heapKb) / 1024.0, static_cast<long long>(s.fds.size()), s.helpers.all,
                s.helpers.pages);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    // The browser engine's sandbox cannot run as root (as in ./test.sh).
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const int scans = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    if (scans < 1) {
        std::fprintf(stderr, "usage: amiscan_long_run [SCANS]\n");
        return 2;
    }

    VeySimProcess sim({QStringLiteral("--time-scale"), QStringLiteral("600"),
                       QStringLiteral("--session-ttl"), QStringLiteral("10")});
    if (!sim.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(sim.errorString()));
        return 1;
    }
    ScanRig rig(sim.baseUrl(), QStringLiteral("demo123"), ScanDriver::Timings{1000, 20, 20});

    std::printf("%6s %10s %10s %6s %8s %10s\n", "scan", "RSS (MB)", "heap (MB)", "fds", "helpers",
                "pages");
    QList<Sample> samples;
    int browserScans = 0;
    int failed = 0;
    QElapsedTimer clock;
    clock.start();
    for (int scan = 1; scan <= scans; ++scan) {
        const qsizetype messagesBefore = rig.messages.size();
        if (!rig.scan(120000)) {
            std::fprintf(stderr, "scan %d did not end\n", scan);
            return 1;
        }
        if (rig.messages.size() > messagesBefore) {
            ++failed;
            std::fprintf(stderr, "scan %d: %s\n", scan, qPrintable(rig.messages.last()));
        }
        browserScans += rig.model.scanDriver().directReadResult() != DirectRead::FriendsPage;
        // The simulator's log of requests is the run's, not the program's, memory.
        sim.forgetRequests();
        // Let the browser's page finish going away before looking.
        QTest::qWait(50);
        if (scan == 1 || scan == 50 || scan % 100 == 0 || scan == scans) {
            samples << sample(scan);
            print(samples.last());
        }
    }

    const auto at = [&samples](int scan) -> const Sample & {
        return *std::find_if(samples.cbegin(), samples.cend(),
                             [scan](const Sample &s) { return s.scan >= scan; });
    };
    const Sample &early = at(std::min(50, scans));
    const Sample &settled = at(std::min(100, scans));
    const Sample &last = samples.last();
    int mostHelpers = 0, mostPages = 0;
    for (const Sample &s : samples) {
        mostHelpers = std::max(mostHelpers, s.helpers.all);
        mostPages = std::max(mostPages, s.helpers.pages);
    }
    const double growth = 100.0 * double(last.rssKb - early.rssKb) / double(early.rssKb);
    std::printf("\n%d scans in %.0f s (%d through the browser, %d failed)\n", scans,
                double(clock.elapsed()) / 1000.0, browserScans, failed);
    std::printf("memory after scan %d: %.1f MB, after scan %d: %.1f MB (%+.1f %%; target within "
                "10 %%)\n",
                early.scan, double(early.rssKb) / 1024.0, last.scan, double(last.rssKb) / 1024.0,
                growth);
    std::printf("open descriptors: %lld after scan %d, %lld after scan %d, %lld after scan %d\n",
                static_cast<long long>(early.fds.size()), early.scan,
                static_cast<long long>(settled.fds.size()), settled.scan,
                static_cast<long long>(last.fds.size()), last.scan);
    std::printf("browser processes between scans: at most %d, of them pages: at most %d\n",
                mostHelpers, mostPages);
    for (const QString &fd : last.fds) {
        if (!settled.fds.contains(fd))
            std::printf("  opened since scan %d: %s\n", settled.scan, qPrintable(fd));
    }
    std::printf("threads after scan %d: %s\nthreads after scan %d: %s\n", settled.scan,
                qPrintable(settled.threads.join(u", ")), last.scan,
                qPrintable(last.threads.join(u", ")));
    const bool met =
        std::abs(growth) <= 10.0 && last.fds.size() <= settled.fds.size() && mostHelpers == 0;
    std::printf("%s\n", met ? "targets met" : "targets NOT met");
    return met ? 0 : 1;
}
