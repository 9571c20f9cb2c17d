// The real program, end to end and at real speed: a copy of the amiscan executable and its
// browser helper in a directory of their own, started with Auto Start on against the local
// stand-in for the service.
// Its first scan logs in through the embedded browser and writes the history, and no browser
// process stays alive after it; a minute later the repeat count-down scans again by the direct
// read and sees one friend go offline and another come online. Stopped then by SIGTERM, it saves
// its files as its Exit button does.
#include "browser_processes.h"
#include "vey_sim_process.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;

namespace {

// The friends page as the service shows it: the friends online now. The first page lists
// three friends, not in name order; on the second one Bartholomew has gone offline and Cara
// has come online.
QByteArray friendsPage(const QList<std::pair<const char *, const char *>> &online)
{
    QByteArray page = "<html><head><title>Friends</title></head><body><h1>Friends Online Now: " +
                      QByteArray::number(online.size()) + "</h1><ul>";
    for (const auto &[display, account] : online)
        page += QByteArray("<li style=\"list-style:none;padding:5px\">") + display +
                "<br><small>(" + account + ")</small></li>";
    return page + "</ul><p><a href=\"/\">vey</a></p></body></html>";
}

const QByteArray FirstPage = friendsPage(
    {{"Zed Quinn", "zq"}, {"Ann Lee", "ann.lee"}, {"Bartholomew Stone Jr", "bart.stone"}});
const QByteArray SecondPage =
    friendsPage({{"Zed Quinn", "zq"}, {"Ann Lee", "ann.lee"}, {"Cara Moon", "cara.m"}});

// The name column is one wider than the longest display name ("Bartholomew Stone Jr").
constexpr int NameWidth = 21;

const QString ColumnHeader =
    QStringLiteral(":     Start      -      End       - Length:     Start      -      End      "
                   " - Length: F : User Name");
const QString RuleTail =
    QStringLiteral("+-----------------------------------------+------------------------------"
                   "-----------+---+--------------------------");
const QString NoStamp = QStringLiteral(".. .. .. .. ..");
const QString NoLength = QStringLiteral(".. ..");
const QRegularExpression StampForm(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d$"));
const QRegularExpression ScanStampSuffix(QStringLiteral(" \\(\\d\\d/\\d\\d - \\d\\d:\\d\\d\\)$"));

// One friend line of the history file, cut at its fixed columns.
struct HistoryFriend
{
    QString name, start1, end1, length1, start2, end2, length2, flag, account;
};

struct History
{
    QString header;
    QString rule;
    QList<HistoryFriend> friends;
    QStringList problems; // separators not where the layout puts them
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

History parseHistory(const QByteArray &bytes)
{
    History history;
    QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    if (lines.isEmpty() || !lines.constLast().isEmpty())
        history.problems << QStringLiteral("the file does not end with CR LF");
    lines.removeAll(QString());
    for (const QString &line : std::as_const(lines)) {
        if (line.contains(u'\r') || line.contains(u'\n'))
            history.problems << QStringLiteral("a line break other than CR LF");
    }
    if (lines.size() < 2) {
        history.problems << QStringLiteral("fewer than two lines");
        return history;
    }
    history.header = lines.at(0);
    history.rule = lines.at(1);
    const int w = NameWidth;
    for (const QString &line : lines.mid(2)) {
        const auto separatorAt =
            [&](int index, const char *text) {
                if (line.mid(index, qsizetype(qstrlen(text))) != QLatin1StringView(text))
                    history.problems
                        << QStringLiteral("'%1' not at %2 in: %3").arg(text).arg(index).arg(line);
            };
        separatorAt(w, ": ");
        separatorAt(w + 16, " - ");
        separatorAt(w + 33, " > ");
        separatorAt(w + 41, " : ");
        separatorAt(w + 58, " - ");
        separatorAt(w + 75, " > ");
        separatorAt(w + 83, " : ");
        separatorAt(w + 87, " : ");
        history.friends.append({line.left(w).trimmed(), line.mid(w + 2, 14), line.mid(w + 19, 14),
                                line.mid(w + 36, 5), line.mid(w + 44, 14), line.mid(w + 61, 14),
                                line.mid(w + 78, 5), line.mid(w + 86, 1), line.mid(w + 90)});
    }
    return history;
}

QString headerFor(int count)
{
    return QStringLiteral("Friends (%1)").arg(count).leftJustified(NameWidth) + ColumnHeader;
}

QDateTime stampTime(const QString &stamp)
{
    return QDateTime::fromString(stamp, QStringLiteral("dd/MM/yy HH:mm"));
}

// The copy of the program and what it wrote, and the tools to wait on it.
class ProgramRun
{
public:
    bool start(const QUrl &service, QString *error)
    {
        if (!m_dir.isValid()) {
            *error = QStringLiteral("no temporary directory");
            return false;
        }
        const QString program = m_dir.filePath(QStringLiteral("amiscan"));
        if (!QFile::copy(QStringLiteral(AMISCAN_EXECUTABLE), program) ||
            !QFile::copy(QStringLiteral(AMISCAN_BROWSER_EXECUTABLE),
                         m_dir.filePath(QStringLiteral("amiscan-browser")))) {
            *error = QStringLiteral("cannot copy the program");
            return false;
        }
        const QByteArray settings = "[Parameters]\r\nAutoStart=1\r\nAutoHide=0\r\n"
                                    "UserName=demo\r\nUserPw=demo123\r\nScanTimer=1\r\n"
                                    "TimerOn=1\r\nServiceUrl=" +
                                    service.toString().toUtf8() + "\r\n";
        if (!writeFile(m_dir.filePath(QStringLiteral("Amiscan.ini")), settings)) {
            *error = QStringLiteral("cannot write the settings file");
            return false;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, {});
        if (!m_process.waitForStarted()) {
            *error = m_process.errorString();
            return false;
        }
        return true;
    }

    QString historyPath() const { return m_dir.filePath(QStringLiteral("Amiscan.txt")); }
    QString settingsPath() const { return m_dir.filePath(QStringLiteral("Amiscan.ini")); }

    // Waits until the history file holds `count` friends; false when the program ends first
    // or the time runs out.
    bool waitForHistoryOf(int count, int timeoutMs)
    {
        const QString header = QStringLiteral("Friends (%1)").arg(count);
        return QTest::qWaitFor(
                   [&] {
                       return m_process.state() != QProcess::Running ||
                              readFile(historyPath()).startsWith(header.toLatin1());
                   },
                   timeoutMs) &&
               m_process.state() == QProcess::Running;
    }

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 processId() const { return m_process.processId(); }

    QString output()
    {
        m_output += m_process.readAll();
        return QString::fromUtf8(m_output);
    }

    // Ends the program with SIGTERM (SIGKILL when it does not end in time). True when it ended
    // by itself with exit code 0.
    bool stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return false;
        m_process.terminate();
        if (m_process.waitForFinished(10000))
            return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
        m_process.kill();
        m_process.waitForFinished(10000);
        return false;
    }

    ~ProgramRun() { stop(); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_output;
};

QString diagnostics(ProgramRun &run, VeySimProcess &sim)
{
    return QStringLiteral("\nhistory:\n%1\nservice log:\n%2\nprogram output:\n%3")
        .arg(QString::fromLatin1(readFile(run.historyPath())), sim.logLines().join(u'\n'),
             run.output().right(4000));
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void autoStart_browserLogin_thenTimedDirectRead_followsPresence_thenSigtermSaves()
    {
        QTemporaryDir pages;
        QVERIFY(pages.isValid());
        const QString page1 = pages.filePath(QStringLiteral("p1.html"));
        const QString page2 = pages.filePath(QStringLiteral("p2.html"));
        QVERIFY(writeFile(page1, FirstPage));
        QVERIFY(writeFile(page2, SecondPage));
        VeySimProcess sim({QStringLiteral("--page"), page1, QStringLiteral("--page"), page2});
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));

        ProgramRun run;
        QString error;
        QVERIFY2(run.start(sim.baseUrl(), &error), qPrintable(error));

        // Auto Start: the first scan logs in through the browser's form and keeps the history.
        QVERIFY2(
            run.waitForHistoryOf(3, 90000),
            qPrintable(QStringLiteral("no history after the first scan") + diagnostics(run, sim)));
        // Between scans, nothing of the browser stays alive.
        QTRY_COMPARE_WITH_TIMEOUT(browserProcesses(run.processId()).size(), 0, 10000);
        const QList<SimRequest> firstScan = sim.requests();
        const auto isLogin = [](const SimRequest &r) { return r.method == QLatin1String("POST"); };
        QCOMPARE(std::count_if(firstScan.begin(), firstScan.end(), isLogin), 1);
        const auto login = std::find_if(firstScan.begin(), firstScan.end(), isLogin);
        QVERIFY2(login->path.startsWith(QLatin1String("/login")), qPrintable(login->path));
        QVERIFY(std::any_of(firstScan.begin(), firstScan.end(), [](const SimRequest &r) {
            return r.page == QLatin1String("friends") && r.validSession;
        }));

        const History first = parseHistory(readFile(run.historyPath()));
        QVERIFY2(first.problems.isEmpty(), qPrintable(first.problems.join(u'\n')));
        QVERIFY2(first.header.startsWith(headerFor(3)), qPrintable(first.header));
        QVERIFY2(ScanStampSuffix.match(first.header).hasMatch(), qPrintable(first.header));
        QCOMPARE(first.header.size(), headerFor(3).size() + 16);
        QCOMPARE(first.rule, QString(NameWidth, u'-') + RuleTail);
        QCOMPARE(first.friends.size(), 3);
        const QStringList firstNames{"Ann Lee", "Bartholomew Stone Jr", "Zed Quinn"};
        const QStringList firstAccounts{"ann.lee", "bart.stone", "zq"};
        const QString seenAt = first.friends.at(0).start1;
        QVERIFY2(StampForm.match(seenAt).hasMatch(), qPrintable(seenAt));
        for (int i = 0; i < 3; ++i) {
            const HistoryFriend &f = first.friends.at(i);
            QCOMPARE(f.name, firstNames.at(i)); // in name order, not page order
            QCOMPARE(f.account, firstAccounts.at(i));
            QCOMPARE(f.start1, seenAt);
            QCOMPARE(f.end1, NoStamp);
            QCOMPARE(f.length1, NoLength);
            QCOMPARE(f.start2, NoStamp);
            QCOMPARE(f.end2, NoStamp);
            QCOMPARE(f.length2, NoLength);
            QCOMPARE(f.flag, QStringLiteral("-"));
        }

        // A minute later the count-down scans again, by the direct read with the session the
        // browser's login left: Bartholomew has gone offline, Cara has come online.
        const qsizetype before = firstScan.size();
        QVERIFY2(
            run.waitForHistoryOf(4, 120000),
            qPrintable(QStringLiteral("no history after the timed scan") + diagnostics(run, sim)));
        const QList<SimRequest> secondScan = sim.requests().mid(before);
        QCOMPARE(secondScan.size(), 1);
        QCOMPARE(secondScan.first().method, QStringLiteral("GET"));
        QCOMPARE(secondScan.first().path, QStringLiteral("/my/account/friends.php?lang=en"));
        QCOMPARE(secondScan.first().page, QStringLiteral("friends"));
        QVERIFY(secondScan.first().validSession);

        const History second = parseHistory(readFile(run.historyPath()));
        QVERIFY2(second.problems.isEmpty(), qPrintable(second.problems.join(u'\n')));
        QVERIFY2(second.header.startsWith(headerFor(4)), qPrintable(second.header));
        QVERIFY2(ScanStampSuffix.match(second.header).hasMatch(), qPrintable(second.header));
        QVERIFY(second.header.right(16) != first.header.right(16)); // stamped anew
        QCOMPARE(second.rule, QString(NameWidth, u'-') + RuleTail);
        QCOMPARE(second.friends.size(), 4);
        QStringList names;
        for (const HistoryFriend &f : second.friends)
            names << f.name;
        // The file keeps name order whoever is online.
        QCOMPARE(names, (QStringList{"Ann Lee", "Bartholomew Stone Jr", "Cara Moon", "Zed Quinn"}));
        const HistoryFriend &ann = second.friends.at(0);
        const HistoryFriend &bart = second.friends.at(1);
        const HistoryFriend &cara = second.friends.at(2);
        const HistoryFriend &zed = second.friends.at(3);

        // Still online: the sessions stay open.
        for (const HistoryFriend *f : {&ann, &zed}) {
            QCOMPARE(f->start1, seenAt);
            QCOMPARE(f->end1, NoStamp);
            QCOMPARE(f->length1, NoLength);
        }
        // Gone offline: the session ends at this scan, a minute or so after it began.
        QCOMPARE(bart.start1, seenAt);
        QVERIFY2(StampForm.match(bart.end1).hasMatch(), qPrintable(bart.end1));
        const qint64 minutes = stampTime(seenAt).secsTo(stampTime(bart.end1)) / 60;
        QVERIFY2(minutes >= 1 && minutes <= 3, qPrintable(bart.end1));
        QCOMPARE(bart.length1, QStringLiteral("00:0%1").arg(minutes));
        QCOMPARE(bart.account, QStringLiteral("bart.stone"));
        // Newly online: a session opened at this scan.
        QCOMPARE(cara.start1, bart.end1);
        QCOMPARE(cara.end1, NoStamp);
        QCOMPARE(cara.length1, NoLength);
        QCOMPARE(cara.account, QStringLiteral("cara.m"));
        for (const HistoryFriend &f : second.friends) {
            QCOMPARE(f.start2, NoStamp);
            QCOMPARE(f.end2, NoStamp);
            QCOMPARE(f.length2, NoLength);
            QCOMPARE(f.flag, QStringLiteral("-"));
        }

        // Stopped by the system, the program saves as its Exit button does: the history comes
        // back in full and the settings are written.
        QVERIFY2(run.isRunning(), qPrintable(run.output().right(4000)));
        QVERIFY(QFile::remove(run.historyPath()));
        QVERIFY2(run.stop(), qPrintable(run.output().right(4000)));
        const History saved = parseHistory(readFile(run.historyPath()));
        QCOMPARE(saved.header, second.header);
        QCOMPARE(saved.friends.size(), 4);
        QVERIFY(readFile(run.settingsPath()).contains("MinimizeIcon=0\r\n"));
        QVERIFY(sim.stop());
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
