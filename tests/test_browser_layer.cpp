// The embedded browser layer against a small page server on loopback: the page as the program
// reads it, the login form, the shared login cookie, and no page left after unloading.
#include "platform/network_page_fetcher.h"
#include "platform/webengine_browser.h"
#include "widget_test_main.h"

#include <QDir>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QWebEnginePage>

#include <csignal>
#include <memory>
#include <optional>

using namespace amiscan;

namespace {

const QByteArray FriendsPage =
    "<html><head><title>vey friends</title></head><body><h2>Friends Online Now:</h2><ul>"
    "<li style=\"list-style:none;padding:5px\">Ann Lee<br><small>(ann.lee)</small></li>"
    "<li style=\"list-style:none;padding:5px\">Bo &amp; Co<br><small>(bo)</small></li>"
    "</ul><p>vey</p></body></html>";

const QByteArray LoginPage =
    "<html><body><form method=\"post\" action=\"/login\"><input name=\"user\">"
    "<input name=\"pass\" type=\"password\"><button type=\"submit\">Go</button></form>"
    "<p>vey</p></body></html>";

// Renderer processes of this process. The browser's helpers descend from it; renderers are
// either started with --type=renderer or forked by a zygote helper from itself.
int rendererProcesses()
{
    struct Process
    {
        qint64 parent = 0;
        QByteArray cmdline;
    };
    QHash<qint64, Process> processes;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (!isNumber)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly))
            continue;
        Process process;
        process.cmdline = cmdline.readAll();
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("PPid:"))
                process.parent = line.mid(5).trimmed().toLongLong();
        processes.insert(pid, process);
    }
    const qint64 self = QCoreApplication::applicationPid();
    auto descendsFromSelf = [&](qint64 pid) {
        for (int depth = 0; depth < 8 && pid > 1; ++depth) {
            pid = processes.value(pid).parent;
            if (pid == self)
                return true;
        }
        return false;
    };
    int count = 0;
    for (auto it = processes.cbegin(); it != processes.cend(); ++it) {
        const QByteArray &cmd = it->cmdline;
        const bool forkedByZygote = cmd.contains("--type=zygote") &&
                                    processes.value(it->parent).cmdline.contains("--type=zygote");
        if ((cmd.contains("--type=renderer") || forkedByZygote) && descendsFromSelf(it.key()))
            ++count;
    }
    return count;
}

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
        WebEngineBrowser browser;
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
        WebEngineBrowser browser;
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
        WebEngineBrowser browser;
        browser.load();
        browser.navigate(url(path.constData()));
        QVERIFY(waitForPage(browser, QStringLiteral("<FORM")).contains(QStringLiteral("<FORM")));
        QCOMPARE(submitLoginNow(browser, QStringLiteral("u"), QStringLiteral("secret"),
                                url(expectedAt.constData())),
                 result);
        QTest::qWait(300);
        QVERIFY(m_posted.isEmpty());
    }

    void unload_leavesNoPageAndNoRenderer()
    {
        WebEngineBrowser browser;
        bool hasDocument = true;
        readPageNow(browser, &hasDocument);
        QVERIFY(!hasDocument);

        browser.load();
        browser.navigate(url("/friends"));
        QVERIFY(waitForPage(browser, QStringLiteral("Friends Online Now:"))
                    .contains(QStringLiteral("Friends Online Now:")));
        QVERIFY(rendererProcesses() >= 1);
        QVERIFY(browser.findChild<QWebEnginePage *>());

        browser.unload();
        QVERIFY(!browser.isLoaded());
        QVERIFY(!browser.findChild<QWebEnginePage *>());
        readPageNow(browser, &hasDocument);
        QVERIFY(!hasDocument);
        QTRY_COMPARE_WITH_TIMEOUT(rendererProcesses(), 0, 15000);
    }

    void deadPageProcess_answersNoDocumentAndGivesWayToAFreshPage()
    {
        WebEngineBrowser browser;
        browser.load();
        browser.navigate(url("/friends"));
        QVERIFY(waitForPage(browser, QStringLiteral("Friends Online Now:"))
                    .contains(QStringLiteral("Friends Online Now:")));
        QPointer<QWebEnginePage> page = browser.findChild<QWebEnginePage *>();
        QVERIFY(page && page->renderProcessPid() > 0);
        ::kill(pid_t(page->renderProcessPid()), SIGKILL);
        bool hasDocument = true;
        readPageNow(browser, &hasDocument);
        QVERIFY(!hasDocument);

        browser.load();
        QVERIFY(page.isNull());
        browser.navigate(url("/friends"));
        QVERIFY(waitForPage(browser, QStringLiteral("Friends Online Now:"))
                    .contains(QStringLiteral("Friends Online Now:")));
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
