// The repeat count-down and the status row between scans.
#include "schedule/countdown.h"
#include "schedule/interval.h"
#include "ui/colors.h"
#include "ui/form1.h"
#include "ui/mouse_events.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace amiscan {

namespace {

// Enter and Escape end the editing of the interval box; leaving it validates the interval.
class IntervalBoxFilter final : public QObject
{
public:
    explicit IntervalBoxFilter(Form1 &form) : QObject(&form), m_form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                m_form.parkFocus();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut &&
                   static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
            // The box's own context menu takes the focus only for a moment: the edit goes on.
            m_form.validateInterval();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Form1 &m_form;
};

QString nextScanCaption(const QString &minutesLeft)
{
    return texts::NextScanPrefix + minutesLeft + texts::NextScanSuffix;
}

} // namespace

void Form1::connectScanTimer()
{
    connect(TimerScan, &QTimer::timeout, this, &Form1::scanTimerTick);
    connect(ButTimerOnOff, &QPushButton::clicked, this, &Form1::toggleRepeat);
    onMousePress(LabScanNext, [this](Qt::MouseButton button) {
        if (button != Qt::LeftButton)
            return;
        parkFocus();
        toggleRepeat();
    });
    onMousePress(LabScanLast, [this](Qt::MouseButton button) {
        if (button != Qt::LeftButton)
            return;
        parkFocus();
        startScanButton();
    });
    onClick(LabTextTimerScan1, [this] { parkFocus(); });
    onClick(LabTextTimerScan2, [this] { parkFocus(); });
    TextTimerScan->installEventFilter(new IntervalBoxFilter(*this));
}

void Form1::refreshScanStatus()
{
    if (Timer1->isActive() || scanInProgress())
        return;
    const MainState &s = state;
    if (s.repeatOn && s.scanState == 2) {
        setForeColor(LabScanLast, colors::Blue);
        setForeColor(LabInfo, colors::Blue);
        if (minutesValue(s.minutesLeft) != 0)
            LabScanNext->setText(nextScanCaption(s.minutesLeft));
        setForeColor(LabScanNext, colors::Blue);
    } else {
        if (!s.repeatOn) {
            setForeColor(LabScanNext, colors::Red);
            LabScanNext->setText(texts::TimerStopped);
        }
        if (s.scanState == 0 && s.repeatOn) {
            setForeColor(LabScanLast, colors::Black);
            setForeColor(LabInfo, colors::Black);
            setForeColor(LabScanNext, colors::Black);
            LabScanNext->setText(texts::ScanNotStarted);
        }
        if (s.scanCompleted && s.repeatOn) {
            setForeColor(LabScanLast, colors::Blue);
            setForeColor(LabScanNext, colors::Blue);
            LabScanNext->setText(nextScanCaption(s.minutesLeft));
            setForeColor(LabInfo, colors::Blue);
        }
    }
    LabScanLast->setText(texts::LastScanPrefix + s.lastScanStamp);
    if (s.scanState != 0) {
        setForeColor(TextLogin, colors::Black);
        setForeColor(TextPw, colors::Black);
    }
}

void Form1::toggleRepeat()
{
    if (state.windowReady)
        parkFocus();
    if (!state.repeatOn) {
        state.repeatOn = true;
        setBackColor(LabTimerOn, colors::LightGreen);
        setForeColor(LabTimerOn, colors::Black);
        LabTimerOff->setAutoFillBackground(false);
        setForeColor(LabTimerOff, colors::Grey);
        TimerScan->start();
    } else {
        state.repeatOn = false;
        LabTimerOn->setAutoFillBackground(false);
        setForeColor(LabTimerOn, colors::Grey);
        setBackColor(LabTimerOff, colors::LightRed);
        setForeColor(LabTimerOff, colors::Black);
        TimerScan->stop();
    }
    refreshScanStatus();
}

void Form1::scanTimerTick()
{
    state.minutesLeft = minutesAfterTick(state.minutesLeft);
    refreshScanStatus();
    if (minutesValue(state.minutesLeft) <= 0) {
        // Parking the focus may take it from the interval box, whose validation restarts the
        // count: park first, so that the scan still starts as a timed scan.
        if (!state.manageMode)
            parkFocus();
        state.minutesLeft = QStringLiteral("-1");
        TimerScan->stop();
        startScanButton();
    }
}

void Form1::validateInterval()
{
    TextTimerScan->setText(validatedInterval(TextTimerScan->text()));
    state.minutesLeft = TextTimerScan->text();
    refreshScanStatus();
}

} // namespace amiscan
