#include "model/main_model.h"

#include "platform/helper_process_browser.h"
#include "platform/network_page_fetcher.h"
#include "platform/secret_store.h"
#include "scan/scan_driver.h"
#include "schedule/countdown.h"
#include "schedule/interval.h"
#include "store/clock.h"
#include "store/history_saver.h"
#include "store/presence_log.h"
#include "store/time_text.h"

#include <QNetworkAccessManager>

#include <cmath>

namespace amiscan {

namespace {

// The scan driver's step and the repeat count-down's minute.
constexpr int StepMs = 3000;
constexpr int MinuteMs = 60000;

} // namespace

MainModel::MainModel(const QString &dataDir, QObject *parent)
    : QObject(parent), m_dataDir(dataDir), m_historySaver(std::make_unique<HistorySaver>())
{
    m_scanTimer = std::make_unique<ScanTimer>(static_cast<ScheduleHost &>(*this), m_minuteTimer);
}

MainModel::~MainModel()
{
    // The scan goes first, while the model it reports to is whole: whatever the browser still
    // owes it is answered now and dropped.
    m_scanDriver.reset();
}

void MainModel::startRun()
{
    // First values of the state, in the order the program has always set them.
    m_state = MainState{};
    m_state.versionText = programVersionText();
    m_toldLongOnline.clear();
    m_scanHealth = ScanHealth();
    m_healthToTell.reset();
    readSettings();
    m_runStart = Clock::now();
    m_runStartSteadyMs = Clock::steadyMs();
    if (!m_state.password.isEmpty() && m_state.password != texts::PasswordPlaceholder)
        m_state.savedPassword = m_state.password;
    settlePasswordPlace();
    // The sort key follows the name mode in force at start-up, for the whole run.
    m_state.sortNameMode = m_state.userNames ? 1 : 0;
}

void MainModel::applyStoredRepeat()
{
    // Switched on, then the toggle turns it off with everything that goes with it.
    if (!m_state.repeatOn) {
        m_state.repeatOn = true;
        toggleRepeat();
    }
}

void MainModel::setWindowReady(bool ready)
{
    m_state.windowReady = ready;
}

void MainModel::prepareTimers()
{
    m_stepTimer.stop();
    m_stepTimer.setInterval(StepMs);
    m_minuteTimer.stop();
    m_minuteTimer.setInterval(MinuteMs);
    // The count-down always holds a number: a stored interval goes through the box's checks.
    setIntervalEntry(validatedInterval(m_state.intervalEntry), true);
    m_state.minutesLeft = minutesValue(m_state.intervalEntry);
}

void MainModel::setOption(Option option, bool on)
{
    switch (option) {
    case Option::AutoStart:
        m_state.autoStart = on;
        break;
    case Option::OnlySelected:
        m_state.onlySelected = on;
        break;
    case Option::HideOffline:
        m_state.hideOffline = on;
        break;
    case Option::UserNames:
        m_state.userNames = on;
        break;
    case Option::TrayIcon:
        m_state.trayIcon = on;
        break;
    }
}

void MainModel::setUserName(const QString &userName)
{
    m_state.userName = userName;
}

void MainModel::setPassword(const QString &password)
{
    m_state.password = password;
}

void MainModel::setSavedPassword(const QString &password)
{
    m_state.savedPassword = password;
}

void MainModel::setIntervalEntry(const QString &text)
{
    setIntervalEntry(text, false);
}

void MainModel::setIntervalEntry(const QString &text, bool tellWindows)
{
    if (m_state.intervalEntry == text)
        return;
    m_state.intervalEntry = text;
    if (tellWindows)
        emit intervalEntryChanged(text);
}

void MainModel::setPanelState(PanelState panel)
{
    m_state.panelState = panel;
}

void MainModel::setManageMode(bool shown)
{
    m_state.manageMode = shown;
}

void MainModel::setSessionShown(Session session)
{
    m_state.sessionShown = session;
}

// The scans.

ScanDriver &MainModel::scanDriver()
{
    if (!m_scanDriver) {
        // The direct read sends the cookies the browser's login received.
        auto browser = std::make_unique<HelperProcessBrowser>();
        auto fetcher = std::make_unique<NetworkPageFetcher>();
        browser->shareCookiesWith(fetcher->manager()->cookieJar());
        setScanPlatform(std::move(browser), std::move(fetcher));
    }
    return *m_scanDriver;
}

void MainModel::setScanPlatform(std::unique_ptr<Browser> browser,
                                std::unique_ptr<PageFetcher> fetcher)
{
    m_scanDriver = std::make_unique<ScanDriver>(static_cast<ScanHost &>(*this), m_stepTimer,
                                                std::move(browser), std::move(fetcher));
    connect(m_scanDriver.get(), &ScanDriver::pageMerged, this, &MainModel::finishMergedScan);
    connect(m_scanDriver.get(), &ScanDriver::presenceChanged, this, &MainModel::announceChanges);
    connect(m_scanDriver.get(), &ScanDriver::attemptEnded, this, &MainModel::recordAttempt);
}

void MainModel::openLog()
{
    if (m_log)
        return;
    m_log = PresenceLog::open(m_dataDir);
    m_log->runStarted(m_runStart, m_runStartSteadyMs);
    // Without a history read at start-up there is nothing to import, now or later.
    if (!m_historyRead)
        m_log->importHistory(FriendsTable());
    applyRetention();
}

void MainModel::recordAttempt(ScanRecord record)
{
    openLog();
    record.steadyMsAtEnd = Clock::steadyMs();
    // The log counts whole minutes: a fraction is rounded up, so no gap is taken for less.
    if (m_state.repeatOn)
        record.intervalMinutes =
            std::max(1, int(std::ceil(minutesValue(validatedInterval(m_state.intervalEntry)))));
    if (record.outcome == ScanOutcome::Read) {
        for (int row = 1; row <= m_table.friendCount(); ++row) {
            if (isOnlineRow(m_table, row))
                record.online.append(LoggedFriend{m_table.cellText(row, AccountName),
                                                  m_table.cellText(row, DisplayName)});
        }
    }
    postHistoryImport();
    m_log->recordScan(record);
    applyRetention();
    if (const std::optional<HealthNotice> notice = m_scanHealth.scanEnded(
            record.outcome, record.detail, record.end, record.steadyMsAtEnd,
            minutesValue(validatedInterval(m_state.intervalEntry)), m_state.notify.scanHealth))
        announceHealth(*notice, record.outcome == ScanOutcome::Read ||
                                    record.outcome == ScanOutcome::Unmarked);
}

void MainModel::applyRetention()
{
    const QDateTime now = Clock::now();
    if (!m_log || m_retainedOn == now.date())
        return;
    m_retainedOn = now.date();
    postHistoryImport();
    m_log->applyRetention(m_state.keepDays.value_or(0), now);
}

void MainModel::end(bool exiting)
{
    if (m_log && !m_ended) {
        postHistoryImport();
        m_log->runEnded(Clock::now());
        // The process is ending through exit(), which destroys no object of the program's: the
        // log's thread is finished here, before the libraries it uses are torn down.
        if (exiting)
            m_log.reset();
    }
    m_ended = true;
}

bool MainModel::scanInProgress() const
{
    return m_stepTimer.isActive() || (m_scanDriver && m_scanDriver->isScanInProgress());
}

void MainModel::startScanButton()
{
    scanDriver().startScanButton();
}

void MainModel::toggleRepeat()
{
    m_scanTimer->toggleRepeat();
}

void MainModel::validateInterval()
{
    m_scanTimer->validateInterval();
}

void MainModel::refreshScanStatus()
{
    m_scanTimer->refreshScanStatus();
}

void MainModel::stopTimers()
{
    m_stepTimer.stop();
    m_minuteTimer.stop();
}

bool MainModel::isTimedScan() const
{
    return m_state.minutesLeft == TimedScanRunning;
}

void MainModel::setScanButton(ScanButton button)
{
    m_state.scanButton = button;
    emit scanButtonChanged(button);
}

void MainModel::showProgress(const QString &caption, Tone tone)
{
    emit progressShown(caption, tone == Tone::Running    ? ProgressTone::Running
                                : tone == Tone::Checking ? ProgressTone::Checking
                                                         : ProgressTone::Stopped);
}

void MainModel::showProgress(const QString &caption)
{
    emit progressShown(caption, ProgressTone::Kept);
}

void MainModel::showNextScanNow()
{
    emit nextScanNowShown();
}

void MainModel::leaveManageList()
{
    emit focusParkRequested();
    if (m_state.manageMode)
        emit manageListLeaveRequested();
}

void MainModel::scanEnded()
{
    m_scanTimer->scanEnded();
}

void MainModel::scanFailed()
{
    m_scanTimer->scanFailed();
}

// The end of a scan that read the friends page: the lists show the merged table again, the
// scan is stamped, the history is kept, and the repeat count-down goes on.

void MainModel::finishMergedScan()
{
    // The table is reordered once, online friends first; the management list takes its places
    // from the key order that this starts from.
    const QList<int> rowsByKey =
        m_keyOrder.rows(m_table, sortKeyColumn(m_state.sortNameMode), m_collation);
    emit manageListRefillDue(rowsByKey);
    m_table.rebuild(onlineFirst(m_table, rowsByKey));
    sortedAs(TableOrder::OnlineFirst);
    emit mainListRefillDue();
    completeScan();
}

void MainModel::completeScan()
{
    m_stepTimer.stop();
    const QString stamp = formatScanStamp(Clock::now());
    m_state.lastScanStamp = stamp;
    emit scanStamped(stamp);
    // While the management list is shown the history waits for the next save.
    if (!m_state.manageMode)
        saveHistory();
    setScanButton(ScanButton::Start);
    m_scanTimer->restartCount();
    m_state.scanCompleted = true;
    refreshScanStatus();
    // The password just logged in with: kept in the keyring at once.
    keepPasswordInKeyring();
}

} // namespace amiscan
