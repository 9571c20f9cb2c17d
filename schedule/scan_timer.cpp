#include "schedule/scan_timer.h"

#include "schedule/countdown.h"
#include "schedule/interval.h"
#include "schedule/status_texts.h"

#include <QTimer>

namespace amiscan {

namespace {

QString nextScanCaption(double minutesLeft)
{
    return texts::NextScanPrefix + minutesText(minutesLeft) + texts::NextScanSuffix;
}

} // namespace

StatusRow statusRow(const ScheduleState &s, ScanState scanState, bool counting)
{
    using Tone = StatusRow::Tone;
    StatusRow row;
    if (s.repeatOn && scanState == ScanState::PageRead) {
        row.last = row.info = row.next = Tone::Blue;
        // At 0 the caption keeps what it showed for a count of 1.
        if (s.minutesLeft != 0)
            row.nextCaption = nextScanCaption(s.minutesLeft);
    } else {
        if (!s.repeatOn) {
            row.next = Tone::Red;
            row.nextCaption = texts::TimerStopped;
        }
        if (scanState == ScanState::NotStarted && s.repeatOn) {
            row.last = row.info = row.next = Tone::Black;
            row.nextCaption = texts::ScanNotStarted;
        }
        // A scan has been started and the count runs: it failed, and the next one is due.
        const bool counted = s.scanCompleted || (counting && scanState != ScanState::NotStarted);
        if (counted && s.repeatOn) {
            row.last = row.info = row.next = Tone::Blue;
            row.nextCaption = nextScanCaption(s.minutesLeft);
        }
    }
    row.lastCaption = texts::LastScanPrefix + s.lastScanStamp;
    row.loginPlain = scanState != ScanState::NotStarted;
    return row;
}

ScanTimer::ScanTimer(ScheduleHost &host, QTimer &minuteTimer, QObject *parent)
    : QObject(parent), m_host(host), m_state(host.scheduleState()), m_minuteTimer(minuteTimer)
{
    connect(&m_minuteTimer, &QTimer::timeout, this, &ScanTimer::tick);
}

void ScanTimer::refreshScanStatus()
{
    if (m_host.isScanInProgress())
        return;
    m_host.showStatus(statusRow(m_state, m_host.scanState(), m_minuteTimer.isActive()));
}

void ScanTimer::toggleRepeat()
{
    if (m_host.isReady())
        m_host.parkFocus();
    m_state.repeatOn = !m_state.repeatOn;
    m_host.showRepeat(m_state.repeatOn);
    // The count goes on from where it stood.
    if (m_state.repeatOn)
        m_minuteTimer.start();
    else
        m_minuteTimer.stop();
    refreshScanStatus();
}

void ScanTimer::tick()
{
    m_state.minutesLeft = minutesAfterTick(m_state.minutesLeft);
    refreshScanStatus();
    if (m_state.minutesLeft > 0)
        return;
    // A scan under way is the one that fell due: pressing the button would abort it. The count
    // starts again when that scan ends.
    const bool scanning = m_host.isScanInProgress();
    // Parking the focus may take it from the interval box, whose validation restarts the
    // count: park first, so that the scan still starts as a timed scan.
    if (!scanning && !m_host.isManageListShown())
        m_host.parkFocus();
    m_state.minutesLeft = TimedScanRunning;
    m_minuteTimer.stop();
    if (!scanning)
        m_host.startScanButton();
}

void ScanTimer::validateInterval()
{
    m_host.setIntervalText(validatedInterval(m_host.intervalText()));
    // A timed scan under way keeps its mark, so that its end still knows it was timed; the count
    // then starts from the new interval.
    if (m_state.minutesLeft != TimedScanRunning || !m_host.isScanInProgress())
        m_state.minutesLeft = minutesValue(m_host.intervalText());
    refreshScanStatus();
}

void ScanTimer::restartCount()
{
    // The box may be in the middle of an edit: the count takes the interval the box will hold
    // once it is left, so it always holds a number.
    if (m_state.minutesLeft <= 0)
        m_state.minutesLeft = minutesValue(validatedInterval(m_host.intervalText()));
    // A running count-down keeps its minute: restarting the timer would delay the next scan.
    if (m_state.repeatOn && !m_minuteTimer.isActive())
        m_minuteTimer.start();
}

void ScanTimer::scanEnded()
{
    refreshScanStatus();
    if (m_minuteTimer.isActive() || m_state.minutesLeft == TimedScanRunning) {
        m_state.minutesLeft = minutesValue(validatedInterval(m_host.intervalText()));
        // Switched off only: repetition the user switched off during the scan stays off.
        if (m_state.repeatOn)
            toggleRepeat();
    }
}

void ScanTimer::scanFailed()
{
    restartCount();
    refreshScanStatus();
}

} // namespace amiscan
