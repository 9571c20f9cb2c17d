#include "ui/scan_view.h"

#include "scan/scan_driver.h"
#include "schedule/countdown.h"
#include "ui/colors.h"
#include "ui/control_events.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/mouse_events.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace amiscan {

ScanShared &ScanView::scanShared()
{
    return m_form.state;
}

FriendsTable &ScanView::friendsTable()
{
    return m_form.table;
}

bool ScanView::namesAreUserNames() const
{
    return m_form.CheckUser->isChecked();
}

QString ScanView::typedUserName() const
{
    return m_form.TextLogin->text();
}

bool ScanView::isTimedScan() const
{
    return minutesValue(m_form.state.minutesLeft) == -1;
}

ScanWindow::Button ScanView::scanButton() const
{
    return m_form.ButGo->text() == texts::StartCaption ? Button::Start : Button::Abort;
}

void ScanView::showScanButton(Button button)
{
    const bool start = button == Button::Start;
    m_form.ButGo->setText(start ? texts::StartCaption : texts::AbortCaption);
    setBackColor(m_form.ButGo, start ? colors::LightGreen : colors::LightRed);
}

void ScanView::showProgress(const QString &caption, Tone tone)
{
    showProgress(caption);
    setForeColor(m_form.LabScanLast, tone == Tone::Running    ? colors::Purple
                                     : tone == Tone::Checking ? colors::Magenta
                                                              : colors::Red);
}

void ScanView::showProgress(const QString &caption)
{
    m_form.LabScanLast->setText(caption);
}

void ScanView::showNextScanNow()
{
    m_form.LabScanNext->setText(texts::NextScanNow);
}

void ScanView::showMessage(const QStringList &lines)
{
    // The window may be minimised or hidden in the notification area: bring it back first.
    m_form.showNormal();
    m_form.show();
    m_form.showMessage(lines);
}

void ScanView::showFailure(const QStringList &lines)
{
    if (m_failureMessage)
        return;
    m_form.showNormal();
    m_form.show();
    m_failureMessage = m_form.openMessage(lines);
}

void ScanView::leaveManageList()
{
    m_form.parkFocus();
    if (m_form.state.manageMode)
        m_form.showMainList();
}

void ScanView::scanEnded()
{
    m_form.scanTimer().scanEnded();
}

void ScanView::scanFailed()
{
    m_form.scanTimer().scanFailed();
}

ScheduleState &ScanView::scheduleState()
{
    return m_form.state;
}

ScanState ScanView::scanState() const
{
    return m_form.state.scanState;
}

bool ScanView::isReady() const
{
    return m_form.state.windowReady;
}

bool ScanView::isManageListShown() const
{
    return m_form.state.manageMode;
}

bool ScanView::isScanInProgress() const
{
    return m_form.Timer1->isActive() || m_form.scanInProgress();
}

QString ScanView::intervalText() const
{
    return m_form.TextTimerScan->text();
}

void ScanView::setIntervalText(const QString &text)
{
    m_form.TextTimerScan->setText(text);
}

void ScanView::showStatus(const StatusRow &row)
{
    const auto color = [](StatusRow::Tone tone) {
        return tone == StatusRow::Tone::Black  ? colors::Black
               : tone == StatusRow::Tone::Blue ? colors::Blue
                                               : colors::Red;
    };
    if (row.last)
        setForeColor(m_form.LabScanLast, color(*row.last));
    if (row.info)
        setForeColor(m_form.LabInfo, color(*row.info));
    if (row.next)
        setForeColor(m_form.LabScanNext, color(*row.next));
    if (row.nextCaption)
        m_form.LabScanNext->setText(*row.nextCaption);
    m_form.LabScanLast->setText(row.lastCaption);
    if (row.loginPlain) {
        setForeColor(m_form.TextLogin, colors::Black);
        setForeColor(m_form.TextPw, colors::Black);
    }
}

void ScanView::showRepeat(bool on)
{
    // The lit label is opaque on its colour, the other one transparent and grey.
    QLabel *lit = on ? m_form.LabTimerOn : m_form.LabTimerOff;
    QLabel *dark = on ? m_form.LabTimerOff : m_form.LabTimerOn;
    setBackColor(lit, on ? colors::LightGreen : colors::LightRed);
    setForeColor(lit, colors::Black);
    setTransparentBack(dark);
    setForeColor(dark, colors::Grey);
}

void ScanView::parkFocus()
{
    m_form.parkFocus();
}

void ScanView::startScanButton()
{
    m_form.startScanButton();
}

void connectScanTimerControls(Form1 &form)
{
    QObject::connect(form.ButTimerOnOff, &QPushButton::clicked, &form, &Form1::toggleRepeat);
    onMousePress(form.LabScanNext, [&form](Qt::MouseButton button) {
        if (button != Qt::LeftButton)
            return;
        form.parkFocus();
        form.toggleRepeat();
    });
    onMousePress(form.LabScanLast, [&form](Qt::MouseButton button) {
        if (button != Qt::LeftButton)
            return;
        form.parkFocus();
        form.startScanButton();
    });
    onClick(form.LabTextTimerScan1, [&form] { form.parkFocus(); });
    onClick(form.LabTextTimerScan2, [&form] { form.parkFocus(); });
    // Enter and Escape end the editing of the interval box; leaving it for another control
    // validates the interval. Another program taking the focus does not: the count would restart
    // each time, and never reach a timed scan.
    onEditEnd(form.TextTimerScan, [&form] { form.parkFocus(); });
    onEditLeft(form.TextTimerScan, [&form] { form.validateInterval(); });
}

} // namespace amiscan
