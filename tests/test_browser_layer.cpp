// The browser layer, through the browser helper, against a small page server on loopback: the
// page as the program reads it, the login form, the login cookie shared both ways with the direct
// read, no process left after unloading, and dead or missing processes.
#include "browser_processes.h"
#include "platform/helper_process_browser.h"
#include "platform/network_page_fetcher.h"
#include "widget_test_main.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QRegularExpression>

#include <csignal>
#include <optional>

using namespace amiscan;

namespace {

const QString Friends = QStringLiteral("Friends Online Now:");
const QByteArray FriendsPage =
    "<html><body><h2>Friends Online Now:</h2><ul><li style=\"list-style:none;padding:5px\">Ann Lee"
    "<br><small>(ann.lee)</small></li><li style=\"list-style:none;padding:5px\">Bo &amp; Co<br>"
    "<small>(bo)</small></li></ul><p>vey</p></body></html>";

struct Page
{
    bool hasDocument = false;
    QString html;
    QUrl address;
};

// The page as the browser answers it, or no document when it does not answer in time.
Page readPageNow(Browser &browser)
{
    auto page = std::make_shared<std::optional<Page>>();
    browser.readPage([page](bool has, const QString &html, const QUrl &at) {
        *page = Page{has, html, at};
    });
    (void)QTest::qWaitFor([&] { return page->has_value(); }, 10000);
    return page->value_or(Page{});
}

// The page once it holds the text, or whatever it holds after 20 seconds.
QString waitForPage(Browser &browser, const QString &text)
{
    QString html;
    (void)QTest::qWaitFor([&] { return (html = readPageNow(browser).html).contains(text); }, 20000);
    return html;
}

Browser::LoginResult submitLoginNow(Browser &browser, const QString &password, const QUrl &at)
{
    std::optional<Browser::LoginResult> result;
    browser.submitLogin("demo\"');", password, at, [&](Browser::LoginResult r) { result = r; });
    (void)QTest::qWaitFor([&] { return result.has_value(); }, 10000);
    return result.value_or(Browser::LoginResult::OtherPage);
}

} // namespace

class TestBrowserLayer : public QObject
{
    Q_OBJECT

    QHttpServer m_server;
    quint16 m_port = 0;
    QList<QByteArray> m_posted;

    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path));
    }

    // A browser loaded without a page: reads and logins answer as much.
    static void verifyNoPage(Browser &browser)
    {
        QVERIFY(browser.isLoaded());
        QVERIFY(!readPageNow(browser).hasDocument);
        QCOMPARE(submitLoginNow(browser, "p", QUrl()), Browser::LoginResult::OtherPage);
    }

private slots:
    void initTestCase()
    {
        const auto html = [](const QByteArray &body) {
            return [body] { return QHttpServerResponse("text/html", body); };
        };
        m_server.route("/friends", html(FriendsPage));
        m_server.route(
            "/form",
            html("<form method=\"post\" action=\"/login\"><input name=\"user\"><input "
                 "name=\"pass\" type=\"password\"><button type=\"submit\">Go</button></form>"));
        // Forms that cannot be filled in: inputs without a button, a button without inputs.
        m_server.route("/nobutton",
                       html("<form method=\"post\" action=\"/login\"><input><input></form>"));
        m_server.route("/noinput",
                       html("<form method=\"post\" action=\"/login\"><button>Go</button></form>"));
        m_server.route("/moved", [this] {
            QHttpServerResponse response(QHttpServerResponse::StatusCode::Found);
            response.addHeader("Location", url("/friends").toEncoded());
            return response;
        });
        m_server.route("/login", [this](const QHttpServerRequest &request) {
            m_posted << request.body();
            QHttpServerResponse response("text/html", FriendsPage);
            response.addHeader("Set-Cookie", "session=abc123; Path=/; HttpOnly");
            return response;
        });
        m_server.route("/whoami", [](const QHttpServerRequest &request) {
            return QHttpServerResponse("text/plain", request.value("Cookie"));
        });
        m_port = m_server.listen(QHostAddress::LocalHost, 0);
        QVERIFY(m_port != 0);
    }

    void init() { m_posted.clear(); }

    void page_isWrittenInTheProgramsForm()
    {
        HelperProcessBrowser browser(AMISCAN_BROWSER_EXECUTABLE);
        browser.load();
        browser.navigate(url("/moved"));
        const QString html = waitForPage(browser, Friends);
        QVERIFY2(
            html.contains("<LI style=\"PADDING-RIGHT: 5px; PADDING-LEFT: 5px; PADDING-BOTTOM: 5px"),
            qPrintable(html));
        QVERIFY(html.contains(">Ann Lee<BR><SMALL>(ann.lee)</SMALL></LI>") &&
                html.contains("Bo &amp; Co<BR>"));
        QCOMPARE(readPageNow(browser).address, url("/friends")); // after the redirect
    }

    void login_typesIntoTheFormAndSharesTheCookie()
    {
        HelperProcessBrowser browser(AMISCAN_BROWSER_EXECUTABLE);
        auto *manager = new QNetworkAccessManager(&browser);
        browser.shareCookiesWith(manager->cookieJar());
        browser.load();
        browser.navigate(url("/form"));
        QVERIFY(waitForPage(browser, "<BUTTON").contains("<BUTTON"));
        QCOMPARE(submitLoginNow(browser, "p&w d", url("/form")), Browser::LoginResult::Submitted);
        QTRY_COMPARE_WITH_TIMEOUT(m_posted, QList<QByteArray>{"user=demo%22%27%29%3B&pass=p%26w+d"},
                                  10000);
        QVERIFY(waitForPage(browser, Friends).contains(Friends));
        // The direct read sends the cookie the browser received...
        QTRY_VERIFY_WITH_TIMEOUT(!manager->cookieJar()->cookiesForUrl(url("/whoami")).isEmpty(),
                                 10000);
        NetworkPageFetcher fetcher(manager);
        QString body;
        fetcher.fetch(url("/whoami"), [&](bool, const QString &text) { body = text; });
        QTRY_COMPARE_WITH_TIMEOUT(body, QStringLiteral("session=abc123"), 10000);
        browser.unload();
        // ...and the next helper starts with the login the direct read holds.
        browser.load();
        browser.navigate(url("/whoami"));
        QVERIFY(waitForPage(browser, "session=abc123").contains("session=abc123"));
        QCOMPARE(m_posted.size(), 1);
    }

    void incompleteFormOrOtherPage_nothingIsTyped_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("checkedAt");
        QTest::addColumn<Browser::LoginResult>("result");
        QTest::newRow("no button") << "/nobutton"
                                   << "/nobutton" << Browser::LoginResult::NoForm;
        QTest::newRow("no input") << "/noinput"
                                  << "/noinput" << Browser::LoginResult::NoForm;
        QTest::newRow("page elsewhere") << "/form"
                                        << "/friends" << Browser::LoginResult::OtherPage;
    }

    void incompleteFormOrOtherPage_nothingIsTyped()
    {
        QFETCH(QString, path);
        QFETCH(QString, checkedAt);
        HelperProcessBrowser browser(AMISCAN_BROWSER_EXECUTABLE);
        browser.load();
        browser.navigate(url(path));
        QVERIFY(waitForPage(browser, "<FORM").contains("<FORM"));
        QTEST(submitLoginNow(browser, "secret", url(checkedAt)), "result");
        QTest::qWait(300);
        QVERIFY(m_posted.isEmpty());
    }

    // Unloading, the program's end, or a dead page process or helper: no process is left, and
    // what is asked after is answered as no page until the next load brings a fresh page.
    void endOrDeath_leavesNoProcess_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"unload", "destroy", "page process killed", "helper killed"})
            QTest::newRow(how) << how;
    }

    void endOrDeath_leavesNoProcess()
    {
        QFETCH(QString, how);
        std::optional<HelperProcessBrowser> browser(std::in_place, AMISCAN_BROWSER_EXECUTABLE);
        QVERIFY(!readPageNow(*browser).hasDocument);
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000); // earlier tests' ended
        browser->load();
        browser->navigate(url("/friends"));
        QVERIFY(waitForPage(*browser, Friends).contains(Friends));
        QVERIFY(browserHelperPid() != 0 && pageProcessPid() != 0);
        if (how == "unload")
            browser->unload();
        else if (how == "destroy")
            browser.reset();
        else
            QCOMPARE(::kill(pid_t(how.startsWith("page") ? pageProcessPid() : browserHelperPid()),
                            SIGKILL),
                     0);
        if (how != "page process killed")
            QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000);
        if (!browser)
            return;
        QTRY_VERIFY_WITH_TIMEOUT(!readPageNow(*browser).html.contains(Friends), 10000);
        if (how == "unload")
            QVERIFY(!browser->isLoaded() && !readPageNow(*browser).hasDocument);
        else
            verifyNoPage(*browser);
        browser->load();
        browser->navigate(url("/friends"));
        QVERIFY(waitForPage(*browser, Friends).contains(Friends));
    }

    void missingHelper_answersNoPage()
    {
        HelperProcessBrowser browser("/nonexistent/amiscan-browser");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be started"));
        browser.load();
        browser.navigate(url("/friends"));
        verifyNoPage(browser);
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
        fetcher.fetch(QUrl("http://www.vey.example/my/account/friends.php"),
                      [&](bool ok, const QString &) { fetched = ok; });
        QTRY_VERIFY(fetched.has_value());
        QVERIFY(!*fetched);
        QVERIFY(manager.asked.isEmpty());
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestBrowserLayer)
#include "test_browser_layer.moc"
