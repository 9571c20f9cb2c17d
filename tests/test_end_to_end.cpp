// The program installed into a temporary prefix, at real speed against the local stand-in for
// the service: with Auto Start on, its first scan logs in through the browser and prints nothing,
// a second copy is refused, a minute later the count-down scans by the direct read, SIGTERM
// saves both files in the user's data directory, nothing beside the executable, and with
// --verbose a scan tells why it fails.
#include "app/single_copy.h"
#include "browser_processes.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "store/history_file.h"
#include "vey_sim_process.h"
#include <QDateTime>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <xcb/xcb.h>

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

struct History
{
    FriendsTable table;
    history::ReadResult read;
    explicit History(const QString &path) : read(history::readFile(path, table)) {}
    QStringList cells(int col) const { return column(table, col); }
};

// True once a top-level window is shown on the display.
bool windowShown(xcb_connection_t *x)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(x, xcb_query_tree(x, root), nullptr);
    bool shown = false;
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree); ++i) {
        auto *window = xcb_get_window_attributes_reply(
            x, xcb_get_window_attributes(x, xcb_query_tree_children(tree)[i]), nullptr);
        shown = shown || (window && window->map_state == XCB_MAP_STATE_VIEWABLE);
        free(window);
    }
    free(tree);
    return shown;
}

QDateTime stampTime(const QString &stamp)
{
    return QDateTime::fromString(stamp, QStringLiteral("dd/MM/yy HH:mm"));
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prefix;
    QStringList m_installed;

    QStringList filesUnderPrefix() const
    {
        QStringList files;
        for (QDirIterator it(m_prefix.path(), QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();)
            files << QDir(m_prefix.path()).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    // The installed program with `home` as its home, offscreen.
    void start(QProcess &process, const QString &home, const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("HOME", home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(m_prefix.filePath("bin/amiscan"), arguments);
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    }

private slots:
    void initTestCase()
    {
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(CMAKE_COMMAND, {"--install", AMISCAN_BUILD_DIR, "--prefix", m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
        m_installed = filesUnderPrefix();
    }

    // Not the simulator nor the tests, and no file of the program's own beside the executable.
    void installs_theProgramAndItsDesktopFiles_only()
    {
        const QString id = AMISCAN_APP_ID;
        QStringList expected{"bin/amiscan",
                             "libexec/amiscan/amiscan-browser",
                             "share/applications/" + id + ".desktop",
                             "share/man/man1/amiscan.1.gz",
                             "share/metainfo/" + id + ".metainfo.xml",
                             "share/icons/hicolor/scalable/apps/" + id + ".svg",
                             "share/doc/amiscan/copyright",
                             "share/doc/amiscan/changelog.Debian.gz",
                             "share/lintian/overrides/amiscan"};
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            expected << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(id);
        expected.sort();
        QCOMPARE(m_installed, expected);
    }

    void installed_scansFollowsPresence_refusesASecondCopy_savesOnSigterm()
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

        QTemporaryDir home;
        const QDir dataDir(home.filePath(".local/share/Amiscan"));
        const QString historyPath = dataDir.filePath("Amiscan.txt");
        QVERIFY(dataDir.mkpath("."));
        QVERIFY(writeBytes(dataDir.filePath("Amiscan.ini"),
                           "[Parameters]\r\nAutoStart=1\r\nUserName=demo\r\nUserPw=demo123\r\n"
                           "ScanTimer=1\r\nTimerOn=1\r\nServiceUrl=" +
                               sim.baseUrl().toString().toUtf8() + "\r\n"));
        QProcess run;
        start(run, home.path());
        const auto waitForHistoryOf = [&](int count, int timeoutMs) {
            const QByteArray header = "Friends (" + QByteArray::number(count) + ")";
            return QTest::qWaitFor([&] { return fileBytes(historyPath).startsWith(header); },
                                   timeoutMs) &&
                   run.state() == QProcess::Running;
        };
        QByteArray printed; // what the diagnostics read of the program's output
        const auto diagnostics = [&] {
            return QString::fromLatin1(fileBytes(historyPath)) + "\nservice log:\n" +
                   sim.logLines().join(u'\n') + "\nprogram output:\n" +
                   QString::fromUtf8((printed += run.readAll()).right(4000));
        };

        QVERIFY2(waitForHistoryOf(3, 90000), qPrintable(diagnostics()));
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses(run.processId()).size(), 0, 10000);
        QCOMPARE(printed + run.readAll(), QByteArray()); // not even the browser engine
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
        QProcess copy;
        start(copy, home.path());
        QByteArray refusal;
        QVERIFY(QTest::qWaitFor(
            [&] { return (refusal += copy.readAll()).contains(RefusalText.toUtf8()); }, 20000));
        copy.kill();
        QVERIFY(copy.waitForFinished());

        // One direct read with the browser's session: Bartholomew went offline, Cara came online.
        QVERIFY2(waitForHistoryOf(4, 120000), qPrintable(diagnostics()));
        const QList<SimRequest> secondScan = sim.requests().mid(firstScan.size());
        QCOMPARE(secondScan.size(), 1);
        QCOMPARE(secondScan.first().path, QStringLiteral("/my/account/friends.php?lang=en"));
        QVERIFY(secondScan.first().validSession);
        const History second(historyPath);
        QVERIFY(second.read.intact);
        QVERIFY(second.read.lastScanStamp != first.read.lastScanStamp);
        QCOMPARE(second.cells(AccountName), (QStringList{"ann.lee", "bart.stone", "cara.m", "zq"}));
        const QString endedAt = second.table.cell(2, End1);
        const qint64 minutes = stampTime(seenAt).secsTo(stampTime(endedAt)) / 60;
        QVERIFY2(minutes >= 1 && minutes <= 3, qPrintable(endedAt));
        QCOMPARE(second.cells(Start1), (QStringList{seenAt, seenAt, endedAt, seenAt}));
        QCOMPARE(second.cells(End1), (QStringList{friend_rows::NoTime, endedAt, friend_rows::NoTime,
                                                  friend_rows::NoTime}));
        QCOMPARE(second.table.cell(2, Length1), QStringLiteral("00:0%1").arg(minutes));
        QCOMPARE(second.cells(Start2), QStringList(4, friend_rows::NoTime));

        // Stopped by the system, it saves as its Exit button does.
        QVERIFY(QFile::remove(historyPath));
        run.terminate();
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(run.exitCode(), 0);
        const History saved(historyPath);
        QVERIFY(saved.read.intact);
        QCOMPARE(saved.read.lastScanStamp, second.read.lastScanStamp);
        QCOMPARE(saved.cells(AccountName), second.cells(AccountName));
        QVERIFY(fileBytes(dataDir.filePath("Amiscan.ini")).contains("MinimizeIcon=0\r\n"));
        QCOMPARE(filesUnderPrefix(), m_installed);

        // The service has gone: asked to, the browser helper tells why its page did not load.
        QVERIFY(sim.stop());
        QProcess verbose;
        start(verbose, home.path(), {"--verbose"});
        const QByteArray reason = "did not load: net::ERR_CONNECTION_REFUSED";
        QByteArray told;
        const auto tells = [&] { return (told += verbose.readAll()).contains(reason); };
        QVERIFY2(QTest::qWaitFor(tells, 60000), told.constData());
        verbose.terminate();
        QVERIFY(verbose.waitForFinished(10000));
    }

    // Qt's X11 platform ends the program with exit() once its display is gone.
    void displayLost_savesBothFilesWhole()
    {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed");
        QProcess server; // a display of its own, its number on standard output
        server.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "800x600x24"});
        QVERIFY(server.waitForReadyRead(20000));
        const QByteArray display = ':' + server.readAllStandardOutput().trimmed();
        QTemporaryDir dir;
        const QString history = dir.filePath("Amiscan.txt"), settings = dir.filePath("Amiscan.ini");
        QVERIFY(writeBytes(history, QByteArray(friend_rows::ExampleHistory).replace("\r\n", "\n")));
        QVERIFY(writeBytes(settings, "[Parameters]\r\nUserName=ann\r\n"));
        QProcess run;
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(m_prefix.filePath("bin/amiscan"),
                  {"--data-dir", dir.path(), "-platform", "xcb", "-display", display});
        const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> x(
            xcb_connect(display.constData(), nullptr), &xcb_disconnect);
        QVERIFY(QTest::qWaitFor([&] { return windowShown(x.get()); }, 30000));
        server.terminate(); // it removes its socket and lock as it ends
        QVERIFY(server.waitForFinished(10000) && run.waitForFinished(20000));
        QVERIFY2(run.exitCode() != 0, run.readAll().constData()); // ended by the platform
        QCOMPARE(fileBytes(history), friend_rows::ExampleHistory);
        QVERIFY(fileBytes(settings).contains("MinimizeIcon=0\r\n[Preferences]\r\n") &&
                fileBytes(settings).endsWith("PasswordInFile=0\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
