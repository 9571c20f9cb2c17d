// The service simulator's faults, which the scan tests meet, and the addresses it is given kept
// to loopback. The scan tests use its login and pages.
#include "tests/vey_sim_process.h"

#include <QTest>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace amiscan;

namespace {

const QByteArray FriendsPath = "/my/account/friends.php?lang=en";

// One request over a plain socket: the bytes, and how the connection ended ("closed", "reset",
// or "open" when nothing more came for 0.3 s).
std::pair<QByteArray, QString> rawGet(quint16 port, const QByteArray &path,
                                      const QByteArray &headers = {})
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval wait{0, 300000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    QByteArray bytes;
    ssize_t got = -1;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        const QByteArray request =
            "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
        ::send(fd, request.constData(), size_t(request.size()), 0);
        char buffer[4096];
        while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            bytes.append(buffer, got);
    }
    const QString end = got == 0 ? "closed" : errno == ECONNRESET ? "reset" : "open";
    ::close(fd);
    return {bytes, end};
}

} // namespace

class TestVeySim : public QObject
{
    Q_OBJECT

private slots:
    void badArguments_exitWithUsageError_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{"--nonsense"};
        QTest::newRow("missing page file") << QStringList{"--page", "/nonexistent/page.html"};
        QTest::newRow("unknown fault") << QStringList{"--fault", "flood"};
        QTest::newRow("certificate without key") << QStringList{"--tls-cert", "a.crt"};
        // Tests send traffic to loopback only.
        QTest::newRow("redirect elsewhere")
            << QStringList{"--redirect", "https://www.vey.example/"};
    }

    void badArguments_exitWithUsageError()
    {
        QFETCH(QStringList, arguments);
        VeySimProcess sim(arguments);
        QVERIFY(!sim.start());
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.standardError().startsWith("vey-sim: "));
    }

    void faults_meetRequestsForTheFriendsPage_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QByteArray>("start"); // of the answer
        for (const auto &[fault, end, start] : {std::tuple{"hang", "open", ""},
                                                {"cut", "closed", "HTTP/1.1 200"},
                                                {"reset", "reset", ""},
                                                {"500", "closed", "HTTP/1.1 500"},
                                                {"503", "closed", "HTTP/1.1 503"},
                                                {"trickle", "open", "HTTP/1.1 200"},
                                                {"garbage", "closed", ""}})
            QTest::newRow(fault) << fault << end << QByteArray(start);
    }

    void faults_meetRequestsForTheFriendsPage()
    {
        QFETCH(QString, fault);
        VeySimProcess sim({"--fault", fault, "--trickle-ms", "5", "--spare-agent", "Browser"});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        const auto [bytes, end] = rawGet(sim.port(), FriendsPath);
        QTEST(end, "end");
        QFETCH(QByteArray, start);
        QVERIFY(bytes.startsWith(start));
        const QByteArray body = bytes.mid(bytes.indexOf("\r\n\r\n") + 4);
        if (fault == "cut")
            QVERIFY(!body.contains("</html>"));
        if (fault.startsWith("50"))
            QVERIFY(body.contains("vey"));
        if (fault == "garbage")
            QCOMPARE(bytes.size(), 2048);
        if (fault == "trickle")
            QVERIFY(body.endsWith("</html>\n"));
        QVERIFY(sim.waitForRequests(1));
        QCOMPARE(sim.logLines().value(0), "fault " + fault + " GET " + FriendsPath);
        // Other addresses and spared clients are served as always.
        QVERIFY(rawGet(sim.port(), "/login").first.contains("action=\"/login\""));
        QVERIFY(rawGet(sim.port(), FriendsPath, "User-Agent: A Browser\r\n")
                    .first.contains("action=\"/login\""));
    }
};

QTEST_GUILESS_MAIN(TestVeySim)
#include "test_vey_sim.moc"
