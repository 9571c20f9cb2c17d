// The real program, end to end and at real speed: a copy of the amiscan executable and its
// browser helper in a directory of their own, started with Auto Start on against the local
// stand-in for the service. Its first scan logs in through the embedded browser and writes the
// history, and no browser process stays alive after it; a minute later the repeat count-down
// scans again by the direct read and sees one friend go offline and another come online. Stopped
// then by SIGTERM, it saves its files as its Exit button does.
#include "browser_processes.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "store/history_file.h"
#include "vey_sim_process.h"
#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;
using namespace amiscan::testing;
using friend_rows::column;

namespace {

// The friends page as the service shows it: the friends online now, not in name order.
QByteArray friendsPage(const QList<std::pair<const char *, const char *>> &online)
{
    QByteArray page =
        "<html><body><h1>Friends Online Now: " + QByteArray::number(online.size()) + "</h1><ul>";
    for (const auto &[display, account] : online)
        page += QByteArray("<li style=\"list-style:none;padding:5px\">") + display +
                "<br><small>(" + account + ")</small></li>";
    return page + "</ul><p><a href=\"/\">vey</a></p></body></html>";
}

// The history as the program's own reader reads it; the file's layout is the reader's tests'.
struct History
{
    FriendsTable table;
    history::ReadResult read;
    explicit History(const QString &path) : read(history::readFile(path, table)) {}
    QStringList cells(int col) const { return column(table, col); }
};

QDateTime stampTime(const QString &stamp)
{
    return QDateTime::fromString(stamp, QStringLiteral("dd/MM/yy HH:mm"));
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void autoStart_browserLogin_thenTimedDirectRead_followsPresence_thenSigtermSaves()
    {
        QTemporaryDir dir;
        const QString page1 = dir.filePath("p1.html"), page2 = dir.filePath("p2.html");
        QVERIFY(writeBytes(page1, friendsPage({{"Zed Quinn", "zq"},
                                               {"Ann Lee", "ann.lee"},
                                               {"Bartholomew Stone Jr", "bart.stone"}})));
        QVERIFY(writeBytes(
            page2,
            friendsPage({{"Zed Quinn", "zq"}, {"Ann Lee", "ann.lee"}, {"Cara Moon", "cara.m"}})));
        VeySimProcess sim({"--page", page1, "--page", page2});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));

        const QString program = dir.filePath("amiscan");
        const QString historyPath = dir.filePath("Amiscan.txt");
        QVERIFY(QFile::copy(QStringLiteral(AMISCAN_EXECUTABLE), program));
        QVERIFY(QFile::copy(QStringLiteral(AMISCAN_BROWSER_EXECUTABLE),
                            dir.filePath("amiscan-browser")));
        QVERIFY(writeBytes(dir.filePath("Amiscan.ini"),
                           "[Parameters]\r\nAutoStart=1\r\nUserName=demo\r\nUserPw=demo123\r\n"
                           "ScanTimer=1\r\nTimerOn=1\r\nServiceUrl=" +
                               sim.baseUrl().toString().toUtf8() + "\r\n"));
        QProcess run;
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(program, {});
        QVERIFY(run.waitForStarted());
        const auto waitForHistoryOf = [&](int count, int timeoutMs) {
            const QByteArray header = "Friends (" + QByteArray::number(count) + ")";
            return QTest::qWaitFor([&] { return fileBytes(historyPath).startsWith(header); },
                                   timeoutMs) &&
                   run.state() == QProcess::Running;
        };
        const auto diagnostics = [&] {
            return QString::fromLatin1(fileBytes(historyPath)) + "\nservice log:\n" +
                   sim.logLines().join(u'\n') + "\nprogram output:\n" +
                   QString::fromUtf8(run.readAll().right(4000));
        };

        // Auto Start: the first scan logs in through the browser's form and keeps the history.
        QVERIFY2(waitForHistoryOf(3, 90000), qPrintable(diagnostics()));
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses(run.processId()).size(), 0, 10000);
        const QList<SimRequest> firstScan = sim.requests();
        const auto isLogin = [](const SimRequest &r) { return r.method == "POST"; };
        QCOMPARE(std::count_if(firstScan.begin(), firstScan.end(), isLogin), 1);
        const History first(historyPath);
        QVERIFY(first.read.intact);
        QCOMPARE(first.cells(AccountName), (QStringList{"ann.lee", "bart.stone", "zq"}));
        const QString seenAt = first.table.cell(1, Start1);
        QVERIFY2(stampTime(seenAt).isValid(), qPrintable(seenAt));
        QCOMPARE(first.cells(Start1), QStringList(3, seenAt));
        QCOMPARE(first.cells(End1), QStringList(3, friend_rows::NoTime));

        // A minute later the count-down scans again, by one direct read with the session the
        // browser's login left: Bartholomew has gone offline, Cara has come online.
        QVERIFY2(waitForHistoryOf(4, 120000), qPrintable(diagnostics()));
        const QList<SimRequest> secondScan = sim.requests().mid(firstScan.size());
        QCOMPARE(secondScan.size(), 1);
        QCOMPARE(secondScan.first().path, QStringLiteral("/my/account/friends.php?lang=en"));
        QVERIFY(secondScan.first().validSession);
        const History second(historyPath);
        QVERIFY(second.read.intact);
        QVERIFY(second.read.lastScanStamp != first.read.lastScanStamp);
        // The file keeps name order whoever is online; the sessions open or end at this scan.
        QCOMPARE(second.cells(AccountName), (QStringList{"ann.lee", "bart.stone", "cara.m", "zq"}));
        const QString endedAt = second.table.cell(2, End1);
        const qint64 minutes = stampTime(seenAt).secsTo(stampTime(endedAt)) / 60;
        QVERIFY2(minutes >= 1 && minutes <= 3, qPrintable(endedAt));
        QCOMPARE(second.cells(Start1), (QStringList{seenAt, seenAt, endedAt, seenAt}));
        QCOMPARE(second.cells(End1), (QStringList{friend_rows::NoTime, endedAt, friend_rows::NoTime,
                                                  friend_rows::NoTime}));
        QCOMPARE(second.table.cell(2, Length1), QStringLiteral("00:0%1").arg(minutes));
        QCOMPARE(second.cells(Start2), QStringList(4, friend_rows::NoTime));

        // Stopped by the system, the program saves as its Exit button does.
        QVERIFY(QFile::remove(historyPath));
        run.terminate();
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(run.exitCode(), 0);
        const History saved(historyPath);
        QVERIFY(saved.read.intact);
        QCOMPARE(saved.read.lastScanStamp, second.read.lastScanStamp);
        QCOMPARE(saved.cells(AccountName), second.cells(AccountName));
        QVERIFY(fileBytes(dir.filePath("Amiscan.ini")).contains("MinimizeIcon=0\r\n"));
        QVERIFY(sim.stop());
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
