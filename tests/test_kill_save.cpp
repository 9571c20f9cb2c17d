// Saves killed at random instants: a child process saves a large history and the settings over
// and over, alternating between two contents, and is killed with SIGKILL. Afterwards each file
// must be one of the two contents whole, and nothing may pile up beside them.
// AMISCAN_KILL_COUNT sets the number of kills (tools/kill-test.sh runs many more).
#include "store/data_dir.h"
#include "store/settings_file.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "store/history_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

constexpr int FriendCount = 5000;
const QString SaveLoopArgument = QStringLiteral("--save-loop");

// The two contents the saves alternate between.
struct Contents
{
    FriendsTable table;
    QString stamp;
    settings::Values values;
};

Contents contents(int which)
{
    Contents c;
    for (int i = 0; i < FriendCount; ++i) {
        friend_rows::Friend f{QStringLiteral("Friend %1").arg(i, 5, 10, QChar(u'0')),
                              QStringLiteral("friend.%1").arg(i)};
        f.online = (i + which) % 3 == 0;
        f.start1 = which ? QStringLiteral("15/10/12 08:00") : QStringLiteral("14/10/12 20:15");
        friend_rows::add(c.table, f);
    }
    c.stamp = which ? QStringLiteral("15/10 - 08:00") : QStringLiteral("14/10 - 20:15");
    c.values = {"1",   "0",
                "ann", which ? "second secret" : "secret",
                "15",  "1",
                "0",   "1",
                "0",   QString::number(which)};
    return c;
}

// The save as the window makes it: the history, then the settings.
void save(const QString &dir, const Contents &c)
{
    history::writeFile(historyFilePath(dir), c.table, c.stamp);
    settings::writeFile(settingsFilePath(dir), c.values);
}

// The child: saves the two contents in turn until it is killed, saying once that it has begun.
int saveLoop(const QString &dir)
{
    const Contents both[] = {contents(0), contents(1)};
    for (int i = 1;; ++i) {
        save(dir, both[i % 2]);
        if (i == 1) {
            std::fputs("saving\n", stdout);
            std::fflush(stdout);
        }
    }
}

int killCount()
{
    const int fromEnvironment = qEnvironmentVariableIntValue("AMISCAN_KILL_COUNT");
    return fromEnvironment > 0 ? fromEnvironment : 200;
}

} // namespace

class TestKillSave : public QObject
{
    Q_OBJECT

private slots:
    void killedSaves_leaveOneWholeFileEach_andNothingPilesUp()
    {
        // The two whole files of each kind, as saving them gives them.
        QTemporaryDir reference;
        QList<QByteArray> histories, settingsFiles;
        QElapsedTimer cycle;
        for (const int which : {0, 1, 0}) {
            cycle.start();
            save(reference.path(), contents(which));
            histories << fileBytes(historyFilePath(reference.path()));
            settingsFiles << fileBytes(settingsFilePath(reference.path()));
        }
        QCOMPARE(settingsFiles.at(2), settingsFiles.at(0)); // one content gives one file
        const qint64 cycleMs = std::max<qint64>(cycle.elapsed(), 5);

        QTemporaryDir dir;
        save(dir.path(), contents(0));
        const QStringList expectedEntries{QStringLiteral("Amiscan.ini"),
                                          QStringLiteral("Amiscan.txt")};
        int oldHistory = 0, newHistory = 0, leftovers = 0;
        const int kills = killCount();
        for (int kill = 0; kill < kills; ++kill) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {SaveLoopArgument, dir.path()});
            QVERIFY(child.waitForReadyRead(20000));
            // Anywhere within the next two history and settings saves.
            QTest::qSleep(int(QRandomGenerator::global()->bounded(2 * cycleMs)));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(5000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            const QByteArray history = fileBytes(historyFilePath(dir.path()));
            QVERIFY2(histories.contains(history),
                     qPrintable(QStringLiteral("history torn at kill %1: %2 bytes")
                                    .arg(kill)
                                    .arg(history.size())));
            (history == histories.at(0) ? oldHistory : newHistory)++;
            QVERIFY2(settingsFiles.contains(fileBytes(settingsFilePath(dir.path()))),
                     qPrintable(QStringLiteral("settings torn at kill %1").arg(kill)));
            // At most the side file of a save cut short, which the next save replaces.
            QStringList entries =
                QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            leftovers += int(entries.removeAll(QStringLiteral("Amiscan.ini.saving")));
            leftovers += int(entries.removeAll(QStringLiteral("Amiscan.txt.saving")));
            QVERIFY2(
                entries == expectedEntries,
                qPrintable(QStringLiteral("kill %1 left %2").arg(kill).arg(entries.join(u' '))));
        }
        save(dir.path(), contents(0));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 expectedEntries);
        // Both contents were found, so the kills fell at different points of the saves.
        qInfo("%d kills: the history was the first content %d times, the second %d times; a side "
              "file was left %d times",
              kills, oldHistory, newHistory, leftovers);
        QVERIFY(oldHistory > 0 && newHistory > 0);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == SaveLoopArgument)
        return saveLoop(arguments.at(2));
    TestKillSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_kill_save.moc"
