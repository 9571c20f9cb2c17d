// Scans through the real browser, in its helper program, and the real direct read against the
// local stand-in for the service, started as a separate process: the browser's processes, the
// ways the browser or the service fail, and each fault of the service and the network.
#include "app/data_dir.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "service_scan.h"
#include "store/history_file.h"
#include "vey_sim_process.h"
#include "widget_test_main.h"
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <csignal>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

const QString MissingHelper = QStringLiteral("/nonexistent/amiscan-browser");
const QString UnableToConnect = QStringLiteral("Unable to connect !");
const QString UnableToLogin = QStringLiteral("Unable to login !");

const QByteArray FriendsPage =
    "<html><body><h1>Friends Online Now: 3</h1><ul>"
    "<li style=\"list-style:none;padding:5px\">Ann Lee<br><small>(ann.lee)</small></li>"
    "<li style=\"list-style:none;padding:5px\">J. Doe<br><small>(jdoe)</small></li>"
    "<li style=\"list-style:none;padding:5px\">Zed<br><small>(zed99)</small></li>"
    "</ul><p><a href=\"/\">vey</a></p>";

// Another site's page: a survey with a login form.
const QByteArray SurveyPage =
    "<html><body><h1>Take our survey</h1><form method=\"post\" action=\"/\"><input name=\"u\">"
    "<input name=\"p\" type=\"password\"><button "
    "type=\"submit\">Send</button></form></body></html>";

// "account=display name and mark/online" of every friend, sorted.
QStringList accounts(const FriendsTable &table)
{
    QStringList names;
    for (int row = 1; row <= table.friendCount(); ++row)
        names << table.cell(row, AccountName) + u'=' + table.cell(row, DisplayName) +
                     table.cell(row, NameMark) + u'/' + table.cell(row, Online);
    names.sort();
    return names;
}

QStringList cells(const FriendsTable &table)
{
    QStringList all;
    for (int column = 0; column < ColumnCount; ++column)
        all += friend_rows::column(table, column);
    return all;
}

int posts(VeySimProcess &sim)
{
    int count = 0;
    for (const SimRequest &request : sim.requests())
        count += request.method == QLatin1StringView("POST");
    return count;
}

} // namespace

class TestScanWithService : public QObject
{
    Q_OBJECT

    QTemporaryDir m_pages;
    QString m_page = m_pages.filePath("friends.html");
    QString m_neverYielding = m_pages.filePath("never-yielding.html");

private slots:
    void initTestCase()
    {
        QVERIFY(writeBytes(m_page, FriendsPage + "</body></html>"));
        // A script that stops answering once the page has loaded.
        QVERIFY(writeBytes(m_neverYielding, FriendsPage +
                                                "<script>addEventListener('load', function () { "
                                                "setTimeout(function () { for (;;) {} }, 0); });"
                                                "</script></body></html>"));
    }

    void browserThenDirectRead_readTheSameFriends()
    {
        VeySimProcess sim({"--page", m_page});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScanRig rig(sim.baseUrl());
        // The browser's processes live only while the browser route needs them.
        QCOMPARE(browserProcesses().size(), 0);
        QVERIFY(rig.scanCountingProcesses() >= 2); // the helper and its page's process
        QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join(u'|')));
        const QStringList expected{"ann.lee=Ann Lee/1", "jdoe=jdoe²/1", "zed99=Zed/1"};
        QCOMPARE(accounts(rig.form.table), expected);
        QCOMPARE(posts(sim), 1); // logged in through the form
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 10000);
        const int before = int(sim.requests().size());
        QCOMPARE(rig.scanCountingProcesses(), 0);
        QCOMPARE(rig.form.state.directReadResult, 1);
        QCOMPARE(accounts(rig.form.table), expected);
        const QList<SimRequest> later = sim.requests().mid(before);
        QCOMPARE(later.size(), 1); // one direct read, with the browser's login
        QVERIFY(later.first().validSession);
        QVERIFY(!rig.browser->isLoaded());
    }

    void unreachable_unableToConnect_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("helper");
        QTest::newRow("nothing listening") << false << QStringLiteral(AMISCAN_BROWSER_EXECUTABLE);
        QTest::newRow("no browser helper") << true << MissingHelper;
    }
    void unreachable_unableToConnect()
    {
        QFETCH(bool, listening);
        QFETCH(QString, helper);
        VeySimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        if (!listening)
            QVERIFY(sim.stop()); // its port is free now
        ScanRig rig(sim.baseUrl(), QStringLiteral("demo123"), {100, 20, 20}, helper);
        if (helper == MissingHelper)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be started"));
        QVERIFY(rig.scan());
        QCOMPARE(rig.messages, QStringList{UnableToConnect});
        QCOMPARE(sim.requests().size(), 0);
    }

    // A helper killed, or stopped so that it never answers: the ticks run out, nothing of the
    // browser is left, and the next scan starts a fresh helper.
    void helperKilledOrStoppedMidScan_failsAndTheNextScanStartsAnew_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("killed") << SIGKILL;
        QTest::newRow("stopped") << SIGSTOP;
    }
    void helperKilledOrStoppedMidScan_failsAndTheNextScanStartsAnew()
    {
        QFETCH(int, signal);
        VeySimProcess sim({"--page", m_page});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScanRig rig(sim.baseUrl());
        rig.form.ButGo->click();
        qint64 helper = 0;
        QTRY_VERIFY_WITH_TIMEOUT((helper = browserHelperPid()) != 0, 10000);
        // The password travels over the pipe only.
        for (const char *place : {"cmdline", "environ"})
            QVERIFY(!fileBytes(QStringLiteral("/proc/%1/%2").arg(helper).arg(place))
                         .contains("demo123"));
        QVERIFY(::kill(pid_t(helper), signal) == 0);
        QTRY_COMPARE_WITH_TIMEOUT(rig.form.ButGo->text(), texts::StartCaption, 20000);
        QCOMPARE(rig.messages, QStringList{UnableToConnect});
        QCOMPARE(rig.form.table.friendCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000);
        QVERIFY(rig.scan());
        QCOMPARE(rig.messages.size(), 1);
        QCOMPARE(rig.form.table.friendCount(), 3);
    }

    void foreignPage_failsWithoutTypingTheLogin_data()
    {
        QTest::addColumn<bool>("redirected");
        QTest::newRow("no domain word") << false;
        QTest::newRow("redirected to another site on this machine") << true;
    }
    void foreignPage_failsWithoutTypingTheLogin()
    {
        QFETCH(bool, redirected);
        // Another site: a survey with a login form, keeping what reaches it.
        QHttpServer survey;
        QList<QByteArray> received;
        survey.route(QStringLiteral("/"), [&received](const QHttpServerRequest &request) {
            received << request.url().toEncoded() + ' ' + request.body();
            return QHttpServerResponse("text/html", SurveyPage);
        });
        const quint16 port = survey.listen(QHostAddress::LocalHost, 0);
        QVERIFY(port != 0);
        VeySimProcess sim(redirected
                              ? QStringList{"--redirect", QString("http://127.0.0.1:%1/").arg(port)}
                              : QStringList{"--foreign"});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScanRig rig(sim.baseUrl());
        QVERIFY(rig.scan());
        QCOMPARE(received.isEmpty(), !redirected); // the browser did land on the survey
        for (const QByteArray &request : received)
            QVERIFY2(!request.contains("demo123"), request.constData());
        QCOMPARE(rig.messages, QStringList{UnableToConnect});
        QCOMPARE(posts(sim), 0);
    }

    void pageScriptNeverYielding_endsTheScanAfterItsTicks()
    {
        VeySimProcess sim({"--page", m_neverYielding});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScanRig rig(sim.baseUrl());
        QVERIFY(rig.scan());
        QCOMPARE(rig.messages, QStringList{UnableToLogin});
        QCOMPARE(rig.form.table.friendCount(), 0);
        QVERIFY(!rig.browser->isLoaded());
        // The login holds: the next scan reads the page directly.
        QVERIFY(rig.scan());
        QCOMPARE(rig.form.state.directReadResult, 1);
        QCOMPARE(rig.form.table.friendCount(), 3);
    }

    // Each fault, met by the direct read after an earlier scan of the run has logged in (the
    // browser then reads the page), or by the first scan's browser once logged in. What the user
    // sees follows the scan's rules, no friend's session changes but by a whole friends page,
    // and the window never stops answering for 200 ms or more.
    void faultyService_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("direct");
        QTest::addColumn<QString>("message"); // the first line shown, if any
        for (const char *fault : {"hang", "cut", "reset", "500", "503", "trickle", "garbage"}) {
            const bool trickle = qstrcmp(fault, "trickle") == 0;
            QTest::addRow("%s, browser", fault)
                << fault << false << (trickle ? QString() : UnableToLogin);
            QTest::addRow("%s, direct read", fault) << fault << true << QString();
        }
        // The certificate is refused by both routes.
        QTest::newRow("https, browser") << "https" << false << UnableToConnect;
        QTest::newRow("https, direct read") << "https" << true << UnableToConnect;
    }
    void faultyService()
    {
        QFETCH(QString, fault);
        QFETCH(bool, direct);
        QFETCH(QString, message);
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
        const QString tls = QStringLiteral(AMISCAN_TEST_TLS_DIR);
        if (fault == "https")
            arguments << "--tls-cert" << tls + "/self_signed.crt"
                      << "--tls-key" << tls + "/self_signed.key";
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
            rig.form.state.scanState = 2; // as after an earlier scan of this run
            if (fault != "https") {
                // Logged in as that scan would have, through the direct read's own access.
                QNetworkRequest request(sim.loginUrl());
                request.setHeader(QNetworkRequest::ContentTypeHeader,
                                  "application/x-www-form-urlencoded");
                request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                     QNetworkRequest::ManualRedirectPolicy);
                std::unique_ptr<QNetworkReply> reply(
                    rig.fetcher->manager()->post(request, "username=demo&password=demo123"));
                QVERIFY(QSignalSpy(reply.get(), &QNetworkReply::finished).wait(5000));
                QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 303);
            }
        }
        QCOMPARE(rig.form.table.friendCount(), RosterSize + 1);
        const QStringList before = cells(rig.form.table);
        QSignalSpy merged(&rig.form.scanDriver(), &ScanDriver::pageMerged);
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
        if (direct)
            QCOMPARE(rig.form.state.directReadResult, fault == "trickle" ? 1 : 9);
        // One whole page merged, every friend it lists online, the other one not; or nothing.
        QCOMPARE(merged.size(), message.isEmpty() ? 1 : 0);
        if (message.isEmpty())
            QCOMPARE(friend_rows::column(rig.form.table, Online).count("1"), RosterSize);
        else
            QCOMPARE(cells(rig.form.table), before);
        QVERIFY(!rig.browser->isLoaded());
        // The certificate is refused before any request, the password's above all.
        QVERIFY(fault == "https"
                    ? sim.requests().isEmpty() && !sim.logLines().filter("tls failed").isEmpty()
                    : !sim.logLines().filter("fault " + fault).isEmpty());
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestScanWithService)
#include "test_scan_with_service.moc"
