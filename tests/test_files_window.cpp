// The main window with its two files: what start-up reads into the state and the controls,
// and when the window writes the files.
#include "store/data_dir.h"
#include "store/settings_file.h"
#include "fake_platform.h"
#include "file_faults.h"
#include "schedule/interval.h"
#include "ui/form1.h"
#include "widget_test_main.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

const QByteArray HistoryFile =
    "Friends (2)         :     Start      -      End       - Length:     Start      -      End"
    "       - Length: F : User Name (14/10 - 21:05)\r\n"
    "--------------------+-----------------------------------------+---------------------------"
    "--------------+---+--------------------------\r\n"
    "Example Friend Name : 14/10/12 20:15 - .. .. .. .. .. > .. .. : 13/10/12 18:02 - 13/10/12 "
    "19:47 > 01:45 : X : exampleuser\r\n"
    "usertwo\xB2            : 12/10/12 09:30 - 12/10/12 11:05 > 01:35 : .. .. .. .. .. - .. .. .."
    " .. .. > .. .. : - : usertwo\r\n";

QByteArray settingsFile(const QByteArray &scanTimer = "20", const QByteArray &extra = {})
{
    return "[Parameters]\r\nAutoStart=0\r\nAutoHide=0\r\nUserName=ann\r\nUserPw=pw\r\n"
           "ScanTimer=" +
           scanTimer +
           "\r\nTimerOn=1\r\nFilter=1\r\nFriendsOff=1\r\nDisplayUser=1\r\nMinimizeIcon=0\r\n" +
           extra;
}

QStringList asideFiles(const QTemporaryDir &dir)
{
    return QDir(dir.path())
        .entryList({QStringLiteral("Amiscan.unreadable-*")}, QDir::AllEntries | QDir::System);
}

} // namespace

class TestFilesWindow : public QObject
{
    Q_OBJECT

private slots:
    void startUp_readsBothFilesIntoTheWindow()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(historyFilePath(dir.path()), HistoryFile));
        QVERIFY(writeBytes(settingsFilePath(dir.path()),
                           settingsFile("20", "ServiceUrl=http://127.0.0.1:5000\r\n")));
        Form1 form(dir.path());
        form.load();

        QVERIFY(form.state.dataPresent);
        QCOMPARE(form.state.lastScanStamp, QStringLiteral("14/10 - 21:05"));
        QCOMPARE(form.LabScanLast->text(), QStringLiteral(" Last Scan : 14/10 - 21:05"));
        QCOMPARE(form.table.friendCount(), 2);
        const int example = form.table.findByAccountName(QStringLiteral("exampleuser"));
        QVERIFY(example > 0);
        QCOMPARE(form.table.cell(example, Unselected), QStringLiteral("1"));
        QCOMPARE(form.table.cell(example, End2), QStringLiteral("13/10/12 19:47"));
        const int two = form.table.findByAccountName(QStringLiteral("usertwo"));
        QCOMPARE(form.table.cell(two, NameMark), QStringLiteral("\u00B2"));
        QCOMPARE(form.table.cell(two, DisplayName), QStringLiteral("usertwo"));

        QCOMPARE(form.state.userName, QStringLiteral("ann"));
        QCOMPARE(form.state.password, QStringLiteral("pw"));
        QCOMPARE(form.TextLogin->text(), QStringLiteral("ann"));
        QCOMPARE(form.TextPw->text(), QStringLiteral("**"));
        QCOMPARE(form.TextTimerScan->text(), QStringLiteral("20"));
        QCOMPARE(form.state.minutesLeft, QStringLiteral("20"));
        QVERIFY(form.CheckFlter->isChecked());
        QVERIFY(form.CheckHideOff->isChecked());
        QVERIFY(form.CheckUser->isChecked());
        QCOMPARE(form.state.sortNameMode, 1);
        QVERIFY(!form.CheckAutoStart->isChecked());
        QVERIFY(!form.CheckTray->isChecked());
        QCOMPARE(form.state.serviceUrl, QStringLiteral("http://127.0.0.1:5000"));
        QVERIFY(!form.state.notifyOnline); // a file of an earlier version
    }

    void readSettings_setsEveryOptionAndState()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(settingsFilePath(dir.path()),
                           "[parameters]\r\nautostart=1\r\nAUTOHIDE=1\r\nUserName=\r\n"
                           "UserPw=\"  two  \"\r\nTimerOn=0\r\nMinimizeIcon=1\r\n"
                           "NotifyOnline=1\r\n"));
        Form1 form(dir.path());
        form.setTrayIcon(std::make_unique<FakeTrayIcon>()); // the option adds the icon
        form.readSettings();
        QVERIFY(form.CheckAutoStart->isChecked());
        QCOMPARE(form.state.panelState, PanelState::Hidden);
        QCOMPARE(form.state.userName, QString()); // present but empty
        QCOMPARE(form.state.password, QStringLiteral("  two  "));
        QCOMPARE(form.TextTimerScan->text(), QString()); // missing: empty text
        QVERIFY(!form.state.repeatOn);
        QVERIFY(form.CheckTray->isChecked());
        QVERIFY(form.state.notifyOnline);
        QVERIFY(!form.CheckFlter->isChecked()); // missing flag: unchanged
        QVERIFY(form.state.serviceUrl.isEmpty());
    }

    void readSettings_ignoresFlagsOtherThanZeroOrOne()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(settingsFilePath(dir.path()),
                           "[Parameters]\r\nAutoStart=01\r\nAutoHide=2\r\nTimerOn=2\r\n"
                           "Filter=yes\r\nFriendsOff=true\r\nDisplayUser= 1x\r\n"
                           "NotifyOnline=on\r\n"));
        Form1 form(dir.path());
        form.readSettings();
        QVERIFY(!form.CheckAutoStart->isChecked());
        QCOMPARE(form.state.panelState, PanelState::Shown);
        QVERIFY(form.state.repeatOn);
        QVERIFY(!form.CheckFlter->isChecked());
        QVERIFY(!form.CheckHideOff->isChecked());
        QVERIFY(!form.CheckUser->isChecked());
        QVERIFY(!form.state.notifyOnline);
    }

    void emptyStoredUserName_showsThePlaceholderAndIsSavedAsIt()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(historyFilePath(dir.path()), HistoryFile));
        QVERIFY(
            writeBytes(settingsFilePath(dir.path()), "[Parameters]\r\nUserName=\r\nUserPw=\r\n"));
        Form1 form(dir.path());
        form.load();
        QCOMPARE(form.TextLogin->text(), texts::UserPlaceholder);
        QCOMPARE(form.TextPw->text(), texts::PasswordPlaceholder);
        QVERIFY(form.state.userName.isEmpty());
        form.saveSettings();
        const settings::ReadResult read = settings::readFile(settingsFilePath(dir.path()));
        QCOMPARE(read.values[settings::UserName], texts::UserPlaceholder);
        QCOMPARE(read.values[settings::UserPw], texts::PasswordPlaceholder);
        QCOMPARE(read.values[settings::ScanTimer], QStringLiteral("15"));
    }

    void storedInterval_goesThroughTheBoxChecks()
    {
        const QList<QPair<QByteArray, QString>> cases{{"abc", "15"}, {"", "15"},     {"0", "1"},
                                                      {"-3", "1"},   {"2.5", "2.5"}, {"7", "7"}};
        for (const auto &[stored, shown] : cases) {
            QTemporaryDir dir;
            QVERIFY(writeBytes(settingsFilePath(dir.path()), settingsFile(stored)));
            Form1 form(dir.path());
            form.load();
            QCOMPARE(form.TextTimerScan->text(), shown);
            QCOMPARE(form.state.minutesLeft, shown);
        }
        QCOMPARE(validatedInterval(QStringLiteral("1e400")), QStringLiteral("15"));
        QCOMPARE(validatedInterval(QStringLiteral("1,000")), QStringLiteral("15"));
        QCOMPARE(validatedInterval(QStringLiteral(" 3 ")), QStringLiteral(" 3 "));
    }

    void firstRun_writesNothingUntilAScanIsMerged()
    {
        QTemporaryDir dir;
        Form1 form(dir.path());
        form.load();
        QVERIFY(!form.state.dataPresent);
        form.saveHistory();
        form.waitForHistorySave();
        form.saveSettings();
        QVERIFY(QDir(dir.path()).isEmpty());
        QVERIFY(!form.state.dataPresent);

        form.state.scanState = ScanState::PageRead;
        form.saveHistory();
        form.waitForHistorySave();
        QVERIFY(form.state.dataPresent);
        QVERIFY(fileBytes(historyFilePath(dir.path())).startsWith("Friends (0)      :"));
        form.saveSettings();
        QVERIFY(QFileInfo::exists(settingsFilePath(dir.path())));
    }

    void settingsWithoutHistory_areLeftUntouched()
    {
        QTemporaryDir dir;
        const QByteArray stored = "; my notes\r\n" + settingsFile("20");
        QVERIFY(writeBytes(settingsFilePath(dir.path()), stored));
        Form1 form(dir.path());
        form.load();
        form.CheckFlter->setChecked(false);
        form.saveSettings();
        form.saveHistory();
        form.waitForHistorySave();
        QCOMPARE(fileBytes(settingsFilePath(dir.path())), stored);
        QVERIFY(!QFileInfo::exists(historyFilePath(dir.path())));
    }

    void saveSettings_keepsOtherLinesAndWritesTheWindowsValues()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(historyFilePath(dir.path()), HistoryFile));
        QVERIFY(writeBytes(settingsFilePath(dir.path()),
                           "; my notes\r\n" +
                               settingsFile("20", "ServiceUrl=http://127.0.0.1:5000\r\n")));
        Form1 form(dir.path());
        form.load();
        form.CheckFlter->setChecked(false);
        form.CheckAutoStart->setChecked(true);
        form.TextTimerScan->clear();
        form.state.panelState = PanelState::Hidden;
        form.saveSettings();
        QCOMPARE(fileBytes(settingsFilePath(dir.path())),
                 QByteArray("; my notes\r\n[Parameters]\r\nAutoStart=1\r\nAutoHide=1\r\n"
                            "UserName=ann\r\nUserPw=pw\r\nScanTimer=15\r\nTimerOn=1\r\n"
                            "Filter=0\r\nFriendsOff=1\r\nDisplayUser=1\r\nMinimizeIcon=0\r\n"
                            "ServiceUrl=http://127.0.0.1:5000\r\nNotifyOnline=0\r\n"));
        QCOMPARE(form.TextTimerScan->text(), QStringLiteral("15"));
    }

    void saveHistory_rewritesTheFileInNameOrder()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(historyFilePath(dir.path()), HistoryFile));
        Form1 form(dir.path());
        form.load();
        // Reorder the table: the file is still ordered by display name.
        QVERIFY(form.table.rebuild({form.table.findByAccountName(QStringLiteral("usertwo")),
                                    form.table.findByAccountName(QStringLiteral("exampleuser"))}));
        form.saveHistory();
        form.waitForHistorySave();
        QCOMPARE(fileBytes(historyFilePath(dir.path())), HistoryFile);
        QVERIFY(asideFiles(dir).isEmpty());
    }

    void unreadableFile_isKeptAsideBeforeTheFirstSave_data()
    {
        QTest::addColumn<bool>("history");
        QTest::addColumn<bool>("readableAgain");
        QTest::newRow("history") << true << false;
        QTest::newRow("history, readable again before the save") << true << true;
        QTest::newRow("settings") << false << false;
        QTest::newRow("settings, readable again before the save") << false << true;
    }

    // What start-up could not read is kept before the first save, whatever it holds by then: the
    // window never had its content.
    void unreadableFile_isKeptAsideBeforeTheFirstSave()
    {
        QFETCH(bool, history);
        QFETCH(bool, readableAgain);
        QTemporaryDir dir;
        const QString path = history ? historyFilePath(dir.path()) : settingsFilePath(dir.path());
        if (!history)
            QVERIFY(writeBytes(historyFilePath(dir.path()), HistoryFile));
        QVERIFY(makeUnreadableEntry(path));
        Form1 form(dir.path());
        form.load();
        QVERIFY(form.state.dataPresent);
        QCOMPARE(form.table.friendCount(), history ? 0 : 2);
        const QByteArray stored = history ? HistoryFile : settingsFile();
        if (readableAgain)
            QVERIFY(QFile::remove(path) && writeBytes(path, stored));
        QVERIFY(asideFiles(dir).isEmpty()); // nothing moves before a save

        form.saveHistory();

        form.waitForHistorySave();
        form.saveSettings();
        const QStringList aside = asideFiles(dir);
        QCOMPARE(aside.size(), 1);
        const QString kept = dir.filePath(aside.at(0));
        if (readableAgain)
            QCOMPARE(fileBytes(kept), stored);
        else
            QVERIFY(!QFileInfo(kept).isFile()); // the entry itself, moved
        QVERIFY(fileBytes(path).startsWith(history ? "Friends (0)" : "[Parameters]"));

        form.saveHistory(); // later saves replace our own files

        form.waitForHistorySave();
        form.saveSettings();
        QCOMPARE(asideFiles(dir).size(), 1);
    }

    void damagedHistoryHeader_keepsTheFileAsItWas()
    {
        QTemporaryDir dir;
        QByteArray damaged = HistoryFile;
        damaged.replace(0, damaged.indexOf("\r\n"), "Friends of mine");
        QVERIFY(writeBytes(historyFilePath(dir.path()), damaged));
        Form1 form(dir.path());
        form.load();
        QCOMPARE(form.table.friendCount(), 2);
        form.saveHistory();
        form.waitForHistorySave();
        const QStringList aside = asideFiles(dir);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(fileBytes(dir.filePath(aside.at(0))), damaged);
    }

    void failedHistorySave_leavesTheOldFileWhole()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(historyFilePath(dir.path()), HistoryFile));
        Form1 form(dir.path());
        form.load();
        for (int i = 0; i < 50; ++i) {
            const int row = form.table.appendFriend();
            form.table.setCell(row, DisplayName, QStringLiteral("New %1").arg(i));
        }
        {
            FileSizeLimit fullDisk(1000);
            QVERIFY(fullDisk.active());
            form.saveHistory();
            form.waitForHistorySave();
        }
        QCOMPARE(fileBytes(historyFilePath(dir.path())), HistoryFile);
        QVERIFY(form.state.dataPresent);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestFilesWindow)
#include "test_files_window.moc"
