// What start-up decides before the window: the command line, the data directory, and one copy
// per data directory.
#include "app/command_line.h"
#include "app/data_location.h"
#include "app/single_copy.h"
#include "file_faults.h"
#include "platform/helper_process_browser.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace amiscan;
using Action = CommandLine::Action;
Q_DECLARE_METATYPE(amiscan::DataLocationFacts)

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("result"); // the data directory (and " verbose"), or the error
        QTest::newRow("none") << QStringList{} << Action::Run << QString();
        QTest::newRow("-h") << QStringList{"-h"} << Action::ShowHelp << QString();
        QTest::newRow("version") << QStringList{"--version"} << Action::ShowVersion << QString();
        QTest::newRow("dir") << QStringList{"--data-dir", "/srv/a//b/"} << Action::Run
                             << "/srv/a/b";
        QTest::newRow("relative dir")
            << QStringList{"--data-dir=x/../y"} << Action::Run << QDir::currentPath() + "/y";
        QTest::newRow("Qt's options")
            << QStringList{"-platform", "offscreen", "-session", "s1", "-style=fusion"}
            << Action::Run << QString();
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << Action::Refuse << "Unknown option 'bogus'.";
        QTest::newRow("argument") << QStringList{"a.txt"} << Action::Refuse
                                  << "Unexpected argument 'a.txt'.";
        QTest::newRow("dir missing")
            << QStringList{"--data-dir"} << Action::Refuse << "Missing value after '--data-dir'.";
        QTest::newRow("dir empty") << QStringList{"--data-dir="} << Action::Refuse
                                   << "The option --data-dir needs a directory.";
        QTest::newRow("verbose") << QStringList{"-verbose", "--data-dir=/d"} << Action::Run
                                 << "/d verbose";
        QTest::newRow("verbose with a value") << QStringList{"--verbose=1"} << Action::Refuse
                                              << "Unexpected value after '--verbose'.";
        QTest::newRow("export")
            << QStringList{"--export=CSV", "--from", "2026-03-01", "--to",     "2026-03-02",
                           "--friend",     "a",      "--friend=b", "--output", "x.csv"}
            << Action::Export << "csv 2026-03-01T00:00:00 2026-03-02T23:59:59 a,b x.csv";
        QTest::newRow("export at a time")
            << QStringList{"--export", "ics", "--to=2026-03-01T18:30+01:00"} << Action::Export
            << "ics  2026-03-01T18:30:00  ";
        QTest::newRow("export format") << QStringList{"--export", "xml"} << Action::Refuse
                                       << "The format of --export is csv, json or ics, not 'xml'.";
        QTest::newRow("export date")
            << QStringList{"--export", "json", "--from", "2026-02-30"} << Action::Refuse
            << "Cannot read the date '2026-02-30' of --from: give YYYY-MM-DD or an ISO 8601 date "
               "and time such as 2026-03-01T18:30.";
        QTest::newRow("export dates in turn")
            << QStringList{"--export", "json", "--from", "2026-03-02", "--to", "2026-03-01"}
            << Action::Refuse << "The date of --from comes after that of --to.";
        QTest::newRow("export's option alone") << QStringList{"--friend", "a"} << Action::Refuse
                                               << "The option --friend goes with --export.";
        QTest::newRow("forget") << QStringList{"--forget", "a b"} << Action::Forget << "forget a b";
        QTest::newRow("windows") << QStringList{"--minimized", "--preferences"} << Action::Run
                                 << " minimized preferences";
        QTest::newRow("history") << QStringList{"--history"} << Action::Run << " history";
        QTest::newRow("two windows")
            << QStringList{"--history", "--preferences"} << Action::Refuse
            << "The options --preferences and --history exclude each other.";
        QTest::newRow("forget and export")
            << QStringList{"--forget", "a", "--export", "csv"} << Action::Refuse
            << "The options --export and --forget go one at a time.";
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        const CommandLine line = parseCommandLine(QStringList{"amiscan"} + arguments);
        QTEST(line.action, "action");
        const PeriodQuery &query = line.exportQuery;
        const auto time = [](const QDateTime &t) { return t.toString("yyyy-MM-ddTHH:mm:ss"); };
        const QString format = line.exportFormat == ExportFormat::Csv ? "csv" : "ics";
        const QString window = QStringList{"", " preferences", " history"}.at(int(line.window));
        const QStringList exported{format, time(query.from), time(query.to),
                                   query.friends.join(','), line.output};
        QTEST(line.action == Action::Refuse   ? line.error
              : line.action == Action::Export ? exported.join(' ')
              : line.action == Action::Forget ? "forget " + line.forgetUser
                                              : line.dataDir + (line.verbose ? " verbose" : "") +
                                                    (line.minimized ? " minimized" : "") + window,
              "result");
    }

    void chooseDataDir_data()
    {
        QTest::addColumn<DataLocationFacts>("facts");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("asked for") << DataLocationFacts{"/d", "/exe", false, true, "/user"} << "/d";
        QTest::newRow("unpacked, writable")
            << DataLocationFacts{"", "/exe", true, false, "/user"} << "/exe";
        QTest::newRow("unpacked, read-only")
            << DataLocationFacts{"", "/exe", false, false, "/user"} << "/user";
    }

    void chooseDataDir()
    {
        QFETCH(DataLocationFacts, facts);
        QTEST(amiscan::chooseDataDir(facts), "chosen");
    }

    // An installed program finds its browser helper wherever the libexec folder was configured.
    void browserHelper_besideOrWhereInstalled_data()
    {
        QTest::addColumn<QStringList>("helpers");
        QTest::addColumn<QString>("installedPath");
        QTest::addColumn<QString>("found");
        const QString multiarch = "../lib/x86_64-linux-gnu/amiscan/amiscan-browser";
        QTest::newRow("beside the program")
            << QStringList{"bin/amiscan-browser", multiarch} << multiarch << "bin/amiscan-browser";
        QTest::newRow("another libexec folder")
            << QStringList{"lib/x86_64-linux-gnu/amiscan/amiscan-browser"} << multiarch
            << "lib/x86_64-linux-gnu/amiscan/amiscan-browser";
        QTest::newRow("missing: the first place")
            << QStringList{} << multiarch << "bin/amiscan-browser";
    }

    void browserHelper_besideOrWhereInstalled()
    {
        QFETCH(QStringList, helpers);
        QFETCH(QString, installedPath);
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath("bin"));
        for (const QString &helper : helpers) {
            QVERIFY(QDir(prefix.path()).mkpath(QFileInfo(helper).path()));
            QFile file(prefix.filePath(helper));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setPermissions(QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner));
        }
        const QString found =
            HelperProcessBrowser::findHelper(prefix.filePath("bin"), installedPath);
        QTEST(QDir(prefix.path()).relativeFilePath(QDir::cleanPath(found)), "found");
    }

    void prepare_createsDirectories_andRefusesAFile()
    {
        QTemporaryDir root;
        QString error;
        QVERIFY2(prepareDataDir(root.filePath("a/b"), &error), qPrintable(error));
        QVERIFY(prepareDataDir(root.filePath("a/b"), &error));
        QFile file(root.filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(!prepareDataDir(file.fileName(), &error));
        QVERIFY(error.contains("not a directory"));
        QVERIFY(!prepareDataDir(file.fileName() + "/sub", &error));
    }

    // One lock lies in the user's runtime directory, which no one else can enter to take its
    // name first, the other in the data directory, which every way to it leads to; a copy
    // killed leaves its locks and its channel's socket, which do not block the next.
    void singleCopy_perDataDirectory_data()
    {
        QTest::addColumn<QString>("second");
        QTest::newRow("same runtime directory") << "same";
        QTest::newRow("another runtime directory") << "runtime";
        QTest::newRow("through a bind mount") << "mount";
    }
    void singleCopy_perDataDirectory()
    {
        QFETCH(QString, second);
        QTemporaryDir runtime, otherRuntime, dir, other, mountPoint;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const QString lock = SingleInstance::lockPathFor(dir.path());
        QCOMPARE(QFileInfo(lock).absolutePath(), runtime.path());
        {
            SingleInstance first(dir.path());
            QVERIFY(first.tryAcquire());
            std::optional<testing::BindMount> mount;
            if (second == "mount" && !mount.emplace(dir.path(), mountPoint.path()).active)
                QSKIP("a bind mount needs full rights, and mounting was refused");
            if (second == "runtime")
                qputenv("XDG_RUNTIME_DIR", QFile::encodeName(otherRuntime.path()));
            // Its message: the end-to-end run.
            QVERIFY(!SingleInstance(mount ? mountPoint.path() : dir.path()).tryAcquire());
            SingleInstance elsewhere(other.path());
            QVERIFY(elsewhere.tryAcquire());
        }
        QProcess gone;
        gone.start("sleep", {"0.1"});
        QVERIFY(gone.waitForStarted());
        const qint64 pid = gone.processId();
        QVERIFY(gone.waitForFinished());
        for (const QString &path : {lock, SingleInstance::dataDirLockPathFor(dir.path()),
                                    CopyChannel::nameFor(dir.path())}) {
            QFile stale(path);
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write(QByteArray::number(pid) + "\namiscan\n" +
                        QSysInfo::machineHostName().toUtf8() + "\n");
        }
        SingleInstance next(dir.path());
        CopyChannel channel(dir.path());
        QVERIFY(claimSingleCopy(next, channel, {}));
        QVERIFY2(channel.isListening(), qPrintable(channel.errorString()));
        QCOMPARE(QFileInfo(CopyChannel::nameFor(dir.path())).permissions() & 0x0077, 0); // owner's
    }

    // A later start's requests are lines: the ones not known, and one too long to be a request,
    // are let go. (A later start's own request: the main window's test.)
    void copyChannel_takesKnownLinesOnly_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("shows");
        QTest::newRow("show") << QByteArray("show\n") << 1;
        QTest::newRow("unknown lines, an unended one")
            << QByteArray("--history\nshow\r\nshow") << 1;
        QTest::newRow("too long") << QByteArray(300, 'x') + "\nshow\n" << 0;
    }
    void copyChannel_takesKnownLinesOnly()
    {
        QFETCH(QByteArray, sent);
        QTemporaryDir runtime, dir;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        CopyChannel channel(dir.path());
        QVERIFY(channel.listen());
        QSignalSpy shows(&channel, &CopyChannel::showRequested);
        QSignalSpy accepted(channel.findChild<QLocalServer *>(), &QLocalServer::newConnection);
        QLocalSocket later;
        later.connectToServer(CopyChannel::nameFor(dir.path()));
        QVERIFY(later.waitForConnected() && later.write(sent) == sent.size());
        later.disconnectFromServer();
        // Its end of the connection goes once all it received has been read.
        QVERIFY(accepted.wait());
        QTRY_VERIFY(channel.findChildren<QLocalSocket *>().isEmpty());
        QTEST(int(shows.count()), "shows");
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
