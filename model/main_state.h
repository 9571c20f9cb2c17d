#pragma once

#include "model/notification_rules.h"
#include "scan/scan_state.h"
#include "schedule/scan_timer.h"
#include "store/friends_table.h"

#include <QString>

#include <optional>

namespace amiscan {

// Whether the top panel is shown.
enum class PanelState : int
{
    Shown = 0,
    Hidden = 1,
    Sliding = 2,
};

// Where the account's password is kept: in the desktop's keyring when one answers, else in the
// settings file; or in the file because the user chose so.
enum class PasswordPlace
{
    Keyring,
    File,
};

// What the keyring answered last.
enum class KeyringState
{
    NotAsked, // nothing to keep or read yet
    Asking,
    Ready,   // it answered, and holds no password of ours yet
    Holding, // it holds the password
    None,    // none answered: the password stays in the file
};

// The program's state for the whole run, with the parts the scan and the repeat count-down keep
// in it. Every value is typed; the text forms the files use exist only where they are read and
// written (settings_table.cpp, the history file).
struct MainState : ScanShared, ScheduleState
{
    QString versionText;
    bool windowReady = false;
    bool dataPresent = false;
    PanelState panelState = PanelState::Shown;
    int maxListLines = 51;
    int minListLines = 15;
    int sortNameMode = 0; // name mode fixed at start-up: 1 sorts by user name
    // The session the lists show.
    Session sessionShown = Session::First;
    // The management list is shown in place of the main list.
    bool manageMode = false;
    // What the desktop's notifications tell, and when.
    NotificationRules notify;
    PasswordPlace passwordPlace = PasswordPlace::Keyring;
    KeyringState keyringState = KeyringState::NotAsked;
    QString keyringReason; // why none answered
    // The days of the presence log to keep ([Log] KeepDays); none keeps everything.
    std::optional<int> keepDays;

    // The options the window's check boxes show.
    bool autoStart = false;
    bool onlySelected = false; // the main list shows the selected friends only
    bool hideOffline = false;
    bool userNames = false; // the lists name friends by their user names
    bool trayIcon = false;  // the notification-area icon, and minimising hides the window
    // The repeat interval in minutes as the user wrote it, once checked: the settings keep it as
    // written ("2.50" stays so).
    QString intervalEntry = QStringLiteral("15");

    qint16 onlineCount = 0;
    qint16 shownOnlineCount = 0;
    qint16 selectedCount = 0;
    qint16 listedCount = 0;

    // The history file found at start-up could not be read whole: it is moved aside before the
    // first save of the run, so that it is never replaced by what was read from it.
    bool historyUnreadable = false;
    // The same for the settings file: it existed at start-up but could not be read, so the
    // window holds none of what it stores.
    bool settingsUnreadable = false;
};

// "v" major "." minor revision " - 14/10/12": major 3, minor 2, revision 0 give v3.20 - 14/10/12.
inline QString makeVersionText(int major, int minor, int revision)
{
    return QStringLiteral("v%1.%2%3 - 14/10/12").arg(major).arg(minor).arg(revision);
}

inline QString programVersionText()
{
    return makeVersionText(AMISCAN_VERSION_MAJOR, AMISCAN_VERSION_MINOR, AMISCAN_VERSION_PATCH);
}

} // namespace amiscan
