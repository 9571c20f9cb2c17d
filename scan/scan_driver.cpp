#include "scan/scan_driver.h"

#include "platform/address_policy.h"
#include "platform/browser.h"
#include "platform/page_fetcher.h"
#include "scan/online_notice.h"
#include "scan/page_reader.h"
#include "scan/presence_merge.h"
#include "scan/service_address.h"
#include "schedule/countdown.h"
#include "ui/colors.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace amiscan {

ScanDriver::ScanDriver(Form1 &form, std::unique_ptr<Browser> browser,
                       std::unique_ptr<PageFetcher> fetcher, QObject *parent)
    : QObject(parent), m_form(form), m_browser(std::move(browser)), m_fetcher(std::move(fetcher))
{
    connect(m_form.Timer1, &QTimer::timeout, this, &ScanDriver::tick);
}

ScanDriver::~ScanDriver()
{
    // The browser and the fetcher answer what they still owe as they are destroyed: those
    // answers must find no scan to continue, in a driver and a window that are going away.
    ++m_scan;
    m_tickBusy = false;
    m_reading = false;
    m_startQueued = false;
    m_browser.reset();
    m_fetcher.reset();
}

bool ScanDriver::isScanInProgress() const
{
    return m_running || m_reading;
}

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
        m_startQueued = false;
        endScan();
        return;
    }
    m_form.ButGo->setText(texts::AbortCaption);
    setBackColor(m_form.ButGo, colors::LightRed);
    // An aborted scan's count-down is still reading its page: the new scan starts once that read
    // has ended, so the page being read is not cleared under it. Abort Scan cancels it meanwhile.
    if (m_reading) {
        m_startQueued = true;
        return;
    }
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
    m_running = true;
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
    if (m_reading)
        return;
    if (m_tickBusy) {
        waitedWithoutAnswer();
        return;
    }
    MainState &s = m_form.state;
    if (s.scanStep == StepDirectRead) {
        // The direct read's own caption stays until it has answered.
        ++s.waitCount;
        return;
    }
    m_tickBusy = true;
    const int scan = m_scan;
    showWaitCount();

    if (s.scanStep != StepWait || s.waitCount >= 10) {
        stepLoaded(scan);
        return;
    }
    // Step 0: has a complete page arrived?
    ++s.waitCount;
    m_browser->readPage([this, scan](bool hasDocument, const QString &html, const QUrl &address) {
        if (!isCurrent(scan))
            return;
        MainState &s = m_form.state;
        if (hasDocument && html.indexOf(PageEndMarker, 99) >= 0) {
            // The login goes only to the service's own pages, wherever the browser was sent.
            if (!html.contains(ServiceDomainWord) ||
                !isServicePage(address, friendsPageUrl(s.serviceUrl)))
                s.waitCount = 10;
            else
                s.scanStep = StepPageLoaded;
        }
        m_pageHtml = html;
        m_pageAddress = address;
        stepLoaded(scan);
    });
}

void ScanDriver::showWaitCount()
{
    const MainState &s = m_form.state;
    if (s.waitCount != 0 &&
        (s.scanStep == StepWait || s.scanStep == StepPageLoaded || s.scanStep == StepLogIn))
        m_form.LabScanLast->setText(texts::ScanRunning + QStringLiteral("(%1)").arg(s.waitCount));
}

void ScanDriver::waitedWithoutAnswer()
{
    // The browser has not answered an earlier tick (a page script that never yields, a page
    // process that hangs): this tick counts as spent waiting, so the limit still comes.
    MainState &s = m_form.state;
    showWaitCount();
    if (++s.waitCount >= 10)
        failScan();
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
    m_browser->submitLogin(s.userName, s.password, m_pageAddress,
                           [this, scan](Browser::LoginResult result) {
                               if (!isCurrent(scan))
                                   return;
                               MainState &s = m_form.state;
                               if (result == Browser::LoginResult::Submitted) {
                                   s.loginSubmitted = true;
                                   s.scanStep = StepWait;
                               } else if (result == Browser::LoginResult::OtherPage) {
                                   // The page has gone elsewhere: the new one is checked first.
                                   s.scanStep = StepWait;
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
    const MainState &s = m_form.state;
    if (s.waitCount >= 10 && s.scanStep == StepWait)
        failScan();
    m_tickBusy = false;
}

void ScanDriver::failScan()
{
    MainState &s = m_form.state;
    ++m_scan; // what the browser still owes this scan is dropped, also during the message
    m_tickBusy = false;
    setProgress(texts::ScanStopped, colors::Red);
    m_form.Timer1->stop();
    if (s.loginSubmitted)
        showMessage({QStringLiteral("Unable to login !"), QStringLiteral("Please, check your Vey"),
                     QStringLiteral("Username and Password.")});
    else
        showMessage({QStringLiteral("Unable to connect !"), QStringLiteral("Please, check your"),
                     QStringLiteral("internet connection.")});
    s.waitCount = 0;
    endScan();
}

void ScanDriver::countdown(int step)
{
    m_reading = true;
    if (step <= 3) {
        setProgress(step == 0 ? texts::CheckingFriends
                              : texts::CheckingFriends + QStringLiteral("(%1)").arg(step),
                    colors::Magenta);
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
    // The rows move when the lists are rebuilt: the friends are followed by their numbers.
    QList<FriendsTable::RowId> cameOnline;
    for (const int row : mergePresence(m_form.table, entries, QDateTime::currentDateTime()))
        cameOnline << m_form.table.rowId(row);
    s.scanState = 2;
    m_reading = false;
    m_running = false;
    m_form.Timer1->stop();
    emit pageMerged();
    // Named in the order of the rebuilt main list.
    if (const QStringList names =
            selectedNames(m_form.table, cameOnline, m_form.CheckUser->isChecked());
        !names.isEmpty())
        emit friendsCameOnline(names);
    if (std::exchange(m_startQueued, false))
        startScanButton();
}

void ScanDriver::endScan()
{
    MainState &s = m_form.state;
    ++m_scan; // late answers of this scan are dropped
    m_tickBusy = false;
    m_running = false;
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
