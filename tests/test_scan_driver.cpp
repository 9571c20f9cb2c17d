// The scan's state machine against a fake window, a scripted browser and fetcher: what it shows,
// the route each scan takes, when it gives up, and what reaches the table.
#include "data_table.h"
#include "fake_platform.h"
#include "platform/address_policy.h"
#include "scan/scan_driver.h"
#include "scan/scan_host.h"
#include "scan/service_address.h"
#include "scan_pages.h"
#include "store/clock.h"
#include <QTest>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

using Tone = ScanHost::Tone;

struct FakeHost final : ScanHost
{
    ScanShared shared{ScanState::NotStarted, ScanButton::Start, "demo", "demo123", "demo123", {}};
    FriendsTable table;
    QString caption;
    Tone tone = Tone::Running;
    QList<QStringList> messages;
    std::function<void()> onMessage = [] {}; // while the message waits for its Ok
    bool timed = false, nextScanNow = false;
    int leaves = 0, ends = 0, fails = 0;

    ScanShared &scanShared() override { return shared; }
    FriendsTable &friendsTable() override { return table; }
    bool isTimedScan() const override { return timed; }
    void setScanButton(ScanButton b) override { shared.scanButton = b; }
    void showProgress(const QString &c, Tone t) override { caption = c, tone = t; }
    void showProgress(const QString &c) override { caption = c; }
    void showNextScanNow() override { nextScanNow = true; }
    void showMessage(const QStringList &lines) override { messages << lines, onMessage(); }
    void showFailure(const QStringList &lines) override { showMessage(lines); }
    void leaveManageList() override { ++leaves; }
    void scanEnded() override { ++ends; }
    void scanFailed() override { ++fails; }
};

struct Rig
{
    FakeHost window;
    QTimer stepTimer;
    FakeBrowser *browser = new FakeBrowser;
    FakePageFetcher *fetcher = new FakePageFetcher;
    std::unique_ptr<ScanDriver> driver =
        std::make_unique<ScanDriver>(window, stepTimer, std::unique_ptr<Browser>(browser),
                                     std::unique_ptr<PageFetcher>(fetcher));
    int merged = 0, ticks = 0;
    NetworkReach network = NetworkReach::Online;
    QStringList outcomes; // of each scan recorded: its code and detail
    Rig()
    {
        driver->setTimings({20, 5, 5});
        driver->setNetworkReach([this] { return network; });
        QObject::connect(driver.get(), &ScanDriver::attemptEnded, [this](const ScanRecord &r) {
            outcomes << outcomeCode(r.outcome) + u' ' + QString::number(r.detail);
        });
        QObject::connect(driver.get(), &ScanDriver::pageMerged, [this] {
            ++merged;
            window.shared.scanButton = ScanButton::Start; // as the model's completion does
        });
        QObject::connect(&stepTimer, &QTimer::timeout, [this] { ++ticks; });
    }
    bool scanning() const { return window.shared.scanButton == ScanButton::Abort; }
    void press() { driver->startScanButton(); }
};

} // namespace

class TestScanDriver : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Clock::set({}); }

    void missingLogin_showsMessageAndReturnsToIdle_data()
    {
        addColumns<QString, QString, QString>({"userName", "password", "missing"});
        addRow("user name", "Vey Username", QString("x"), QString("Invalid Vey Username"));
        addRow("password", "demo", QString("Vey Password"), QString("Invalid Vey Password"));
    }
    void missingLogin_showsMessageAndReturnsToIdle()
    {
        auto [userName, password, missing] =
            fetch<QString, QString, QString>("userName", "password", "missing");
        Rig r;
        r.window.shared.userName = userName;
        r.window.shared.password = password;
        r.window.onMessage = [&] { QVERIFY(r.scanning()); };
        r.press();
        QCOMPARE(r.window.messages, (QList<QStringList>{{missing, "Please fill in this field"}}));
        QVERIFY(!r.scanning());
        QCOMPARE(QList<int>({r.window.leaves, r.window.ends}), QList<int>({1, 1}));
        QVERIFY(r.browser->navigations.isEmpty() && r.fetcher->fetched.isEmpty());
    }

    void routes_data()
    {
        // later: not the first scan of the run; landsAt: where the answer came from, or "".
        addColumns<bool, QString, DirectRead, QString>({"later", "direct", "result", "landsAt"});
        addRow("first scan: browser", false, QString(), DirectRead::NotTried, "");
        addRow("later: direct read", true, FriendsDirect, DirectRead::FriendsPage, "");
        addRow("later: login page, then browser", true, "<form>vey</form>", DirectRead::Failed, "");
        QTest::newRow("later: friends page of another host, then browser")
            << true << FriendsDirect << DirectRead::Failed << "https://vey.example.net/friends";
    }
    void routes()
    {
        auto [later, direct, result, landsAt] =
            fetch<bool, QString, DirectRead, QString>("later", "direct", "result", "landsAt");
        Rig r;
        Clock::set(QDateTime(QDate(2026, 12, 5), QTime(14, 7)));
        if (later)
            r.window.shared.scanState = ScanState::PageRead;
        r.fetcher->answer = [direct](const QUrl &) { return direct; };
        r.fetcher->landsAt = QUrl(landsAt);
        r.fetcher->delayMs = 200;
        r.browser->pageFor = [](const QUrl &) { return LoginForm; };
        r.browser->pageAfterLogin = FriendsBrowser;
        r.press();
        QVERIFY(r.scanning());
        QCOMPARE(r.stepTimer.timerType(), Qt::PreciseTimer); // ticks as exact as the waits
        QCOMPARE(r.window.shared.scanState, ScanState::Started);
        if (later) // a slow direct read keeps its caption while the ticks go by
            QTest::qWait(120);
        QCOMPARE(r.window.caption, later ? QString("  Check Friends online ...")
                                         : QString("        Scan running ..."));
        QCOMPARE(r.window.tone, later ? Tone::Checking : Tone::Running);
        QTRY_VERIFY(!r.scanning());
        QCOMPARE(r.fetcher->fetched.size(), int(later));
        QCOMPARE(r.driver->directReadResult(), result);
        const bool browser = result != DirectRead::FriendsPage;
        QCOMPARE(r.browser->logins.size(), int(browser));
        QCOMPARE(r.browser->logins.value(0).join(u' '), browser ? "demo demo123" : QString());
        if (browser)
            QCOMPARE(r.browser->navigations.first(),
                     QUrl("https://www.vey.example/my/account/friends.php?lang=en"));
        QVERIFY(!r.browser->isLoaded());
        QCOMPARE(r.merged, 1);
        QCOMPARE(r.window.shared.scanState, ScanState::PageRead);
        QCOMPARE(r.driver->step(), ScanStep::Read);
        // The sessions start at the program's clock.
        const int ann = r.window.table.findByAccountName(QStringLiteral("ann.lee"));
        QCOMPARE(r.window.table.cellText(ann, Start1), QStringLiteral("05/12/26 14:07"));
        // The wall clock set forward before the next scan: the open session ends at the last
        // scan the clock was right at, and a new one starts.
        Clock::step(QDateTime(QDate(2026, 12, 5), QTime(14, 30)));
        r.press();
        QTRY_COMPARE(r.merged, 2);
        QCOMPARE(r.window.table.cellText(ann, Start1), QStringLiteral("05/12/26 14:30"));
        QCOMPARE(r.window.table.cellText(ann, End2), QStringLiteral("05/12/26 14:07"));
    }

    void waitingTooLong_givesUpWithAMessage_data()
    {
        // afterLogin: empty: no page ever arrives; status: of the failed loads; outcome: recorded
        addColumns<QString, NetworkReach, int, QStringList, QString>(
            {"afterLogin", "network", "status", "message", "outcome"});
        const QStringList connect{"Unable to connect !", "Please, check your",
                                  "internet connection."};
        const auto online = NetworkReach::Online;
        addRow("wrong password", LoginForm, online, 0,
               QStringList{"Unable to login !", "Please, check your Vey", "Username and Password."},
               "logged-out 0");
        addRow("no page arrives", QString(), online, 0, connect, "no-answer 10");
        addRow("no network", QString(), NetworkReach::Offline, 0, connect, "no-network 0");
        addRow("the service's error", QString(), online, 503, connect, "service-error 503");
        addRow("neither page", "<P>vey</P>" + Filler + "</BODY>", online, 0, connect,
               "not-friends-page 0");
    }
    void waitingTooLong_givesUpWithAMessage()
    {
        auto [afterLogin, network, status, message] =
            fetch<QString, NetworkReach, int, QStringList>("afterLogin", "network", "status",
                                                           "message");
        Rig r;
        r.browser->pageFor = [&](const QUrl &) { return afterLogin; };
        r.browser->pageAfterLogin = afterLogin;
        r.browser->trouble.httpStatus = status;
        r.network = network;
        QStringList captions;
        QObject::connect(&r.stepTimer, &QTimer::timeout, [&] { captions << r.window.caption; });
        r.window.onMessage = [&] {
            QCOMPARE(r.window.caption, QStringLiteral(" Scan stopped"));
            QCOMPARE(r.window.tone, Tone::Stopped);
            QCOMPARE(r.driver->waitCount(), 10); // ten ticks spent waiting
            QCOMPARE(r.window.fails, 1);         // the count-down runs again before the message
        };
        r.press();
        QTRY_VERIFY(!r.scanning());
        QCOMPARE(r.window.messages, QList<QStringList>{message});
        QTEST(r.outcomes.join(u','), "outcome");
        QCOMPARE(r.driver->waitCount(), 0);
        QCOMPARE(r.window.ends, 0); // repetition is left as it was
        QVERIFY(!r.stepTimer.isActive());
        QVERIFY(!r.browser->isLoaded()); // the next scan starts with a fresh page
        // From the second tick on the caption counts the ticks spent waiting.
        QCOMPARE(captions.mid(1, 2),
                 (QStringList{"        Scan running ...(1)", "        Scan running ...(2)"}));
    }

    // A scan the user started tells its failure; a run of failed timed scans tells once.
    void failedScans_tellTheUserStartedAndTheFirstOfARun()
    {
        const QString scans = "ttthtgttght"; // t: timed, failing; h: by hand, failing; g: good
        Rig r;
        QString told;
        for (const QChar scan : scans) {
            const qsizetype before = r.window.messages.size();
            r.window.timed = scan != u'h';
            const QString page = scan == u'g' ? FriendsBrowser : QString();
            r.browser->pageFor = [page](const QUrl &) { return page; };
            r.press();
            QTRY_VERIFY(!r.scanning());
            told += QString::number(r.window.messages.size() - before);
        }
        QCOMPARE(told, QStringLiteral("10010010010"));
        QCOMPARE(r.window.fails, scans.size() - scans.count(u'g'));
    }

    void arrivingPage_isReadWaitedForOrRefused_data()
    {
        addColumns<QString, QString, QString>({"service", "page", "outcome"});
        // Positions count from 1: the end tag counts from position 100 on.
        const QString friends = "<p>vey Friends Online Now:</p>";
        const auto endAt = [&](int position) {
            return friends.leftJustified(position - 1) + "</BODY>";
        };
        addRow("end at position 99", "", endAt(99), "waits");
        addRow("end at position 100", "", endAt(100), "read");
        addRow("end tag in small letters", "", friends + Filler + "</body>", QString("waits"));
        addRow("an early end tag in a script, the real one later", "",
               "<SCRIPT>var end = '</BODY>';</SCRIPT>" + FriendsBrowser, QString("read"));
        QTest::newRow("plain http elsewhere, never sent")
            << "http://www.vey.example" << LoginForm << "refused";
    }
    void arrivingPage_isReadWaitedForOrRefused()
    {
        auto [service, page, outcome] =
            fetch<QString, QString, QString>("service", "page", "outcome");
        Rig r;
        r.window.shared.serviceUrl = service;
        r.browser->pageFor = [page](const QUrl &) { return page; };
        r.press();
        QTRY_VERIFY(!r.scanning() || (outcome == u"waits" && r.driver->waitCount() >= 3));
        QCOMPARE(r.merged, int(outcome == u"read"));
        QCOMPARE(r.driver->step(), outcome == u"read" ? ScanStep::Read : ScanStep::Wait);
        const bool refused = outcome == u"refused";
        QCOMPARE(r.window.messages.size(), int(refused));
        if (!refused)
            return;
        QCOMPARE(r.ticks, 1); // the first tick gave up, without typing the login
        QVERIFY(r.browser->logins.isEmpty());
        for (const QUrl &sent : std::as_const(r.browser->navigations))
            QVERIFY(isAllowedServiceAddress(sent));
    }

    // own: a page of the service (the login, the friends); loads: the browser may load it.
    void servicePage_isTheServicesHostOrDomainOnly_data()
    {
        addColumns<QString, QString, bool, bool>({"service", "page", "own", "loads"});
        const QString builtIn = friendsPageUrl(QString()).toString();
        const QString local = friendsPageUrl(QStringLiteral("http://127.0.0.1:8080")).toString();
        addRow("the service's host", builtIn, "https://www.vey.example/login", true, true);
        addRow("its domain", builtIn, "https://vey.example/", true, true);
        addRow("a host in its domain", builtIn, "https://login.eu.vey.example/x", true, true);
        addRow("a domain ending alike", builtIn, "https://myvey.example/", false, false);
        addRow("its domain inside another", builtIn, "https://vey.example.net/", false, false);
        addRow("another host", builtIn, "https://tracker.example/", false, false);
        addRow("plain http", builtIn, "http://www.vey.example/", false, false);
        addRow("loopback, for a service elsewhere", builtIn, "https://127.0.0.1:631/", false,
               false);
        addRow("a socket to the service", builtIn, "wss://www.vey.example/live", false, true);
        addRow("loopback, same port", local, "http://127.0.0.1:8080/login", true, true);
        addRow("loopback, another port", local, "http://127.0.0.1:9/frame", false, true);
        addRow("loopback, another name", local, "http://localhost:8080/login", false, false);
        addRow("loopback, another scheme", local, "https://127.0.0.1:8080/", false, false);
        addRow("name under an IP", "https://127.0.0.1:8443", "https://x.127.0.0.1/", false, false);
        addRow("www, bare name", "https://www.example", "https://other.example/", false, false);
    }
    void servicePage_isTheServicesHostOrDomainOnly()
    {
        auto [service, page] = fetch<QString, QString>("service", "page");
        QTEST(isServicePage(QUrl(page), QUrl(service)), "own");
        QTEST(isServiceRequest(QUrl(page), QUrl(service)), "loads");
    }

    void formWithoutButton_staysInLoginStepUntilAbort()
    {
        Rig r;
        r.window.timed = true;
        r.browser->pageFor = [](const QUrl &) { return LoginForm; };
        r.browser->hasButton = false;
        r.press();
        QVERIFY(r.window.nextScanNow);
        QTRY_COMPARE(r.driver->step(), ScanStep::LogIn);
        QTest::qWait(300);
        QCOMPARE(r.driver->step(), ScanStep::LogIn);
        QVERIFY(r.scanning() && r.driver->isScanInProgress());
        r.press();
        QVERIFY(!r.scanning() && !r.driver->isScanInProgress() && !r.stepTimer.isActive());
        QVERIFY(!r.browser->isLoaded());
        QCOMPARE(r.window.ends, 1);
        QCOMPARE(r.outcomes, QStringList{"aborted 0"});
    }

    void countdown_outlivesAnAbortAndDelaysTheNextStart()
    {
        Rig r;
        r.driver->setTimings({20, 5, 200});
        r.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        r.press();
        QTRY_COMPARE(r.window.caption, QStringLiteral("  Check Friends online ..."));
        r.press(); // abort: the button returns at once, the count-down and the read go on
        QVERIFY(!r.scanning() && r.driver->isScanInProgress());
        QTRY_COMPARE(r.window.caption, QStringLiteral("  Check Friends online ...(1)"));
        QCOMPARE(r.window.tone, Tone::Checking);
        QCOMPARE(r.window.table.friendCount(), 0);
        r.press(); // a start meanwhile waits for that read, then runs
        QVERIFY(r.scanning());
        QTRY_COMPARE(r.merged, 1);
        QTRY_COMPARE(r.fetcher->fetched.size(), 1); // the second scan tries the direct read
        QTRY_COMPARE(r.merged, 2);
    }

    void driverGoingAwayWithAReadPending_runsNothingMore()
    {
        Rig r;
        r.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        r.browser->answers = false;
        r.press();
        QTRY_COMPARE(r.browser->heldAnswers(), 1);
        const QString caption = r.window.caption;
        r.driver.reset(); // its browser answers the pending read as it is destroyed
        QCOMPARE(r.window.caption, caption);
        QTest::qWait(50);
        QCOMPARE(r.window.table.friendCount(), 0);
        QCOMPARE(r.merged, 0);
    }
};

QTEST_GUILESS_MAIN(TestScanDriver)
#include "test_scan_driver.moc"
