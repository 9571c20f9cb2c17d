#pragma once

#include "scan/scan_window.h"
#include "schedule/scan_timer.h"

#include <QPointer>

namespace amiscan {

class Form1;
class Form2;

// The main window as the scan driver and the scan timer see it: the state they share with it,
// and the controls that show them (the Start Scan button, the status row, the Timer lights).
class ScanView final : public ScanWindow, public ScanTimerWindow
{
public:
    explicit ScanView(Form1 &form) : m_form(form) {}

    // The scan driver's side.
    ScanShared &scanShared() override;
    FriendsTable &friendsTable() override;
    bool namesAreUserNames() const override;
    QString typedUserName() const override;
    bool isTimedScan() const override;
    Button scanButton() const override;
    void showScanButton(Button button) override;
    void showProgress(const QString &caption, Tone tone) override;
    void showProgress(const QString &caption) override;
    void showNextScanNow() override;
    void showMessage(const QStringList &lines) override;
    void showFailure(const QStringList &lines) override;
    void leaveManageList() override;
    void scanEnded() override;
    void scanFailed() override;

    // The scan timer's side.
    ScheduleState &scheduleState() override;
    ScanState scanState() const override;
    bool isReady() const override;
    bool isManageListShown() const override;
    bool isScanInProgress() const override;
    QString intervalText() const override;
    void setIntervalText(const QString &text) override;
    void showStatus(const StatusRow &row) override;
    void showRepeat(bool on) override;
    void parkFocus() override;
    void startScanButton() override;

private:
    Form1 &m_form;
    // The failure message the user has not answered yet.
    QPointer<Form2> m_failureMessage;
};

// Connects the repeat controls: the Timer button, the status row's presses, the captions beside
// the interval box and the box itself. Called once by the window's constructor.
void connectScanTimerControls(Form1 &form);

} // namespace amiscan
