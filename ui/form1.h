#pragma once

#include "ui/main_controls.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace amiscan {

class AwayAnnouncer;
class AwayWatch;
class Dialogs;
class Form2;
class HelpLine;
class HistoryWindow;
class ListOptions;
class ListsView;
class LoginBoxes;
class MainModel;
class ManageList;
class Notifier;
class OnlineAnnouncer;
class Panel;
class PreferencesWindow;
class ScanControls;
class SessionSwitch;
class TrayControls;
class TrayIcon;

// The ways the program ends: its Exit button, the window's close box, every other closing
// (the desktop session ending, the system stopping the program), and the display going away,
// which leaves no window to show anything in.
enum class ExitRoute
{
    ExitButton,
    CloseBox,
    OtherClosing,
    DisplayLost,
};

// The main window: a view of the model. Its controls carry the names of the window design
// (ButGo, List1, ...) as object names; its parts (the panel, the lists, the login boxes, the
// scan's controls, the help line, the tray) are classes of their own that it owns.
class Form1 final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    explicit Form1(MainModel &model, QWidget *parent = nullptr);
    ~Form1() override;

    // The start-up sequence, from the first values of the state to Auto Start. The single-copy
    // check has already run. Minimised, the window starts in the notification area when its
    // option is on.
    void load(bool minimised = false);
    // The lists show the table as it stands: both orders, both lists, their heights.
    void showTable();
    // The management list in the main list's place, and back (the marks written to the table).
    void showManageList();
    void showMainList();
    // The lists show the other session of every friend.
    void switchSession();
    // Shows the window in its normal state, in front, its lists laid out.
    void bringBack();
    // Opens the preferences (Ctrl+,), or brings them to the front.
    void showPreferences();
    PreferencesWindow *preferences() const;
    // Ends the program the given way: the Exit button saves the history and the settings, the
    // close box the settings only, every other closing both. A save that cannot be made is told
    // in the dialog, which offers to try again or to quit. The icon goes, the dialog closes,
    // and programEnded asks the application to end. Nothing is written after that.
    void endProgram(ExitRoute route);

    // The dialog window open now, if any.
    Form2 *dialog() const;
    // The notification-area icon and the desktop's notifications: the system's own unless a
    // test sets others.
    void setTrayIcon(std::unique_ptr<TrayIcon> icon);
    void setNotifier(std::unique_ptr<Notifier> notifier);

    // The history window (Ctrl+H), opened or brought to the front; on a stretch of time with the
    // friends given (user names) chosen, as "While you were away" opens it.
    void showHistory();
    void showHistoryAt(const QDateTime &from, const QDateTime &to, const QStringList &friends);
    HistoryWindow *historyWindow() const;
    // Whether the user is at the computer, and the notifications that say who was online while
    // they were away: the desktop's own unless a test sets others before the events run.
    void setAwayWatch(std::unique_ptr<AwayWatch> watch);
    void setAwayNotifier(std::unique_ptr<Notifier> notifier);

signals:
    void programEnded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void connectModel();
    // Ctrl+H and the notice of who was online while the user was away (form1_history.cpp).
    void connectHistory();
    // Asks whether to try the failed save again (true) or to quit.
    bool askToRetrySave(const QString &path, const QString &reason);

    MainModel &m_model;
    MainControls m_controls;
    std::unique_ptr<Dialogs> m_dialogs;
    std::unique_ptr<AwayAnnouncer> m_away;
    QPointer<HistoryWindow> m_history;
    std::unique_ptr<HelpLine> m_helpLine;
    std::unique_ptr<ListsView> m_lists;
    std::unique_ptr<ManageList> m_manageList;
    std::unique_ptr<SessionSwitch> m_sessionSwitch;
    std::unique_ptr<ListOptions> m_listOptions;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<LoginBoxes> m_loginBoxes;
    std::unique_ptr<ScanControls> m_scanControls;
    std::unique_ptr<TrayControls> m_tray;
    std::unique_ptr<OnlineAnnouncer> m_announcer;
    QPointer<PreferencesWindow> m_preferences;
    bool m_ending = false;
};

} // namespace amiscan
