// The command line and the rule that picks the data directory.
#include "app/command_line.h"
#include "app/data_location.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;
using Action = CommandLine::Action;

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("dataDir");
        QTest::addColumn<QString>("error");
        const QString cwd = QDir::currentPath();
        QTest::newRow("none") << QStringList{} << Action::Run << QString() << QString();
        QTest::newRow("help") << QStringList{"--help"} << Action::ShowHelp << QString()
                              << QString();
        QTest::newRow("-h") << QStringList{"-h"} << Action::ShowHelp << QString() << QString();
        QTest::newRow("version") << QStringList{"--version"} << Action::ShowVersion << QString()
                                 << QString();
        QTest::newRow("absolute dir")
            << QStringList{"--data-dir", "/srv/a//b/"} << Action::Run << "/srv/a/b" << QString();
        QTest::newRow("relative dir")
            << QStringList{"--data-dir=x/../y"} << Action::Run << cwd + "/y" << QString();
        QTest::newRow("Qt's options")
            << QStringList{"-platform", "offscreen", "-reverse", "-session", "s1", "-style=fusion"}
            << Action::Run << QString() << QString();
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << Action::Refuse << QString() << "Unknown option 'bogus'.";
        QTest::newRow("argument") << QStringList{"friends.txt"} << Action::Refuse << QString()
                                  << "Unexpected argument 'friends.txt'.";
        QTest::newRow("dir missing") << QStringList{"--data-dir"} << Action::Refuse << QString()
                                     << "Missing value after '--data-dir'.";
        QTest::newRow("dir empty") << QStringList{"--data-dir="} << Action::Refuse << QString()
                                   << "The option --data-dir needs a directory.";
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        const CommandLine line = parseCommandLine(QStringList{"amiscan"} + arguments);
        QTEST(line.action, "action");
        QTEST(line.dataDir, "dataDir");
        QTEST(line.error, "error");
    }

    void chooseDataDir_data()
    {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("asked for") << "/d" << false << true << "/d";
        QTest::newRow("unpacked, writable") << "" << true << false << "/exe";
        QTest::newRow("unpacked, read-only") << "" << false << false << "/user";
        QTest::newRow("installed, read-only") << "" << false << true << "/user";
        QTest::newRow("installed, writable") << "" << true << true << "/user";
    }

    void chooseDataDir()
    {
        QFETCH(QString, requested);
        QFETCH(bool, writable);
        QFETCH(bool, installed);
        QTEST(amiscan::chooseDataDir({requested, "/exe", writable, installed, "/user"}), "chosen");
    }

    // The modes are checked where the installed program makes its directory.
    void prepare_createsDirectories_andRefusesAFile()
    {
        QTemporaryDir root;
        const QString dir = root.filePath(QStringLiteral("a/b"));
        QString error;
        QVERIFY2(prepareDataDir(dir, &error), qPrintable(error));
        QVERIFY(QFileInfo(dir).isDir());
        QVERIFY(prepareDataDir(dir, &error)); // already there

        QFile file(root.filePath(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(!prepareDataDir(file.fileName(), &error));
        QVERIFY(error.contains(QStringLiteral("not a directory")));
        QVERIFY(!prepareDataDir(file.fileName() + QStringLiteral("/sub"), &error));
        QVERIFY(error.startsWith(QStringLiteral("Cannot create")));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
