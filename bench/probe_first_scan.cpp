// How close the first scan of a run comes to the floor its ticks set: the real main window with
// the scan's own timings (3-second ticks, four 1-second waits of the count-down) through the
// scripted browser, which answers at once with the login form and then the friends page. The
// floor is the ticks the scan took times the tick, plus the count-down. Not a test: run by hand,
//   build/bench/probe_first_scan [RUNS]      (default 3)
#include "tests/scripted_scan.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>

#include <cstdio>

using namespace amiscan;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 3;
    if (runs < 1) {
        std::fprintf(stderr, "usage: probe_first_scan [RUNS]\n");
        return 2;
    }
    const ScanDriver::Timings timings;
    for (int run = 1; run <= runs; ++run) {
        ScriptedScan w;
        w.model.scanDriver().setTimings(timings);
        w.browser->pageFor = [](const QUrl &) { return LoginForm; };
        w.browser->pageAfterLogin = FriendsBrowser;
        w.form.show();
        if (!QTest::qWaitForWindowExposed(&w.form))
            return 1;
        int ticks = 0;
        QObject::connect(&w.model.stepTimer(), &QTimer::timeout, [&ticks] { ++ticks; });
        // Timed to the button's return to Start Scan, in an event loop that sleeps only until
        // the next event (a polling wait would add its own delay to each tick).
        QElapsedTimer clock;
        qint64 took = -1;
        QEventLoop loop;
        QObject::connect(&w.model, &MainModel::scanButtonChanged, &loop, [&](ScanButton button) {
            if (button == ScanButton::Start)
                took = clock.elapsed(), loop.quit();
        });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        clock.start();
        findControl<QPushButton>(w.form, "ButGo")->click();
        loop.exec();
        if (took < 0) {
            std::fprintf(stderr, "run %d: the scan did not end\n", run);
            return 1;
        }
        const qint64 floor = qint64(ticks) * timings.tickMs + 4 * timings.countdownStepMs;
        std::printf("run %d: first scan %lld ms, %d ticks, floor %lld ms, %+lld ms (target within "
                    "20 ms)\n",
                    run, static_cast<long long>(took), ticks, static_cast<long long>(floor),
                    static_cast<long long>(took - floor));
        std::fflush(stdout);
    }
    return 0;
}
