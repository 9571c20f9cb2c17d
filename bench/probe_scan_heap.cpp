// The live heap over many scans of the real main window, shown on the offscreen platform and
// painted after each scan, with the scripted browser and direct read: nothing of a network or a
// browser engine in the figures. Growth is measured over SCANS scans after 20 that warm the
// caches of the first paints. Not a test: run by hand,
//   build/bench/probe_scan_heap [SCANS]      (default 1000)
#include "bench/own_memory.h"
#include "tests/scripted_scan.h"

#include <QApplication>
#include <QTest>

#include <cstdio>

using namespace amiscan;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int scans = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    constexpr int Warm = 20;
    if (scans < 1) {
        std::fprintf(stderr, "usage: probe_scan_heap [SCANS]\n");
        return 2;
    }
    ScriptedScan w;
    w.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
    w.fetcher->answer = [](const QUrl &) { return FriendsDirect; };
    w.form.show();
    if (!QTest::qWaitForWindowExposed(&w.form))
        return 1;
    auto *button = findControl<QPushButton>(w.form, "ButGo");
    long warm = 0;
    for (int scan = 1; scan <= Warm + scans; ++scan) {
        button->click();
        if (!QTest::qWaitFor([&] { return !w.scanning(); }, 10000)) {
            std::fprintf(stderr, "scan %d did not end\n", scan);
            return 1;
        }
        // The button's new look painted, as on a screen.
        w.form.grab();
        QApplication::processEvents();
        // What the scripted browser and fetcher record is the probe's memory, not the program's.
        w.fetcher->fetched.clear();
        w.browser->navigations.clear();
        w.browser->logins.clear();
        if (scan == Warm)
            warm = heapInUseBytes();
    }
    const long growth = heapInUseBytes() - warm;
    std::printf("live heap growth over %d scans: %.1f kB (%.0f bytes a scan; target under 50 kB "
                "in all)\n",
                scans, double(growth) / 1024.0, double(growth) / double(scans));
    return 0;
}
