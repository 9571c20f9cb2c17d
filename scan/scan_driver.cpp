#include "scan/scan_driver.h"

#include "platform/address_policy.h"
#include "platform/browser.h"
#include "platform/page_fetcher.h"
#include "scan/page_reader.h"
#include "scan/presence_merge.h"
#include "scan/service_address.h"
#include "schedule/countdown.h"
#include "ui/colors.h"
#include "ui/form1.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace amiscan {

ScanDriver::ScanDriver(Form1 &form, std::unique_ptr<Browser> browser,
                       std::unique_ptr<PageFetcher> fetcher, QObject *parent)
    : QObject(parent), m_form(form), m_browser(std::move(browser)), m_fetcher(std::move(fetcher))
{
    connect(m_form.Timer1, &QTimer::timeout, this, &ScanDriver::tick);
}

ScanDriver::~ScanDriver() = default;

void ScanDriver::setTimings(const Timings &timings)
{
    m_timings = timings;
    m_form.Timer1->setInterval(timings.tickMs);
}

void ScanDriver::showMessage(const QStringList &lines)
{
    // The window may be minimised or hidden in the notification area: bring it back first.
    m_form.showNormal();
    m_form.show();
    m_form.showMessage(lines);
}

void ScanDriver::setProgress(const QString &caption, const QColor &color)
{
    m_form.LabScanLast->setText(caption);
    setForeColor(m_form.LabScanLast, color);
}

void ScanDriver::startScanButton()
{
    m_form.parkFocus();
    if (m_form.state.manageMode)
        m_form.showMainList();

    if (m_form.ButGo->text() != texts::StartCaption) {
        endScan();
        return;
    }
    // An aborted scan's count-down is still reading its page: a new scan waits for it to end,
    // so the page being read is not cleared under it.
    if (m_reading)
        return;
    m_form.ButGo->setText(texts::AbortCaption);
    setBackColor(m_form.ButGo, colors::LightRed);
    if (m_form.state.userName == texts::UserPlaceholder) {
        showMessage(
            {QStringLiteral("Invalid Vey Username"), QStringLiteral("Please fill in this field")});
        endScan();
    } else if (m_form.state.password == texts::PasswordPlaceholder) {
        showMessage(
            {QStringLiteral("Invalid Vey Password"), QStringLiteral("Please fill in this field")});
        endScan();
    } else {
        startScan();
    }
}

void ScanDriver::startScan()
{
    MainState &s = m_form.state;
    const int scan = ++m_scan;
    m_tickBusy = false;
    setProgress(texts::ScanRunning, colors::Purple);
    if (minutesValue(s.minutesLeft) == -1)
        m_form.LabScanNext->setText(texts::NextScanNow);
    s.pageText.clear();
    s.waitCount = 0;
    s.loginSubmitted = false;
    s.directReadResult = 0;

    m_form.Timer1->setInterval(m_timings.tickMs);
    if (s.scanState == 0) {
        s.scanState = 1;
        s.scanStep = StepWait;
        m_form.Timer1->start();
        openFriendsPage();
        return;
    }
    setProgress(texts::CheckingFriends, colors::Magenta);
    s.scanState = 1;
    s.scanStep = StepDirectRead;
    m_form.Timer1->start();
    directRead(scan);
}

void ScanDriver::directRead(int scan)
{
    m_fetcher->fetch(friendsPageUrl(m_form.state.serviceUrl),
                     [this, scan](bool ok, const QString &text) {
                         if (scan != m_scan)
                             return; // aborted meanwhile
                         MainState &s = m_form.state;
                         if (ok && text.contains(FriendsPageMarker)) {
                             s.pageText = text;
                             s.directReadResult = 1;
                             QTimer::singleShot(m_timings.afterDirectReadMs, this,
                                                [this, scan] { afterDirectRead(scan); });
                         } else {
                             s.pageText.clear();
                             s.directReadResult = 9;
                             afterDirectRead(scan);
                         }
                     });
}

void ScanDriver::afterDirectRead(int scan)
{
    if (scan != m_scan)
        return;
    MainState &s = m_form.state;
    s.waitCount = 0;
    s.scanStep = StepWait;
    m_form.Timer1->stop();
    if (s.directReadResult == 1) {
        s.scanStep = StepRead;
        countdown(0);
        return;
    }
    setProgress(texts::ScanRunning, colors::Purple);
    s.scanStep = StepWait;
    m_form.Timer1->start();
    openFriendsPage();
}

void ScanDriver::openFriendsPage()
{
    const QUrl url = friendsPageUrl(m_form.state.serviceUrl);
    m_browser->load();
    if (!isAllowedServiceAddress(url)) {
        // Never sent: the address counts as unreachable and the next tick gives up.
        m_form.state.waitCount = 10;
        return;
    }
    m_browser->navigate(url);
}

void ScanDriver::tick()
{
    if (m_tickBusy || m_reading)
        return;
    MainState &s = m_form.state;
    m_tickBusy = true;
    const int scan = m_scan;

    if (s.scanStep == StepDirectRead)
        ++s.waitCount;
    const int step = s.scanStep;
    if ((step == StepWait || step == StepPageLoaded || step == StepLogIn ||
         step == StepDirectRead) &&
        s.waitCount != 0)
        m_form.LabScanLast->setText(texts::ScanRunning + QStringLiteral("(%1)").arg(s.waitCount));

    if (s.scanStep != StepWait || s.waitCount >= 10) {
        stepLoaded(scan);
        return;
    }
    // Step 0: has a complete page arrived?
    ++s.waitCount;
    m_browser->readPage([this, scan](bool hasDocument, const QString &html) {
        if (!isCurrent(scan))
            return;
        MainState &s = m_form.state;
        if (hasDocument && html.indexOf(PageEndMarker) >= 99) {
            if (!html.contains(ServiceDomainWord))
                s.waitCount = 10;
            else
                s.scanStep = StepPageLoaded;
        }
        m_pageHtml = html;
        stepLoaded(scan);
    });
}

void ScanDriver::stepLoaded(int scan)
{
    MainState &s = m_form.state;
    if (s.scanStep != StepPageLoaded) {
        stepLogIn(scan);
        return;
    }
    // Step 1: the friends page, or the login form.
    s.pageText = m_pageHtml;
    if (s.pageText.contains(FriendsPageMarker)) {
        s.scanStep = StepRead;
        s.waitCount = 0;
        m_browser->navigate(QUrl(QStringLiteral("about:blank")));
        m_browser->stop();
        m_browser->unload();
    } else {
        s.pageText.clear();
        s.scanStep = StepLogIn;
    }
    stepLogIn(scan);
}

void ScanDriver::stepLogIn(int scan)
{
    MainState &s = m_form.state;
    if (s.scanStep != StepLogIn) {
        stepRead(scan);
        return;
    }
    // Step 2: fill in the login form and submit it. Without a form, try again next tick.
    s.userName = m_form.TextLogin->text();
    s.password = s.savedPassword;
    m_browser->submitLogin(s.userName, s.password, [this, scan](bool submitted) {
        if (!isCurrent(scan))
            return;
        if (submitted) {
            m_form.state.loginSubmitted = true;
            m_form.state.scanStep = StepWait;
        }
        stepRead(scan);
    });
}

void ScanDriver::stepRead(int scan)
{
    Q_UNUSED(scan)
    if (m_form.state.scanStep == StepRead) {
        // The count-down and the read run to their end, even if the scan is aborted meanwhile.
        m_tickBusy = false;
        m_form.Timer1->stop();
        countdown(0);
        return;
    }
    finishTick();
}

void ScanDriver::finishTick()
{
    MainState &s = m_form.state;
    if (s.waitCount >= 10 && s.scanStep == StepWait) {
        setProgress(texts::ScanStopped, colors::Red);
        m_form.Timer1->stop();
        if (s.loginSubmitted)
            showMessage({QStringLiteral("Unable to login !"),
                         QStringLiteral("Please, check your Vey"),
                         QStringLiteral("Username and Password.")});
        else
            showMessage({QStringLiteral("Unable to connect !"),
                         QStringLiteral("Please, check your"),
                         QStringLiteral("internet connection.")});
        s.waitCount = 0;
        endScan();
    }
    m_tickBusy = false;
}

void ScanDriver::countdown(int step)
{
    m_reading = true;
    if (step == 0)
        setProgress(texts::CheckingFriends, colors::Magenta);
    else if (step <= 3)
        m_form.LabScanLast->setText(texts::CheckingFriends + QStringLiteral("(%1)").arg(step));
    if (step <= 3) {
        QTimer::singleShot(m_timings.countdownStepMs, this, [this, step] { countdown(step + 1); });
        return;
    }
    readAndMerge();
}

void ScanDriver::readAndMerge()
{
    MainState &s = m_form.state;
    const QList<FriendEntry> entries = readFriendsPage(s.pageText, s.directReadResult);
    s.pageText.clear();
    mergePresence(m_form.table, entries, QDateTime::currentDateTime());
    s.scanState = 2;
    m_reading = false;
    m_form.Timer1->stop();
    emit pageMerged();
}

void ScanDriver::endScan()
{
    MainState &s = m_form.state;
    ++m_scan; // late answers of this scan are dropped
    m_tickBusy = false;
    m_form.ButGo->setText(texts::StartCaption);
    setBackColor(m_form.ButGo, colors::LightGreen);
    m_form.Timer1->stop();
    s.waitCount = 0;
    // No browser page stays behind an aborted or failed scan.
    if (!m_reading)
        m_browser->unload();
    m_form.refreshScanStatus();
    if (m_form.TimerScan->isActive() || minutesValue(s.minutesLeft) == -1) {
        s.minutesLeft = m_form.TextTimerScan->text();
        m_form.toggleRepeat();
    }
}

} // namespace amiscan
