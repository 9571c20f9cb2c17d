// The real browser helper and direct read against a page server of the test's own on loopback,
// then scans against the local stand-in for the service: each way the browser, the service or
// the network fails. The wiring of a good scan is the end-to-end test's.
#include "browser_processes.h"
#include "data_table.h"
#include "fake_platform.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "platform/helper_process_browser.h"
#include "platform/network_page_fetcher.h"
#include "platform/page_limits.h"
#include "scan_pages.h"
#include "service_scan.h"
#include "store/clock.h"
#include "store/data_dir.h"
#include "store/history_file.h"
#include "store/time_text.h"
#include "vey_sim_process.h"
#include "widget_test_main.h"
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslKey>
#include <csignal>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

const QString MissingHelper = QStringLiteral("/nonexistent/amiscan-browser");
const QString UnableToConnect = QStringLiteral("Unable to connect !");
const QString UnableToLogin = QStringLiteral("Unable to login !");
const QString Friends = QStringLiteral("Friends Online Now:");

const QByteArray FriendsPage =
    "<html><body><h1>Friends Online Now: 3</h1><ul>"
    "<li style=\"list-style:none;padding:5px\">Ann Lee<br><small>(ann.lee)</small></li>"
    "<li style=\"list-style:none;padding:5px\">J. Doe<br><small>(jdoe)</small></li>"
    "<li style=\"list-style:none;padding:5px\">Zed<br><small>(zed99)</small></li>"
    "</ul><p><a href=\"/\">vey</a></p>";

const QByteArray SurveyPage = "<html><body><h1>Take our survey</h1><form method=\"post\" "
                              "action=\"/survey\"><input name=\"u\">"
                              "<input name=\"p\" type=\"password\"><button "
                              "type=\"submit\">Send</button></form></body></html>";

struct Page
{
    bool hasDocument = false;
    QString html;
    QUrl address;
};

Page readPageNow(Browser &browser)
{
    auto page = std::make_shared<std::optional<Page>>();
    browser.readPage([page](bool has, const QString &html, const QUrl &at, const LoadTrouble &) {
        *page = Page{has, html, at};
    });
    (void)QTest::qWaitFor([&] { return page->has_value(); }, 10000);
    return page->value_or(Page{});
}

QString waitForPage(Browser &browser, const QString &text)
{
    QString html;
    (void)QTest::qWaitFor([&] { return (html = readPageNow(browser).html).contains(text); }, 20000);
    return html;
}

const QString PageEnd = QStringLiteral("<P id=\"end\"></P>");

QByteArray corpusPage(const QString &name)
{
    return fileBytes(QDir(AMISCAN_PAGE_CORPUS_DIR).filePath(name)) + PageEnd.toLatin1();
}

Browser::LoginResult submitLoginNow(Browser &browser, const QString &password, const QUrl &at)
{
    std::optional<Browser::LoginResult> result;
    browser.submitLogin("demo\"');", password, at, [&](Browser::LoginResult r) { result = r; });
    (void)QTest::qWaitFor([&] { return result.has_value(); }, 10000);
    return result.value_or(Browser::LoginResult::OtherPage);
}

} // namespace

class TestScanWithService : public QObject
{
    Q_OBJECT

    QTemporaryDir m_pages;
    QString m_page = m_pages.filePath("friends.html");
    QString m_neverYielding = m_pages.filePath("never-yielding.html");
    // A page server of the test's own: the browser layer's pages, and another site's survey.
    QHttpServer m_server;
    quint16 m_port = 0;
    QList<QByteArray> m_posted, m_surveyed;
    // Another host on this machine, over plain HTTP and HTTPS; each request's Cookie header.
    QHttpServer m_elsewhere;
    quint16 m_elsewherePort = 0, m_elsewhereSecurePort = 0;
    QList<QByteArray> m_reachedElsewhere;
    const QString m_tls = QStringLiteral(AMISCAN_TEST_TLS_DIR);

    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(writeBytes(m_page, FriendsPage + "</body></html>"));
        // Just over and under the size limit, padded with a comment, which the browser loads fast.
        for (const qsizetype size : {MaxPageBytes + 4096, MaxPageBytes - 4096}) {
            const QByteArray start = FriendsPage + "<!--", end = "--></body></html>";
            QVERIFY(writeBytes(m_pages.filePath(size > MaxPageBytes ? "over.html" : "under.html"),
                               start + QByteArray(size - start.size() - end.size(), 'x') + end));
        }
        // A script that stops answering once the page has loaded.
        QVERIFY(writeBytes(m_neverYielding, FriendsPage +
                                                "<script>addEventListener('load', function () { "
                                                "setTimeout(function () { for (;;) {} }, 0); });"
                                                "</script></body></html>"));
        const auto html = [](const QByteArray &body) {
            return [body] { return QHttpServerResponse("text/html", body); };
        };
        m_server.route("/friends", html(FriendsPage + "</body></html>"));
        const auto form = [&](const char *path, const QByteArray &fields) {
            m_server.route(path,
                           html("<form method=\"post\" action=\"/login\">" + fields + "</form>"));
        };
        form("/form", "<input name=\"user\"><input name=\"pass\" type=\"password\"><button "
                      "type=\"submit\">Go</button>");
        form("/nobutton", "<input><input>");
        form("/noinput", "<button>Go</button>");
        m_server.route("/login", [this](const QHttpServerRequest &request) {
            m_posted << request.body();
            QHttpServerResponse response("text/html", FriendsPage);
            response.addHeader("Set-Cookie", "session=abc123; Path=/; HttpOnly");
            return response;
        });
        m_server.route("/whoami", [](const QHttpServerRequest &request) {
            return QHttpServerResponse("text/plain", request.value("Cookie"));
        });
        // The page reader's corpus, each page with an element after its end, which tells that
        // the browser has read all of it.
        m_server.route("/corpus/<arg>", [](const QString &name) {
            return QHttpServerResponse("text/html; charset=utf-8", corpusPage(name));
        });
        m_server.route("/moved", [] {
            QHttpServerResponse response(QHttpServerResponder::StatusCode::Found);
            response.addHeader("Location", "/whoami");
            return response;
        });
        m_server.route("/survey", [this](const QHttpServerRequest &request) {
            m_surveyed << request.url().toEncoded() + ' ' + request.body();
            return QHttpServerResponse("text/html", SurveyPage);
        });
        m_port = m_server.listen(QHostAddress::LocalHost, 0);
        QVERIFY(m_port != 0);

        m_elsewhere.route("/injected", [this](const QHttpServerRequest &request) {
            m_reachedElsewhere << request.value("Cookie");
            return QHttpServerResponse("text/html", FriendsPage + "</body></html>");
        });
        m_elsewherePort = m_elsewhere.listen(QHostAddress("127.0.0.2"), 0);
        // The certificate of 127.0.0.1 and 127.0.0.2, trusted by the direct read (not the browser).
        const QList<QSslCertificate> trusted =
            QSslCertificate::fromPath(m_tls + "/trusted_loopback.crt");
        QFile key(m_tls + "/trusted_loopback.key");
        QVERIFY(trusted.size() == 1 && key.open(QIODevice::ReadOnly));
        m_elsewhere.sslSetup(trusted.first(), QSslKey(&key, QSsl::Rsa));
        QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
        trusting.addCaCertificates(trusted);
        QSslConfiguration::setDefaultConfiguration(trusting);
        m_elsewhereSecurePort = m_elsewhere.listen(QHostAddress("127.0.0.2"), 0);
        QVERIFY(m_elsewherePort != 0 && m_elsewhereSecurePort != 0);
    }

    void init() { m_posted.clear(), m_surveyed.clear(), m_reachedElsewhere.clear(); }
    void cleanup() { Clock::set({}); }

    void login_typesOnlyIntoTheFormAndSharesTheCookie()
    {
        HelperProcessBrowser browser(AMISCAN_BROWSER_EXECUTABLE);
        auto *manager = new QNetworkAccessManager(&browser);
        browser.shareCookiesWith(manager->cookieJar());
        browser.load();
        // Nothing is typed into a form without a box or a button, nor into another page.
        for (const auto &[path, at] : {std::pair{"/nobutton", "/nobutton"},
                                       {"/noinput", "/noinput"},
                                       {"/form", "/friends"}}) {
            browser.navigate(url(path));
            QVERIFY(waitForPage(browser, "<FORM").contains("<FORM"));
            QCOMPARE(submitLoginNow(browser, "secret", url(at)),
                     QString(path) == at ? Browser::LoginResult::NoForm
                                         : Browser::LoginResult::OtherPage);
        }
        QTest::qWait(300);
        QVERIFY(m_posted.isEmpty());
        QCOMPARE(submitLoginNow(browser, "p&w d", url("/form")), Browser::LoginResult::Submitted);
        QTRY_COMPARE_WITH_TIMEOUT(m_posted, QList<QByteArray>{"user=demo%22%27%29%3B&pass=p%26w+d"},
                                  10000);
        QVERIFY(waitForPage(browser, Friends).contains(Friends));
        // The direct read sends the cookie the browser received, also after a redirect within the
        // service, and tells where the page came from...
        QTRY_VERIFY_WITH_TIMEOUT(!manager->cookieJar()->cookiesForUrl(url("/whoami")).isEmpty(),
                                 10000);
        NetworkPageFetcher fetcher(manager);
        QString body;
        fetcher.fetch(url("/moved"), [&](bool, const QString &text, const QUrl &at,
                                         const LoadTrouble &) { body = at.path() + ' ' + text; });
        QTRY_COMPARE_WITH_TIMEOUT(body, QStringLiteral("/whoami session=abc123"), 10000);
        browser.unload();
        // ...and the next helper starts with the login the direct read holds.
        browser.load();
        browser.navigate(url("/whoami"));
        QVERIFY(waitForPage(browser, "session=abc123").contains("session=abc123"));
        QCOMPARE(m_posted.size(), 1);
    }

    // Every whole page of the page reader's corpus gives the same friends through the browser
    // helper as its text read directly: names are read as the browser shows them.
    void corpusPages_giveTheSameFriendsByEitherRoute()
    {
        HelperProcessBrowser browser(AMISCAN_BROWSER_EXECUTABLE);
        browser.load();
        int withFriends = 0;
        for (const QString &name : QDir(AMISCAN_PAGE_CORPUS_DIR).entryList(QDir::Files)) {
            const QString direct = QString::fromUtf8(corpusPage(name));
            if (!direct.contains(QLatin1StringView("</html>")))
                continue; // a cut page, or one the browser wrote
            browser.navigate(url("/corpus/" + name));
            const QString html = waitForPage(browser, PageEnd);
            QVERIFY2(html.contains(PageEnd), qPrintable(name));
            const QStringList entries = entryTexts(readFriendsPage(direct, 1));
            QCOMPARE(entryTexts(readFriendsPage(html, 9)), entries);
            withFriends += entries.isEmpty() ? 0 : 1;
        }
        QVERIFY(withFriends >= 4);
    }

    // Destroyed, the browser leaves no process.
    void deadPageProcess_answersNoPageUntilTheNextLoad()
    {
        std::optional<HelperProcessBrowser> browser(std::in_place, AMISCAN_BROWSER_EXECUTABLE);
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000); // earlier tests' ended
        browser->load();
        browser->navigate(url("/friends"));
        QVERIFY(waitForPage(*browser, Friends).contains(Friends));
        QCOMPARE(::kill(pid_t(firstBrowserProcess(BrowserProcess::Page)), SIGKILL), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!readPageNow(*browser).html.contains(Friends), 10000);
        QVERIFY(browser->isLoaded() && !readPageNow(*browser).hasDocument);
        QCOMPARE(submitLoginNow(*browser, "p", QUrl()), Browser::LoginResult::OtherPage);
        browser->load();
        browser->navigate(url("/friends"));
        QVERIFY(waitForPage(*browser, Friends).contains(Friends));
        browser.reset();
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000);
    }

    void plainHttpElsewhere_isNeverContacted()
    {
        // A manager that records what it is asked to send, and sends nothing.
        struct RecordingManager final : QNetworkAccessManager
        {
            QList<QUrl> asked;
            QNetworkReply *createRequest(Operation op, const QNetworkRequest &request,
                                         QIODevice *data) override
            {
                asked << request.url();
                QNetworkRequest nowhere(request);
                nowhere.setUrl(QUrl("invalid:nothing"));
                return QNetworkAccessManager::createRequest(op, nowhere, data);
            }
        } manager;
        NetworkPageFetcher fetcher(&manager);
        std::optional<bool> fetched;
        fetcher.fetch(
            QUrl("http://www.vey.example/my/account/friends.php"),
            [&](bool ok, const QString &, const QUrl &, const LoadTrouble &) { fetched = ok; });
        QTRY_VERIFY(fetched.has_value());
        QVERIFY(!*fetched);
        QVERIFY(manager.asked.isEmpty());
    }

    // Scans one after another against the simulator: the first line of each message, the friends
    // after each scan, whether the last read directly. A helper someone else could have changed
    // is never started, one killed leaves no process; no login goes to a foreign page, no cookie
    // to another host; a page larger than any friends page is refused by both routes.
    void failingScans_data()
    {
        // The simulator's arguments; the setup of the helper (missing, changed, a signal mid-scan),
        // or down: nothing listens, or later: a scan of the run has logged in before. A scan
        // that finds no friend failed, recorded as `failure`.
        addColumns<QStringList, QString, QStringList, QList<int>, bool, QString>(
            {"arguments", "setup", "messages", "friends", "direct", "failure"});
        const auto row = [](const char *name, const QStringList &arguments, const char *setup,
                            const QStringList &messages, QList<int> friends = {0},
                            bool direct = false, const char *failure = "no-answer 10") {
            addRow(name, arguments, QString(setup), messages, friends, direct, QString(failure));
        };
        const QStringList connect{UnableToConnect};
        row("nothing listening", {}, "down", connect);
        row("no browser helper", {}, "missing", connect);
        row("a helper its group may change", {}, "g+w", connect);
        row("a helper anyone may change", {}, "o+w", connect);
        row("a helper of another user", {}, "nobody's", connect);
        const char *notFriends = "not-friends-page 0";
        row("a page without the domain word", {"--foreign"}, "", connect, {0}, false, notFriends);
        row("redirected to another site", {"--redirect", url("/survey").toString()}, "", connect,
            {0}, false, notFriends);
        const QString elsewhere = QStringLiteral("://127.0.0.2:%1/injected");
        const QStringList tls{"--tls-cert", m_tls + "/trusted_loopback.crt", "--tls-key",
                              m_tls + "/trusted_loopback.key"};
        const QStringList toHttp{"--redirect", "http" + elsewhere.arg(m_elsewherePort)};
        row("plain http to plain http", toHttp, "later", connect);
        row("https to plain http", toHttp + tls, "later", connect, {0}, false, "certificate 0");
        row("https to https",
            QStringList{"--redirect", "https" + elsewhere.arg(m_elsewhereSecurePort)} + tls,
            "later", connect, {0}, false, "certificate 0");
        row("page script never yielding", {"--page", m_neverYielding}, "", {UnableToLogin}, {0, 3},
            true);
        row("page just over the limit", {"--page", m_pages.filePath("over.html")}, "",
            {UnableToLogin, UnableToConnect}, {0, 0});
        row("page just under it", {"--page", m_pages.filePath("under.html")}, "", {}, {3, 3}, true);
        // Everybody online, the two of the same name too, through both routes: one row each.
        row("built-in roster", {"--all-online"}, "", {}, {41, 41, 41}, true);
        row("helper killed mid-scan", {"--page", m_page}, "SIGKILL", connect, {0, 3});
        row("helper stopped mid-scan", {"--page", m_page}, "SIGSTOP", connect, {0, 3});
    }
    void failingScans()
    {
        auto [arguments, setup, messages, friends, failure] =
            fetch<QStringList, QString, QStringList, QList<int>, QString>(
                "arguments", "setup", "messages", "friends", "failure");
        const QStringList connect{UnableToConnect};
        QTemporaryDir copies;
        QString helper = setup == "missing" ? MissingHelper : AMISCAN_BROWSER_EXECUTABLE;
        if (setup.contains(u'+') || setup == "nobody's") {
            helper = copies.filePath("amiscan-browser");
            QVERIFY(QFile::copy(AMISCAN_BROWSER_EXECUTABLE, helper));
            const int mode = setup == "g+w" ? 0775 : setup == "o+w" ? 0757 : 0755;
            QCOMPARE(::chmod(qPrintable(helper), mode_t(mode)), 0);
            if (setup == "nobody's") // as root, as the suite runs
                QCOMPARE(::chown(qPrintable(helper), 65534, 65534), 0);
        }
        VeySimProcess sim(arguments);
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        if (setup == "down")
            QVERIFY(sim.stop()); // its port is free now
        const int tick = arguments.isEmpty() || setup == "later" ? 100 : 500;
        ScanRig rig(sim.baseUrl(), QStringLiteral("demo123"), {tick, 20, 20}, helper);
        if (setup == "later") { // as after an earlier scan of this run, and its login
            rig.model.stateForTests().scanState = ScanState::PageRead;
            rig.fetcher->manager()->cookieJar()->setCookiesFromUrl(
                {QNetworkCookie("sid", "s3cret")}, sim.baseUrl());
        }
        if (helper != AMISCAN_BROWSER_EXECUTABLE) // standard error says why, verbose or not
            QTest::ignoreMessage(
                QtCriticalMsg, QRegularExpression(setup == "missing"    ? "cannot be started"
                                                  : setup == "nobody's" ? "another user"
                                                                        : "other than its owner"));
        QTimer killer; // the password travels over the pipe only
        QObject::connect(&killer, &QTimer::timeout, [&] {
            if (const qint64 pid = firstBrowserProcess(BrowserProcess::Helper)) {
                killer.stop();
                for (const char *place : {"cmdline", "environ"})
                    QVERIFY(!fileBytes(QStringLiteral("/proc/%1/%2").arg(pid).arg(place))
                                 .contains("demo123"));
                QCOMPARE(::kill(pid_t(pid), setup == "SIGKILL" ? SIGKILL : SIGSTOP), 0);
            }
        });
        if (setup.startsWith("SIG"))
            killer.start(5);
        QList<int> counts;
        for (int scan = 0; scan < friends.size(); ++scan) {
            QVERIFY(rig.scan());
            counts << rig.model.table().friendCount();
            QVERIFY(!rig.browser->isLoaded());
            QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000);
        }
        QCOMPARE(rig.messages, messages);
        QCOMPARE(counts, friends);
        QStringList outcomes;
        for (const int count : std::as_const(friends))
            outcomes << (count > 0 ? QStringLiteral("read 0") : failure);
        QCOMPARE(rig.outcomes, outcomes);
        QTEST(rig.model.scanDriver().directReadResult() == DirectRead::FriendsPage, "direct");
        const FriendsTable &table =
            rig.model.tableForTests(); // every page lists its friends online
        QCOMPARE(friend_rows::column(table, Online).count("1"), table.friendCount());
        QCOMPARE(friend_rows::column(table, End1).count(EmptyStamp), table.friendCount());
        QCOMPARE(m_reachedElsewhere, QList<QByteArray>());
        for (const QByteArray &request : m_surveyed)
            QVERIFY2(!request.contains("demo123"), request.constData());
        if (friends == QList<int>{0} && messages == connect) // no login typed; no helper at all
            for (const SimRequest &request : sim.requests())
                QVERIFY(request.method != "POST" && !arguments.isEmpty());
    }

    // Tests send traffic to loopback only: the simulator refuses to send a browser elsewhere.
    void simulator_refusesARedirectOffLoopback()
    {
        VeySimProcess sim({"--redirect", "https://www.vey.example/"});
        QVERIFY(!sim.start());
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.standardError().startsWith("vey-sim: "));
    }

    // With repetition on, a service away for a while is scanned again once it is back, in this
    // run and after a restart whose Auto Start scan fails: one message a run, TimerOn kept.
    void serviceAwayForAWhile_repetitionGoesOn()
    {
        QTemporaryDir data;
        const QString away = data.filePath("away");
        VeySimProcess sim({"--fault", "503", "--fault-while", away});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        QVERIFY(writeBytes(settingsFilePath(data.path()),
                           "[Parameters]\r\nAutoStart=1\r\nUserName=demo\r\nUserPw=demo123\r\n"
                           "ScanTimer=1\r\nTimerOn=1\r\nServiceUrl=" +
                               sim.baseUrl().toString().toUtf8() + "\r\n"));
        for (const bool restarted : {false, true}) {
            ScanRig rig(sim.baseUrl(), QStringLiteral("demo123"), {200, 20, 20},
                        QStringLiteral(AMISCAN_BROWSER_EXECUTABLE), data.path());
            QSignalSpy merged(&rig.model.scanDriver(), &ScanDriver::pageMerged);
            rig.model.minuteTimer().setInterval(50);  // a minute of the count-down
            QVERIFY(restarted || merged.wait(30000)); // the first run's Auto Start scan
            QVERIFY(writeBytes(away, ""));
            QTRY_COMPARE_WITH_TIMEOUT(rig.messages.size(), 1, 30000);
            QVERIFY(QFile::remove(away));
            QVERIFY(merged.wait(30000)); // the next timed scan once it is back
            QCOMPARE(rig.messages.size(), 1);
            rig.form.endProgram(ExitRoute::ExitButton);
            QVERIFY(fileBytes(settingsFilePath(data.path())).contains("\r\nTimerOn=1\r\n"));
            QVERIFY(writeBytes(away, "")); // not back yet when the program starts again
        }
    }

    // Each fault, met by the direct read after an earlier scan of the run has logged in (the
    // browser then reads the page), or by the first scan's browser once logged in. What the user
    // sees follows the scan's rules, no friend's session changes but by a whole friends page,
    // and the window never stops answering for 200 ms or more.
    void faultyService_data()
    {
        // message: the first line shown, if any; outcome: as recorded, with its detail
        addColumns<QString, bool, QString, QString>({"fault", "direct", "message", "outcome"});
        // A page that trickles in, or whose frame never loads, is read once it has all come.
        for (const char *fault :
             {"hang", "cut", "reset", "500", "503", "trickle", "garbage", "frame"}) {
            const bool whole = qstrcmp(fault, "trickle") == 0 || qstrcmp(fault, "frame") == 0;
            const QString error = fault[0] == '5' ? "service-error " + QString(fault)
                                  : whole         ? "read 0"
                                                  : "no-answer 10";
            QTest::addRow("%s, browser", fault)
                << fault << false << (whole ? QString() : UnableToLogin) << error;
            QTest::addRow("%s, direct read", fault) << fault << true << QString() << "read 0";
        }
        // The certificate is refused by both routes.
        addRow("https, browser", "https", false, UnableToConnect, "certificate 0");
        addRow("https, direct read", "https", true, UnableToConnect, "certificate 0");
        // The service's own: pages it no longer understands, and a login refused.
        addRow("deeper, browser", "deeper", false, UnableToLogin, "no-user-names 0");
        addRow("deeper, direct read", "deeper", true, UnableToConnect, "no-user-names 0");
        addRow("unmarked, browser", "unmarked", false, QString(), "unmarked 0");
        addRow("unmarked, direct read", "unmarked", true, QString(), "unmarked 0");
        addRow("count-off, browser", "count-off", false, UnableToLogin, "count-disagrees 41");
        addRow("count-off, direct read", "count-off", true, UnableToConnect, "count-disagrees 41");
        addRow("logged-out, browser", "logged-out", false, UnableToLogin, "logged-out 0");
        addRow("logged-out, direct read", "logged-out", true, UnableToLogin, "logged-out 0");
    }
    void faultyService()
    {
        auto [fault, direct, message, outcome] =
            fetch<QString, bool, QString, QString>("fault", "direct", "message", "outcome");
        // The friends the service lists, all online, and a history that knows them and one more.
        constexpr int RosterSize = 40;
        QTemporaryDir data;
        FriendsTable known;
        QByteArray roster;
        for (int i = 1; i <= RosterSize + 1; ++i) {
            const QString name = QStringLiteral("Friend %1").arg(i);
            if (i <= RosterSize)
                roster += (name + "\tfriend." + QString::number(i) + '\n').toUtf8();
            friend_rows::add(known, {name, "friend." + QString::number(i)});
        }
        QVERIFY(writeBytes(data.filePath("roster.txt"), roster));
        QVERIFY(history::writeFile(historyFilePath(data.path()), known, "14/10 - 20:15"));
        QStringList arguments{"--roster", data.filePath("roster.txt"), "--all-online",
                              "--trickle-ms", "10"};
        if (fault == "https")
            arguments << "--tls-cert" << m_tls + "/self_signed.crt"
                      << "--tls-key" << m_tls + "/self_signed.key";
        else
            arguments << "--fault" << fault
                      << (direct ? QStringList{"--spare-agent", "QtWebEngine"}
                                 : QStringList{"--fault-after-login"});
        VeySimProcess sim(arguments);
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScanRig rig(sim.baseUrl(), QStringLiteral("demo123"), {500, 20, 20},
                    QStringLiteral(AMISCAN_BROWSER_EXECUTABLE), data.path());
        rig.fetcher->setTimeoutMs(1500);
        if (direct) {
            rig.model.stateForTests().scanState =
                ScanState::PageRead; // as after an earlier scan of this run
            if (fault != "https")
                QCOMPARE(rig.logInDirectly(sim.baseUrl()), fault != "logged-out");
        }
        QCOMPARE(rig.model.table().friendCount(), RosterSize + 1);
        const QStringList before = friend_rows::cells(rig.model.table());
        QSignalSpy merged(&rig.model.scanDriver(), &ScanDriver::pageMerged);
        // The longest time between two turns of the event loop, as a 20 ms timer sees it.
        qint64 longestBlock = 0;
        QElapsedTimer sinceLast;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout,
                         [&] { longestBlock = std::max(longestBlock, sinceLast.restart()); });
        sinceLast.start();
        probe.start(20);
        QVERIFY(rig.scan(60000));
        longestBlock = std::max(longestBlock, sinceLast.elapsed());
        QVERIFY2(longestBlock < 200, qPrintable(QString::number(longestBlock)));
        QCOMPARE(rig.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(rig.outcomes, QStringList{outcome});
        // The direct read takes every friends page that comes whole, understood or not.
        const QStringList whole{"trickle", "frame", "deeper", "unmarked", "count-off"};
        if (direct)
            QCOMPARE(rig.model.scanDriver().directReadResult(),
                     whole.contains(fault) ? DirectRead::FriendsPage : DirectRead::Failed);
        // One whole page merged, every friend it lists online, the other one not (nobody for a
        // page without its markers, as the reading has always done); or nothing at all.
        QCOMPARE(merged.size(), message.isEmpty() ? 1 : 0);
        if (message.isEmpty())
            QCOMPARE(friend_rows::column(rig.model.table(), Online).count("1"),
                     fault == "unmarked" ? 0 : RosterSize);
        else
            QCOMPARE(friend_rows::cells(rig.model.table()), before);
        QVERIFY(!rig.browser->isLoaded());
        // The certificate is refused before any request, the password's above all.
        QVERIFY(fault == "https"
                    ? sim.requests().isEmpty() && !sim.logLines().filter("tls failed").isEmpty()
                    : !sim.logLines().filter("fault " + fault).isEmpty());
    }

    // The friends page laid out otherwise during a run, then as before: no session closes, the
    // history is not rewritten meanwhile, one notification says the page was not understood and
    // one that scans work again; --status and the export name the stretch not observed.
    void changedLayout_leavesTheRecordAndTellsOnce()
    {
        QTemporaryDir data;
        const QString changed = data.filePath("changed");
        QVERIFY(writeBytes(data.filePath("roster.txt"), "Ann Lee\tann\nBob\tbob\nCy\tcy\n"));
        VeySimProcess sim({"--roster", data.filePath("roster.txt"), "--all-online", "--fault",
                           "deeper", "--fault-while", changed});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScanRig rig(sim.baseUrl());
        auto *notifier = new FakeNotifier;
        rig.form.setNotifier(std::unique_ptr<Notifier>(notifier));
        rig.model.setIntervalEntry("1");
        // Each scan a minute after the one before, as the log and the notices see it.
        QDateTime now = QDateTime::currentDateTime();
        Clock::set(now);
        QObject::connect(&rig.model.scanDriver(), &ScanDriver::attemptEnded,
                         [&] { Clock::set(now = now.addSecs(60)); });
        const auto run = [&](const QStringList &options, QString *output) {
            QProcess program;
            program.start(AMISCAN_EXECUTABLE, QStringList{"--data-dir", rig.dir.path()} + options);
            program.waitForFinished(30000);
            if (output)
                *output = QString::fromUtf8(program.readAllStandardOutput());
            return program.exitCode();
        };
        QVERIFY(rig.scan());
        rig.model.waitForHistorySave();
        const QString history = historyFilePath(rig.dir.path());
        const QByteArray saved = fileBytes(history);
        const QStringList before = friend_rows::cells(rig.model.table());
        QCOMPARE(friend_rows::column(rig.model.table(), End1), QStringList(3, EmptyStamp));

        QVERIFY(writeBytes(changed, ""));
        for (int scan = 0; scan < 3; ++scan)
            QVERIFY(rig.scan());
        QCOMPARE(rig.messages, QStringList(3, UnableToConnect)); // the scan's own, as ever
        QCOMPARE(friend_rows::cells(rig.model.table()), before);
        QCOMPARE(fileBytes(history), saved);
        QString status;
        QCOMPARE(run({"--status"}, &status), 1);
        QVERIFY2(status.contains("\tnot-understood\tnot observed since then: page not understood"),
                 qPrintable(status));

        QVERIFY(QFile::remove(changed));
        QVERIFY(rig.scan());
        rig.model.waitForHistorySave();
        QCOMPARE(friend_rows::cells(rig.model.table()), before); // the sessions went on
        QCOMPARE(notifier->shown.size(), 2);
        QCOMPARE(notifier->shown[0].first(), "Amiscan: page not understood");
        QCOMPARE(notifier->shown[1].first(), "Amiscan: scans work again");
        QCOMPARE(run({"--status"}, &status), 0);
        QVERIFY2(!status.contains("unobserved"), qPrintable(status));
        // Each friend's period ends, and the next starts, unseen for the page not understood.
        QString csv;
        QCOMPARE(run({"--export", "csv"}, &csv), 0);
        QStringList periods;
        for (const QString &line : csv.split("\r\n", Qt::SkipEmptyParts).mid(1))
            periods << line.section(u',', 0, 0) + u' ' + line.section(u',', -2);
        QCOMPARE(periods, (QStringList{"ann start,not-understood", "ann not-understood,",
                                       "bob start,not-understood", "bob not-understood,",
                                       "cy start,not-understood", "cy not-understood,"}));
    }

    // Abort during the direct read's fetch or wait: the button returns, the page is still merged.
    void abortDuringTheDirectRead_stillMergesItsPage_data()
    {
        QTest::addColumn<bool>("duringWait"); // else during the fetch
        addRow("during the fetch", false);
        addRow("during the wait after it", true);
    }
    void abortDuringTheDirectRead_stillMergesItsPage()
    {
        QFETCH(bool, duringWait);
        VeySimProcess sim({"--all-online", "--delay-ms", duringWait ? "0" : "1000"});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScanRig rig(sim.baseUrl(), QStringLiteral("demo123"), {500, duringWait ? 1500 : 20, 20});
        QVERIFY(rig.logInDirectly(sim.baseUrl()));
        rig.model.stateForTests().scanState = ScanState::PageRead;
        QSignalSpy merged(&rig.model.scanDriver(), &ScanDriver::pageMerged);
        findControl<QPushButton>(rig.form, "ButGo")->click();
        QTRY_COMPARE(rig.model.scanDriver().directReadResult(),
                     duringWait ? DirectRead::FriendsPage : DirectRead::NotTried);
        findControl<QPushButton>(rig.form, "ButGo")->click();
        QCOMPARE(findControl<QPushButton>(rig.form, "ButGo")->text(), texts::StartCaption);
        QVERIFY((merged.size() == 1 || merged.wait(10000)) && rig.model.table().friendCount() > 0);
        QTRY_VERIFY(QFileInfo::exists(historyFilePath(rig.dir.path())));
        QVERIFY(rig.messages.isEmpty() && !rig.browser->isLoaded());
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestScanWithService)
#include "test_scan_with_service.moc"
