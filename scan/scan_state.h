#pragma once

#include "scan/scan_texts.h"

#include <QString>

namespace amiscan {

// How far the scans of this run have come.
enum class ScanState : int
{
    NotStarted = 0, // no scan started in this run: the next one goes through the browser
    Started = 1,
    PageRead = 2, // the last scan read the friends page
};

// The steps of a scan; the browser route moves between the first four on the step timer.
enum class ScanStep : int
{
    Wait = 0,       // for a page to load
    PageLoaded = 1, // the friends page or the login form
    LogIn = 2,      // fill in the login form and submit it
    Read = 3,       // count down, then read the friends page
    Idle = 7,
    DirectRead = 9,
};

// What the direct read of the friends page gave in this scan.
enum class DirectRead : int
{
    NotTried = 0,
    FriendsPage = 1,
    Failed = 9,
};

// What the Start Scan button does now: start a scan, or abort the one under way.
enum class ScanButton
{
    Start,
    Abort,
};

// Ticks spent waiting for a page before the scan gives up.
inline constexpr int WaitingTickLimit = 10;

// What the program keeps for the scans of the whole run.
struct ScanShared
{
    ScanState scanState = ScanState::NotStarted;
    ScanButton scanButton = ScanButton::Start;
    // The login as typed; a placeholder means it is missing.
    QString userName = texts::UserPlaceholder;
    QString password = texts::PasswordPlaceholder;
    QString savedPassword;
    // The service's address from the settings ("ServiceUrl"); empty means the built-in one
    // (scan/service_address.h).
    QString serviceUrl;
};

} // namespace amiscan
