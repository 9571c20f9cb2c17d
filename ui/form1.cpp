#include "ui/form1.h"

#include "desktop/notifier.h"
#include "desktop/tray_icon.h"
#include "platform/helper_process_browser.h"
#include "platform/network_page_fetcher.h"
#include "scan/scan_driver.h"
#include "schedule/scan_timer.h"
#include "store/history_saver.h"
#include "ui/dialog.h"
#include "ui/help_line.h"
#include "ui/line_list.h"
#include "ui/login_controls.h"
#include "ui/main_list_view.h"
#include "ui/manage_list.h"
#include "ui/panel.h"
#include "ui/scan_view.h"
#include "ui/session_switch.h"
#include "ui/tray.h"
#include "ui/twips.h"
#include "ui/window_events.h"

#include <QIcon>
#include <QNetworkAccessManager>
#include <QPushButton>

namespace amiscan {

Form1::Form1(const QString &dataDir, QWidget *parent)
    : QWidget(parent), m_dataDir(dataDir), m_historySaver(std::make_unique<HistorySaver>())
{
    setWindowIcon(QIcon(QStringLiteral(":/amiscan/amiscan.png")));
    createControls();
    m_scanView = std::make_unique<ScanView>(*this);
    m_scanTimer = std::make_unique<ScanTimer>(*m_scanView, *TimerScan);
    connectListOptions(*this);
    connectManageList(*this);
    connectSessionSwitch(*this);
    setTwipsGeometry(this, QRect(0, 0, 7905, 5295));
    connectLoginControls(*this);
    connectDialogControls(*this);
    connectScanTimerControls(*this);
    connect(ButGo, &QPushButton::clicked, this, &Form1::startScanButton);
    connectPanel(*this);
    connectWindowEvents(*this);
    connectHelpLine(*this);
    connectTrayControls(*this);
    connect(ButExit, &QPushButton::clicked, this, [this] { endProgram(ExitRoute::ExitButton); });
}

Form1::~Form1()
{
    // Hide while the window is whole: the box that has the focus loses it now, and its handlers
    // still find the state they work on. Hidden later, during the destruction, they would not.
    hide();
    // The scan goes first, while the window it writes to is whole: whatever the browser still
    // owes it is answered now and dropped.
    m_scanDriver.reset();
}

bool Form1::scanInProgress() const
{
    return m_scanDriver && m_scanDriver->isScanInProgress();
}

ScanDriver &Form1::scanDriver()
{
    if (!m_scanDriver) {
        // The direct read sends the cookies the browser's login received.
        auto browser = std::make_unique<HelperProcessBrowser>();
        auto fetcher = std::make_unique<NetworkPageFetcher>();
        browser->shareCookiesWith(fetcher->manager()->cookieJar());
        setScanPlatform(std::move(browser), std::move(fetcher));
    }
    return *m_scanDriver;
}

void Form1::setScanPlatform(std::unique_ptr<Browser> browser, std::unique_ptr<PageFetcher> fetcher)
{
    m_scanDriver =
        std::make_unique<ScanDriver>(*m_scanView, *Timer1, std::move(browser), std::move(fetcher));
    connect(m_scanDriver.get(), &ScanDriver::pageMerged, this, &Form1::finishMergedScan);
    connect(m_scanDriver.get(), &ScanDriver::friendsCameOnline, this, &Form1::announceOnline);
}

void Form1::startScanButton()
{
    scanDriver().startScanButton();
}

void Form1::refreshScanStatus()
{
    m_scanTimer->refreshScanStatus();
}

void Form1::toggleRepeat()
{
    m_scanTimer->toggleRepeat();
}

void Form1::validateInterval()
{
    m_scanTimer->validateInterval();
}

int Form1::windowHeightTwips() const
{
    return twipsGeometry(this).height();
}

void Form1::setWindowHeightTwips(int height)
{
    QRect r = twipsGeometry(this);
    r.setHeight(height);
    setTwipsGeometry(this, r);
}

void Form1::fillInstructions()
{
    QStringList mainLines{QString()};
    for (const QString &line : texts::MainListInstructions)
        mainLines << line;
    for (int i = 0; i < 12; ++i)
        mainLines << QString();
    List1->setLines(mainLines);

    List2->setLines({QString(), texts::ManageListInstructions[0], texts::ManageListInstructions[1]},
                    {false, true, true});
}

} // namespace amiscan
