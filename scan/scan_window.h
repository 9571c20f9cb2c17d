#pragma once

#include "scan/scan_state.h"

#include <QString>
#include <QStringList>

namespace amiscan {

class FriendsTable;

// What the scan driver needs of the main window: the state it shares with the rest of the
// program, and the few things it shows there. The window implements it; tests use a fake.
class ScanWindow
{
public:
    // The colours of the scan's progress in the status row.
    enum class Tone
    {
        Running,  // the browser route
        Checking, // the direct read and the count-down before the read
        Stopped,  // the scan has failed
    };
    enum class Button
    {
        Start,
        Abort,
    };

    virtual ~ScanWindow() = default;

    virtual ScanShared &scanShared() = 0;
    virtual FriendsTable &friendsTable() = 0;
    // The lists name friends by their user names.
    virtual bool namesAreUserNames() const = 0;
    // The text of the user name box, as it stands.
    virtual QString typedUserName() const = 0;
    // The repeat count-down has fired the scan that is starting.
    virtual bool isTimedScan() const = 0;

    virtual Button scanButton() const = 0;
    virtual void showScanButton(Button button) = 0;
    // The scan's progress in the status row: with a tone, or keeping the one shown.
    virtual void showProgress(const QString &caption, Tone tone) = 0;
    virtual void showProgress(const QString &caption) = 0;
    virtual void showNextScanNow() = 0;
    // A message with Ok, shown modally over the window brought back to its normal state;
    // returns once it is closed.
    virtual void showMessage(const QStringList &lines) = 0;
    // The message of a failed scan, shown the same way but returning at once: the timed scans
    // go on while it waits for its Ok. Nothing is added while an earlier one is still open.
    virtual void showFailure(const QStringList &lines) = 0;
    // Before the Start Scan button acts: the focus is parked and the main list shown.
    virtual void leaveManageList() = 0;
    // The user aborted a scan, or it was refused for a missing login: the status row shows the
    // time again, and a timed scan or a running count-down switches repetition off.
    virtual void scanEnded() = 0;
    // A scan failed to reach the friends page: repetition stays as it was, and when it is on
    // the count-down runs again.
    virtual void scanFailed() = 0;

protected:
    ScanWindow() = default;
    Q_DISABLE_COPY_MOVE(ScanWindow)
};

} // namespace amiscan
