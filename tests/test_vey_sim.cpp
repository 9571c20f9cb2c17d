// The local service simulator, run as a separate process and driven by a real HTTP client with
// a cookie jar, plus the pure pieces it is built from (options, roster, presence, markup).
#include "scan/page_reader.h"
#include "tests/vey_sim_process.h"
#include "tools/vey-sim/page_markup.h"
#include "tools/vey-sim/roster.h"
#include "tools/vey-sim/sim_options.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace amiscan;
using namespace amiscan::sim;

namespace {

struct HttpResult
{
    int status = 0;
    QByteArray body;
    QUrl finalUrl;
    QList<QNetworkReply::RawHeaderPair> headers;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;

    QByteArray header(const QByteArray &name) const
    {
        for (const auto &[key, value] : headers) {
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        }
        return {};
    }
};

// A browser-like client: one cookie jar across requests, redirects followed, never a proxy.
class Client final
{
public:
    Client()
    {
        m_manager.setProxy(QNetworkProxy::NoProxy);
        m_manager.setCookieJar(new QNetworkCookieJar(&m_manager));
    }

    HttpResult get(const QUrl &url, bool followRedirects = true)
    {
        QNetworkRequest request(url);
        if (!followRedirects)
            request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                 QNetworkRequest::ManualRedirectPolicy);
        return wait(m_manager.get(request));
    }

    HttpResult postForm(const QUrl &url, const QByteArray &body, bool followRedirects = true,
                        const QByteArray &type = "application/x-www-form-urlencoded")
    {
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::ContentTypeHeader, type);
        if (!followRedirects)
            request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                 QNetworkRequest::ManualRedirectPolicy);
        return wait(m_manager.post(request, body));
    }

    HttpResult logIn(const VeySimProcess &sim, const QByteArray &user = "demo",
                     const QByteArray &password = "demo123")
    {
        return postForm(sim.loginUrl(), "username=" + QUrl::toPercentEncoding(user) +
                                            "&password=" + QUrl::toPercentEncoding(password));
    }

    QList<QNetworkCookie> cookiesFor(const QUrl &url) const
    {
        return m_manager.cookieJar()->cookiesForUrl(url);
    }

private:
    static HttpResult wait(QNetworkReply *reply)
    {
        QSignalSpy finished(reply, &QNetworkReply::finished);
        if (!reply->isFinished())
            finished.wait(10000);
        HttpResult result;
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.body = reply->readAll();
        result.finalUrl = reply->url();
        result.headers = reply->rawHeaderPairs();
        result.error = reply->error();
        reply->deleteLater();
        return result;
    }

    QNetworkAccessManager m_manager;
};

bool isFriendsPage(const QByteArray &page)
{
    return page.contains("Friends Online Now:");
}

bool isLoginPage(const QByteArray &page)
{
    return page.contains("<form") && page.contains("action=\"/login\"") && !isFriendsPage(page);
}

// The entries as the service writes them for a direct read: the name right after the entry's
// opening tag, the user name in parentheses in the tag after it (when there is one).
QList<RosterFriend> parseEntries(const QByteArray &page)
{
    static const QRegularExpression entry(QStringLiteral(
        R"(<li style="list-style:none;padding:5px">([^<]*)(?:<br><small>\(([^)]*)\)</small>)?</li>)"));
    QList<RosterFriend> entries;
    auto matches = entry.globalMatch(QString::fromUtf8(page));
    while (matches.hasNext()) {
        const auto match = matches.next();
        entries.append({match.captured(1), match.captured(2)});
    }
    return entries;
}

// The reader takes the user name from a "(" no more than 48 characters after the "<" that
// ends the entry's text: true when the entry's parentheses are within that reach.
bool userNameWithinReach(const QByteArray &page, qsizetype entryStart)
{
    const qsizetype textEnd = page.indexOf('<', page.indexOf('>', entryStart) + 1);
    const qsizetype open = page.indexOf('(', textEnd);
    return open >= 0 && open - textEnd <= 48;
}

// What the page reader gives for these friends: the user name identifies each (the entry's text
// when it has none), and a display name of anything but letters, digits and blanks, or of one
// character, is replaced by the user name and marked.
struct ReadFriends
{
    QStringList accountNames;
    QStringList displayNames;
    QStringList nameMarks;
};

ReadFriends expectedReading(const QList<RosterFriend> &online)
{
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9 ]{2,}$"));
    ReadFriends expected;
    for (const RosterFriend &f : online) {
        const QString account = f.userName.isEmpty() ? f.displayName : f.userName;
        const bool plain = plainName.match(f.displayName).hasMatch();
        expected.accountNames << account;
        expected.displayNames << (plain ? f.displayName : account);
        expected.nameMarks << (plain ? QString() : QStringLiteral("\u00B2"));
    }
    return expected;
}

ReadFriends actualReading(const QByteArray &page)
{
    ReadFriends read;
    for (const FriendEntry &entry : readFriendsPage(QString::fromUtf8(page), 1)) {
        read.accountNames << entry.accountName;
        read.displayNames << entry.displayName;
        read.nameMarks << entry.nameMark;
    }
    return read;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    return path;
}

QStringList fixedClock(quint64 seed, qint64 epoch)
{
    return {QStringLiteral("--seed"), QString::number(seed),          QStringLiteral("--epoch"),
            QString::number(epoch),   QStringLiteral("--time-scale"), QStringLiteral("0")};
}

constexpr qint64 someEpoch = 1'700'000'000;

// What a plain client sees of one request: the bytes, and how the connection ended.
struct RawAnswer
{
    QByteArray bytes;
    QString end; // "closed", "reset", or "open" when nothing more came for a while
    qint64 ms = 0;

    QByteArray body() const { return bytes.mid(bytes.indexOf("\r\n\r\n") + 4); }
    qsizetype announcedLength() const
    {
        const QRegularExpression length(QStringLiteral("Content-Length: (\\d+)"));
        return length.match(QString::fromLatin1(bytes)).captured(1).toLongLong();
    }
};

RawAnswer rawGet(quint16 port, const QByteArray &path, const QByteArray &extraHeaders = {})
{
    RawAnswer answer;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval wait{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    QElapsedTimer timer;
    timer.start();
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        const QByteArray request =
            "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n";
        ::send(fd, request.constData(), size_t(request.size()), 0);
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got > 0) {
                answer.bytes.append(buffer, got);
                continue;
            }
            answer.end = got == 0 ? "closed" : errno == ECONNRESET ? "reset" : "open";
            break;
        }
    }
    answer.ms = timer.elapsed();
    ::close(fd);
    return answer;
}

} // namespace

class TestVeySim : public QObject
{
    Q_OBJECT

private slots:
    // --- the process and its command line ---

    void help_listsEveryOption()
    {
        QProcess process;
        process.start(VeySimProcess::executablePath(), {QStringLiteral("--help")});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        const QByteArray help = process.readAllStandardOutput();
        for (const char *option : {"--port",
                                   "--user",
                                   "--password",
                                   "--session-ttl",
                                   "--seed",
                                   "--roster",
                                   "--page",
                                   "--delay-ms",
                                   "--foreign",
                                   "--no-button",
                                   "--all-online",
                                   "--redirect",
                                   "--epoch",
                                   "--time-scale",
                                   "--fault",
                                   "--spare-agent",
                                   "--fault-after-login",
                                   "--trickle-ms",
                                   "--tls-cert",
                                   "--tls-key"})
            QVERIFY2(help.contains(option), option);
    }

    void badArguments_exitWithUsageError_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--nonsense")};
        QTest::newRow("port out of range")
            << QStringList{QStringLiteral("--port"), QStringLiteral("70000")};
        QTest::newRow("missing page file")
            << QStringList{QStringLiteral("--page"), QStringLiteral("/nonexistent/page.html")};
        QTest::newRow("missing roster file")
            << QStringList{QStringLiteral("--roster"), QStringLiteral("/nonexistent/roster")};
        QTest::newRow("unknown fault") << QStringList{"--fault", "flood"};
        QTest::newRow("certificate without key") << QStringList{"--tls-cert", "a.crt"};
        QTest::newRow("missing certificate")
            << QStringList{"--tls-cert", "/nonexistent/a.crt", "--tls-key", "/nonexistent/a.key"};
    }

    void badArguments_exitWithUsageError()
    {
        QFETCH(QStringList, arguments);
        VeySimProcess sim(arguments);
        QVERIFY(!sim.start());
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.standardError().startsWith(QLatin1String("vey-sim: ")));
    }

    void start_printsLoopbackAddressFirst_onTheGivenPort()
    {
        quint16 freePort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            freePort = probe.serverPort();
        }
        VeySimProcess sim({QStringLiteral("--port"), QString::number(freePort)});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        QCOMPARE(sim.port(), freePort);
        QCOMPARE(sim.baseUrl(), QUrl(QStringLiteral("http://127.0.0.1:%1").arg(freePort)));
        QVERIFY(sim.logLines().isEmpty());
    }

    void terminationSignals_endTheServerCleanly()
    {
        VeySimProcess terminated;
        QVERIFY2(terminated.start(), qPrintable(terminated.errorString()));
        QVERIFY(terminated.stop());
        QCOMPARE(terminated.exitCode(), 0);

        VeySimProcess interrupted;
        QVERIFY2(interrupted.start(), qPrintable(interrupted.errorString()));
        QCOMPARE(::kill(pid_t(interrupted.processId()), SIGINT), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!interrupted.isRunning(), 5000);
        QCOMPARE(interrupted.exitCode(), 0);
    }

    // --- the login flow, as the browser and the direct read meet it ---

    void loginFlow_cookieOpensTheFriendsPage()
    {
        VeySimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;

        const HttpResult before = client.get(sim.friendsPageUrl());
        QCOMPARE(before.status, 200);
        QVERIFY(isLoginPage(before.body));

        const HttpResult loggedIn = client.logIn(sim);
        QCOMPARE(loggedIn.status, 200);
        QCOMPARE(loggedIn.finalUrl, sim.friendsPageUrl());
        QVERIFY(isFriendsPage(loggedIn.body));

        const auto cookies = client.cookiesFor(sim.friendsPageUrl());
        QCOMPARE(cookies.size(), 1);
        QVERIFY(cookies.first().isHttpOnly());
        QCOMPARE(cookies.first().path(), QStringLiteral("/"));

        const HttpResult direct = client.get(sim.friendsPageUrl());
        QVERIFY(isFriendsPage(direct.body));

        QVERIFY(sim.waitForRequests(4));
        const QList<SimRequest> log = sim.requests();
        QCOMPARE(log.size(), 4);
        const QString friendsPath = QStringLiteral("/my/account/friends.php?lang=en");
        QCOMPARE(log[0].method, QStringLiteral("GET"));
        QCOMPARE(log[0].path, friendsPath);
        QVERIFY(!log[0].validSession);
        QCOMPARE(log[0].page, QStringLiteral("login"));
        QCOMPARE(log[1].method, QStringLiteral("POST"));
        QCOMPARE(log[1].path, QStringLiteral("/login"));
        QCOMPARE(log[1].page, QStringLiteral("redirect"));
        QVERIFY(log[2].validSession);
        QCOMPARE(log[2].page, QStringLiteral("friends"));
        QVERIFY(log[3].validSession);
        QCOMPARE(log[3].page, QStringLiteral("friends"));
    }

    void redirectOption_sendsEveryRequestToTheGivenAddress()
    {
        const QByteArray target("http://127.0.0.1:9/elsewhere?x=1");
        VeySimProcess sim({QStringLiteral("--redirect"), QString::fromLatin1(target)});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        for (const HttpResult &answer :
             {client.get(sim.friendsPageUrl(), false), client.get(sim.url("/any"), false),
              client.postForm(sim.loginUrl(), "username=demo&password=demo123", false)}) {
            QCOMPARE(answer.status, 302);
            QCOMPARE(answer.header("Location"), target);
        }
        QCOMPARE(sim.requests().size(), 3);
        for (const SimRequest &request : sim.requests())
            QCOMPARE(request.page, QStringLiteral("redirect"));
    }

    void login_answersWithRedirectAndHttpOnlyCookie()
    {
        VeySimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        const HttpResult answer =
            client.postForm(sim.loginUrl(), "username=demo&password=demo123", false);
        QCOMPARE(answer.status, 303);
        QCOMPARE(answer.header("Location"), QByteArray("/my/account/friends.php?lang=en"));
        const QByteArray cookie = answer.header("Set-Cookie");
        QVERIFY(cookie.startsWith("session="));
        QVERIFY(cookie.contains("HttpOnly"));
        QVERIFY(cookie.contains("Path=/"));
    }

    void loginForm_hasUserNameThenPasswordThenButton()
    {
        VeySimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        const QByteArray page = Client().get(sim.friendsPageUrl()).body;
        const qsizetype firstInput = page.indexOf("<input");
        const qsizetype secondInput = page.indexOf("<input", firstInput + 1);
        QVERIFY(firstInput >= 0 && secondInput > firstInput);
        QVERIFY(page.mid(firstInput, secondInput - firstInput).contains("name=\"username\""));
        QVERIFY(page.mid(secondInput).startsWith("<input type=\"password\" name=\"password\""));
        QCOMPARE(page.count("<input"), 2);
        QCOMPARE(page.count("<button"), 1);
        QVERIFY(page.indexOf("<button") > secondInput);
        QVERIFY(page.contains("method=\"post\""));
    }

    void credentials_withOtherValues_data()
    {
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("wrong password") << QByteArray("demo") << QByteArray("demo12") << false;
        QTest::newRow("wrong user") << QByteArray("Demo") << QByteArray("s3cret&+ x") << false;
        QTest::newRow("empty") << QByteArray() << QByteArray() << false;
        QTest::newRow("own values with blank, plus and ampersand")
            << QByteArray("anna") << QByteArray("s3cret&+ x") << true;
    }

    void credentials_withOtherValues()
    {
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, password);
        QFETCH(bool, accepted);
        VeySimProcess sim({QStringLiteral("--user"), QStringLiteral("anna"),
                           QStringLiteral("--password"), QStringLiteral("s3cret&+ x")});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        const HttpResult answer = client.logIn(sim, user, password);
        QCOMPARE(answer.status, 200);
        QCOMPARE(isFriendsPage(answer.body), accepted);
        QCOMPARE(answer.body.contains("Wrong user name or password."), !accepted);
        QCOMPARE(client.cookiesFor(sim.friendsPageUrl()).isEmpty(), !accepted);
        QCOMPARE(isFriendsPage(client.get(sim.friendsPageUrl()).body), accepted);
    }

    void sessionExpiry_sendsALaterReadBackToTheLoginPage()
    {
        VeySimProcess sim({QStringLiteral("--session-ttl"), QStringLiteral("1")});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        QVERIFY(isFriendsPage(client.logIn(sim).body));
        QTest::qWait(1200);
        const HttpResult later = client.get(sim.friendsPageUrl());
        QVERIFY(isLoginPage(later.body));
        QVERIFY(sim.waitForRequests(3));
        QCOMPARE(sim.requests().constLast().validSession, false);
        QCOMPARE(sim.requests().constLast().page, QStringLiteral("login"));
        // Logging in again opens a new session.
        QVERIFY(isFriendsPage(client.logIn(sim).body));
    }

    void pageFiles_areServedInOrder_theLastRepeating()
    {
        QTemporaryDir dir;
        const QByteArray first = "<html><body>Friends Online Now: first vey</body></html>";
        const QByteArray second = "<html><body>Friends Online Now: second vey</body></html>";
        const QByteArray third = "<html><body>no marker here</body></html>";
        VeySimProcess sim({QStringLiteral("--page"), writeFile(dir, QStringLiteral("1"), first),
                           QStringLiteral("--page"), writeFile(dir, QStringLiteral("2"), second),
                           QStringLiteral("--page"), writeFile(dir, QStringLiteral("3"), third)});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        // The login page before the login is not one of the scripted pages.
        QVERIFY(isLoginPage(client.get(sim.friendsPageUrl()).body));
        QCOMPARE(client.logIn(sim).body, first);
        QCOMPARE(client.get(sim.friendsPageUrl()).body, second);
        QCOMPARE(client.get(sim.friendsPageUrl()).body, third);
        QCOMPARE(client.get(sim.friendsPageUrl()).body, third);
    }

    // --- faults on demand ---

    void domainWord_isOnEveryPage_exceptWhenForeign()
    {
        for (const bool foreign : {false, true}) {
            QStringList arguments{QStringLiteral("--all-online")};
            if (foreign)
                arguments << QStringLiteral("--foreign");
            VeySimProcess sim(arguments);
            QVERIFY2(sim.start(), qPrintable(sim.errorString()));
            Client client;
            const QByteArray login = client.get(sim.friendsPageUrl()).body;
            const QByteArray wrong = client.logIn(sim, "demo", "nope").body;
            const QByteArray friends = client.logIn(sim).body;
            QVERIFY(isLoginPage(login) && isLoginPage(wrong) && isFriendsPage(friends));
            QCOMPARE(parseEntries(friends).size(), builtInRoster().size());
            for (const QByteArray &page : {login, wrong, friends})
                QCOMPARE(page.toLower().contains("vey"), !foreign);
        }
    }

    void noButton_leavesTheTwoInputsWithoutAButton()
    {
        VeySimProcess sim({QStringLiteral("--no-button")});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        const QByteArray page = client.get(sim.friendsPageUrl()).body;
        QVERIFY(isLoginPage(page));
        QCOMPARE(page.count("<input"), 2);
        QVERIFY(!page.contains("<button"));
        QVERIFY(!page.contains("submit"));
    }

    void badRequests_getPlainErrors_andTheServerCarriesOn()
    {
        VeySimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        QCOMPARE(client.get(sim.url(QStringLiteral("/nothing/here"))).status, 404);
        QCOMPARE(client.get(sim.url(QStringLiteral("/my/account/friendsXphp"))).status, 404);
        QCOMPARE(client.postForm(sim.friendsPageUrl(), "x=1").status, 404);
        QCOMPARE(client.postForm(sim.loginUrl(), "{\"user\":1}", true, "application/json").status,
                 400);
        QCOMPARE(client.postForm(sim.loginUrl(), QByteArray(100000, '%')).status, 200);
        // Bytes that are not HTTP at all: the connection is dropped, the server carries on.
        QTcpSocket garbage;
        garbage.connectToHost(QHostAddress::LocalHost, sim.port());
        QVERIFY(garbage.waitForConnected(5000));
        garbage.write(QByteArray("GARBAGE\0\x01 nonsense\r\n\r\n", 22));
        QVERIFY(garbage.waitForBytesWritten(5000));
        garbage.waitForDisconnected(2000);
        QVERIFY(sim.isRunning());
        QVERIFY(isFriendsPage(client.logIn(sim).body));
        QVERIFY(sim.waitForRequests(7));
        QStringList pages;
        for (const SimRequest &request : sim.requests())
            pages << request.page;
        QCOMPARE(pages, (QStringList{"not-found", "not-found", "not-found", "bad-request", "login",
                                     "redirect", "friends"}));
    }

    void delay_holdsBackEveryAnswer()
    {
        VeySimProcess sim({QStringLiteral("--delay-ms"), QStringLiteral("400")});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(isLoginPage(client.get(sim.friendsPageUrl()).body));
        QVERIFY(timer.elapsed() >= 400);
        timer.restart();
        QCOMPARE(client.get(sim.url(QStringLiteral("/missing"))).status, 404);
        QVERIFY(timer.elapsed() >= 400);
    }

    // --- who is online ---

    void friendsPage_listsTheRosterFriendsOnline()
    {
        // Two moments ten minutes apart of one seed: each page lists exactly the friends the
        // presence model puts online, in the direct written form, which the page reader reads.
        int substitutedNames = 0;
        for (const qint64 epoch : {someEpoch, someEpoch + 600}) {
            VeySimProcess sim(fixedClock(7, epoch));
            QVERIFY2(sim.start(), qPrintable(sim.errorString()));
            Client client;
            const QByteArray page = client.logIn(sim).body;
            QVERIFY(isFriendsPage(page));
            const QList<RosterFriend> expected = onlineFriends(builtInRoster(), 7, epoch);
            QVERIFY(!expected.isEmpty());
            QCOMPARE(parseEntries(page), expected);
            QVERIFY(page.contains(
                QStringLiteral("Friends Online Now: %1").arg(expected.size()).toUtf8()));

            const ReadFriends read = actualReading(page);
            const ReadFriends wanted = expectedReading(expected);
            QCOMPARE(read.accountNames, wanted.accountNames);
            QCOMPARE(read.displayNames, wanted.displayNames);
            QCOMPARE(read.nameMarks, wanted.nameMarks);
            substitutedNames += int(read.nameMarks.count(SubstitutedNameMark));
        }
        QVERIFY(substitutedNames > 0);
        QVERIFY(onlineFriends(builtInRoster(), 7, someEpoch) !=
                onlineFriends(builtInRoster(), 7, someEpoch + 600));
    }

    void friendsPage_entriesMatchTheServiceForm_andEscapeNames()
    {
        QTemporaryDir dir;
        const QString roster =
            writeFile(dir, QStringLiteral("roster.txt"),
                      "Ann Lee\tann.lee\r\n\r\nTom & Jerry\ttj\n<b>Bold</b>\tb<1>\nNo User\n"
                      "Q\tq.agent\n");
        VeySimProcess sim({QStringLiteral("--roster"), roster, QStringLiteral("--all-online")});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        const QByteArray page = Client().logIn(sim).body;

        QVERIFY(page.contains(
            "<li style=\"list-style:none;padding:5px\">Ann Lee<br><small>(ann.lee)</small></li>"));
        QVERIFY(page.contains(">Tom &amp; Jerry<br><small>(tj)</small>"));
        QVERIFY(page.contains(">&lt;b&gt;Bold&lt;/b&gt;<br><small>(b&lt;1&gt;)</small>"));
        QVERIFY(page.contains(">No User</li>"));
        QCOMPARE(parseEntries(page).size(), 5);

        // Each user name within the reader's reach, and none near the entry that has none.
        const QByteArray marker = "list-style:none;padding:5px";
        QList<bool> reach;
        for (qsizetype at = page.indexOf(marker); at >= 0; at = page.indexOf(marker, at + 1))
            reach << userNameWithinReach(page, at);
        QCOMPARE(reach, (QList<bool>{true, true, true, false, true}));
    }

    void presence_isDeterministicPerSeed()
    {
        const QList<RosterFriend> roster = builtInRoster();
        bool seedsDiffer = false;
        for (qint64 t = someEpoch; t < someEpoch + 3600; t += 300) {
            QCOMPARE(onlineFriends(roster, 3, t), onlineFriends(roster, 3, t));
            seedsDiffer = seedsDiffer || onlineFriends(roster, 3, t) != onlineFriends(roster, 4, t);
        }
        QVERIFY(seedsDiffer);
    }

    void presence_changesEveryFewMinutes()
    {
        const QList<RosterFriend> roster = builtInRoster();
        // Scans a minute apart see friends come and go.
        int minutesWithChange = 0;
        for (int minute = 1; minute <= 60; ++minute) {
            if (onlineFriends(roster, 1, someEpoch + 60 * minute) !=
                onlineFriends(roster, 1, someEpoch + 60 * (minute - 1)))
                ++minutesWithChange;
        }
        QVERIFY2(minutesWithChange >= 50, qPrintable(QString::number(minutesWithChange)));

        // Every online or offline period lasts a few minutes: 2 to 15, seen second by second.
        for (int index = 0; index < roster.size(); ++index) {
            bool state = isOnline(1, index, someEpoch);
            qint64 lastChange = -1;
            int changes = 0;
            for (qint64 t = someEpoch + 1; t < someEpoch + 4 * 3600; ++t) {
                if (isOnline(1, index, t) == state)
                    continue;
                state = !state;
                if (lastChange >= 0) {
                    const qint64 length = t - lastChange;
                    QVERIFY2(length >= 120 && length <= 900,
                             qPrintable(QStringLiteral("friend %1: %2 s").arg(index).arg(length)));
                }
                lastChange = t;
                ++changes;
            }
            QVERIFY(changes >= 10);
        }
    }

    void builtInRoster_hasTheVarietyOfTheService()
    {
        const QList<RosterFriend> roster = builtInRoster();
        QVERIFY(roster.size() >= 38 && roster.size() <= 45);
        QSet<QString> displayNames;
        bool repeated = false, oneLetter = false, long19 = false, accented = false, dot = false,
             apostrophe = false, noUser = false;
        for (const RosterFriend &entry : roster) {
            repeated = repeated || displayNames.contains(entry.displayName);
            displayNames.insert(entry.displayName);
            oneLetter = oneLetter || entry.displayName.size() == 1;
            long19 = long19 || entry.displayName.size() > 18;
            accented = accented || entry.displayName.toLatin1() != entry.displayName.toUtf8();
            dot = dot || entry.displayName.contains(QLatin1Char('.'));
            apostrophe = apostrophe || entry.displayName.contains(QLatin1Char('\''));
            noUser = noUser || entry.userName.isEmpty();
            // The reader reads raw text, and foreign pages must lose the domain word.
            QCOMPARE(entry.displayName.toHtmlEscaped(), entry.displayName);
            QVERIFY(!(entry.displayName + entry.userName)
                         .contains(QLatin1String("vey"), Qt::CaseInsensitive));
        }
        QVERIFY(repeated && oneLetter && long19 && accented && dot && apostrophe && noUser);
    }

    // --- faults of the service and the network ---

    void faults_meetRequestsForTheFriendsPage_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("end");
        QTest::newRow("hang") << "hang"
                              << "open";
        QTest::newRow("cut") << "cut"
                             << "closed";
        QTest::newRow("reset") << "reset"
                               << "reset";
        QTest::newRow("500") << "500"
                             << "closed";
        QTest::newRow("503") << "503"
                             << "closed";
        QTest::newRow("trickle") << "trickle"
                                 << "open";
        QTest::newRow("garbage") << "garbage"
                                 << "closed";
    }

    void faults_meetRequestsForTheFriendsPage()
    {
        QFETCH(QString, fault);
        QFETCH(QString, end);
        VeySimProcess sim({"--fault", fault, "--trickle-ms", "5"});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        const RawAnswer answer = rawGet(sim.port(), "/my/account/friends.php?lang=en");
        QCOMPARE(answer.end, end);
        QVERIFY(sim.waitForRequests(1));
        QCOMPARE(sim.logLines().value(0),
                 "fault " + fault + " GET /my/account/friends.php?lang=en");

        const QByteArray body = answer.body();
        if (fault == u"hang" || fault == u"reset") {
            QVERIFY(answer.bytes.isEmpty());
        } else if (fault == u"cut") {
            QVERIFY(body.startsWith("<!DOCTYPE html>") && !body.contains("</html>"));
            QCOMPARE(body.size(), answer.announcedLength() / 2);
        } else if (fault == u"trickle") {
            QCOMPARE(body.size(), answer.announcedLength());
            QVERIFY(answer.ms >= body.size() / 64 * 5); // the body's pieces came one by one
        } else if (fault == u"garbage") {
            QCOMPARE(answer.bytes.size(), 2048);
            QVERIFY(!answer.bytes.startsWith("HTTP"));
        } else {
            QVERIFY(answer.bytes.startsWith("HTTP/1.1 " + fault.toLatin1()));
            QVERIFY(body.contains("vey") && body.contains("</body>"));
        }
        // Other addresses, and the friends page for spared clients, are served as always.
        QVERIFY(isLoginPage(rawGet(sim.port(), "/login").body()));
    }

    void faults_spareAgentsAndRequestsWithoutSession()
    {
        VeySimProcess sim({"--fault", "500", "--spare-agent", "Browser", "--fault-after-login"});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        const QByteArray friends = "/my/account/friends.php?lang=en";
        QVERIFY(
            rawGet(sim.port(), friends, "Cookie: session=x\r\n").bytes.startsWith("HTTP/1.1 500"));
        QVERIFY(isLoginPage(rawGet(sim.port(), friends).body()));
        QVERIFY(isLoginPage(
            rawGet(sim.port(), friends, "Cookie: session=x\r\nUser-Agent: A Browser\r\n").body()));
    }

    void https_servesWithTheGivenCertificate()
    {
        const QString tls = QStringLiteral(AMISCAN_TEST_TLS_DIR);
        VeySimProcess sim(
            {"--tls-cert", tls + "/self_signed.crt", "--tls-key", tls + "/self_signed.key"});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        QCOMPARE(sim.baseUrl().scheme(), QStringLiteral("https"));

        // Refused as it is signed by no one; accepted when told to trust it.
        Client client;
        QCOMPARE(client.get(sim.friendsPageUrl()).error, QNetworkReply::SslHandshakeFailedError);
        QNetworkAccessManager trusting;
        QNetworkRequest request(sim.friendsPageUrl());
        QSslConfiguration tlsConfig = QSslConfiguration::defaultConfiguration();
        tlsConfig.setCaCertificates(QSslCertificate::fromPath(tls + "/self_signed.crt"));
        request.setSslConfiguration(tlsConfig);
        QNetworkReply *reply = trusting.get(request);
        QSignalSpy finished(reply, &QNetworkReply::finished);
        QVERIFY(finished.wait(10000));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QVERIFY(isLoginPage(reply->readAll()));
        delete reply;
        QVERIFY(sim.waitForRequests(2));
        QCOMPARE(sim.logLines().filter(QStringLiteral("tls failed")).size(), 1);
    }

    void options_defaultsAndValues()
    {
        const QString program = QStringLiteral("vey-sim");
        const SimOptionsResult defaults = parseSimOptions({program});
        QVERIFY(defaults.options);
        QCOMPARE(defaults.options->port, quint16(0));
        QCOMPARE(defaults.options->user, QStringLiteral("demo"));
        QCOMPARE(defaults.options->password, QStringLiteral("demo123"));
        QCOMPARE(defaults.options->sessionTtlSeconds, 3600);
        QVERIFY(!defaults.options->epochSeconds);
        QCOMPARE(defaults.options->timeScale, 1.0);

        const SimOptionsResult given = parseSimOptions(
            {program, "--page", "a", "--page", "b", "--epoch", "-5", "--time-scale", "0.5"});
        QVERIFY(given.options);
        QCOMPARE(given.options->pageFiles, (QStringList{"a", "b"}));
        QCOMPARE(given.options->epochSeconds, std::optional<qint64>(-5));
        QCOMPARE(given.options->timeScale, 0.5);

        for (const QStringList &bad :
             {QStringList{program, "--time-scale", "-1"}, QStringList{program, "--seed", "x"},
              QStringList{program, "--session-ttl", "0"}, QStringList{program, "extra"},
              QStringList{program, "--redirect", "https://www.vey.example/"}}) {
            const SimOptionsResult result = parseSimOptions(bad);
            QVERIFY2(!result.options && !result.error.isEmpty(), qPrintable(bad.join(' ')));
        }
    }
};

QTEST_GUILESS_MAIN(TestVeySim)
#include "test_vey_sim.moc"
