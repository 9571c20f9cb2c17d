// The real scan, by the browser route and by the direct read, against a service or network that
// fails in each of the ways the simulator can make it fail. What the user sees must follow the
// scan's rules, no friend's session may change but by a whole friends page, and the window must
// never stop answering for 200 ms or more.
#include "app/data_dir.h"
#include "friend_rows.h"
#include "service_scan.h"
#include "store/history_file.h"
#include "vey_sim_process.h"
#include "widget_test_main.h"
#include <QNetworkReply>
#include <QSignalSpy>

using namespace amiscan;

namespace {

constexpr int RosterSize = 40;
const QString UnableToConnect = QStringLiteral("Unable to connect !");
const QString UnableToLogin = QStringLiteral("Unable to login !");

QString accountOf(int i)
{
    return QStringLiteral("friend.%1").arg(i, 2, 10, QChar(u'0'));
}

// The friends the service lists, all online, and a history that knows them and one more.
bool prepare(const QString &dir, QString &rosterFile)
{
    rosterFile = QDir(dir).filePath(QStringLiteral("roster.txt"));
    QFile roster(rosterFile);
    if (!roster.open(QIODevice::WriteOnly))
        return false;
    FriendsTable table;
    for (int i = 1; i <= RosterSize + 1; ++i) {
        const QString name = QStringLiteral("Friend %1").arg(i, 2, 10, QChar(u'0'));
        if (i <= RosterSize)
            roster.write((name + u'\t' + accountOf(i) + u'\n').toUtf8());
        friend_rows::add(table, {name, accountOf(i)});
    }
    return history::writeFile(historyFilePath(dir), table, QStringLiteral("14/10 - 20:15"));
}

QStringList rowsOf(const FriendsTable &table)
{
    QStringList rows;
    for (int column = 0; column < ColumnCount; ++column)
        rows += friend_rows::column(table, column);
    return rows;
}

// Logs in as an earlier scan of the run would have, through the direct read's own network
// access, so the direct read gets the friends page (as long as nothing fails).
bool logInForTheDirectRead(ScanRig &rig, const QUrl &login)
{
    QNetworkRequest request(login);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = rig.fetcher->manager()->post(request, "username=demo&password=demo123");
    QSignalSpy finished(reply, &QNetworkReply::finished);
    const bool loggedIn = finished.wait(5000) &&
                          reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 303;
    reply->deleteLater();
    return loggedIn;
}

} // namespace

class TestScanFaults : public QObject
{
    Q_OBJECT

private slots:
    void faultyService_data()
    {
        QTest::addColumn<QString>("fault");
        // The direct read meets the fault, after an earlier scan of the run has logged in, and
        // the browser does not; otherwise the first scan of the run meets it in the browser,
        // once logged in.
        QTest::addColumn<bool>("direct");
        // The first line of the message shown, or none when the scan reads the page.
        QTest::addColumn<QString>("message");

        const QStringList faults{"hang", "cut",     "reset",   "500",
                                 "503",  "trickle", "garbage", "https"};
        for (const QString &fault : faults) {
            const bool https = fault == u"https";
            QTest::addRow("%s, browser", qPrintable(fault)) << fault << false
                                                            << (fault == u"trickle" ? QString()
                                                                : https ? UnableToConnect
                                                                        : UnableToLogin);
            // The browser route takes over from a failed direct read and reads the page,
            // unless the certificate is refused there too.
            QTest::addRow("%s, direct read", qPrintable(fault))
                << fault << true << (https ? UnableToConnect : QString());
        }
    }

    void faultyService()
    {
        QFETCH(QString, fault);
        QFETCH(bool, direct);
        QFETCH(QString, message);

        QTemporaryDir data;
        QString rosterFile;
        QVERIFY(prepare(data.path(), rosterFile));
        QStringList arguments{"--roster", rosterFile, "--all-online", "--trickle-ms", "10"};
        if (fault == u"https") {
            const QString tls = QStringLiteral(AMISCAN_TEST_TLS_DIR);
            arguments << "--tls-cert" << tls + "/self_signed.crt"
                      << "--tls-key" << tls + "/self_signed.key";
        } else {
            arguments << "--fault" << fault;
            if (direct)
                arguments << QStringList{"--spare-agent", "QtWebEngine"};
            else
                arguments << QStringLiteral("--fault-after-login");
        }
        VeySimProcess sim(arguments);
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));

        ScanRig rig(sim.baseUrl(), {500, 20, 20}, QStringLiteral(AMISCAN_BROWSER_EXECUTABLE),
                    data.path());
        rig.fetcher->setTimeoutMs(1500);
        if (direct) {
            rig.form.state.scanState = 2; // as after an earlier scan of this run
            if (fault != u"https")
                QVERIFY(logInForTheDirectRead(rig, sim.loginUrl()));
        }
        const QStringList before = rowsOf(rig.form.table);
        QCOMPARE(rig.form.table.friendCount(), RosterSize + 1);
        QSignalSpy merged(&rig.form.scanDriver(), &ScanDriver::pageMerged);

        // The longest time between two turns of the event loop, as a 20 ms timer sees it.
        qint64 longestBlock = 0;
        QElapsedTimer sinceLast;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout,
                         [&] { longestBlock = std::max(longestBlock, sinceLast.restart()); });
        sinceLast.start();
        probe.start(20);
        QVERIFY(rig.scan(60000) >= 0);
        longestBlock = std::max(longestBlock, sinceLast.elapsed());
        QVERIFY2(longestBlock < 200, qPrintable(QString::number(longestBlock)));

        QCOMPARE(rig.messages.value(0), message);
        QCOMPARE(rig.messages.size(), message.isEmpty() ? 0 : 1);
        if (direct)
            QCOMPARE(rig.form.state.directReadResult, fault == u"trickle" ? 1 : 9);
        if (message.isEmpty()) {
            // One whole page merged: every friend it lists online, the other one not.
            QCOMPARE(merged.size(), 1);
            QCOMPARE(friend_rows::column(rig.form.table, Online).count("1"), RosterSize);
        } else {
            QCOMPARE(merged.size(), 0);
            QCOMPARE(rowsOf(rig.form.table), before);
        }
        QVERIFY(!rig.browser->isLoaded());
        if (fault == u"https") {
            // The certificate was refused before any request, the password's above all.
            QVERIFY(sim.requests().isEmpty());
            QVERIFY(sim.logLines().filter(QStringLiteral("tls failed")).size() >= 1);
        } else {
            QVERIFY(sim.logLines().filter(QStringLiteral("fault ") + fault).size() >= 1);
        }
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestScanFaults)
#include "test_scan_faults.moc"
