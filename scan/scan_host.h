#pragma once

#include "scan/scan_state.h"

#include <QString>
#include <QStringList>

namespace amiscan {

class FriendsTable;

// What the scan driver needs of the program: the state it shares with the rest of it, and the
// few things the user is shown. The model implements it; tests use a fake.
class ScanHost
{
public:
    // The colours of the scan's progress in the status row.
    enum class Tone
    {
        Running,  // the browser route
        Checking, // the direct read and the count-down before the read
        Stopped,  // the scan has failed
    };
    virtual ~ScanHost() = default;

    virtual ScanShared &scanShared() = 0;
    virtual FriendsTable &friendsTable() = 0;
    // The repeat count-down has fired the scan that is starting.
    virtual bool isTimedScan() const = 0;

    // What the Start Scan button does from now on (scanShared().scanButton).
    virtual void setScanButton(ScanButton button) = 0;
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
    ScanHost() = default;
    Q_DISABLE_COPY_MOVE(ScanHost)
};

} // namespace amiscan
