// One copy per data directory, and a killed copy does not block the next one.
#include "app/single_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;

class TestSingleInstance : public QObject
{
    Q_OBJECT

    // The user's runtime directory for this test and the program it starts.
    QTemporaryDir m_runtime;

private slots:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path())); }

    // No one else can enter the user's runtime directory, so no one else can take the name first.
    void guards_oneCopyPerDirectory_inTheRuntimeDirectory()
    {
        QTemporaryDir dir, other;
        QCOMPARE(QFileInfo(SingleInstance::lockPathFor(dir.path())).absolutePath(),
                 m_runtime.path());
        {
            SingleInstance first(dir.path());
            QVERIFY(first.tryAcquire());
            QStringList shown;
            SingleInstance second(dir.path());
            QVERIFY(!claimSingleCopy(second, [&](const QString &title, const QString &text) {
                shown << title << text;
            }));
            QCOMPARE(shown, (QStringList{RefusalTitle, RefusalText}));
            SingleInstance elsewhere(other.path());
            QVERIFY(elsewhere.tryAcquire());
        }
        SingleInstance next(dir.path());
        QVERIFY(claimSingleCopy(next, [](const QString &, const QString &) { QFAIL("refused"); }));
    }

    void killedProgram_doesNotBlockTheNextCopy()
    {
        // A copy of the program keeps its files beside it, in a directory of its own.
        QTemporaryDir dir;
        const QString program = dir.filePath("amiscan");
        QVERIFY(QFile::copy(AMISCAN_EXECUTABLE, program));
        QProcess first;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        first.setProcessEnvironment(env);
        first.start(program);
        const QString lock = SingleInstance::lockPathFor(dir.path());
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(lock); }, 20000));
        SingleInstance second(dir.path());
        QVERIFY(!second.tryAcquire());
        first.kill();
        QVERIFY(first.waitForFinished());
        QVERIFY(QFile::exists(lock));
        QVERIFY(second.tryAcquire());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
