// The history window over the presence log's one-year benchmark log (1000 friends, one-minute
// scans, ten changes a friend a day), on the offscreen platform, run by hand:
//
//     build/bench/amiscan_bench --benchmark_filter=YearLog_Size   (makes the log once)
//     build/bench/probe_history_window [ROUNDS [--shots DIR]]
//
// It prints: the time from the window's making until it is shown, and until its first view of
// the log is drawn; the longest the window's thread was held (a 1 ms timer's largest lateness)
// while the days are scrolled and zoomed, ROUNDS times; the memory the open window adds, and what
// is left of it once closed; and the time a scan takes to be written into a copy of the log while
// the window reads it, against the same without the window.
#include "model/main_model.h"
#include "store/clock.h"
#include "store/data_dir.h"
#include "store/presence_db.h"
#include "store/presence_log.h"
#include "ui/history_window.h"
#include "ui/timeline_view.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <unistd.h>

using namespace amiscan;

namespace {

// As the benchmark made it.
constexpr int YearFriends = 1000;
const QDateTime YearEnd =
    QDateTime(QDate(2025, 3, 1), QTime(0, 0), Qt::OffsetFromUTC, 3600).addDays(365);

// The process's own memory: resident, less what is shared with files (the libraries' code as
// it is first run, which any program reading it shares).
double residentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 2
               ? double((fields[1].toLongLong() - fields[2].toLongLong()) * sysconf(_SC_PAGESIZE)) /
                     1e6
               : 0;
}

QString friendName(int i)
{
    return QStringLiteral("friend.%1").arg(i, 5, 10, QChar(u'0'));
}

qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Times every event the window's thread delivers: the longest one holds the window longest.
class TimedApplication final : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        // The reader's thread delivers its own events: those hold no window.
        if (QThread::currentThread() != thread() || m_depth++ > 0) {
            const bool done = QApplication::notify(receiver, event);
            m_depth -= QThread::currentThread() == thread();
            return done;
        }
        // Both may be gone once delivered.
        const int type = int(event->type());
        const char *className = receiver->metaObject()->className();
        QElapsedTimer clock;
        clock.start();
        const qint64 cpu = threadCpuNs();
        const bool done = QApplication::notify(receiver, event);
        --m_depth;
        longestCpuNs = std::max(longestCpuNs, threadCpuNs() - cpu);
        if (clock.nsecsElapsed() > longestNs) {
            longestNs = clock.nsecsElapsed();
            longestWhat = QStringLiteral("%1 to %2").arg(type).arg(QLatin1StringView(className));
        }
        return done;
    }
    // On the clock, and on the thread's own processor time: a machine shared with other work
    // takes the processor away in the middle of an event.
    qint64 longestNs = 0;
    qint64 longestCpuNs = 0;
    QString longestWhat;

private:
    int m_depth = 0;
};

// The longest the window's thread was held while `work` ran and the events were handled.
template <typename Work> qint64 longestHold(Work work)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.elapsed(), longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    tick.start();
    work([&](int ms) {
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longest = std::max(longest, clock.elapsed() - last);
    });
    return longest;
}

// Milliseconds to write a scan with 200 friends online, on average over `count` scans.
double scanWriteMs(PresenceLog &log, qint64 first, int count,
                   const std::function<void()> &meanwhile)
{
    QElapsedTimer clock;
    qint64 total = 0;
    for (qint64 n = first; n < first + count; ++n) {
        const QDateTime end = YearEnd.addSecs(60 * n);
        ScanRecord scan{end.addMSecs(-1500), end,         60000 * n, ScanRoute::Direct,
                        ScanOutcome::Read,   YearFriends, 1,         {}};
        for (int i = 0; i < 200; ++i)
            scan.online << LoggedFriend{friendName(int((i * 7 + n) % YearFriends)),
                                        QStringLiteral("Friend %1").arg(i)};
        clock.restart();
        log.recordScan(scan);
        log.flush();
        total += clock.nsecsElapsed();
        meanwhile();
    }
    return double(total) / count / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    // --shots DIR: the window's timeline and pattern over the year, as pictures.
    const QString shots =
        argc > 3 && QByteArray(argv[2]) == "--shots" ? QString::fromLocal8Bit(argv[3]) : QString();
    const QString dir = QDir::temp().filePath(QStringLiteral("amiscan-bench-presence-year"));
    if (!QFile::exists(QDir(dir).filePath(QStringLiteral("complete")))) {
        std::fprintf(stderr,
                     "No year log in %s: run amiscan_bench "
                     "--benchmark_filter=YearLog_Size first.\n",
                     qPrintable(dir));
        return 1;
    }
    Clock::set(YearEnd.addSecs(-3600));
    MainModel model(dir);
    FriendsTable &table = model.tableForTests();
    for (int i = 0; i < YearFriends; ++i) {
        const int row = table.appendFriend();
        table.setCell(row, DisplayName, QStringLiteral("Friend %1").arg(i));
        table.setCell(row, AccountName, friendName(i));
        table.setCell(row, Online, QStringLiteral("0"));
        table.setCell(row, Unselected, i % 10 ? QStringLiteral("1") : QStringLiteral("0"));
    }

    // The machine's own lateness: the same timer while nothing is asked of the window's thread.
    const qint64 idle = longestHold([](const auto &run) { run(2000); });
    std::printf("idle: a 1 ms timer came at most %lld ms late with nothing to do\n",
                static_cast<long long>(idle));

    // The running program has the SQL driver loaded for its own log already.
    {
        PresenceDb loaded(presenceLogPath(dir), PresenceDb::Mode::Read);
        loaded.open(false);
    }

    // Opening.
    malloc_trim(0);
    const double before = residentMb();
    QElapsedTimer clock;
    clock.start();
    auto *window = new HistoryWindow(model);
    QSignalSpy drawn(window, &HistoryWindow::viewShown);

    window->resize(1040, 640);
    window->show();
    QCoreApplication::processEvents();
    const qint64 shownMs = clock.elapsed();
    drawn.wait(10000);
    window->repaint();
    const qint64 drawnMs = clock.elapsed();

    std::printf("open: shown after %lld ms, first view drawn after %lld ms\n",
                static_cast<long long>(shownMs), static_cast<long long>(drawnMs));

    if (!shots.isEmpty()) {
        auto *list = window->findChild<QListWidget *>(QStringLiteral("HistoryFriends"));
        for (int i = 1; i < 3; ++i)
            list->item(i)->setSelected(true);
        while (window->view().query.friends.size() < 3 && drawn.wait(10000)) {
        }
        QCoreApplication::processEvents();
        window->grab().save(QDir(shots).filePath(QStringLiteral("history-year-timeline.png")));
        window->findChild<QTabWidget *>(QStringLiteral("HistoryTabs"))->setCurrentIndex(1);
        QCoreApplication::processEvents();
        window->grab().save(QDir(shots).filePath(QStringLiteral("history-year-pattern.png")));
        window->findChild<QTabWidget *>(QStringLiteral("HistoryTabs"))->setCurrentIndex(0);
    }

    // Scrolling and zooming, the views read meanwhile, each round without waiting for them.
    auto *earlier = window->findChild<QPushButton *>(QStringLiteral("HistoryEarlier"));
    auto *later = window->findChild<QPushButton *>(QStringLiteral("HistoryLater"));
    auto *timeline = window->findChild<TimelineView *>(QStringLiteral("HistoryTimeline"));
    auto *friends = window->findChild<QListWidget *>(QStringLiteral("HistoryFriends"));
    app.longestNs = app.longestCpuNs = 0;
    const qint64 held = longestHold([&](const auto &run) {
        for (int round = 0; round < rounds; ++round) {
            earlier->click();
            run(20);
            emit timeline->zoomAsked(timeline->lastDay().addDays(-3));
            run(20);
            later->click();
            run(20);
            emit timeline->zoomAsked({});
            run(20);
            friends->item(round % 3)->setSelected(true); // a few friends together
            run(20);
        }
        drawn.clear();
        drawn.wait(10000);
    });
    std::printf("scroll and zoom (%d rounds, %d friends shown): the longest event took %.1f ms "
                "(event %s), %.1f ms of the thread's processor time at most; a 1 ms timer came "
                "at most %lld ms late\n",
                rounds, int(window->view().query.friends.size()), double(app.longestNs) / 1e6,
                qPrintable(app.longestWhat), double(app.longestCpuNs) / 1e6,
                static_cast<long long>(held));

    malloc_trim(0);
    const double open = residentMb();
    window->close(); // deletes it, and its reader with it
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    malloc_trim(0);
    const double closed = residentMb();
    std::printf(
        "memory, first opening: %.1f MB before, %+.1f MB while open, %+.1f MB once closed\n",
        before, open - before, closed - before);
    // Again, now that what any first opening loads for good (the SQL driver, fonts, the
    // style's caches) is loaded.
    for (int again = 0; again < 6; ++again) {
        auto *next = new HistoryWindow(model);
        QSignalSpy nextDrawn(next, &HistoryWindow::viewShown);
        next->resize(1040, 640);
        next->show();
        nextDrawn.wait(10000);
        malloc_trim(0);
        const double nextOpen = residentMb();
        next->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        malloc_trim(0);
        std::printf("memory, opening %d: %+.1f MB while open, %+.1f MB once closed (against the "
                    "first closing)\n",
                    again + 2, nextOpen - closed, residentMb() - closed);
    }

    // The scans, while the window reads a copy of the log and scrolls, against the same without.
    QTemporaryDir copy;
    for (const char *file : {"Amiscan.db", "Amiscan.db-wal"}) {
        if (QFile::exists(QDir(dir).filePath(QLatin1StringView(file))))
            QFile::copy(QDir(dir).filePath(QLatin1StringView(file)),
                        copy.filePath(QLatin1StringView(file)));
    }
    MainModel copyModel(copy.path());
    for (int i = 0; i < YearFriends; ++i) {
        const int row = copyModel.tableForTests().appendFriend();
        copyModel.tableForTests().setCell(row, AccountName, friendName(i));
    }
    auto log = PresenceLog::open(copy.path());
    log->runStarted(YearEnd, 0);
    const double alone = scanWriteMs(*log, 1, 50, [] {});
    auto *reading = new HistoryWindow(copyModel);
    reading->show();
    auto *readingEarlier = reading->findChild<QPushButton *>(QStringLiteral("HistoryEarlier"));
    const double withWindow = scanWriteMs(*log, 51, 50, [&] {
        readingEarlier->click();
        QCoreApplication::processEvents();
    });
    reading->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::printf("a scan written: %.2f ms without the window, %.2f ms while it reads\n", alone,
                withWindow);
    return 0;
}
