#include "ui/scan_controls.h"

#include "model/main_model.h"
#include "ui/colors.h"
#include "ui/control_events.h"
#include "ui/dialog.h"
#include "ui/form1_texts.h"
#include "ui/form2.h"
#include "ui/line_list.h"
#include "ui/main_controls.h"
#include "ui/mouse_events.h"
#include "ui/status_label.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace amiscan {

ScanControls::ScanControls(const MainControls &c, MainModel &model, Dialogs &dialogs)
    : m_c(c), m_model(model), m_dialogs(dialogs)
{
    QWidget *window = c.window;
    QObject::connect(c.ButGo, &QPushButton::clicked, window, [this] { m_model.startScanButton(); });
    QObject::connect(c.ButTimerOnOff, &QPushButton::clicked, window,
                     [this] { m_model.toggleRepeat(); });
    onMousePress(c.LabScanNext, [this](Qt::MouseButton button) {
        if (button != Qt::LeftButton)
            return;
        parkFocus(m_c);
        m_model.toggleRepeat();
    });
    onMousePress(c.LabScanLast, [this](Qt::MouseButton button) {
        if (button != Qt::LeftButton)
            return;
        parkFocus(m_c);
        m_model.startScanButton();
    });
    onClick(c.LabTextTimerScan1, [this] { parkFocus(m_c); });
    onClick(c.LabTextTimerScan2, [this] { parkFocus(m_c); });
    QObject::connect(c.TextTimerScan, &QLineEdit::textChanged, window,
                     [this](const QString &text) { m_model.setIntervalEntry(text); });
    // Enter and Escape end the editing of the interval box; leaving it for another control
    // validates the interval. Another program taking the focus does not: the count would restart
    // each time, and never reach a timed scan.
    onEditEnd(c.TextTimerScan, [this] { parkFocus(m_c); });
    onEditLeft(c.TextTimerScan, [this] { m_model.validateInterval(); });

    QObject::connect(&model, &MainModel::scanButtonChanged, window, [this](ScanButton button) {
        const bool start = button == ScanButton::Start;
        m_c.ButGo->setText(start ? texts::StartCaption : texts::AbortCaption);
        setBackColor(m_c.ButGo, start ? colors::LightGreen : colors::LightRed);
    });
    QObject::connect(&model, &MainModel::progressShown, window,
                     [this](const QString &caption, ProgressTone tone) {
                         m_c.LabScanLast->setText(caption);
                         if (tone != ProgressTone::Kept)
                             setForeColor(m_c.LabScanLast,
                                          tone == ProgressTone::Running    ? colors::Purple
                                          : tone == ProgressTone::Checking ? colors::Magenta
                                                                           : colors::Red);
                     });
    QObject::connect(&model, &MainModel::nextScanNowShown, window,
                     [this] { m_c.LabScanNext->setText(texts::NextScanNow); });
    QObject::connect(&model, &MainModel::statusShown, window,
                     [this](const StatusRow &row) { showStatus(row); });
    QObject::connect(&model, &MainModel::repeatShown, window, [this](bool on) { showRepeat(on); });
    QObject::connect(&model, &MainModel::intervalEntryChanged, window, [this](const QString &text) {
        if (m_c.TextTimerScan->text() != text)
            m_c.TextTimerScan->setText(text);
    });
    QObject::connect(&model, &MainModel::scanStamped, window,
                     [this](const QString &stamp) { showScanStamp(stamp); });
    QObject::connect(&model, &MainModel::messageRequested, window,
                     [this](const QStringList &lines) { showMessage(lines); });
    QObject::connect(&model, &MainModel::failureRequested, window,
                     [this](const QStringList &lines) { showFailure(lines); });
}

void ScanControls::showFirstStatus()
{
    const MainState &state = m_model.state();
    m_c.TextTimerScan->setText(state.intervalEntry);
    m_c.ButGo->setText(texts::StartCaption);
    setBackColor(m_c.ButGo, colors::LightGreen);
    setForeColor(m_c.LabInfo, colors::Black);
    m_c.LabInfo->setText(texts::ProgramName);
    setForeColor(m_c.LabScanLast, colors::Black);
    m_c.LabScanLast->setText(state.lastScanStamp.isEmpty()
                                 ? texts::NoScan
                                 : texts::LastScanPrefix + state.lastScanStamp);
    if (state.repeatOn) {
        setForeColor(m_c.LabScanNext, colors::Black);
        m_c.LabScanNext->setText(texts::ScanNotStarted);
    } else {
        setForeColor(m_c.LabScanNext, colors::Red);
        m_c.LabScanNext->setText(texts::TimerOff);
    }
}

void ScanControls::showStatus(const StatusRow &row)
{
    const auto color = [](StatusRow::Tone tone) {
        return tone == StatusRow::Tone::Black  ? colors::Black
               : tone == StatusRow::Tone::Blue ? colors::Blue
                                               : colors::Red;
    };
    if (row.last)
        setForeColor(m_c.LabScanLast, color(*row.last));
    if (row.info)
        setForeColor(m_c.LabInfo, color(*row.info));
    if (row.next)
        setForeColor(m_c.LabScanNext, color(*row.next));
    if (row.nextCaption)
        m_c.LabScanNext->setText(*row.nextCaption);
    m_c.LabScanLast->setText(row.lastCaption);
    if (row.loginPlain) {
        setForeColor(m_c.TextLogin, colors::Black);
        setForeColor(m_c.TextPw, colors::Black);
    }
}

void ScanControls::showRepeat(bool on)
{
    // The lit label is opaque on its colour, the other one transparent and grey.
    QLabel *lit = on ? m_c.LabTimerOn : m_c.LabTimerOff;
    QLabel *dark = on ? m_c.LabTimerOff : m_c.LabTimerOn;
    setBackColor(lit, on ? colors::LightGreen : colors::LightRed);
    setForeColor(lit, colors::Black);
    setTransparentBack(dark);
    setForeColor(dark, colors::Grey);
}

void ScanControls::showScanStamp(const QString &stamp)
{
    m_c.LabScanLast->setText(texts::LastScanPrefix + stamp);
    setForeColor(m_c.List1,
                 m_model.state().sessionShown == Session::First ? colors::Blue : colors::Green);
}

void ScanControls::showMessage(const QStringList &lines)
{
    // The window may be minimised or hidden in the notification area: bring it back first.
    m_c.window->showNormal();
    m_c.window->show();
    m_dialogs.showMessage(lines);
}

void ScanControls::showFailure(const QStringList &lines)
{
    if (m_failureMessage)
        return;
    m_c.window->showNormal();
    m_c.window->show();
    m_failureMessage = m_dialogs.openMessage(lines);
}

} // namespace amiscan
