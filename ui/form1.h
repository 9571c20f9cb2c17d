#pragma once

#include "lists/table_sort.h"
#include "store/collation.h"
#include "store/friends_table.h"
#include "ui/form1_texts.h"
#include "ui/main_state.h"
#include "ui/status_label.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace amiscan {

class Browser;
class HistorySaver;
class LineList;
class Form2;
class Notifier;
class PageFetcher;
class ScanDriver;
class ScanTimer;
class ScanView;
class TrayIcon;

// The ways the program ends: its Exit button, the window's close box, and every other closing
// (the desktop session ending, the system stopping the program).
enum class ExitRoute
{
    ExitButton,
    CloseBox,
    OtherClosing,
};

// The main window. Its controls carry the names of the window design (ButGo, List1, ...), both
// as members and as object names, and it owns the state and the friends table for the whole run.
class Form1 final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    // dataDir holds the settings and history files; the program passes its own directory.
    explicit Form1(const QString &dataDir, QWidget *parent = nullptr);
    ~Form1() override;

    // The start-up sequence, from the first values of the state to Auto Start. The single-copy
    // check has already run.
    void load();

    QString dataDir() const { return m_dataDir; }
    int windowHeightTwips() const;
    void setWindowHeightTwips(int height);

    // Operations shared across the program.
    void parkFocus();
    // Both fills take the lines of every row when the caller has built them for the other list
    // (friendLines, same modes and table order).
    void fillMainList();
    void updateListTitle();
    void layoutLists();
    void sortByKey();
    void sortOnlineFirst();
    void fillManageList();
    void showManageList();
    void writeBackSelection();
    void showMainList();
    void switchSession();
    void refreshScanStatus();
    void toggleRepeat();
    // Hides the panel when it is shown, shows it otherwise.
    void togglePanel();
    void startScanButton();
    // Starts writing the history file from a copy of the table; the window goes on at once.
    void saveHistory();
    // Returns once the history file holds the content of the latest save.
    void waitForHistorySave();
    void loadHistory();
    void readSettings();
    void saveSettings();

    // The scan: the driver, the rebuild and stamp after a merged page, the repeat count-down.
    ScanDriver &scanDriver();
    ScanTimer &scanTimer() { return *m_scanTimer; }
    // A scan is under way (its count-down and read included): the status row is the scan's.
    bool scanInProgress() const;
    // Scans through the given browser and fetcher instead of the real ones (tests).
    void setScanPlatform(std::unique_ptr<Browser> browser, std::unique_ptr<PageFetcher> fetcher);
    void finishMergedScan();
    void completeScan();
    void validateInterval();

    // The dialog window, one at a time. A caller loads a fresh dialog (captioned "Amiscan"),
    // fills it and shows it: messages and confirmations modally, the About box modelessly.
    Form2 *loadDialog();
    void showDialog();
    void unloadDialog();
    Form2 *dialog() const;
    // A message of two or three lines with "Ok"; returns once it is closed.
    void showMessage(const QStringList &lines);
    // A confirmation of two or three lines with "Yes" and "Cancel": true after Yes only.
    bool confirm(const QStringList &lines);
    void showAbout();

    // The notification-area icon, the system's own unless a test set another.
    TrayIcon &trayIcon();
    void setTrayIcon(std::unique_ptr<TrayIcon> icon);
    // CheckTray's click: adds or removes the icon.
    void trayOptionClicked();
    // A press on the icon: the window comes back in its normal state.
    void restoreFromTray();
    // Shows the window in its normal state, in front, its lists laid out.
    void bringBack();

    // The desktop's notifications, the system's own unless a test set others.
    Notifier &notifier();
    void setNotifier(std::unique_ptr<Notifier> notifier);
    // The selected friends who came online in a scan, announced when the option is on.
    void announceOnline(const QStringList &names);
    // Whether minimising hides the window, leaving only the icon.
    bool hidesWhenMinimised() const;

    // Ends the program the given way: the Exit button saves the history and the settings, the
    // close box the settings only, every other closing both. The icon goes, the dialog closes,
    // and programEnded asks the application to end. Nothing is written after that.
    void endProgram(ExitRoute route);
    bool hasEnded() const { return m_ended; }

    MainState state;
    FriendsTable table;

    // Panel, column 1: the shadowed title and the panel button.
    QLabel *LabelProg1 = nullptr;
    QLabel *LabelProg2 = nullptr;
    QPushButton *ButHidePanel = nullptr;
    // Column 2: login.
    QLineEdit *TextLogin = nullptr;
    QLineEdit *TextPw = nullptr;
    QLabel *LabCheckAutoStart = nullptr;
    QCheckBox *CheckAutoStart = nullptr;
    // Column 3: scan and repeat.
    QPushButton *ButGo = nullptr;
    QLabel *LabTextTimerScan1 = nullptr;
    QLineEdit *TextTimerScan = nullptr;
    QLabel *LabTextTimerScan2 = nullptr;
    QPushButton *ButTimerOnOff = nullptr;
    QLabel *LabTimerOn = nullptr;
    QLabel *LabTimerOff = nullptr;
    // Column 4: list options.
    QLabel *LabCheckFlter = nullptr;
    QCheckBox *CheckFlter = nullptr;
    QLabel *LabCheckHideOff = nullptr;
    QCheckBox *CheckHideOff = nullptr;
    QLabel *LabCheckUser = nullptr;
    QCheckBox *CheckUser = nullptr;
    // Column 5: about, exit, tray.
    QPushButton *ButAbout = nullptr;
    QPushButton *ButExit = nullptr;
    QLabel *LabCheckTray = nullptr;
    QCheckBox *CheckTray = nullptr;
    // Panel lines.
    QFrame *LineV1 = nullptr;
    QFrame *LineV2 = nullptr;
    QFrame *LineV3 = nullptr;
    QFrame *LineV4 = nullptr;
    QFrame *LineV5 = nullptr;
    QFrame *LineV6 = nullptr;
    QFrame *LineHoriz = nullptr;
    // Status row, list title, lists and help line.
    QLabel *LabScanLast = nullptr;
    StatusLabel *LabInfo = nullptr;
    QLabel *LabScanNext = nullptr;
    QLabel *LabTitList1 = nullptr;
    QCheckBox *CheckList2All = nullptr;
    QLabel *LabSession = nullptr;
    LineList *List1 = nullptr;
    LineList *List2 = nullptr;
    QLabel *LabHelp = nullptr;
    QLabel *LabHelpNom = nullptr;
    // The hidden sorted list, outside the window: it takes the parked focus.
    QListWidget *ListTri = nullptr;
    // The top row of the hidden-panel mode.
    QPushButton *ButHideCheckFlter = nullptr;
    QPushButton *ButHideCheckHideOff = nullptr;
    QPushButton *ButHideCheckUser = nullptr;
    // The scan driver's step timer and the repeat timer.
    QTimer *Timer1 = nullptr;
    QTimer *TimerScan = nullptr;

signals:
    void programEnded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void fillInstructions();

    QString m_dataDir;
    QPointer<Form2> m_dialog;
    std::unique_ptr<ScanView> m_scanView;
    std::unique_ptr<ScanTimer> m_scanTimer;
    std::unique_ptr<ScanDriver> m_scanDriver;
    std::unique_ptr<TrayIcon> m_trayIcon;
    std::unique_ptr<HistorySaver> m_historySaver;
    bool m_historySaveAsked = false;
    // One collation for the run: it keeps the sort keys of the names it has ordered.
    Collation m_collation;
    // The key order of the last sort, which the next one starts from.
    KeyOrder m_keyOrder;
    // The order the table was last sorted in, and the table's order version just after.
    enum class TableOrder
    {
        None,
        ByKey,
        OnlineFirst,
    };
    bool sortedAlready(TableOrder order) const;
    void sortedAs(TableOrder order);
    // The management list's lines for the rows in key order, which the table need not be in.
    void fillManageList(const QList<int> &rowsByKey);
    // The same, keeping the marks that the user changed in the shown management list.
    void refillManageList(const QList<int> &rowsByKey);
    TableOrder m_tableOrder = TableOrder::None;
    quint64 m_sortedVersion = 0;
    int m_sortedNameMode = -1;
    std::unique_ptr<Notifier> m_notifier;
    bool m_ended = false;
};

} // namespace amiscan
