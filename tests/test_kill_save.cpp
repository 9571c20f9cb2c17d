// Saves killed at random instants: a child process saves a large history and the settings over
// and over, alternating between two contents, and records a scan in the presence log, and is
// killed with SIGKILL; each file must then be one of the two whole (the history once a change in
// place cut short is completed, as at start-up), and the log whole with at most the scan being
// written lost. AMISCAN_KILL_COUNT sets the number of kills (200 at least).
#include "file_faults.h"
#include "friend_rows.h"
#include "store/data_dir.h"
#include "store/file_patcher.h"
#include "store/history_file.h"
#include "store/presence_db.h"
#include "store/presence_log.h"
#include "store/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

// Who is online in the scan numbered n: a third of 60 friends, another third at each scan.
QStringList onlineIn(qint64 n)
{
    QStringList names;
    for (int i = 0; i < 60; ++i) {
        if ((i + n) % 3 == 0)
            names << QStringLiteral("friend.%1").arg(i, 2, 10, QChar(u'0'));
    }
    return names;
}

// Records the scan numbered n (its entry count), waiting until it is written.
void recordScan(PresenceLog &log, qint64 n)
{
    ScanRecord scan{QDateTime::currentDateTime(),
                    QDateTime::currentDateTime(),
                    n,
                    ScanRoute::Direct,
                    ScanOutcome::Read,
                    int(n),
                    1,
                    {}};
    for (const QString &name : onlineIn(n))
        scan.online << LoggedFriend{name, name};
    log.recordScan(scan);
    log.flush();
}

// Saves the history, then the settings, as the window does, with one of two contents: the
// history in place from the second save of a process on.
void save(const QString &dir, int which)
{
    static FilePatcher historyFile;
    static FriendsTable tables[2];
    FriendsTable &table = tables[which];
    for (int i = table.friendCount(); i < 5000; ++i) {
        friend_rows::Friend f{QStringLiteral("Friend %1").arg(i, 5, 10, QChar(u'0')),
                              QStringLiteral("friend.%1").arg(i), (i + which) % 3 == 0};
        f.start1 = which ? "15/10/12 08:00" : "14/10/12 20:15";
        friend_rows::add(table, f);
    }
    historyFile.write(historyFilePath(dir),
                      history::formatFile(table, which ? "15/10 - 08:00" : "14/10 - 20:15"));
    settings::writeFile(settingsFilePath(dir), {"1", "0", "ann", which ? "second secret" : "secret",
                                                "15", "1", "0", "1", "0", QString::number(which)});
}

} // namespace

class TestKillSave : public QObject
{
    Q_OBJECT

private slots:
    void killedSaves_leaveOneWholeFileEach()
    {
        QTemporaryDir reference;
        QList<QByteArray> histories, settingsFiles;
        QElapsedTimer cycle;
        const auto referenceLog = PresenceLog::open(reference.path());
        for (const int which : {0, 1}) {
            cycle.start();
            save(reference.path(), which);
            recordScan(*referenceLog, which);
            histories << fileBytes(historyFilePath(reference.path()));
            settingsFiles << fileBytes(settingsFilePath(reference.path()));
        }
        const qint64 cycleMs = std::max<qint64>(cycle.elapsed(), 5);
        QTemporaryDir dir;
        save(dir.path(), 0);
        recordScan(*PresenceLog::open(dir.path()), 0);
        int firstContent = 0, journals = 0;
        const int kills = std::max(qEnvironmentVariableIntValue("AMISCAN_KILL_COUNT"), 200);
        for (int kill = 0; kill < kills; ++kill) {
            QProcess child;
            // Each child numbers its scans from its own base.
            const qint64 base = qint64(kill + 1) * 1000000;
            child.start(QCoreApplication::applicationFilePath(),
                        {"--save-loop", dir.path(), QString::number(base)});
            QVERIFY(child.waitForReadyRead(20000));
            QTest::qSleep(int(QRandomGenerator::global()->bounded(2 * cycleMs)));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(5000));
            const QByteArray output = child.readAllStandardOutput();
            journals += QFile::exists(journalPath(historyFilePath(dir.path())));
            QVERIFY(finishInterruptedChange(historyFilePath(dir.path())));
            const QByteArray history = fileBytes(historyFilePath(dir.path()));
            QVERIFY2(histories.contains(history),
                     qPrintable(QStringLiteral("history torn at kill %1").arg(kill)));
            firstContent += history == histories.at(0);
            QVERIFY2(settingsFiles.contains(fileBytes(settingsFilePath(dir.path()))),
                     qPrintable(QStringLiteral("settings torn at kill %1").arg(kill)));
            // The log is whole, its latest scan is the last one written or the one after it, and
            // who is online is that scan's: its changes went with it.
            const qsizetype at = output.lastIndexOf("logged ");
            const bool written = at >= 0;
            const qint64 last = (written ? output.mid(at + 7).trimmed().toLongLong() : base) + 1;
            PresenceDb log(presenceLogPath(dir.path()), PresenceDb::Mode::Read);
            QCOMPARE(log.open(false), PresenceDb::State::Ready);
            QSqlQuery query(log.db());
            QVERIFY(query.exec("PRAGMA integrity_check") && query.next());
            QCOMPARE(query.value(0).toString(), QStringLiteral("ok"));
            QVERIFY(query.exec("SELECT entries FROM scans ORDER BY id DESC LIMIT 1") &&
                    query.next());
            const qint64 latest = query.value(0).toLongLong();
            QVERIFY2(latest <= last && (!written || latest >= last - 1),
                     qPrintable(QStringLiteral("scan %1 logged at kill %2").arg(latest).arg(kill)));
            QStringList online;
            QVERIFY(query.exec(
                "SELECT user_name FROM friends JOIN online ON friend_id = id ORDER BY user_name"));
            while (query.next())
                online << query.value(0).toString();
            QCOMPARE(online, onlineIn(latest));
            // A save cut short may leave its side file, which the next save replaces; the log
            // its journal.
            QCOMPARE(QDir(dir.path())
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                         .filter(QRegularExpression("^(?!.*(\\.saving|\\.db-wal|\\.db-shm)$)")),
                     (QStringList{"Amiscan.db", "Amiscan.ini", "Amiscan.txt"}));
        }
        // Both contents were found, so the kills fell at different points of the saves.
        qInfo("%d kills, the first content found %d times, a change in place cut short %d times",
              kills, firstContent, journals);
        QVERIFY(firstContent > 0 && firstContent < kills);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments.at(1) == "--save-loop") {
        const auto log = PresenceLog::open(arguments.at(2));
        for (qint64 i = 1;; ++i) {
            save(arguments.at(2), i % 2);
            if (i == 1)
                std::fputs("saving\n", stdout), std::fflush(stdout);
            const qint64 n = arguments.at(3).toLongLong() + i;
            recordScan(*log, n);
            std::printf("logged %lld\n", n), std::fflush(stdout);
        }
    }
    TestKillSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_kill_save.moc"
