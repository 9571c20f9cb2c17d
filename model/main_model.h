#pragma once

#include "lists/list_title.h"
#include "lists/main_list.h"
#include "lists/table_sort.h"
#include "model/main_state.h"
#include "model/scan_health.h"
#include "scan/scan_host.h"
#include "schedule/scan_timer.h"
#include "store/collation.h"
#include "store/friends_table.h"
#include "store/history_file.h"
#include "store/key_order.h"
#include "store/safe_file.h"
#include "store/settings_file.h"

#include <QDate>
#include <QObject>
#include <QTimer>

#include <future>
#include <memory>
#include <optional>

namespace amiscan {

class Browser;
class HistorySaver;
struct ScanRecord;
class PageFetcher;
class PresenceLog;
class ScanDriver;
class SecretStore;

// The options the main window's check boxes show.
enum class Option
{
    AutoStart,
    OnlySelected,
    HideOffline,
    UserNames,
    TrayIcon,
};

// The scan's progress in the status row: its colour, or the one shown kept.
enum class ProgressTone
{
    Kept,
    Running,
    Checking,
    Stopped,
};

// The management list's lines, in key order, with their marks.
struct ManageListContent
{
    QList<FriendsTable::RowId> friends;
    QList<bool> checked;
};

// Everything the program knows and does for the whole run, without a widget: the friends table
// and its orders, the two files, the settings, the scans and both timers, and every state the
// windows show. The windows send it the user's actions and follow its signals.
class MainModel final : public QObject, private ScanHost, private ScheduleHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainModel)

public:
    // dataDir holds the settings and history files.
    explicit MainModel(const QString &dataDir, QObject *parent = nullptr);
    ~MainModel() override;

    QString dataDir() const { return m_dataDir; }
    const MainState &state() const { return m_state; }
    const FriendsTable &table() const { return m_table; }
    // The table itself, for tests and benchmarks that fill it.
    FriendsTable &tableForTests() { return m_table; }
    MainState &stateForTests() { return m_state; }

    // Start-up: the first values, then the settings file (written back at once), then the
    // history file. The timers get their periods and stand still.
    void startRun();
    // Starts reading the history file on a thread of its own, so that it is read while the
    // windows are made; loadHistory() takes the table it read. Before loadHistory() only.
    void readHistoryAhead();
    void loadHistory();
    // The timers get their periods and stand still; the count-down starts from the interval.
    void prepareTimers();
    // The window is on screen (or not any more): the timers' work may move the focus.
    void setWindowReady(bool ready);
    // The settings asked for repetition switched off: the switch runs with what goes with it.
    void applyStoredRepeat();

    // The desktop's keyring for the password: none unless the program or a test gives one.
    void setSecretStore(std::unique_ptr<SecretStore> store);
    // Auto Start's scan: at once, or once the keyring has answered for the password.
    void startScanOnceLoginKnown();

    // What the preferences change, applied at once and saved.
    void setNotificationRules(const NotificationRules &rules);
    void setPasswordPlace(PasswordPlace place);
    void sendTestNotification() { emit notificationDue(testNotification()); }
    // The presence log: the days it keeps (none: everything), and forgetting all of it.
    void setKeepDays(std::optional<int> days);
    void forgetAllHistory();
    PresenceLog &presenceLog();
    // The history is asked for: from a notification, a later start or the preferences.
    void requestHistory() { emit historyRequested(); }

    // What the user changed.
    void setOption(Option option, bool on);
    void setUserName(const QString &userName);
    void setPassword(const QString &password);
    void setSavedPassword(const QString &password);
    void setIntervalEntry(const QString &text);
    void setPanelState(PanelState panel);
    void setManageMode(bool shown);
    void setSessionShown(Session session);

    // The orders of the table and the lists' contents, counted into the state.
    void sortByKey();
    void sortOnlineFirst();
    LineModes lineModes() const;
    MainListContent mainList();
    ManageListContent manageList();
    ManageListContent manageList(const QList<int> &rowsByKey);
    ListTitle listTitle() const;
    // The management list's marks reach the table.
    void writeBackMarks(const QList<bool> &checked);
    // Removes the friend from the table; returns its line's place in the management list (1 up),
    // or 0 when it was gone already.
    int removeFriend(FriendsTable::RowId friendId);

    // The scans. The Start Scan button is also what the count-down presses.
    void startScanButton() override;
    void toggleRepeat();
    // Leaving the interval box.
    void validateInterval();
    void refreshScanStatus();
    // A scan is under way (its count-down and read included): the status row is the scan's.
    bool scanInProgress() const;
    ScanDriver &scanDriver();
    ScanTimer &scanTimer() { return *m_scanTimer; }
    // The scan driver's step timer, and the repeat count-down's minute, which tests shorten.
    const QTimer &stepTimer() const { return m_stepTimer; }
    QTimer &minuteTimer() { return m_minuteTimer; }
    // The end of a scan that read the page: the orders, the stamp, the save, the count-down.
    void finishMergedScan();
    // Scans through the given browser and fetcher instead of the real ones (tests).
    void setScanPlatform(std::unique_ptr<Browser> browser, std::unique_ptr<PageFetcher> fetcher);

    // The files. The history is written off this thread from a copy of the table.
    void saveHistory();
    void waitForHistorySave();
    void saveSettings();
    // The first file whose latest save failed, if any; the history before the settings.
    std::optional<SaveFailure> saveFailure() const;
    // Writes again the saves that failed: the history as it was asked for, the settings as now.
    void retryFailedSaves();
    // The run is over: both timers stop, and nothing is written after end().
    void stopTimers();
    // The run is over: the presence log hears it, and nothing is written after. exiting: the
    // process is ending through exit() (the display is gone).
    void end(bool exiting = false);
    bool hasEnded() const { return m_ended; }

signals:
    void progressShown(const QString &caption, ProgressTone tone);
    void scanButtonChanged(ScanButton button);
    void statusShown(const StatusRow &row);
    void repeatShown(bool on);
    // A timed scan has begun: the count-down's caption says so.
    void nextScanNowShown();
    void intervalEntryChanged(const QString &text);
    // The history file is being read at start-up.
    void historyReading();
    // A scan's end moves the focus out of the way.
    void focusParkRequested();
    // A message with Ok over the window brought back; the emit returns once it is closed.
    void messageRequested(const QStringList &lines);
    // The message of a failed scan: shown the same way, but the emit returns at once.
    void failureRequested(const QStringList &lines);
    void manageListLeaveRequested();
    // A scan read the page: the management list takes the friends in key order, then the main
    // list the table in its new order.
    void manageListRefillDue(const QList<int> &rowsByKey);
    void mainListRefillDue();
    // The scan completed at the given stamp.
    void scanStamped(const QString &stamp);
    // A scan changed what the rules tell, or the test notification was asked for.
    void notificationDue(const Notification &notification);
    void historyRequested();
    // The keyring gave the password after start-up: the boxes show it.
    void passwordRestored();
    void keyringStateChanged();

private:
    // ScanHost
    ScanShared &scanShared() override { return m_state; }
    FriendsTable &friendsTable() override { return m_table; }
    bool isTimedScan() const override;
    void setScanButton(ScanButton button) override;
    void showProgress(const QString &caption, Tone tone) override;
    void showProgress(const QString &caption) override;
    void showNextScanNow() override;
    void showMessage(const QStringList &lines) override { emit messageRequested(lines); }
    void showFailure(const QStringList &lines) override { emit failureRequested(lines); }
    void leaveManageList() override;
    void scanEnded() override;
    void scanFailed() override;
    // ScheduleHost
    ScheduleState &scheduleState() override { return m_state; }
    ScanState scanState() const override { return m_state.scanState; }
    bool isReady() const override { return m_state.windowReady; }
    bool isManageListShown() const override { return m_state.manageMode; }
    bool isScanInProgress() const override { return scanInProgress(); }
    QString intervalText() const override { return m_state.intervalEntry; }
    void setIntervalText(const QString &text) override { setIntervalEntry(text, true); }
    void showStatus(const StatusRow &row) override { emit statusShown(row); }
    void showRepeat(bool on) override { emit repeatShown(on); }
    void parkFocus() override { emit focusParkRequested(); }

    void setIntervalEntry(const QString &text, bool tellWindows);
    // The presence log, once there is anything to keep: a run that starts with neither a history
    // nor a log writes nothing until a scan ends.
    void openLog();
    // A scan attempt ended: the presence log keeps it, with who is online after a read.
    void recordAttempt(ScanRecord record);
    // The days the presence log keeps, applied once a day.
    void applyRetention();
    // Hands the log the table read at start-up, once the window has its lines (their first
    // fill writes every friend's place, and a table shared with the log would then be copied
    // whole), or before anything else is asked of the log.
    void postHistoryImport();
    void readSettings();
    settings::OwnValues ownValues() const;
    void completeScan();

    // The password and the keyring (model_password.cpp).
    QString keyringService() const;
    void settlePasswordPlace();
    void askKeyringForPassword();
    void keepPasswordInKeyring();
    void forgetPasswordInKeyring();
    bool passwordOnlyInKeyring() const;
    void setKeyringState(KeyringState state, const QString &reason = {});
    SecretStore &secretStore();
    // The notifications a scan gives (model_notify.cpp).
    void announceChanges(const QList<FriendsTable::RowId> &cameOnline,
                         const QList<FriendsTable::RowId> &wentOffline);
    // A failing episode's start or end, told with the scan's changes when the scan merges.
    void announceHealth(const HealthNotice &notice, bool changesFollow);

    // The order the table was last sorted in, and the table's order version just after.
    enum class TableOrder
    {
        None,
        ByKey,
        OnlineFirst,
    };
    bool sortedAlready(TableOrder order) const;
    void sortedAs(TableOrder order);

    QString m_dataDir;
    MainState m_state;
    FriendsTable m_table;
    // The scan driver's step timer and the repeat count-down's minute timer.
    QTimer m_stepTimer;
    QTimer m_minuteTimer;
    std::unique_ptr<ScanTimer> m_scanTimer;
    std::unique_ptr<ScanDriver> m_scanDriver;
    std::unique_ptr<HistorySaver> m_historySaver;
    // Every scan kept, beside the history file; absent until the run starts.
    std::unique_ptr<PresenceLog> m_log;
    QDate m_retainedOn;
    // The history file was read at start-up: the log imports it once.
    bool m_historyRead = false;
    bool m_historyImportDue = false;
    struct HistoryRead
    {
        FriendsTable table;
        history::ReadResult result;
    };
    std::future<HistoryRead> m_historyAhead;
    QDateTime m_runStart;
    qint64 m_runStartSteadyMs = 0;
    // The unreadable history could not be moved aside, so no save was asked for.
    std::optional<SaveFailure> m_historyAsideFailure;
    std::optional<SaveFailure> m_settingsFailure;
    // One collation for the run: it keeps the sort keys of the names it has ordered.
    Collation m_collation;
    // The key order of the last sort, which the next one starts from.
    KeyOrder m_keyOrder;
    TableOrder m_tableOrder = TableOrder::None;
    std::unique_ptr<SecretStore> m_secretStore;
    // KeepDays is written once it was read or set.
    bool m_keepDaysKnown = false;
    // The user name and the password the keyring holds, as far as this run knows.
    std::optional<std::pair<QString, QString>> m_keyringHolds;
    bool m_keyringWriting = false;
    // The settings file, as last read or written, holds the password.
    bool m_passwordInFile = false;
    bool m_scanWhenLoginKnown = false;
    // Per friend online past the rules' minutes, the online period already told.
    QHash<FriendsTable::RowId, QString> m_toldLongOnline;
    ScanHealth m_scanHealth;
    // What the scan being merged tells of the scans' health, told with its changes.
    std::optional<HealthNotice> m_healthToTell;
    quint64 m_sortedVersion = 0;
    int m_sortedNameMode = -1;
    bool m_ended = false;
};

} // namespace amiscan
