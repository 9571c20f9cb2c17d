// The program as installed: `cmake --install` into a temporary prefix puts the program, its
// browser helper and its desktop files in place and nothing else; the installed copy answers its
// command line without a display, scans through the installed helper, keeps its files in the
// user's data directory of a home of its own, and refuses a second copy.
#include "app/single_copy.h"
#include "ui/main_state.h"
#include "vey_sim_process.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;

namespace {

const QString AppId = QStringLiteral(AMISCAN_APP_ID);
const QString UserDataPath = QStringLiteral(".local/share/Amiscan");

QStringList filesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

// What installing puts under the prefix, and nothing more: not the simulator, not the tests,
// and no file of the program's own beside the executable.
QStringList installedFiles()
{
    QStringList files{"bin/amiscan",
                      "libexec/amiscan/amiscan-browser",
                      "share/applications/" + AppId + ".desktop",
                      "share/man/man1/amiscan.1.gz",
                      "share/metainfo/" + AppId + ".metainfo.xml",
                      "share/icons/hicolor/scalable/apps/" + AppId + ".svg"};
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        files << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId);
    files.sort();
    return files;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestInstalledProgram : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prefix;

    // Starts the installed program with `home` as its home directory and no display of its
    // own: offscreen when `offscreen`, otherwise none at all.
    void start(QProcess &process, const QString &home, const QStringList &arguments,
               bool offscreen = true)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), home);
        if (offscreen)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(m_prefix.filePath(QStringLiteral("bin/amiscan")), arguments);
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    }

    static void stop(QProcess &process)
    {
        process.kill();
        process.waitForFinished();
    }

private slots:
    void initTestCase()
    {
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(
            QStringLiteral(CMAKE_COMMAND),
            {"--install", QStringLiteral(AMISCAN_BUILD_DIR), "--prefix", m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    }

    void installs_theProgramAndItsDesktopFiles_only()
    {
        QCOMPARE(filesUnder(m_prefix.path()), installedFiles());
    }

    void commandLine_isAnsweredWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << "Amiscan " + programVersionText() + "\n"
                                 << QString();
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << 2 << QString()
            << "amiscan: Unknown option 'bogus'.\nTry 'amiscan --help' for the options.\n";
    }

    void commandLine_isAnsweredWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir home;
        QProcess process;
        start(process, home.path(), arguments, false);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QTEST(process.exitCode(), "exitCode");
        QTEST(QString::fromLocal8Bit(process.readAllStandardOutput()), "out");
        QTEST(QString::fromLocal8Bit(process.readAllStandardError()), "err");
        // It never got as far as the data directory.
        QVERIFY(QDir(home.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    void firstStart_makesAPrivateUserDataDirectory()
    {
        QTemporaryDir home;
        const QString dataDir = QDir(home.path()).filePath(UserDataPath);
        QProcess program;
        start(program, home.path(), {});
        QVERIFY2(QTest::qWaitFor([&] { return QFileInfo::exists(dataDir); }, 20000),
                 program.readAllStandardError().constData());
        // Every directory it made is its owner's alone.
        const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        for (const char *made : {".local", ".local/share", ".local/share/Amiscan"})
            QCOMPARE(QFile::permissions(QDir(home.path()).filePath(QLatin1StringView(made))) &
                         others,
                     QFile::Permissions());
        QCOMPARE(program.state(), QProcess::Running);
        stop(program);
    }

    void scan_keepsTheFilesInTheUserDataDirectory_andASecondCopyIsRefused()
    {
        VeySimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        // The settings a user would have left, pointing at the local service.
        QTemporaryDir home;
        const QDir dataDir(QDir(home.path()).filePath(UserDataPath));
        QVERIFY(dataDir.mkpath(QStringLiteral(".")));
        QFile settings(dataDir.filePath(QStringLiteral("Amiscan.ini")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Parameters]\r\nAutoStart=1\r\nUserName=demo\r\nUserPw=demo123\r\n"
                       "ServiceUrl=" +
                       sim.baseUrl().toString().toUtf8() + "\r\n");
        settings.close();

        QProcess first;
        start(first, home.path(), {});
        const QString history = dataDir.filePath(QStringLiteral("Amiscan.txt"));
        QVERIFY2(QTest::qWaitFor([&] { return readFile(history).startsWith("Friends ("); }, 90000),
                 first.readAllStandardError().constData());
        QVERIFY(!sim.requests().isEmpty());

        QProcess second;
        start(second, home.path(), {});
        QByteArray refusal;
        QVERIFY(QTest::qWaitFor(
            [&] {
                refusal += second.readAllStandardError();
                return refusal.contains(RefusalText.toUtf8());
            },
            20000));
        stop(second);
        QCOMPARE(first.state(), QProcess::Running);
        stop(first);
        QVERIFY(sim.stop());
        QCOMPARE(filesUnder(m_prefix.path()), installedFiles());
    }
};

QTEST_GUILESS_MAIN(TestInstalledProgram)
#include "test_installed_program.moc"
