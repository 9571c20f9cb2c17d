#include "scan/scan_driver.h"

#include "platform/address_policy.h"
#include "platform/browser.h"
#include "platform/logging.h"
#include "platform/page_fetcher.h"
#include "scan/page_reader.h"
#include "scan/presence_merge.h"
#include "scan/scan_host.h"
#include "scan/service_address.h"
#include "store/clock.h"

#include <QTimer>

#include <algorithm>
#include <utility>

namespace amiscan {

ScanDriver::ScanDriver(ScanHost &host, QTimer &stepTimer, std::unique_ptr<Browser> browser,
                       std::unique_ptr<PageFetcher> fetcher, QObject *parent)
    : QObject(parent), m_host(host), m_shared(host.scanShared()), m_stepTimer(stepTimer),
      m_browser(std::move(browser)), m_fetcher(std::move(fetcher))
{
    // The ticks are exact like the scan's other waits: a coarse timer may fire up to 5 % late,
    // 150 ms of each 3-second tick.
    m_stepTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_stepTimer, &QTimer::timeout, this, &ScanDriver::tick);
}

ScanDriver::~ScanDriver()
{
    // The browser and the fetcher answer what they still owe as they are destroyed: those
    // answers must find no scan to continue, in a driver and a model that are going away.
    ++m_scan;
    m_tickBusy = false;
    m_reading = false;
    m_directReading = false;
    m_startQueued = false;
    m_browser.reset();
    m_fetcher.reset();
}

bool ScanDriver::isScanInProgress() const
{
    return m_running || m_reading;
}

void ScanDriver::setTimings(const Timings &timings)
{
    m_timings = timings;
    m_stepTimer.setInterval(timings.tickMs);
}

QUrl ScanDriver::friendsPage() const
{
    return friendsPageUrl(m_shared.serviceUrl);
}

void ScanDriver::startScanButton()
{
    m_host.leaveManageList();

    if (m_shared.scanButton != ScanButton::Start) {
        m_startQueued = false;
        endScan();
        return;
    }
    m_host.setScanButton(ScanButton::Abort);
    // An aborted scan's direct read or count-down is still reading its page: the new scan starts
    // once that read has ended, so the page being read is not cleared under it. Abort Scan
    // cancels it meanwhile.
    if (m_reading || m_directReading) {
        m_startQueued = true;
        return;
    }
    if (m_shared.userName == texts::UserPlaceholder) {
        m_host.showMessage(
            {QStringLiteral("Invalid Vey Username"), QStringLiteral("Please fill in this field")});
        endScan();
    } else if (m_shared.password == texts::PasswordPlaceholder) {
        m_host.showMessage(
            {QStringLiteral("Invalid Vey Password"), QStringLiteral("Please fill in this field")});
        endScan();
    } else {
        startScan();
    }
}

void ScanDriver::startScan()
{
    const int scan = ++m_scan;
    m_tickBusy = false;
    m_running = true;
    m_attemptStart = Clock::now();
    m_seen = {};
    m_host.showProgress(texts::ScanRunning, ScanHost::Tone::Running);
    m_timedScan = m_host.isTimedScan();
    if (m_timedScan)
        m_host.showNextScanNow();
    m_pageText.clear();
    m_pageAddress.clear();
    m_waitCount = 0;
    m_loginSubmitted = false;
    m_directRead = DirectRead::NotTried;

    m_stepTimer.setInterval(m_timings.tickMs);
    if (m_shared.scanState == ScanState::NotStarted) {
        m_shared.scanState = ScanState::Started;
        m_step = ScanStep::Wait;
        m_stepTimer.start();
        openFriendsPage();
        return;
    }
    m_host.showProgress(texts::CheckingFriends, ScanHost::Tone::Checking);
    m_shared.scanState = ScanState::Started;
    m_step = ScanStep::DirectRead;
    m_stepTimer.start();
    directRead(scan);
}

void ScanDriver::directRead(int scan)
{
    // An abort meanwhile ends the scan at once, but not the read: the page it brings is still
    // counted down, read and merged, as when the abort comes during the count-down.
    m_directReading = true;
    m_fetcher->fetch(friendsPage(), [this, scan](bool ok, const QString &text, const QUrl &address,
                                                 const LoadTrouble &trouble) {
        if (!m_directReading)
            return; // the driver is going away
        if (trouble.httpStatus != 0 || trouble.certificateRefused)
            m_seen.trouble = trouble;
        // Only the service's own page counts, wherever a redirect may have led.
        if (ok && text.contains(FriendsPageMarker) && isServicePage(address, friendsPage())) {
            m_pageText = text;
            m_directRead = DirectRead::FriendsPage;
            // The scan's waits are exact: a coarse timer may end a wait up to 5 % late.
            QTimer::singleShot(m_timings.afterDirectReadMs, Qt::PreciseTimer, this,
                               [this, scan] { afterDirectRead(scan); });
        } else {
            qCInfo(scanLog, "%s: the browser takes over",
                   ok ? "The direct read found no friends page of the service (the login may "
                        "have expired)"
                      : "The direct read failed");
            m_pageText.clear();
            m_directRead = DirectRead::Failed;
            afterDirectRead(scan);
        }
    });
}

void ScanDriver::afterDirectRead(int scan)
{
    if (!std::exchange(m_directReading, false))
        return;
    m_waitCount = 0;
    m_step = ScanStep::Wait;
    m_stepTimer.stop();
    if (m_directRead == DirectRead::FriendsPage) {
        m_step = ScanStep::Read;
        countdown(0);
        return;
    }
    if (scan != m_scan) {
        // Aborted, and nothing to read: the browser route does not follow. A start asked for
        // meanwhile runs now.
        recordAttempt({ScanOutcome::Aborted}, 0);
        if (std::exchange(m_startQueued, false))
            startScanButton();
        return;
    }
    m_host.showProgress(texts::ScanRunning, ScanHost::Tone::Running);
    m_step = ScanStep::Wait;
    m_stepTimer.start();
    openFriendsPage();
}

void ScanDriver::openFriendsPage()
{
    const QUrl url = friendsPage();
    m_browser->load();
    if (!isAllowedServiceAddress(url)) {
        qCInfo(scanLog, "The service address %s is refused: neither HTTPS nor on this machine",
               qPrintable(url.toDisplayString()));
        // Never sent: the address counts as unreachable and the next tick gives up.
        m_waitCount = WaitingTickLimit;
        return;
    }
    m_browser->navigate(url);
}

void ScanDriver::tick()
{
    if (m_reading)
        return;
    if (m_tickBusy) {
        waitedWithoutAnswer();
        return;
    }
    if (m_step == ScanStep::DirectRead) {
        // The direct read's own caption stays until it has answered.
        ++m_waitCount;
        return;
    }
    m_tickBusy = true;
    const int scan = m_scan;
    showWaitCount();

    if (m_step != ScanStep::Wait || m_waitCount >= WaitingTickLimit) {
        stepLoaded(scan);
        return;
    }
    // Has a complete page arrived?
    ++m_waitCount;
    m_browser->readPage([this, scan](bool hasDocument, const QString &html, const QUrl &address,
                                     const LoadTrouble &trouble) {
        if (!isCurrent(scan))
            return;
        if (trouble.httpStatus != 0 || trouble.certificateRefused)
            m_seen.trouble = trouble;
        if (hasDocument && html.indexOf(PageEndMarker, 99) >= 0) {
            // The login goes only to the service's own pages, wherever the browser was sent.
            if (!html.contains(ServiceDomainWord) || !isServicePage(address, friendsPage())) {
                qCInfo(scanLog, "The page at %s is not the service's: no login goes to it",
                       qPrintable(address.toDisplayString()));
                m_seen.page = ScanSeen::Page::Foreign;
                m_waitCount = WaitingTickLimit;
            } else {
                m_step = ScanStep::PageLoaded;
            }
        }
        m_pageHtml = html;
        m_pageAddress = address;
        stepLoaded(scan);
    });
}

void ScanDriver::showWaitCount()
{
    if (m_waitCount != 0 &&
        (m_step == ScanStep::Wait || m_step == ScanStep::PageLoaded || m_step == ScanStep::LogIn))
        m_host.showProgress(texts::ScanRunning + QStringLiteral("(%1)").arg(m_waitCount));
}

void ScanDriver::waitedWithoutAnswer()
{
    // The browser has not answered an earlier tick (a page script that never yields, a page
    // process that hangs): this tick counts as spent waiting, so the limit still comes.
    showWaitCount();
    if (++m_waitCount < WaitingTickLimit)
        return;
    qCInfo(scanLog, "The browser has not answered for %d s", m_waitCount * m_timings.tickMs / 1000);
    failScan(failureVerdict(), 0);
}

void ScanDriver::stepLoaded(int scan)
{
    if (m_step != ScanStep::PageLoaded) {
        stepLogIn(scan);
        return;
    }
    // The friends page, or the login form.
    m_pageText = m_pageHtml;
    if (m_pageText.contains(FriendsPageMarker)) {
        m_step = ScanStep::Read;
        m_waitCount = 0;
        m_browser->navigate(QUrl(QStringLiteral("about:blank")));
        m_browser->stop();
        m_browser->unload();
    } else if (m_pageText.contains(QLatin1StringView("<input"), Qt::CaseInsensitive)) {
        m_seen.page = ScanSeen::Page::LoginForm;
        m_pageText.clear();
        m_step = ScanStep::LogIn;
    } else {
        // Neither page: it is looked at again at the next tick, which counts as spent waiting,
        // so that a page the scan does not understand ends it as no page does.
        m_seen.page = ScanSeen::Page::Other;
        m_pageText.clear();
        m_step = ScanStep::Wait;
    }
    stepLogIn(scan);
}

void ScanDriver::stepLogIn(int scan)
{
    if (m_step != ScanStep::LogIn) {
        stepRead();
        return;
    }
    // Fill in the login form and submit it. Without a form, try again next tick.
    m_shared.password = m_shared.savedPassword;
    m_browser->submitLogin(m_shared.userName, m_shared.password, m_pageAddress,
                           [this, scan](Browser::LoginResult result) {
                               if (!isCurrent(scan))
                                   return;
                               if (result == Browser::LoginResult::Submitted) {
                                   // What counts now is what the first login brings: the
                                   // form again, whatever comes after it.
                                   if (!std::exchange(m_seen.loginSent, true)) {
                                       m_seen.page = ScanSeen::Page::None;
                                       m_seen.trouble = {};
                                   }
                                   m_loginSubmitted = true;
                                   m_step = ScanStep::Wait;
                               } else if (result == Browser::LoginResult::OtherPage) {
                                   // The page has gone elsewhere: the new one is checked first.
                                   m_step = ScanStep::Wait;
                               }
                               stepRead();
                           });
}

void ScanDriver::stepRead()
{
    if (m_step == ScanStep::Read) {
        // The count-down and the read run to their end, even if the scan is aborted meanwhile.
        m_tickBusy = false;
        m_stepTimer.stop();
        countdown(0);
        return;
    }
    finishTick();
}

void ScanDriver::finishTick()
{
    if (m_waitCount >= WaitingTickLimit && m_step == ScanStep::Wait)
        failScan(failureVerdict(), 0);
    m_tickBusy = false;
}

ScanVerdict ScanDriver::failureVerdict()
{
    m_seen.ticksWaited = m_waitCount;
    m_seen.network = m_networkReach();
    return judgeScan(m_seen);
}

void ScanDriver::failScan(const ScanVerdict &verdict, int entryCount)
{
    // The scan ends, and the count-down runs again, before any message: the next timed scan
    // starts whether the message has been answered or not.
    qCInfo(scanLog, "The scan gave up: %s (the last page: %s)",
           qPrintable(outcomeWords(verdict.outcome, verdict.detail, entryCount)),
           m_pageAddress.isEmpty() ? "none" : qPrintable(m_pageAddress.toDisplayString()));
    stopScan();
    recordAttempt(verdict, entryCount);
    m_host.scanFailed();
    m_host.showProgress(texts::ScanStopped, ScanHost::Tone::Stopped);
    // A scan the user started always tells; a timed scan only the first failure of a run.
    if (!std::exchange(m_failing, true) || !m_timedScan)
        m_host.showFailure(m_loginSubmitted ? QStringList{QStringLiteral("Unable to login !"),
                                                          QStringLiteral("Please, check your Vey"),
                                                          QStringLiteral("Username and Password.")}
                                            : QStringList{QStringLiteral("Unable to connect !"),
                                                          QStringLiteral("Please, check your"),
                                                          QStringLiteral("internet connection.")});
    m_waitCount = 0;
}

void ScanDriver::countdown(int step)
{
    m_reading = true;
    if (step == 0)
        m_countdownClock.start();
    if (step <= 3) {
        m_host.showProgress(step == 0 ? texts::CheckingFriends
                                      : texts::CheckingFriends + QStringLiteral("(%1)").arg(step),
                            ScanHost::Tone::Checking);
        const qint64 due = qint64(step + 1) * m_timings.countdownStepMs;
        QTimer::singleShot(int(std::max<qint64>(0, due - m_countdownClock.elapsed())),
                           Qt::PreciseTimer, this, [this, step] { countdown(step + 1); });
        return;
    }
    readAndMerge();
}

void ScanDriver::readAndMerge()
{
    const QList<FriendEntry> entries = readFriendsPage(m_pageText, int(m_directRead));
    m_seen.page = ScanSeen::Page::Friends;
    m_seen.friendsPage = std::exchange(m_pageText, QString());
    m_seen.entries = entries;
    const ScanVerdict verdict = judgeScan(m_seen);
    if (!verdict.merge) {
        // A page not understood leaves the table, its sessions and the history as they were,
        // and ends the scan as a failed one; after an abort it is only recorded.
        m_reading = false;
        if (m_running)
            failScan(verdict, int(entries.size()));
        else
            recordAttempt(verdict, int(entries.size()));
        if (std::exchange(m_startQueued, false))
            startScanButton();
        return;
    }
    // The rows move when the lists are rebuilt: the friends are followed by their numbers.
    FriendsTable &table = m_host.friendsTable();
    QList<FriendsTable::RowId> cameOnline;
    QList<FriendsTable::RowId> wentOffline;
    const QDateTime now = Clock::now();
    const QDateTime steppedFrom = m_clockSteps.stepSince(now, Clock::steadyMs());
    QList<int> offlineRows;
    for (const int row : mergePresence(table, entries, now, steppedFrom, &offlineRows))
        cameOnline << table.rowId(row);
    for (const int row : std::as_const(offlineRows))
        wentOffline << table.rowId(row);
    m_shared.scanState = ScanState::PageRead;
    m_failing = false;
    m_reading = false;
    m_running = false;
    m_stepTimer.stop();
    emit pageMerged();
    // Recorded first: the scans working again are told with the friends the scan changed.
    recordAttempt(verdict, int(entries.size()));
    emit presenceChanged(cameOnline, wentOffline);
    if (std::exchange(m_startQueued, false))
        startScanButton();
}

void ScanDriver::endScan()
{
    // An abort leaves a read under way to its end, which records the scan.
    if (!m_reading && !m_directReading)
        recordAttempt({ScanOutcome::Aborted}, 0);
    stopScan();
    m_waitCount = 0;
    m_host.scanEnded();
}

void ScanDriver::stopScan()
{
    ++m_scan; // late answers of this scan are dropped
    m_tickBusy = false;
    m_running = false;
    m_host.setScanButton(ScanButton::Start);
    m_stepTimer.stop();
    // No browser page stays behind an aborted or failed scan.
    if (!m_reading)
        m_browser->unload();
}

void ScanDriver::recordAttempt(const ScanVerdict &verdict, int entryCount)
{
    if (!m_attemptStart.isValid())
        return;
    ScanRecord record;
    record.start = std::exchange(m_attemptStart, QDateTime());
    record.end = Clock::now();
    record.route = m_directRead == DirectRead::FriendsPage ? ScanRoute::Direct : ScanRoute::Browser;
    record.outcome = verdict.outcome;
    record.detail = verdict.detail;
    record.entryCount = entryCount;
    emit attemptEnded(record);
}

} // namespace amiscan
