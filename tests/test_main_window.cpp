// The main window driven through its controls: start-up with and without its two files, when it
// writes them, the option boxes and the main list, the login boxes, the panel and the help line.
#include "app/data_dir.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "list_lines.h"
#include "lists/friend_line.h"
#include "ui/form1.h"
#include "ui/twips.h"
#include "widget_test_main.h"
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

using namespace amiscan;
using namespace amiscan::testing;
using namespace friend_rows;

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

const QByteArray SettingsFile =
    "[Parameters]\r\nAutoStart=0\r\nAutoHide=0\r\nUserName=ann\r\nUserPw=pw\r\nScanTimer=20\r\n"
    "TimerOn=1\r\nFilter=1\r\nFriendsOff=1\r\nDisplayUser=1\r\nMinimizeIcon=0\r\n";

// The names of the friend lines, the separator as "+".
QStringList shownNames(const LineList *list)
{
    QStringList names;
    for (const QString &line : list_lines::all(list)) {
        if (line.contains(u':'))
            names << nameFromLine(line);
        else if (line == separatorLine())
            names << QStringLiteral("+");
    }
    return names;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form1> m_form;
    Form1 &form() { return *m_form; }
    QString historyPath() const { return historyFilePath(m_dir->path()); }
    QString settingsPath() const { return settingsFilePath(m_dir->path()); }
    QStringList asideFiles() const
    {
        return QDir(m_dir->path())
            .entryList({QStringLiteral("Amiscan.unreadable-*")}, QDir::AllEntries | QDir::System);
    }
    // Starts the window, shown and active, with the files written so far.
    void start()
    {
        form().load();
        QApplication::setActiveWindow(&form());
        QVERIFY(QTest::qWaitForWindowActive(&form()));
    }
    // Four friends, Bob and Carl online, Carl and Dora unselected, as start-up lists a history;
    // then as after a scan.
    void startWithFriends()
    {
        start();
        add(form().table, {"Bob", "zz_bob", true});
        add(form().table, {"anna", "yy_anna", false});
        add(form().table, {"Carl", "xx_carl", true, false});
        add(form().table, {"Dora", "ww_dora", false, false});
        form().state.dataPresent = true;
        form().state.scanState = 2;
        form().sortByKey();
        form().fillManageList();
        form().sortOnlineFirst();
        form().fillMainList();
        form().layoutLists();
    }
    void saveBoth()
    {
        form().saveHistory();
        form().waitForHistorySave();
        form().saveSettings();
    }
    void click(const QString &control)
    {
        QTest::mouseClick(form().findChild<QWidget *>(control), Qt::LeftButton);
    }
    void giveFocus(QWidget *widget)
    {
        widget->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(widget->hasFocus());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_form = std::make_unique<Form1>(m_dir->path());
    }
    void cleanup()
    {
        m_form.reset();
        m_dir.reset();
    }

    // Nothing is written before the history has been read or a scan merged, not even over a
    // settings file of the user's; the lists keep their instructions until there is data.
    void firstRun_writesNothingUntilAScanIsMerged()
    {
        const QByteArray notes = "; my notes\r\n[Parameters]\r\nScanTimer=20\r\n";
        QVERIFY(writeBytes(settingsPath(), notes));
        start();
        QCOMPARE(list_lines::all(form().List1).mid(1, 2),
                 QStringList(std::begin(texts::MainListInstructions),
                             std::end(texts::MainListInstructions)));
        QCOMPARE(list_lines::all(form().List2).mid(1),
                 QStringList(std::begin(texts::ManageListInstructions),
                             std::end(texts::ManageListInstructions)));
        const QStringList instructions = list_lines::all(form().List1);
        add(form().table, "Amy", true);
        click("CheckHideOff");
        QVERIFY(form().CheckHideOff->isChecked());
        QCOMPARE(list_lines::all(form().List1), instructions);
        saveBoth();
        QCOMPARE(fileBytes(settingsPath()), notes);
        QVERIFY(!QFileInfo::exists(historyPath()));

        form().state.scanState = 2;
        saveBoth();
        QVERIFY(fileBytes(historyPath()).startsWith("Friends (1)"));
        QVERIFY(fileBytes(settingsPath()).contains("FriendsOff=1\r\n"));
    }

    void startUp_readsBothFilesIntoTheWindow_andSavesThemBack()
    {
        QVERIFY(writeBytes(historyPath(), HistoryFile));
        QVERIFY(writeBytes(settingsPath(), "; my notes\r\n" + SettingsFile +
                                               "ServiceUrl=http://127.0.0.1:5000\r\n"));
        start();
        QCOMPARE(form().LabScanLast->text(), texts::LastScanPrefix + "14/10 - 21:05");
        QCOMPARE(column(form().table, AccountName), (QStringList{"exampleuser", "usertwo"}));
        QCOMPARE(column(form().table, NameMark), (QStringList{"", "\u00B2"}));
        QCOMPARE(column(form().table, Unselected), (QStringList{"1", "0"}));
        QCOMPARE(form().TextLogin->text(), QStringLiteral("ann"));
        QCOMPARE(form().TextPw->text(), QStringLiteral("**"));
        QCOMPARE(form().TextTimerScan->text(), QStringLiteral("20"));
        for (QCheckBox *box : {form().CheckFlter, form().CheckHideOff, form().CheckUser})
            QVERIFY(box->isChecked());
        QVERIFY(!form().CheckAutoStart->isChecked());

        // Saved back: the other lines kept, the window's values written; the history in name
        // order whatever the table's.
        form().CheckFlter->setChecked(false);
        form().CheckAutoStart->setChecked(true);
        form().TextTimerScan->clear();
        form().togglePanel();
        form().saveSettings();
        QCOMPARE(fileBytes(settingsPath()),
                 QByteArray("; my notes\r\n[Parameters]\r\nAutoStart=1\r\nAutoHide=1\r\n"
                            "UserName=ann\r\nUserPw=pw\r\nScanTimer=15\r\nTimerOn=1\r\n"
                            "Filter=0\r\nFriendsOff=1\r\nDisplayUser=1\r\nMinimizeIcon=0\r\n"
                            "ServiceUrl=http://127.0.0.1:5000\r\nNotifyOnline=0\r\n"));
        QVERIFY(form().table.rebuild({2, 1}));
        form().saveHistory();
        form().waitForHistorySave();
        QCOMPARE(fileBytes(historyPath()), HistoryFile);
        QVERIFY(asideFiles().isEmpty());
    }

    // What start-up could not read is kept before the first save, whatever it holds by then; a
    // damaged history header too. Later saves replace only our own files.
    void unreadableFile_isKeptAsideBeforeTheFirstSave_data()
    {
        QTest::addColumn<bool>("history");
        QTest::addColumn<QString>("how");
        for (const char *how : {"unreadable", "readable again before the save", "damaged"}) {
            QTest::addRow("history, %s", how) << true << QString::fromLatin1(how);
            if (qstrcmp(how, "damaged") != 0)
                QTest::addRow("settings, %s", how) << false << QString::fromLatin1(how);
        }
    }
    void unreadableFile_isKeptAsideBeforeTheFirstSave()
    {
        QFETCH(bool, history);
        QFETCH(QString, how);
        const QString path = history ? historyPath() : settingsPath();
        QByteArray stored = history ? HistoryFile : SettingsFile;
        if (!history)
            QVERIFY(writeBytes(historyPath(), HistoryFile));
        if (how == "damaged") {
            stored.replace(0, stored.indexOf("\r\n"), "Friends of mine");
            QVERIFY(writeBytes(path, stored));
        } else {
            QVERIFY(makeUnreadableEntry(path));
        }
        start();
        QVERIFY(form().state.dataPresent);
        if (how.startsWith("readable"))
            QVERIFY(QFile::remove(path) && writeBytes(path, stored));
        QVERIFY(asideFiles().isEmpty()); // nothing moves before a save
        saveBoth();
        saveBoth();
        const QStringList aside = asideFiles();
        QCOMPARE(aside.size(), 1);
        if (how == "unreadable")
            QVERIFY(!QFileInfo(m_dir->filePath(aside.at(0))).isFile()); // the entry itself
        else
            QCOMPARE(fileBytes(m_dir->filePath(aside.at(0))), stored);
        QVERIFY(fileBytes(path).startsWith(history ? "Friends (" : "[Parameters]"));
    }

    void failedHistorySave_leavesTheOldFileWhole()
    {
        QVERIFY(writeBytes(historyPath(), HistoryFile));
        start();
        for (int i = 0; i < 50; ++i)
            add(form().table, QStringLiteral("New %1").arg(i));
        {
            FileSizeLimit fullDisk(1000);
            QVERIFY(fullDisk.active());
            form().saveHistory();
            form().waitForHistorySave();
        }
        QCOMPARE(fileBytes(historyPath()), HistoryFile);
    }

    // Each click rebuilds the main list; the top-row toggles follow their boxes. The filter's
    // label turns it on but never off; the list keeps the order of the name mode the window
    // started with.
    void optionControls_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("names");
        const auto row = [](const char *name, const QStringList &clicks, const QStringList &names) {
            QTest::newRow(name) << clicks << names;
        };
        const QStringList all{"Bob", "Carl", "+", "anna", "Dora"};
        const QStringList users{"zz_bob", "xx_carl", "+", "yy_anna", "ww_dora"};
        row("none", {}, all);
        row("offline box", {"CheckHideOff"}, {"Bob", "Carl"});
        row("offline label, twice", {"LabCheckHideOff", "LabCheckHideOff"}, all);
        row("filter label, twice", {"LabCheckFlter", "LabCheckFlter"}, {"Bob", "+", "anna"});
        row("filter label, then box", {"LabCheckFlter", "CheckFlter"}, all);
        row("filter toggle, twice", {"ButHideCheckFlter", "ButHideCheckFlter"}, all);
        row("both filters", {"ButHideCheckHideOff", "CheckFlter"}, {"Bob"});
        row("user names", {"LabCheckUser"}, users);
        row("user names, offline twice", {"ButHideCheckUser", "CheckHideOff", "CheckHideOff"},
            users);
        row("started with user names, back to display names",
            {"start with user names", "CheckUser", "CheckHideOff", "CheckHideOff"},
            {"Carl", "Bob", "+", "Dora", "anna"});
    }
    void optionControls()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, names);
        if (clicks.value(0) == "start with user names")
            form().CheckUser->setChecked(true); // as the settings would leave it
        startWithFriends();
        form().togglePanel(); // shows the top-row toggles
        for (const QString &control : clicks.filter(QStringLiteral("Check")))
            click(control);
        QCOMPARE(shownNames(form().List1), names);
        QCOMPARE(form().windowTitle(),
                 QStringLiteral("Amiscan : %1")
                     .arg(names.indexOf("+") < 0 ? names.size() : names.indexOf("+")));
        QCOMPARE(form().ButHideCheckFlter->text(),
                 form().CheckFlter->isChecked() ? texts::FilterOn : texts::FilterOff);
        QCOMPARE(form().ButHideCheckHideOff->text(),
                 form().CheckHideOff->isChecked() ? texts::HideOfflineOn : texts::HideOfflineOff);
        QCOMPARE(form().ButHideCheckUser->text(),
                 form().CheckUser->isChecked() ? texts::NameUser : texts::NameDisplay);
    }

    // A line wider than a list runs to the list's edge: no ellipsis stands in for its end.
    void wideLines_areCutByTheListsEdge()
    {
        start();
        for (LineList *list : {form().List1, form().List2}) {
            list->show();
            list->setLines({separatorLine()});
            list->doItemsLayout();
            const QImage image = list->viewport()->grab().toImage();
            const QRect row = list_lines::rect(list, 0) & image.rect();
            const auto inkIn = [&](int y, int fromX) {
                int ink = 0;
                for (int x = fromX; x < image.width(); ++x)
                    ink += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
                return ink;
            };
            int dashes = row.top(); // the row of the most ink
            for (int y = row.top(); y <= row.bottom(); ++y)
                dashes = inkIn(y, 0) > inkIn(dashes, 0) ? y : dashes;
            const int lastCell = image.width() - QFontMetrics(list->font()).horizontalAdvance(u'-');
            QVERIFY2(inkIn(dashes, lastCell) > 0, qPrintable(list->objectName()));
        }
    }

    // What the box shows and what the window keeps once the box is left, by the focus or by
    // Enter or Escape (which type nothing and park the focus), and back in it.
    void loginBoxes_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("kept");
        const auto row = [](const char *name, const char *box, const QString &typed, int key,
                            const QString &shown, const QString &kept) {
            QTest::newRow(name) << QString::fromLatin1(box) << typed << key << shown << kept;
        };
        const QString user = texts::UserPlaceholder, password = texts::PasswordPlaceholder;
        row("password", "TextPw", "s3cr3t-pw!", 0, "**********", "s3cr3t-pw!");
        // The mask must never pass for a password: a star in it is kept whole.
        row("password with a star", "TextPw", "ab*cd", 0, "*****", "ab*cd");
        row("no password", "TextPw", "", 0, password, password);
        row("the placeholder typed", "TextPw", password, 0, password, password);
        row("password, Enter", "TextPw", "abc", Qt::Key_Return, "***", "abc");
        row("password, Escape", "TextPw", "abc", Qt::Key_Escape, "***", "abc");
        row("user name", "TextLogin", "marie", 0, "marie", "marie");
        row("no user name", "TextLogin", "", 0, user, user);
        row("user name, Enter", "TextLogin", "abc", Qt::Key_Return, "abc", "abc");
        row("user name, keypad Enter", "TextLogin", "abc", Qt::Key_Enter, "abc", "abc");
        row("user name, Escape", "TextLogin", "abc", Qt::Key_Escape, "abc", "abc");
    }
    void loginBoxes()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, shown);
        QFETCH(QString, kept);
        start();
        auto *edit = form().findChild<QLineEdit *>(box);
        const bool password = edit == form().TextPw;
        QLineEdit *other = password ? form().TextLogin : form().TextPw;
        const QString placeholder = password ? texts::PasswordPlaceholder : texts::UserPlaceholder;
        int returnsSeen = 0;
        connect(edit, &QLineEdit::returnPressed, this, [&] { ++returnsSeen; });
        giveFocus(edit);
        QCOMPARE(edit->text(), QString()); // the placeholder goes
        QTest::keyClicks(edit, typed);
        if (key) {
            QTest::keyClick(edit, Qt::Key(key));
            QTRY_VERIFY(form().ListTri->hasFocus());
        } else {
            giveFocus(other);
        }
        QCOMPARE(returnsSeen, 0);
        QCOMPARE(edit->text(), shown);
        QCOMPARE(password ? form().state.password : form().state.userName, kept);
        giveFocus(edit);
        QCOMPARE(edit->text(), kept == placeholder ? QString() : kept);
        edit->clear(); // erased, it shows the placeholder again
        giveFocus(other);
        QCOMPARE(edit->text(), placeholder);
    }

    // Entering a box clears the lists' lines; the main list, which parks the focus when its line
    // goes, must not bounce the focus back out of the box. Auto Start parks it once shown.
    void focus_enteringABoxClearsTheLists_autoStartParksIt()
    {
        startWithFriends();
        for (QLineEdit *box : {form().TextLogin, form().TextPw}) {
            form().List1->setCurrentRow(1);
            form().List2->setCurrentRow(0);
            giveFocus(box);
            QTest::qWait(20);
            QVERIFY(box->hasFocus());
            QCOMPARE(form().List1->currentRow(), -1);
            QCOMPARE(form().List2->currentRow(), -1);
        }
        form().state.windowReady = false;
        form().CheckAutoStart->setChecked(true);
        QVERIFY(form().TextPw->hasFocus());
        form().state.windowReady = true;
        click("LabCheckAutoStart");
        QVERIFY(!form().CheckAutoStart->isChecked());
        QTRY_VERIFY(form().ListTri->hasFocus());
        QTest::mouseClick(form().LabCheckAutoStart, Qt::RightButton);
        QVERIFY(!form().CheckAutoStart->isChecked());
    }

    // Every way to the toggle hides the panel and shows it again as it was, but for the two
    // buttons the slide leaves 20 twips lower.
    void panelToggle_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("panel button") << "ButHidePanel";
        QTest::newRow("double click on the main list") << "List1";
        QTest::newRow("saved setting at start-up") << "settings";
    }
    void panelToggle()
    {
        QFETCH(QString, way);
        if (way == "settings")
            QVERIFY(writeBytes(settingsPath(), "[Parameters]\r\nAutoHide=1\r\n"));
        start();
        const auto tops = [this] {
            QHash<QString, int> all;
            for (const QWidget *w : form().findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                all.insert(w->objectName(), twipsGeometry(w).top());
            all.insert("window height", form().windowHeightTwips());
            return all;
        };
        const QHash<QString, int> design = tops();
        const auto toggle = [&] {
            if (way == "List1")
                QTest::mouseDClick(form().List1->viewport(), Qt::LeftButton);
            else
                click("ButHidePanel");
        };
        if (way != "settings")
            toggle();
        QCOMPARE(form().state.panelState, 1);
        QCOMPARE(form().ButHidePanel->text(), texts::ShowPanelCaption);
        QVERIFY(form().ButHideCheckUser->isVisible());
        QCOMPARE(twipsGeometry(form().ButExit).top(), 0);
        const int hiddenHeight = form().windowHeightTwips();
        toggle();
        QCOMPARE(form().ButHidePanel->text(), texts::HidePanelCaption);
        QVERIFY(!form().ButHideCheckUser->isVisible());
        QVERIFY(form().windowHeightTwips() > hiddenHeight);
        if (way == "settings")
            return;
        QHash<QString, int> expected = design;
        expected["ButHidePanel"] += 20;
        expected["ButExit"] += 20;
        QCOMPARE(tops(), expected);
    }

    void minimisedWindow_takesItsNewHeightOnlyWhenItComesBack()
    {
        start();
        const int before = form().windowHeightTwips();
        form().showMinimized();
        QCoreApplication::processEvents();
        form().state.minListLines = form().state.maxListLines; // the lists grow
        form().layoutLists();
        QCOMPARE(form().windowHeightTwips(), before);
        QVERIFY(form().isMinimized());
        form().showNormal();
        QCoreApplication::processEvents();
        QVERIFY(form().windowHeightTwips() > before);
    }

    // Each row starts with a friend's companion line in view: a switching text brings the help
    // line back, the others wait behind it.
    void helpLine_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("panelHidden");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("switches");
        QTest::newRow("panel button, hidden")
            << "ButHidePanel" << true << texts::ShowPanelHelp << false;
        QTest::newRow("last scan") << "LabScanLast" << false << texts::ScanLastHelp << true;
        QTest::newRow("companion line") << "LabHelpNom" << false << "" << false;
        QTest::newRow("bare window") << "" << false << "" << true;
    }
    void helpLine()
    {
        QFETCH(QString, control);
        QFETCH(bool, panelHidden);
        QFETCH(QString, text);
        QFETCH(bool, switches);
        start();
        if (panelHidden)
            form().togglePanel();
        QTest::mouseMove(form().windowHandle(), QPoint(1, 1));
        form().LabHelp->setText(QStringLiteral("earlier text"));
        form().LabHelp->hide();
        form().LabHelpNom->setText(QStringLiteral("companion line"));
        form().LabHelpNom->show();
        QTest::mouseMove(form().windowHandle(),
                         control.isEmpty() // the bare window
                             ? QPoint(4, 200)
                             : form().findChild<QWidget *>(control)->geometry().center());
        QCOMPARE(form().LabHelp->text(), text);
        QCOMPARE(form().LabHelp->isVisible(), switches);
        QCOMPARE(form().LabHelpNom->isVisible(), !switches);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
