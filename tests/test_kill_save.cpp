// Saves killed at random instants: a child process saves a large history and the settings over
// and over, alternating between two contents, and is killed with SIGKILL; each file must then be
// one of the two whole. AMISCAN_KILL_COUNT sets the number of kills (200 at least).
#include "file_faults.h"
#include "friend_rows.h"
#include "store/data_dir.h"
#include "store/history_file.h"
#include "store/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

// Saves the history, then the settings, as the window does, with one of two contents.
void save(const QString &dir, int which)
{
    static FriendsTable tables[2];
    FriendsTable &table = tables[which];
    for (int i = table.friendCount(); i < 5000; ++i) {
        friend_rows::Friend f{QStringLiteral("Friend %1").arg(i, 5, 10, QChar(u'0')),
                              QStringLiteral("friend.%1").arg(i), (i + which) % 3 == 0};
        f.start1 = which ? "15/10/12 08:00" : "14/10/12 20:15";
        friend_rows::add(table, f);
    }
    history::writeFile(historyFilePath(dir), table, which ? "15/10 - 08:00" : "14/10 - 20:15");
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
        for (const int which : {0, 1}) {
            cycle.start();
            save(reference.path(), which);
            histories << fileBytes(historyFilePath(reference.path()));
            settingsFiles << fileBytes(settingsFilePath(reference.path()));
        }
        const qint64 cycleMs = std::max<qint64>(cycle.elapsed(), 5);
        QTemporaryDir dir;
        save(dir.path(), 0);
        int firstContent = 0;
        const int kills = std::max(qEnvironmentVariableIntValue("AMISCAN_KILL_COUNT"), 200);
        for (int kill = 0; kill < kills; ++kill) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--save-loop", dir.path()});
            QVERIFY(child.waitForReadyRead(20000));
            QTest::qSleep(int(QRandomGenerator::global()->bounded(2 * cycleMs)));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(5000));
            const QByteArray history = fileBytes(historyFilePath(dir.path()));
            QVERIFY2(histories.contains(history),
                     qPrintable(QStringLiteral("history torn at kill %1").arg(kill)));
            firstContent += history == histories.at(0);
            QVERIFY2(settingsFiles.contains(fileBytes(settingsFilePath(dir.path()))),
                     qPrintable(QStringLiteral("settings torn at kill %1").arg(kill)));
            // A save cut short may leave its side file, which the next save replaces.
            QCOMPARE(QDir(dir.path())
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                         .filter(QRegularExpression("^(?!.*\\.saving$)")),
                     (QStringList{"Amiscan.ini", "Amiscan.txt"}));
        }
        // Both contents were found, so the kills fell at different points of the saves.
        qInfo("%d kills, the first content found %d times", kills, firstContent);
        QVERIFY(firstContent > 0 && firstContent < kills);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == "--save-loop") {
        for (int i = 1;; ++i) {
            save(arguments.at(2), i % 2);
            if (i == 1)
                std::fputs("saving\n", stdout), std::fflush(stdout);
        }
    }
    TestKillSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_kill_save.moc"
