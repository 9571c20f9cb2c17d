#pragma once

#include "ui/form1_texts.h"

#include <QString>

namespace amiscan {

// Scan driver steps.
enum ScanStep : int
{
    StepWait = 0,
    StepPageLoaded = 1,
    StepLogIn = 2,
    StepRead = 3,
    StepIdle = 7,
    StepDirectRead = 9,
};

// The main window's state for the whole run, shared by every part of the program.
// Numbers that the program writes as plain decimal text (the count-down) stay text.
struct MainState
{
    QString versionText;
    bool windowReady = false;
    bool dataPresent = false;
    int directReadResult = 0; // 0 not tried, 1 friends page, 9 failed
    int panelState = 0;       // 0 shown, 1 hidden, 2 sliding
    QString savedPassword;
    bool scanCompleted = false;
    int scanState = 0; // 0 none this run, 1 started, 2 friends page merged
    QString minutesLeft = QStringLiteral("15");
    bool repeatOn = true;
    int maxListLines = 51;
    int minListLines = 15;
    int sortNameMode = 0; // name mode fixed at start-up: 1 sorts by user name
    QString lastScanStamp;
    int waitCount = 0;
    bool loginSubmitted = false;
    int sessionShown = 0; // 0 the 1st session, anything else the 2nd
    bool manageMode = false;
    bool dialogAnswer = false;
    // Selected friends who come online are announced by a desktop notification ("NotifyOnline").
    bool notifyOnline = false;
    int scanStep = StepIdle;
    QString pageText;

    qint16 onlineCount = 0;
    qint16 shownOnlineCount = 0;
    qint16 selectedCount = 0;
    qint16 listedCount = 0;

    QString userName = texts::UserPlaceholder;
    QString password = texts::PasswordPlaceholder;

    // The service's address from the settings ("ServiceUrl"); empty means the built-in one
    // (scan/service_address.h).
    QString serviceUrl;
    // The history file found at start-up could not be read whole: it is moved aside before the
    // first save of the run, so that it is never replaced by what was read from it.
    bool historyUnreadable = false;
    // The same for the settings file: it existed at start-up but could not be read, so the
    // window holds none of what it stores.
    bool settingsUnreadable = false;
};

// "v" major "." minor revision " - 14/10/12": major 3, minor 2, revision 0 give v3.20 - 14/10/12.
QString makeVersionText(int major, int minor, int revision);
QString programVersionText();

} // namespace amiscan
