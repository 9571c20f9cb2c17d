// Scans through the real browser, in its helper program, and the real direct read against the
// local stand-in for the service, started as a separate process.
#include "file_faults.h"
#include "service_scan.h"
#include "vey_sim_process.h"
#include "widget_test_main.h"
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QRegularExpression>
#include <csignal>

using namespace amiscan;

namespace {

const QString Helper = QStringLiteral(AMISCAN_BROWSER_EXECUTABLE);
const QString MissingHelper = QStringLiteral("/nonexistent/amiscan-browser");

const QByteArray ScriptedPage =
    "<html><head><title>Friends</title></head><body><h1>Friends Online Now: 3</h1><ul>"
    "<li style=\"list-style:none;padding:5px\">Ann Lee<br><small>(ann.lee)</small></li>"
    "<li style=\"list-style:none;padding:5px\">J. Doe<br><small>(jdoe)</small></li>"
    "<li style=\"list-style:none;padding:5px\">Zed<br><small>(zed99)</small></li>"
    "</ul><p><a href=\"/\">vey</a></p></body></html>";

// The friends page with a script that stops answering once the page has loaded.
const QByteArray NeverYieldingPage =
    ScriptedPage.chopped(int(sizeof("</body></html>") - 1)) +
    "<script>addEventListener('load', function () { setTimeout(function () { for (;;) {} }, 0); "
    "});</script></body></html>";

// Another site's page: a survey with a login form.
const QByteArray SurveyPage =
    "<html><head><title>Survey</title></head><body><h1>Take our survey</h1>"
    "<form method=\"post\" action=\"/\"><input name=\"u\"><input name=\"p\" type=\"password\">"
    "<button type=\"submit\">Send</button></form></body></html>";

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
    QString m_pageFile;
    QString m_neverYieldingFile;

private slots:
    void initTestCase()
    {
        m_pageFile = m_pages.filePath("friends.html");
        m_neverYieldingFile = m_pages.filePath("never-yielding.html");
        QVERIFY(testing::writeBytes(m_pageFile, ScriptedPage));
        QVERIFY(testing::writeBytes(m_neverYieldingFile, NeverYieldingPage));
    }

    void browserThenDirectRead_readTheSameFriends()
    {
        VeySimProcess sim({"--page", m_pageFile});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScanRig rig(sim.baseUrl());
        // The browser's processes live only while the browser route needs them.
        QCOMPARE(browserProcesses().size(), 0);
        QVERIFY(rig.scan() >= 2); // the helper and its page's process
        QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join(u'|')));
        const QStringList expected{"ann.lee=Ann Lee/1", "jdoe=jdoe²/1", "zed99=Zed/1"};
        QCOMPARE(accounts(rig.form.table), expected);
        QCOMPARE(posts(sim), 1); // logged in through the form
        QVERIFY(!rig.browser->isLoaded());
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 10000);
        const int before = int(sim.requests().size());
        QCOMPARE(rig.scan(), 0);
        QCOMPARE(rig.form.state.directReadResult, 1);
        QCOMPARE(accounts(rig.form.table), expected);
        const QList<SimRequest> later = sim.requests().mid(before);
        QCOMPARE(later.size(), 1); // one direct read, with the browser's login
        QVERIFY(later.first().validSession);
        QCOMPARE(later.first().page, QStringLiteral("friends"));
        QVERIFY(!rig.browser->isLoaded());
    }

    void unreachable_unableToConnect_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("helper");
        QTest::newRow("nothing listening") << false << Helper;
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
        ScanRig rig(sim.baseUrl(), {100, 20, 20}, helper);
        if (helper == MissingHelper)
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("cannot be started")));
        QVERIFY(rig.scan() >= 0);
        QCOMPARE(rig.messages, QStringList{"Unable to connect !"});
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
        VeySimProcess sim({"--page", m_pageFile});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScanRig rig(sim.baseUrl());
        rig.form.ButGo->click();
        qint64 helper = 0;
        QTRY_VERIFY_WITH_TIMEOUT((helper = browserHelperPid()) != 0, 10000);
        // The password travels over the pipe only.
        for (const char *place : {"cmdline", "environ"}) {
            QFile file(QStringLiteral("/proc/%1/%2").arg(helper).arg(QLatin1StringView(place)));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(!file.readAll().contains("demo123"));
        }
        QVERIFY(::kill(pid_t(helper), signal) == 0);
        QTRY_COMPARE_WITH_TIMEOUT(rig.form.ButGo->text(), texts::StartCaption, 20000);
        QCOMPARE(rig.messages, QStringList{"Unable to connect !"});
        QCOMPARE(rig.form.table.friendCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses().size(), 0, 15000);
        QVERIFY(rig.scan() >= 0);
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
        QVERIFY(rig.scan() >= 0);
        QCOMPARE(received.isEmpty(), !redirected); // the browser did land on the survey
        for (const QByteArray &request : received)
            QVERIFY2(!request.contains("demo123"), request.constData());
        QCOMPARE(rig.messages, QStringList{"Unable to connect !"});
        QCOMPARE(posts(sim), 0);
    }

    void pageScriptNeverYielding_endsTheScanAfterItsTicks()
    {
        VeySimProcess sim({"--page", m_neverYieldingFile});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScanRig rig(sim.baseUrl());
        QVERIFY(rig.scan() >= 0);
        QCOMPARE(rig.messages, QStringList{"Unable to login !"});
        QCOMPARE(rig.form.table.friendCount(), 0);
        QVERIFY(!rig.browser->isLoaded());
        // The login holds: the next scan reads the page directly.
        QVERIFY(rig.scan() >= 0);
        QCOMPARE(rig.form.state.directReadResult, 1);
        QCOMPARE(rig.form.table.friendCount(), 3);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestScanWithService)
#include "test_scan_with_service.moc"
