#pragma once

#include "scan/scan_state.h"
#include "store/clock.h"
#include "store/friends_table.h"
#include "store/scan_record.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class QTimer;

namespace amiscan {

class Browser;
class PageFetcher;
class ScanHost;

// Takes one scan from the Start Scan button to the friends page read and merged, or to a failure
// message. The first scan of a run goes through the browser, later ones try the direct read
// first. The browser route is a small state machine advanced by the step timer.
// Nothing here blocks the window: the fetch, the page reads and the fixed waits all return to
// the event loop. A tick that falls due while the browser has not answered an earlier one
// counts as a tick spent waiting, so a browser that never answers still ends the scan.
class ScanDriver final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScanDriver)

public:
    // The program's timings; tests shorten them.
    struct Timings
    {
        int tickMs = 3000;
        int afterDirectReadMs = 2000;
        int countdownStepMs = 1000;
    };

    // The step timer is the model's; the driver starts, stops and times it.
    ScanDriver(ScanHost &host, QTimer &stepTimer, std::unique_ptr<Browser> browser,
               std::unique_ptr<PageFetcher> fetcher, QObject *parent = nullptr);
    ~ScanDriver() override;

    void setTimings(const Timings &timings);
    Browser &browser() const { return *m_browser; }
    // From the start of a scan to its end, the count-down and the read included (these go on
    // after an abort): the status row shows the scan's progress meanwhile.
    bool isScanInProgress() const;

    ScanStep step() const { return m_step; }
    int waitCount() const { return m_waitCount; }
    DirectRead directReadResult() const { return m_directRead; }

    // The Start Scan / Abort Scan button.
    void startScanButton();
    void startScan();
    void endScan();
    // The step timer's tick.
    void tick();

signals:
    // The friends page has been read and merged into the table.
    void pageMerged();
    // After pageMerged: the friends who came online in the scan and those who went offline.
    void presenceChanged(const QList<FriendsTable::RowId> &cameOnline,
                         const QList<FriendsTable::RowId> &wentOffline);
    // Every scan started ends here once, read or not: its times, route, outcome and entries.
    void attemptEnded(const amiscan::ScanRecord &record);

private:
    void directRead(int scan);
    void afterDirectRead(int scan);
    void openFriendsPage();
    void stepLoaded(int scan);
    void stepLogIn(int scan);
    void stepRead();
    void finishTick();
    void waitedWithoutAnswer();
    void failScan();
    void recordAttempt(ScanOutcome outcome, int entryCount);
    // The scan comes to rest: what it is still owed is dropped, the button shows Start Scan.
    void stopScan();
    void showWaitCount();
    void countdown(int step);
    void readAndMerge();
    bool isCurrent(int scan) const { return scan == m_scan && m_tickBusy; }
    QUrl friendsPage() const;

    ScanHost &m_host;
    ScanShared &m_shared;
    QTimer &m_stepTimer;
    std::unique_ptr<Browser> m_browser;
    std::unique_ptr<PageFetcher> m_fetcher;
    Timings m_timings;
    ScanStep m_step = ScanStep::Idle;
    int m_waitCount = 0;
    bool m_loginSubmitted = false;
    DirectRead m_directRead = DirectRead::NotTried;
    // The friends page handed to the page reader; emptied when a read fails and once read.
    QString m_pageText;
    // Identifies the scan in progress; an abort moves it on so late answers are dropped.
    int m_scan = 0;
    bool m_tickBusy = false;
    // From the start of a scan to its completion or its end.
    bool m_running = false;
    // The count-down and the read of the friends page, which run to their end after an abort.
    bool m_reading = false;
    // From the direct read's fetch to the end of its wait, which also outlive an abort.
    bool m_directReading = false;
    // Since the count-down began: its steps end whole steps after that, whatever ran between.
    QElapsedTimer m_countdownClock;
    // Tells the merge when the wall clock was set between two scans.
    ClockStepWatch m_clockSteps;
    // A start asked for while an aborted scan's read was still running: it runs after the read.
    bool m_startQueued = false;
    // The repeat count-down fired the scan in progress.
    bool m_timedScan = false;
    // A scan has failed since a scan last read the page: the user has been told, and the timed
    // scans that fail next tell nothing more, so that a service away for the night leaves one
    // message, not one a scan.
    bool m_failing = false;
    // When the scan under way started; invalid once it has been recorded.
    QDateTime m_attemptStart;
    QString m_pageHtml;
    QUrl m_pageAddress;
};

} // namespace amiscan
