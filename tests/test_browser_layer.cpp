// The embedded browser layer, through the browser helper, against a small page server on
// loopback: the page as the program reads it, the login form, the login cookie shared both ways
// with the direct read, no process left after unloading, and dead or missing processes.
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
#include <memory>
#include <optional>

using namespace amiscan;

namespace {

const QString Helper = QStringLiteral(AMISCAN_BROWSER_EXECUTABLE);

const QByteArray FriendsPage =
    "<html><head><title>vey friends</title></head><body><h2>Friends Online Now:</h2><ul>"
    "<li style=\"list-style:none;padding:5px\">Ann Lee<br><small>(ann.lee)</small></li>"
    "<li style=\"list-style:none;padding:5px\">Bo &amp; Co<br><small>(bo)</small></li>"
    "</ul><p>vey</p></body></html>";

const QByteArray LoginPage =
    "<html><body><form method=\"post\" action=\"/login\"><input name=\"user\">"
    "<input name=\"pass\" type=\"password\"><button type=\"submit\">Go</button></form>"
    "<p>vey</p></body></html>";

// The page's HTML, once the browser has answered (an answer that never comes leaves the
// outputs as they were).
QString readPageNow(Browser &browser, bool *hasDocument = nullptr, QUrl *address = nullptr)
{
    struct Answer
    {
        bool given = false;
        bool hasDocument = false;
        QString html;
        QUrl address;
    };
    const auto answer = std::make_shared<Answer>();
    browser.readPage([answer](bool has, const QString &text, const QUrl &at) {
        *answer = {true, has, text, at};
    });
    if (!QTest::qWaitFor([&] { return answer->given; }, 10000))
        return QString();
    if (hasDocument)
        *hasDocument = answer->hasDocument;
    if (address)
        *address = answer->address;
    return answer->html;
}

Browser::LoginResult submitLoginNow(Browser &browser, const QString &user, const QString &password,
                                    const QUrl &pageAddress)
{
    std::optional<Browser::LoginResult> result;
    browser.submitLogin(user, password, pageAddress,
                        [&](Browser::LoginResult answer) { result = answer; });
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

    QUrl url(const char *path) const
    {
        return QUrl(
            QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QLatin1StringView(path)));
    }

    // A browser loaded without a page: reads and logins answer as much.
    static void verifyNoPage(Browser &browser)
    {
        QVERIFY(browser.isLoaded());
        bool hasDocument = true;
        readPageNow(browser, &hasDocument);
        QVERIFY(!hasDocument);
        QCOMPARE(submitLoginNow(browser, QStringLiteral("u"), QStringLiteral("p"), QUrl()),
                 Browser::LoginResult::OtherPage);
    }

    // The page's HTML once it holds the needle, or whatever it holds after 20 seconds.
    static QString waitForPage(Browser &browser, const QString &needle)
    {
        QString html;
        (void)QTest::qWaitFor([&] { return (html = readPageNow(browser)).contains(needle); },
                              20000);
        return html;
    }

private slots:
    void initTestCase()
    {
        m_server.route(QStringLiteral("/friends"),
                       [] { return QHttpServerResponse("text/html", FriendsPage); });
        m_server.route(QStringLiteral("/form"),
                       [] { return QHttpServerResponse("text/html", LoginPage); });
        // Two forms that cannot be filled in: inputs without a button, a button without inputs.
        m_server.route(QStringLiteral("/nobutton"), [] {
            return QHttpServerResponse("text/html", "<html><body><form method=\"post\" "
                                                    "action=\"/login\"><input><input></form>"
                                                    "<p>vey</p></body></html>");
        });
        m_server.route(QStringLiteral("/noinput"), [] {
            return QHttpServerResponse("text/html", "<html><body><form method=\"post\" "
                                                    "action=\"/login\"><button>Go</button>"
                                                    "</form><p>vey</p></body></html>");
        });
        m_server.route(QStringLiteral("/moved"), [this] {
            QHttpServerResponse response(QHttpServerResponse::StatusCode::Found);
            response.addHeader("Location", url("/friends").toEncoded());
            return response;
        });
        m_server.route(QStringLiteral("/login"), [this](const QHttpServerRequest &request) {
            m_posted << request.body();
            QHttpServerResponse response("text/html", FriendsPage);
            response.addHeader("Set-Cookie", "session=abc123; Path=/; HttpOnly");
            return response;
        });
        m_server.route(QStringLiteral("/whoami"), [](const QHttpServerRequest &request) {
            return QHttpServerResponse("text/plain", request.value("Cookie"));
        });
        m_port = m_server.listen(QHostAddress::LocalHost, 0);
        QVERIFY(m_port != 0);
    }

    void page_isWrittenInTheProgramsForm()
    {
        HelperProcessBrowser browser(Helper);
        browser.load();
        browser.navigate(url("/moved"));
        const QString html = waitForPage(browser, QStringLiteral("Friends Online Now:"));
        QUrl address;
        readPageNow(browser, nullptr, &address);
        QCOMPARE(address, url("/friends")); // where the page came from, after the redirect
        QVERIFY2(html.contains(QStringLiteral(
                     "<LI style=\"PADDING-RIGHT: 5px; PADDING-LEFT: 5px; PADDING-BOTTOM: 5px")),
                 qPrintable(html));
        QVERIFY(html.contains(QStringLiteral(">Ann Lee<BR><SMALL>(ann.lee)</SMALL></LI>")));
        QVERIFY(html.contains(QStringLiteral("Bo &amp; Co<BR>")));
        QVERIFY(html.contains(QStringLiteral("Friends Online Now:")));
        browser.unload();
    }

    void login_typesIntoTheFormAndSharesTheCookie()
    {
        HelperProcessBrowser browser(Helper);
        auto *manager = new QNetworkAccessManager(&browser);
        browser.shareCookiesWith(manager->cookieJar());
        browser.load();
        browser.navigate(url("/form"));
        QVERIFY(
            waitForPage(browser, QStringLiteral("<BUTTON")).contains(QStringLiteral("<BUTTON")));

        QCOMPARE(submitLoginNow(browser, QStringLiteral("demo\"');"), QStringLiteral("p&w d"),
                                url("/form")),
                 Browser::LoginResult::Submitted);
        QTRY_COMPARE_WITH_TIMEOUT(m_posted.size(), 1, 10000);
        QCOMPARE(m_posted.first(), QByteArray("user=demo%22%27%29%3B&pass=p%26w+d"));
        QVERIFY(waitForPage(browser, QStringLiteral("Friends Online Now:"))
                    .contains(QStringLiteral("Friends Online Now:")));

        // The direct read sends the cookie the browser received.
        QTRY_VERIFY_WITH_TIMEOUT(!manager->cookieJar()->cookiesForUrl(url("/whoami")).isEmpty(),
                                 10000);
        NetworkPageFetcher fetcher(manager);
        QString body;
        bool ok = false;
        bool done = false;
        fetcher.fetch(url("/whoami"), [&](bool fetched, const QString &text) {
            ok = fetched;
            body = text;
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
        QVERIFY(ok);
        QCOMPARE(body, QStringLiteral("session=abc123"));
        browser.unload();

        // The next helper starts with the login the direct read holds.
        browser.load();
        browser.navigate(url("/whoami"));
        QVERIFY(waitForPage(browser, QStringLiteral("session=abc123"))
                    .contains(QStringLiteral("session=abc123")));
        QCOMPARE(m_posted.size(), 1);
    }

    void incompleteFormOrOtherPage_nothingIsTyped_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("expectedAt");
        QTest::addColumn<Browser::LoginResult>("result");
        QTest::newRow("no button")
            << QByteArray("/nobutton") << QByteArray("/nobutton") << Browser::LoginResult::NoForm;
        QTest::newRow("no input") << QByteArray("/noinput") << QByteArray("/noinput")
                                  << Browser::LoginResult::NoForm;
        QTest::newRow("page elsewhere")
            << QByteArray("/form") << QByteArray("/friends") << Browser::LoginResult::OtherPage;
    }

    void incompleteFormOrOtherPage_nothingIsTyped()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, expectedAt);
        QFETCH(Browser::LoginResult, result);
        m_posted.clear();
        HelperProcessBrowser browser(Helper);
        browser.load();
        browser.navigate(url(path.constData()));
        QVERIFY(waitForPage(browser, QStringLiteral("<FORM")).contains(QStringLiteral("<FORM")));
        QCOMPARE(submitLoginNow(browser, QStringLiteral("u"), QStringLiteral("secret"),
                                url(expectedAt.constData())),
                 result);
        QTest::qWait(300);
        QVERIFY(m_posted.isEmpty());
    }

    void unloadOrDestruction_endsTheHelperAndItsProcesses()
    {
        std::optional<HelperProcessBrowser> browser(std::in_place, Helper);
        bool hasDocument = true;
        readPageNow(*browser, &hasDocument);
        QVERIFY(!hasDocument);
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000); // earlier tests' ended
        // A page shown by the helper and the page's own process.
        const auto openPage = [&] {
            browser->load();
            browser->navigate(url("/friends"));
            return waitForPage(*browser, QStringLiteral("Friends Online Now:"))
                       .contains(QStringLiteral("Friends Online Now:")) &&
                   browserHelperPid() != 0 && pageProcessPid() != 0;
        };

        QVERIFY(openPage());
        browser->unload();
        QVERIFY(!browser->isLoaded());
        readPageNow(*browser, &hasDocument);
        QVERIFY(!hasDocument);
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000);

        QVERIFY(openPage());
        browser.reset(); // as the program ends
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000);
    }

    // The page's own process or the whole helper dies: what was asked is answered as no page,
    // and so is everything after, until the next load brings a fresh page.
    void deadProcess_answersNoPageUntilLoadedAgain_data()
    {
        QTest::addColumn<bool>("wholeHelper");
        QTest::newRow("page process") << false;
        QTest::newRow("helper") << true;
    }
    void deadProcess_answersNoPageUntilLoadedAgain()
    {
        QFETCH(bool, wholeHelper);
        HelperProcessBrowser browser(Helper);
        browser.load();
        browser.navigate(url("/friends"));
        QVERIFY(waitForPage(browser, QStringLiteral("Friends Online Now:"))
                    .contains(QStringLiteral("Friends Online Now:")));
        const qint64 victim = wholeHelper ? browserHelperPid() : pageProcessPid();
        QVERIFY(victim != 0);
        QVERIFY(::kill(pid_t(victim), SIGKILL) == 0);
        if (wholeHelper)
            QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(!readPageNow(browser).contains(QStringLiteral("Friends")), 10000);
        verifyNoPage(browser);

        browser.load();
        browser.navigate(url("/friends"));
        QVERIFY(waitForPage(browser, QStringLiteral("Friends Online Now:"))
                    .contains(QStringLiteral("Friends Online Now:")));
        browser.unload();
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000);
    }

    void missingHelper_answersNoPage()
    {
        HelperProcessBrowser browser(QStringLiteral("/nonexistent/amiscan-browser"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot be started")));
        browser.load();
        browser.navigate(url("/friends"));
        verifyNoPage(browser);
    }

    void plainHttpElsewhere_isNeverContacted()
    {
        // A manager that records what it is asked to send, and sends nothing.
        class RecordingManager final : public QNetworkAccessManager
        {
        public:
            QList<QUrl> asked;

        protected:
            QNetworkReply *createRequest(Operation op, const QNetworkRequest &request,
                                         QIODevice *data) override
            {
                asked << request.url();
                QNetworkRequest nowhere(request);
                nowhere.setUrl(QUrl(QStringLiteral("invalid:nothing")));
                return QNetworkAccessManager::createRequest(op, nowhere, data);
            }
        };
        RecordingManager manager;
        NetworkPageFetcher fetcher(&manager);
        bool done = false;
        bool ok = true;
        fetcher.fetch(QUrl(QStringLiteral("http://www.vey.example/my/account/friends.php")),
                      [&](bool fetched, const QString &) {
                          ok = fetched;
                          done = true;
                      });
        QTRY_VERIFY(done);
        QVERIFY(!ok);
        QVERIFY(manager.asked.isEmpty());
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestBrowserLayer)
#include "test_browser_layer.moc"
