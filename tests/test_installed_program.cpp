// The program as installed: `cmake --install` into a temporary prefix puts the program, its
// browser helper and its desktop files in place and nothing else; the installed copy answers its
// command line without a display, scans through the installed helper, keeps its files in the
// user's data directory of a home of its own, and refuses a second copy.
#include "app/main_state.h"
#include "app/single_copy.h"
#include "vey_sim_process.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;

class TestInstalledProgram : public QObject
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

    // The installed program with `home` as its home and no display: offscreen, or none at all.
    void start(QProcess &process, const QString &home, const QStringList &arguments = {},
               bool offscreen = true)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("HOME", home);
        if (offscreen)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
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
                             "share/icons/hicolor/scalable/apps/" + id + ".svg"};
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            expected << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(id);
        expected.sort();
        QCOMPARE(m_installed, expected);
    }

    void commandLine_isAnsweredWithoutADisplay_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("version") << "--version" << 0 << "Amiscan " + programVersionText() + "\n";
        QTest::newRow("unknown option")
            << "--bogus" << 2
            << "amiscan: Unknown option 'bogus'.\nTry 'amiscan --help' for the options.\n";
    }

    void commandLine_isAnsweredWithoutADisplay()
    {
        QFETCH(QString, argument);
        QTemporaryDir home;
        QProcess process;
        start(process, home.path(), {argument}, false);
        QVERIFY(process.waitForFinished(10000));
        QTEST(process.exitCode(), "exitCode");
        QTEST(QString::fromLocal8Bit(process.readAllStandardOutput() +
                                     process.readAllStandardError()),
              "output");
        // It never got as far as the data directory.
        QVERIFY(QDir(home.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    void keepsItsFilesInAPrivateUserDirectory_andASecondCopyIsRefused()
    {
        VeySimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        QTemporaryDir home;
        const QDir dataDir(home.filePath(".local/share/Amiscan"));
        {
            // The first start makes the directories, each its owner's alone.
            QProcess first;
            start(first, home.path());
            QVERIFY2(QTest::qWaitFor([&] { return dataDir.exists(); }, 20000),
                     first.readAllStandardError().constData());
            first.kill();
            QVERIFY(first.waitForFinished());
            const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
            for (const char *made : {".local", ".local/share", ".local/share/Amiscan"})
                QCOMPARE(QFile::permissions(home.filePath(made)) & others, QFile::Permissions());
        }
        // Settings as a user would have left them, pointing at the local service.
        QFile settings(dataDir.filePath("Amiscan.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(
            "[Parameters]\r\nAutoStart=1\r\nUserName=demo\r\nUserPw=demo123\r\nServiceUrl=" +
            sim.baseUrl().toEncoded() + "\r\n");
        settings.close();
        QProcess first;
        start(first, home.path());
        const auto scanned = [&] {
            QFile history(dataDir.filePath("Amiscan.txt"));
            return history.open(QIODevice::ReadOnly) && history.read(9) == "Friends (";
        };
        QVERIFY2(QTest::qWaitFor(scanned, 90000), first.readAllStandardError().constData());
        QProcess second;
        start(second, home.path());
        QByteArray refusal;
        QVERIFY(QTest::qWaitFor(
            [&] {
                return (refusal += second.readAllStandardError()).contains(RefusalText.toUtf8());
            },
            20000));
        second.kill();
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        QVERIFY(first.waitForFinished() && second.waitForFinished());
        QCOMPARE(filesUnderPrefix(), m_installed);
    }
};

QTEST_GUILESS_MAIN(TestInstalledProgram)
#include "test_installed_program.moc"
