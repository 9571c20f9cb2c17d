// Measures how long the real main window's event loop is blocked, with a history of the table's
// limit of friends, against the local service simulator: start-up to the filled window, scans
// (the first through the browser, the next ones by direct read), the three list options, the
// session switch and the management list. Not a test: run by hand, e.g.
//   QT_QPA_PLATFORM=offscreen build/bench/probe_scan_block build/tools/vey-sim/vey-sim
#include "model/main_model.h"
#include "platform/helper_process_browser.h"
#include "platform/network_page_fetcher.h"
#include "random_friends.h"
#include "scan/scan_driver.h"
#include "store/data_dir.h"
#include "store/history_file.h"
#include "tests/window_controls.h"
#include "ui/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

using namespace amiscan;

namespace {

// The longest time the event loop went without serving a short repeating timer.
class LoopProbe final
{
public:
    static constexpr int IntervalMs = 5;

    LoopProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(IntervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_sinceTick.restart() - IntervalMs);
        });
        m_timer.start();
        m_sinceTick.start();
    }
    void reset()
    {
        m_longest = 0;
        m_sinceTick.restart();
    }
    qint64 longestMs() const { return std::max(m_longest, m_sinceTick.elapsed() - IntervalMs); }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

// Runs the event loop until the condition holds, looking every millisecond, or for the time
// given. QTest's waits sleep 10 ms between looks, which the probe would count as blocks.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 60000)
{
    QEventLoop loop;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (condition())
            loop.quit();
    });
    look.start(1);
    QTimer::singleShot(timeoutMs, Qt::PreciseTimer, &loop, [&loop] { loop.exit(1); });
    return loop.exec() == 0;
}

void runFor(int ms)
{
    waitFor([] { return false; }, ms);
}

void report(const char *what, qint64 longestBlockMs, qint64 totalMs = -1)
{
    if (totalMs >= 0)
        std::printf("%-34s longest block %4lld ms   took %5lld ms\n", what, qint64(longestBlockMs),
                    qint64(totalMs));
    else
        std::printf("%-34s longest block %4lld ms\n", what, qint64(longestBlockMs));
    std::fflush(stdout);
}

// Starts the simulator with only the given friends, all online; returns its address.
QString startSimulator(QProcess &sim, const QString &program, const QString &rosterPath)
{
    sim.start(program, {QStringLiteral("--roster"), rosterPath, QStringLiteral("--all-online")});
    if (!sim.waitForStarted(10000) || !sim.waitForReadyRead(10000))
        return {};
    const QRegularExpression listening(
        QStringLiteral("listening on (http://127\\.0\\.0\\.1:\\d+)"));
    const auto match = listening.match(QString::fromLatin1(sim.readLine()));
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: probe_scan_block VEY_SIM [FRIENDS [SCANS]]\n");
        return 2;
    }
    const int friends = args.size() > 2 ? args.at(2).toInt() : MaxFriends;
    const int scans = args.size() > 3 ? args.at(3).toInt() : 4;

    QTemporaryDir dir;
    // The history: every friend offline, 200 of them on the page each scan.
    FriendsTable table = randomFriends(friends);
    QFile roster(dir.filePath(QStringLiteral("roster.txt")));
    if (!roster.open(QIODevice::WriteOnly))
        return 1;
    for (int row = 1; row <= table.friendCount(); ++row) {
        table.setCell(row, Online, QStringLiteral("0"));
        if (row % (friends / 200 + 1) == 0)
            roster.write(
                (table.cell(row, DisplayName) + u'\t' + table.cell(row, AccountName) + u'\n')
                    .toUtf8());
    }
    roster.close();
    history::writeFile(historyFilePath(dir.path()), table, QStringLiteral("04/09 - 16:02"));

    QProcess sim;
    const QString url = startSimulator(sim, args.at(1), roster.fileName());
    if (url.isEmpty()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    QFile ini(dir.filePath(QStringLiteral("Amiscan.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write(QStringLiteral("[Parameters]\r\nAutoStart=0\r\nAutoHide=0\r\nUserName=demo\r\n"
                             "UserPw=demo123\r\nScanTimer=15\r\nTimerOn=0\r\nFilter=0\r\n"
                             "FriendsOff=0\r\nDisplayUser=0\r\nMinimizeIcon=0\r\nServiceUrl=%1\r\n")
                  .arg(url)
                  .toLatin1());
    ini.close();

    LoopProbe probe;
    QElapsedTimer clock;
    clock.start();
    MainModel model(dir.path());
    Form1 form(model);
    // The browser helper of this build, wherever the probe itself lies.
    auto browser =
        std::make_unique<HelperProcessBrowser>(QStringLiteral(AMISCAN_BROWSER_EXECUTABLE));
    auto fetcher = std::make_unique<NetworkPageFetcher>();
    browser->shareCookiesWith(fetcher->manager()->cookieJar());
    model.setScanPlatform(std::move(browser), std::move(fetcher));
    form.load();
    QCoreApplication::processEvents();
    std::printf("friends %d\n", model.table().friendCount());
    report("start-up to the filled window", clock.elapsed(), clock.elapsed());
    runFor(500);

    const QString history = historyFilePath(dir.path());
    for (int scan = 1; scan <= scans; ++scan) {
        const QDateTime before = QFileInfo(history).lastModified();
        probe.reset();
        clock.restart();
        findControl<QPushButton>(form, "ButGo")->click();
        const bool written = waitFor([&] { return QFileInfo(history).lastModified() != before; });
        const qint64 took = clock.elapsed();
        const QByteArray name = (scan == 1 ? QByteArray("scan 1 (browser)")
                                           : "scan " + QByteArray::number(scan) + " (direct read)");
        report(name.constData(), probe.longestMs(), written ? took : -1);
        // Let the scan's last steps end before the next one.
        runFor(1500);
    }

    const auto measure = [&](const char *what, const std::function<void()> &action) {
        // The action runs outside the event loop: it blocks the loop for all its time, and what
        // it leaves for the loop (painting, posted events) is probed after it.
        QElapsedTimer acting;
        acting.start();
        action();
        const qint64 actionMs = acting.elapsed();
        probe.reset();
        runFor(100);
        report(what, std::max(actionMs, probe.longestMs()));
    };
    for (QCheckBox *box :
         {findControl<QCheckBox>(form, "CheckFlter"), findControl<QCheckBox>(form, "CheckHideOff"),
          findControl<QCheckBox>(form, "CheckUser")}) {
        for (int i = 0; i < 2; ++i) {
            const QByteArray what = box->objectName().toLatin1() + " click";
            measure(what.constData(), [box] { box->click(); });
        }
    }
    measure("session switch", [&] { form.switchSession(); });
    measure("session switch back", [&] { form.switchSession(); });
    measure("management list opened", [&] { form.showManageList(); });
    measure("management list closed", [&] { form.showMainList(); });

    form.endProgram(ExitRoute::ExitButton);
    sim.terminate();
    sim.waitForFinished(5000);
    return 0;
}
