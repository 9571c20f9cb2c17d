// One copy per data directory, and a killed copy does not block the next one.
#include "app/single_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;

namespace {

// The program keeps its files beside its executable, so each run gets a copy of it in a
// directory of its own.
QString copyProgramInto(const QTemporaryDir &dir)
{
    const QString target = QDir(dir.path()).filePath(QStringLiteral("amiscan"));
    if (!QFile::copy(QStringLiteral(AMISCAN_EXECUTABLE), target))
        return {};
    QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner);
    return target;
}

void startProgram(QProcess &process, const QString &program)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setProgram(program);
    process.start();
}

bool waitForLock(const QString &dataDir, int timeoutMs = 20000)
{
    const QString lock = SingleInstance::lockPathFor(dataDir);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (QFile::exists(lock))
            return true;
        QTest::qWait(50);
    }
    return false;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    // The user's runtime directory for this test and the programs it starts.
    QTemporaryDir m_runtime;

private slots:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path())); }

    // No one else can enter the user's runtime directory, so no one else can take the lock's
    // name first.
    void lock_liesInTheUsersRuntimeDirectory()
    {
        QTemporaryDir dir;
        QCOMPARE(QFileInfo(SingleInstance::lockPathFor(dir.path())).absolutePath(),
                 m_runtime.path());
    }

    void secondGuard_sameDirectory_isRefused()
    {
        QTemporaryDir dir;
        SingleInstance first(dir.path());
        QVERIFY(first.tryAcquire());
        SingleInstance second(dir.path());
        QVERIFY(!second.tryAcquire());
        // Another data directory is another program.
        QTemporaryDir other;
        SingleInstance elsewhere(other.path());
        QVERIFY(elsewhere.tryAcquire());
    }

    void guardReleased_nextCopyStarts()
    {
        QTemporaryDir dir;
        {
            SingleInstance first(dir.path());
            QVERIFY(first.tryAcquire());
        }
        SingleInstance next(dir.path());
        QVERIFY(next.tryAcquire());
    }

    void runningProgram_refusesSecondCopy_thenKilledCopyDoesNotBlock()
    {
        QTemporaryDir dir;
        const QString program = copyProgramInto(dir);
        QVERIFY(!program.isEmpty());

        QProcess first;
        startProgram(first, program);
        QVERIFY(first.waitForStarted());
        QVERIFY2(waitForLock(dir.path()), "the first copy never took its lock");

        // While the first copy runs, this directory is taken.
        SingleInstance second(dir.path());
        QVERIFY(!second.tryAcquire());
        QCOMPARE(first.state(), QProcess::Running);

        // A copy that is killed leaves its lock behind; it must not block the next start.
        first.kill();
        QVERIFY(first.waitForFinished());
        QVERIFY(QFile::exists(SingleInstance::lockPathFor(dir.path())));
        QVERIFY(second.tryAcquire());
    }

    void secondCopy_isRefusedWithItsMessage_whileFirstKeepsRunning()
    {
        QTemporaryDir dir;
        const QString program = copyProgramInto(dir);
        QVERIFY(!program.isEmpty());

        QProcess first;
        startProgram(first, program);
        QVERIFY(first.waitForStarted());
        QVERIFY(waitForLock(dir.path()));

        // A second copy for the same directory shows the refusal and may not run.
        QStringList shown;
        SingleInstance secondGuard(dir.path());
        const bool runs =
            claimSingleCopy(secondGuard, [&](const QString &title, const QString &text) {
                shown << title << text;
            });
        QVERIFY(!runs);
        QCOMPARE(shown, (QStringList{"Amiscan", "This program already run !"}));

        // The real second program, waiting on its message, leaves the first copy's lock alone.
        QProcess second;
        startProgram(second, program);
        QVERIFY(second.waitForStarted());
        QTest::qWait(1500);
        QFile lock(SingleInstance::lockPathFor(dir.path()));
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QCOMPARE(lock.readLine().trimmed().toLongLong(), first.processId());
        QCOMPARE(second.state(), QProcess::Running);
        second.kill();
        second.waitForFinished();
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        QVERIFY(first.waitForFinished(10000));
    }

    void claim_whenFree_showsNothing()
    {
        QTemporaryDir dir;
        SingleInstance guard(dir.path());
        bool shown = false;
        QVERIFY(claimSingleCopy(guard, [&](const QString &, const QString &) { shown = true; }));
        QVERIFY(!shown);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
