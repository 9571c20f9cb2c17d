#pragma once

#include "scan/scan_state.h"

#include <QObject>
#include <QString>

#include <optional>

class QTimer;

namespace amiscan {

// A mark of the count-down: a timed scan is under way.
inline constexpr double TimedScanRunning = -1.0;

// What the program keeps for the repeat count-down and the status row.
struct ScheduleState
{
    // Minutes to the next timed scan; TimedScanRunning while a timed scan runs.
    double minutesLeft = 15.0;
    bool repeatOn = true;
    // A scan has completed in this run.
    bool scanCompleted = false;
    // The last scan's stamp, or empty.
    QString lastScanStamp;
};

// The status row between scans, as the refresh leaves it: each colour and caption that is set
// replaces what the row showed.
struct StatusRow
{
    enum class Tone
    {
        Black,
        Blue,
        Red,
    };
    std::optional<Tone> last;
    std::optional<Tone> info;
    std::optional<Tone> next;
    std::optional<QString> nextCaption;
    QString lastCaption;
    // The login boxes lose their first colour once a scan has been started.
    bool loginPlain = false;
};

// counting: the count-down runs, as it does again after a failed scan.
StatusRow statusRow(const ScheduleState &state, ScanState scanState, bool counting);

// What the scan timer needs of the program. The model implements it; tests use a fake.
class ScheduleHost
{
public:
    virtual ~ScheduleHost() = default;

    virtual ScheduleState &scheduleState() = 0;
    virtual ScanState scanState() const = 0;
    // Start-up has shown the window.
    virtual bool isReady() const = 0;
    virtual bool isManageListShown() const = 0;
    // A scan is under way: the status row shows its progress.
    virtual bool isScanInProgress() const = 0;
    // The repeat interval as written in the interval box.
    virtual QString intervalText() const = 0;
    virtual void setIntervalText(const QString &text) = 0;

    virtual void showStatus(const StatusRow &row) = 0;
    // The ON and OFF lights under the Timer button.
    virtual void showRepeat(bool on) = 0;
    virtual void parkFocus() = 0;
    // The Start Scan button's operation.
    virtual void startScanButton() = 0;

protected:
    ScheduleHost() = default;
    Q_DISABLE_COPY_MOVE(ScheduleHost)
};

// Repeats the scan every N minutes on a one-minute timer, and keeps the status row between
// scans.
class ScanTimer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScanTimer)

public:
    // The minute timer is the model's; the scan timer starts and stops it.
    ScanTimer(ScheduleHost &host, QTimer &minuteTimer, QObject *parent = nullptr);

    void refreshScanStatus();
    // The Timer button: switches repetition on or off.
    void toggleRepeat();
    // The minute timer's tick.
    void tick();
    // Leaving the interval box.
    void validateInterval();
    // After a scan that read the page or failed: a spent count starts again from the interval,
    // and with repetition on the count-down runs; a count under way keeps its minute.
    void restartCount();
    // The user aborted a scan, or it was refused for a missing login: a timed scan or a running
    // count-down is cut short, which switches repetition off.
    void scanEnded();
    // A scan failed to reach the friends page. Repetition stays as it was: a watch that runs
    // all day outlasts a service or a network that is away for a while.
    void scanFailed();

private:
    ScheduleHost &m_host;
    ScheduleState &m_state;
    QTimer &m_minuteTimer;
};

} // namespace amiscan
