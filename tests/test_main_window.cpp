// The main window driven through its controls: its files, options, login boxes, panel, lists,
// session switch, notification-area icon and notifications, and the ways out.
#include "app/end_of_run.h"
#include "app/single_copy.h"
#include "data_table.h"
#include "desktop/desktop_notifier.h"
#include "dialog_driver.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "list_lines.h"
#include "lists/friend_line.h"
#include "scan/online_notice.h"
#include "scripted_scan.h"
#include "store/data_dir.h"
#include "store/history_file.h"
#include "store/presence_log.h"
#include "store/time_text.h"
#include "ui/colors.h"
#include "ui/controls.h"
#include "ui/form1_texts.h"
#include "ui/form2.h"
#include "ui/status_label.h"
#include "ui/twips.h"
#include "widget_test_main.h"
#include <QAccessible>
#include <QCheckBox>
#include <QDBusConnection>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextLayout>
#include <csignal>
#include <memory>
#include <sys/prctl.h>
#include <sys/stat.h>

using namespace amiscan;
using namespace amiscan::testing;
using namespace friend_rows;

namespace {

const QByteArray SettingsFile =
    "[Parameters]\r\nAutoStart=0\r\nAutoHide=0\r\nUserName=ann\r\nUserPw=pw\r\nScanTimer=20\r\n"
    "TimerOn=1\r\nFilter=1\r\nFriendsOff=1\r\nDisplayUser=1\r\nMinimizeIcon=0\r\n";

// Ann and Cara online, Cara and dan unselected; the user names sort otherwise than the display
// names; Ann's two sessions differ so that her companion line tells them apart.
const QList<Friend> FiveFriends{
    {"Ann", "ann.x", true, true, {}, "07/09/12 22:53", {}, {}, "04/09/12 14:19"},
    {"Bob", "bob"},
    {"Cara", "xx.cara", true, false},
    {"dan", "ww.dan", false, false},
    {"Eve", "vv.eve"}};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedScan> m_scan; // started by each test, not logged in
    FakeTrayIcon *m_tray = nullptr;
    FakeNotifier *m_notifier = nullptr;
    Form1 &form() { return m_scan->form; }
    MainModel &model() { return m_scan->model; }
    LineList *main() { return findControl<LineList>(form(), "List1"); }
    LineList *manage() { return findControl<LineList>(form(), "List2"); }
    QString historyPath() const { return historyFilePath(m_scan->dir.path()); }
    QString settingsPath() const { return settingsFilePath(m_scan->dir.path()); }
    QStringList asideFiles() const
    {
        return QDir(m_scan->dir.path())
            .entryList({QStringLiteral("Amiscan.unreadable-*")}, QDir::AllEntries | QDir::System);
    }
    // Ahead: the history is read while the window is made, as the program starts.
    void start(bool ahead = false)
    {
        if (ahead)
            model().readHistoryAhead();
        form().load();
        QApplication::setActiveWindow(&form());
        QVERIFY(QTest::qWaitForWindowActive(&form()));
    }
    void startWithFriends(const QList<Friend> &friends = FiveFriends)
    {
        start();
        for (const Friend &f : friends)
            add(model().tableForTests(), f);
        model().stateForTests().dataPresent = true;
        model().stateForTests().scanState = ScanState::PageRead;
        form().showTable();
    }
    bool scan()
    {
        m_scan->logIn();
        QTest::mouseClick(findControl<QPushButton>(form(), "ButGo"), Qt::LeftButton);
        return QTest::qWaitFor([this] { return !scanning(); });
    }
    bool scanning()
    {
        return findControl<QPushButton>(form(), "ButGo")->text() == texts::AbortCaption;
    }
    void saveBoth() { model().saveHistory(), model().waitForHistorySave(), model().saveSettings(); }
    QStringList savedAccounts() const
    {
        FriendsTable saved;
        history::readFile(historyPath(), saved);
        return column(saved, AccountName);
    }
    QString cell(const QString &account, int col)
    {
        return model().table().cell(model().tableForTests().findByAccountName(account), col);
    }
    void click(const QString &control)
    {
        QTest::mouseClick(form().findChild<QWidget *>(control), Qt::LeftButton);
    }
    // Clicks land on the line's text, away from its check box.
    void clickLine(LineList *list, int line, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(list->viewport(), button, {},
                          list_lines::rect(list, line).center() + QPoint(100, 0));
    }
    // A double click as the window system sends it: a click, then the double click.
    void invert(int line, bool onBox = false)
    {
        const QPoint at = onBox ? list_lines::box(manage(), line)
                                : list_lines::rect(manage(), line).center() + QPoint(100, 0);
        QTest::mouseClick(manage()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(manage()->viewport(), Qt::LeftButton, {}, at);
    }
    // The names of the friend lines, the separator as "+", a "-" before unchecked ones.
    QStringList names(LineList *list)
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i) {
            const QString line = list->lineText(i);
            const bool unchecked = list == manage() && list->checkState(i) != Qt::Checked;
            if (line.contains(u':'))
                names << (unchecked ? "-" : "") + nameFromLine(line);
            else if (line == separatorLine())
                names << QStringLiteral("+");
        }
        return names;
    }
    void giveFocus(QWidget *widget)
    {
        widget->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(widget->hasFocus());
    }

private slots:
    // This process has no session bus: the real notifier's default finds none. Every window here
    // opens on a dark desktop theme, which must not reach the design's colours.
    void initTestCase()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        QApplication::setPalette(QPalette(QColor(53, 53, 53), QColor(42, 42, 42)));
    }
    void init()
    {
        m_scan = std::make_unique<ScriptedScan>(false);
        m_scan->browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        m_scan->fetcher->answer = [](const QUrl &) { return FriendsDirect; };
        form().setTrayIcon(std::unique_ptr<FakeTrayIcon>(m_tray = new FakeTrayIcon));
        form().setNotifier(std::unique_ptr<FakeNotifier>(m_notifier = new FakeNotifier));
    }
    void cleanup() { m_scan.reset(), Clock::set({}); }

    // Nothing is written before the history has been read or a scan merged, not even over a
    // settings file of the user's; the lists keep their instructions until there is data.
    void firstRun_writesNothingUntilAScanIsMerged()
    {
        const QByteArray notes = "; my notes\r\n[Parameters]\r\nScanTimer=20\r\n";
        QVERIFY(writeBytes(settingsPath(), notes));
        start();
        const QStringList instructions = list_lines::all(findControl<LineList>(form(), "List1"));
        QCOMPARE(instructions,
                 QStringList({"", " - Enter your <Vey Username> and your <Vey Password>,",
                              " - Then click on <Start Scan>"}) +
                     QStringList(12, QString()));
        clickLine(findControl<LineList>(form(), "List1"),
                  0); // an instruction line is not left selected
        QVERIFY(!findControl<LineList>(form(), "List1")->selectionModel()->hasSelection());
        add(model().tableForTests(), "Amy", true);
        click("CheckHideOff");
        QVERIFY(findControl<QCheckBox>(form(), "CheckHideOff")->isChecked());
        QCOMPARE(list_lines::all(findControl<LineList>(form(), "List1")), instructions);
        saveBoth();
        QCOMPARE(fileBytes(settingsPath()), notes);
        QVERIFY(!QFileInfo::exists(historyPath()));

        model().stateForTests().scanState = ScanState::PageRead;
        saveBoth();
        QVERIFY(fileBytes(historyPath()).startsWith("Friends (1)"));
        QVERIFY(fileBytes(settingsPath()).contains("FriendsOff=1\r\n"));
    }

    void startUp_readsBothFilesIntoTheWindow_andSavesThemBack_data()
    {
        addColumns<bool>({"ahead"});
        addRow("history read at load", false);
        addRow("history read ahead", true);
    }
    void startUp_readsBothFilesIntoTheWindow_andSavesThemBack()
    {
        QVERIFY(writeBytes(historyPath(), ExampleHistory));
        QVERIFY(writeBytes(settingsPath(), "; my notes\r\n" + SettingsFile +
                                               "ServiceUrl=http://127.0.0.1:5000\r\n"));
        prctl(PR_SET_DUMPABLE, 1);
        start(std::get<0>(fetch<bool>("ahead")));
        rlimit core{}; // the password read, the process leaves no core and is closed to debuggers
        QVERIFY(!prctl(PR_GET_DUMPABLE) && !getrlimit(RLIMIT_CORE, &core) && !core.rlim_cur);
        QCOMPARE(findControl<QLabel>(form(), "LabScanLast")->text(),
                 QStringLiteral(" Last Scan : 14/10 - 21:05"));
        QCOMPARE(column(model().table(), AccountName), (QStringList{"exampleuser", "usertwo"}));
        QCOMPARE((QStringList{findControl<QLineEdit>(form(), "TextLogin")->text(),
                              findControl<QLineEdit>(form(), "TextPw")->text(),
                              findControl<QLineEdit>(form(), "TextTimerScan")->text()}),
                 (QStringList{"ann", "**", "20"}));
        for (QCheckBox *box : {findControl<QCheckBox>(form(), "CheckFlter"),
                               findControl<QCheckBox>(form(), "CheckHideOff"),
                               findControl<QCheckBox>(form(), "CheckUser")})
            QVERIFY(box->isChecked());
        QVERIFY(!findControl<QCheckBox>(form(), "CheckAutoStart")->isChecked());

        findControl<QCheckBox>(form(), "CheckFlter")->setChecked(false);
        findControl<QCheckBox>(form(), "CheckAutoStart")->setChecked(true);
        findControl<QLineEdit>(form(), "TextTimerScan")->clear();
        findControl<QPushButton>(form(), "ButHidePanel")->click();
        saveBoth();
        QCOMPARE(
            fileBytes(settingsPath()),
            QByteArray("; my notes\r\n[Parameters]\r\nAutoStart=1\r\nAutoHide=1\r\n"
                       "UserName=ann\r\nUserPw=pw\r\nScanTimer=15\r\nTimerOn=1\r\n"
                       "Filter=0\r\nFriendsOff=1\r\nDisplayUser=1\r\nMinimizeIcon=0\r\n"
                       "ServiceUrl=http://127.0.0.1:5000\r\n[Preferences]\r\nNotifyOnline=0\r\n"
                       "NotifyOffline=0\r\nNotifyLongOnline=0\r\nLongOnlineMinutes=60\r\n"
                       "NotifyAllFriends=0\r\nQuietHours=0\r\nQuietFrom=22:00\r\n"
                       "QuietTo=07:00\r\nScanHealth=1\r\nPasswordInFile=0\r\n"));
        QCOMPARE(fileBytes(historyPath()), ExampleHistory);
        QVERIFY(asideFiles().isEmpty());
    }

    // The presence log takes the history's sessions at start-up, once.
    void startUp_givesTheHistoryToThePresenceLog()
    {
        QVERIFY(writeBytes(historyPath(), ExampleHistory));
        start();
        QStringList imported;
        for (const Period &period : model().presenceLog().periods({})) {
            if (period.imported)
                imported << period.userName + u' ' +
                                period.innerStart.toString(QStringLiteral("dd/MM/yy hh:mm"));
        }
        QCOMPARE(imported, (QStringList{"exampleuser 13/10/12 18:02", "exampleuser 14/10/12 20:15",
                                        "usertwo 12/10/12 09:30"}));
    }

    // What start-up could not read is kept before the first save, whatever it holds by then; a
    // damaged history header too. Later saves replace only our own files.
    void unreadableFile_isKeptAsideBeforeTheFirstSave_data()
    {
        addColumns<bool, QString, bool>({"history", "how", "ahead"});
        for (const char *how : {"unreadable", "readable again before the save", "damaged", "link",
                                "FIFO", "device"}) {
            QTest::addRow("history, %s", how) << true << QString::fromLatin1(how) << false;
            QTest::addRow("history, %s, read ahead", how)
                << true << QString::fromLatin1(how) << true;
            if (qstrcmp(how, "damaged") != 0)
                QTest::addRow("settings, %s", how) << false << QString::fromLatin1(how) << false;
        }
    }
    void unreadableFile_isKeptAsideBeforeTheFirstSave()
    {
        auto [history, how, ahead] = fetch<bool, QString, bool>("history", "how", "ahead");
        const QString path = history ? historyPath() : settingsPath();
        QByteArray stored = history ? ExampleHistory : SettingsFile;
        if (!history)
            QVERIFY(writeBytes(historyPath(), ExampleHistory));
        // A link is never followed: neither read nor written through.
        const QString target = m_scan->dir.filePath("target");
        if (how == "damaged")
            QVERIFY(writeBytes(path, stored.replace(0, stored.indexOf("\r\n"), "Friends of mine")));
        else if (how == "link")
            QVERIFY(writeBytes(target, stored) && QFile::link(target, path));
        else if (how == "FIFO")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (how == "device")
            QVERIFY(QFile::link("/dev/zero", path));
        else
            QVERIFY(makeUnreadableEntry(path));
        start(ahead);
        QVERIFY(model().state().dataPresent);
        if (how.startsWith("readable"))
            QVERIFY(QFile::remove(path) && writeBytes(path, stored));
        QVERIFY(asideFiles().isEmpty()); // nothing moves before a save
        saveBoth();
        saveBoth();
        const QStringList aside = asideFiles();
        QCOMPARE(aside.size(), 1);
        const QFileInfo kept(m_scan->dir.filePath(aside.at(0)));
        if (how == "readable again before the save" || how == "damaged")
            QCOMPARE(fileBytes(kept.filePath()), stored);
        else
            QVERIFY(kept.isSymLink() || !kept.isFile()); // the entry itself
        QVERIFY(fileBytes(path).startsWith(history ? "Friends (" : "[Parameters]"));
        QVERIFY(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink());
        if (how == "link")
            QCOMPARE(fileBytes(target), stored);
    }

    void optionControls_data()
    {
        addColumns<QStringList, QStringList>({"clicks", "expected"});
        const auto row = [](const char *name, const QStringList &clicks,
                            const QStringList &expected) { addRow(name, clicks, expected); };
        const QStringList all{"Ann", "Cara", "+", "Bob", "dan", "Eve"};
        const QStringList users{"ann.x", "xx.cara", "+", "bob", "ww.dan", "vv.eve"};
        row("filter label, twice", {"LabCheckFlter", "LabCheckFlter"}, {"Ann", "+", "Bob", "Eve"});
        row("filter label, then box", {"LabCheckFlter", "CheckFlter"}, all);
        row("both filters", {"ButHideCheckHideOff", "CheckFlter"}, {"Ann"});
        row("user names", {"LabCheckUser"}, users);
    }
    void optionControls()
    {
        auto [clicks, expected] = fetch<QStringList, QStringList>("clicks", "expected");
        startWithFriends();
        findControl<QPushButton>(form(), "ButHidePanel")->click(); // shows the top-row toggles
        for (const QString &control : clicks.filter(QStringLiteral("Check")))
            click(control);
        QCOMPARE(names(main()), expected);
        QCOMPARE(form().windowTitle(),
                 QStringLiteral("Amiscan : %1")
                     .arg(expected.indexOf("+") < 0 ? expected.size() : expected.indexOf("+")));
        QCOMPARE(findControl<QPushButton>(form(), "ButHideCheckHideOff")->text(),
                 findControl<QCheckBox>(form(), "CheckHideOff")->isChecked() ? "Hide offline: ON"
                                                                             : "Hide offline: OFF");
    }

    // On the dark theme, a control with a colour in the table shows it as its background (the
    // middle lightness inside its frame), with dark text or a check mark on it. A screen reader
    // finds each control named and described by its help text in the present state, and the
    // friends' lines in words (each list asked once: nothing tells it of refills here).
    void controls_keepTheDesignsColoursAndTellScreenReadersWhatTheyAre()
    {
        startWithFriends();
        findControl<QPushButton>(form(), "ButHidePanel")->click();
        click("LabSession");
        click("ButHideCheckFlter");
        const Form2 dialog;
        const auto said = [](QWidget *control, QAccessible::Text text, int line = -1) {
            QAccessibleInterface *shown = QAccessible::queryAccessibleInterface(control);
            return (line < 0 ? shown : shown->child(line))->text(text);
        };
        const QColor none;
        for (const auto &[control, back, name, help] :
             QList<std::tuple<QWidget *, QColor, QString, QString>>{
                 {findControl<QPushButton>(form(), "ButGo"), colors::LightGreen, "Start Scan",
                  texts::StartScanHelp},
                 {findControl<QLabel>(form(), "LabCheckFlter"), colors::WindowBack, "Filter",
                  texts::FilterHelp},
                 {findControl<QCheckBox>(form(), "CheckFlter"), colors::White, "Filter",
                  texts::FilterHelp},
                 {findControl<QCheckBox>(form(), "CheckAutoStart"), none, "Auto Start",
                  texts::AutoStartHelp},
                 {findControl<QCheckBox>(form(), "CheckHideOff"), none, "Offline",
                  texts::OfflineHelp},
                 {findControl<QCheckBox>(form(), "CheckUser"), none, "User", texts::UserHelp},
                 {findControl<QCheckBox>(form(), "CheckTray"), none, "Minimize icon",
                  texts::TrayHelp},
                 {findControl<QLineEdit>(form(), "TextLogin"), none, "Vey Username",
                  texts::UserNameHelp},
                 {findControl<QLineEdit>(form(), "TextPw"), none, "Vey Password",
                  texts::PasswordHelp},
                 {findControl<QLineEdit>(form(), "TextTimerScan"), colors::White,
                  texts::IntervalName, texts::IntervalHelp},
                 {findControl<QPushButton>(form(), "ButAbout"), none, "About Amiscan",
                  texts::AboutHelp},
                 {findControl<QPushButton>(form(), "ButHidePanel"), none, texts::ShowPanelCaption,
                  texts::ShowPanelHelp},
                 {findControl<QPushButton>(form(), "ButHideCheckFlter"), none, texts::FilterOn,
                  texts::FilterOnHelp},
                 {findControl<QLabel>(form(), "LabSession"), colors::TitleGrey, "2",
                  texts::SessionHelpToFirst},
                 {main(), colors::PaleYellow, "Friends", texts::MainListHelpSelectsFirst},
                 {dialog.Label1, colors::DialogBack, "Amiscan", QString()},
                 {dialog.ButOk, colors::ButtonFace, "Ok", QString()}}) {
            QCOMPARE(said(control, QAccessible::Name), name);
            QCOMPARE(said(control, QAccessible::Description), help);
            const QImage image =
                control->grab().toImage().copy(control->rect().adjusted(3, 3, -3, -3));
            QList<int> lightness;
            for (int i = 0; back.isValid() && i < image.width() * image.height(); ++i)
                lightness << image.pixelColor(i % image.width(), i / image.width()).lightness();
            std::sort(lightness.begin(), lightness.end());
            QVERIFY2(!back.isValid() ||
                         (lightness.first() < 128 &&
                          qAbs(lightness.at(lightness.size() / 2) - back.lightness()) < 48),
                     qPrintable(control->objectName()));
        }
        QStringList lines{said(main(), QAccessible::Name, 1), said(main(), QAccessible::Name, 2)};
        click("LabSession");
        lines << said(manage(), QAccessible::Name, 0) << said(manage(), QAccessible::Name, 2);
        QCOMPARE(lines, (QStringList{"Offline friends", "Bob, no session",
                                     "Ann, online since 07/09/12 22:53",
                                     "Bob, from 04/09/12 14:19 to 04/09/12 16:02, 01:43"}));
    }

    void wideLines_areCutByTheListsEdge()
    {
        start();
        for (LineList *list :
             {findControl<LineList>(form(), "List1"), findControl<LineList>(form(), "List2")}) {
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

    // A name written right to left, drawn as the list draws its lines, turns nothing else of its
    // line around, and the marks that isolate it take no room.
    void rightToLeftName_leavesItsLineInOrder()
    {
        startWithFriends({{"\u05E9\u05DC\u05D5\u05DD 2", "shalom"}});
        const QString line = main()->lineText(0);
        QTextLayout layout(line, main()->font());
        QTextOption direction;
        direction.setTextDirection(main()->layoutDirection());
        layout.setTextOption(direction);
        layout.beginLayout();
        const QTextLine drawn = layout.createLine();
        layout.endLayout();
        for (int i = int(line.indexOf(u':')); i + 1 < line.size(); ++i)
            QVERIFY2(drawn.cursorToX(i) < drawn.cursorToX(i + 1), qPrintable(line.mid(i)));
        const QFontMetricsF metrics(main()->font());
        QCOMPARE(metrics.horizontalAdvance("\u2068x\u2069"), metrics.horizontalAdvance("x"));
    }

    // What the box shows and what the window keeps once the box is left, by the focus or by
    // Enter or Escape (which type nothing and park the focus), and back in it.
    void loginBoxes_data()
    {
        addColumns<QString, QString, int, QString, QString>(
            {"box", "typed", "key", "shown", "kept"});
        const QString user = QStringLiteral("Vey Username"),
                      password = QStringLiteral("Vey Password");
        addRow("password with a star, kept whole", "TextPw", "ab*cd", 0, "*****", "ab*cd");
        addRow("the placeholder typed", "TextPw", password, 0, password, password);
        addRow("password, Enter", "TextPw", "abc", int(Qt::Key_Return), "***", "abc");
        addRow("no user name", "TextLogin", "", 0, user, user);
        addRow("user name, keypad Enter", "TextLogin", "abc", int(Qt::Key_Enter), "abc", "abc");
        addRow("user name, Escape", "TextLogin", "abc", int(Qt::Key_Escape), "abc", "abc");
    }
    void loginBoxes()
    {
        auto [box, typed, key, kept] =
            fetch<QString, QString, int, QString>("box", "typed", "key", "kept");
        startWithFriends();
        auto *edit = form().findChild<QLineEdit *>(box);
        const bool password = edit == findControl<QLineEdit>(form(), "TextPw");
        QLineEdit *other = password ? findControl<QLineEdit>(form(), "TextLogin")
                                    : findControl<QLineEdit>(form(), "TextPw");
        const QString placeholder = password ? "Vey Password" : "Vey Username";
        int returnsSeen = 0;
        connect(edit, &QLineEdit::returnPressed, this, [&] { ++returnsSeen; });
        prctl(PR_SET_DUMPABLE, 1);
        main()->setCurrentRow(1);
        manage()->setCurrentRow(0);
        giveFocus(edit);
        // Entering a box clears the lists' lines; the main list, which parks the focus when its
        // line goes, must not take the focus back out of the box.
        QTest::qWait(20);
        QVERIFY(edit->hasFocus() && main()->currentRow() == -1 && manage()->currentRow() == -1);
        QCOMPARE(edit->text(), QString()); // the placeholder goes
        QTest::keyClicks(edit, typed);
        if (key) {
            QTest::keyClick(edit, Qt::Key(key));
            QTRY_VERIFY(findControl<QListWidget>(form(), "ListTri")->hasFocus());
        } else {
            giveFocus(other);
        }
        QCOMPARE(returnsSeen, 0);
        QCOMPARE(prctl(PR_GET_DUMPABLE), password ? 0 : 1);
        QTEST(edit->text(), "shown");
        QCOMPARE(password ? model().state().password : model().state().userName, kept);
        giveFocus(edit);
        QCOMPARE(edit->text(), kept == placeholder ? QString() : kept);
        edit->clear(); // erased, it shows the placeholder again
        giveFocus(other);
        QCOMPARE(edit->text(), placeholder);
    }

    // Where the panel's toggles leave the controls (a: AutoHide at start-up, b: the button, d: a
    // double click on the list, k: Enter on the button): the top row's two buttons stop at its
    // edge and come down late. A width of 0: the top alone.
    void panelToggle_data()
    {
        addColumns<QString, QString, QRect>({"toggles", "control", "twips"});
        const auto row = [](const char *toggles, const char *control, const QRect &twips) {
            QTest::addRow("%s %s", toggles, control)
                << QString(toggles) << QString(control) << twips;
        };
        row("a", "ButHidePanel", {170, 0, 1360, 275}), row("b", "ButExit", {6540, 0, 1090, 275});
        row("d", "ButHideCheckFlter", {1470, 0, 1740, 275});
        row("b", "ButHideCheckHideOff", {3160, 0, 1750, 275});
        row("k", "ButHideCheckUser", {4880, 0, 1740, 275});
        row("b", "ButAbout", {6240, -860, 285, 300});
        row("b", "TextLogin", {1560, -900, 1455, 285});
        row("b", "LineHoriz", {0, -20, 0, 0}), row("b", "LabScanLast", {0, 265, 0, 0});
        row("b", "List1", {0, 750, 0, 0});
        row("bd", "ButHidePanel", {200, 680, 1240, 300});
        row("ak", "ButExit", {6540, 140, 855, 300});
        row("bk", "ButAbout", {6240, 120, 285, 300}), row("bb", "TextLogin", {1560, 80, 1455, 285});
        row("db", "LineHoriz", {0, 960, 0, 0}), row("bb", "LabScanLast", {0, 1140, 0, 0});
        row("bbb", "List1", {0, 750, 0, 0}), row("bbbb", "List1", {0, 1625, 0, 0});
    }
    void panelToggle()
    {
        auto [toggles, control, twips] =
            fetch<QString, QString, QRect>("toggles", "control", "twips");
        if (toggles.startsWith(u'a'))
            QVERIFY(writeBytes(settingsPath(), "[Parameters]\r\nAutoHide=1\r\n"));
        start();
        for (const QChar toggle : toggles.mid(toggles.startsWith(u'a') ? 1 : 0)) {
            if (toggle == u'b') {
                click("ButHidePanel");
            } else if (toggle == u'd') {
                QTest::mouseDClick(main()->viewport(), Qt::LeftButton);
            } else { // Enter presses the focused button
                giveFocus(findControl<QPushButton>(form(), "ButHidePanel"));
                QTest::keyClick(findControl<QPushButton>(form(), "ButHidePanel"), Qt::Key_Return);
            }
        }
        const bool hidden = toggles.size() % 2;
        QCOMPARE(findControl<QPushButton>(form(), "ButHidePanel")->text(),
                 hidden ? "Show Panel" : "Hide Panel");
        QCOMPARE(findControl<QPushButton>(form(), "ButHideCheckUser")->isVisible(), hidden);
        const QWidget *shown = form().findChild<QWidget *>(control);
        const auto px = [](int twips) { return qRound(twips / 15.0); };
        QCOMPARE(shown->y(), px(twips.top()));
        if (twips.width())
            QCOMPARE(shown->geometry(), QRect(QPoint(px(twips.left()), px(twips.top())),
                                              QPoint(px(twips.left() + twips.width()) - 1,
                                                     px(twips.top() + twips.height()) - 1)));
    }

    void marks_areWrittenBackOnReturn()
    {
        startWithFriends();
        giveFocus(findControl<QLineEdit>(
            form(), "TextLogin")); // the list just filled takes the focus, not a current line
        form().showManageList();
        QVERIFY(manage()->isVisible() &&
                findControl<QCheckBox>(form(), "CheckList2All")->isVisible());
        QVERIFY(!main()->isVisible() && !findControl<QLabel>(form(), "LabHelpNom")->isVisible());
        QCOMPARE(manage()->currentRow(), -1);
        QTest::keyClick(manage(), Qt::Key_Delete); // no current line: no question
        QVERIFY(!form().dialog());
        manage()->setCurrentRow(0);
        click("CheckList2All");
        QCOMPARE(names(manage()), (QStringList{"-Ann", "-Bob", "-Cara", "-dan", "-Eve"}));
        QCOMPARE(manage()->currentRow(), -1);
        click("CheckList2All");
        invert(1); // Bob, by a double click
        // A press on dan's check box makes his line current: a double click on it leaves Bob's
        // mark alone, a click unchecks dan.
        invert(3, true);
        QCOMPARE(manage()->currentRow(), 3);
        QTest::mouseClick(manage()->viewport(), Qt::LeftButton, {}, list_lines::box(manage(), 3));
        QCOMPARE(names(manage()), (QStringList{"Ann", "-Bob", "Cara", "-dan", "Eve"}));
        const auto unselected = [this] {
            return QStringList{cell("bob", Unselected), cell("xx.cara", Unselected),
                               cell("ww.dan", Unselected)};
        };
        QCOMPARE(unselected(), (QStringList{"0", "1", "1"})); // not before the return
        QTest::keyClick(manage(), Qt::Key_Escape);
        QVERIFY(main()->isVisible() && !manage()->isVisible());
        QCOMPARE(unselected(), (QStringList{"1", "0", "1"}));
        QCOMPARE(main()->currentRow(), -1);
    }

    void delete_questionNamesTheFriend_data()
    {
        addColumns<QString, QString, QStringList, bool>(
            {"displayName", "accountName", "question", "yes"});
        addRow("same names, cancel", "zed", QString("zed"),
               QStringList{"zed", "Delete this friend ?"}, false);
        addRow(
            "user name differs, yes", "Annabel Example-Long", QString("annabel.example.long.name"),
            QStringList{"Annabel Example-Lo", "( annabel.example.lon )", " Delete this friend ?"},
            true);
    }
    void delete_questionNamesTheFriend()
    {
        auto [displayName, accountName, question, yes] = fetch<QString, QString, QStringList, bool>(
            "displayName", "accountName", "question", "yes");
        startWithFriends({{displayName, accountName}, {"Bob", "bob"}, {"Zoe", "zoe"}});
        clickLine(main(), 0, Qt::RightButton);
        clickLine(manage(), 2); // then the check box alone chooses the friend
        QTest::mouseClick(manage()->viewport(), Qt::LeftButton, {},
                          list_lines::box(manage(), yes ? 0 : 1));
        QStringList asked;
        whenModalDialogAppears(form(), [&](Form2 *dialog) {
            for (QLabel *label : {dialog->Label1, dialog->Label2, dialog->Label3})
                if (label->isVisible())
                    asked << label->text();
            QTest::mouseClick(yes ? dialog->ButYes : dialog->ButCancel, Qt::LeftButton);
        });
        QTest::keyClick(manage(), Qt::Key_Delete);
        QCOMPARE(asked, question);
        QCOMPARE((QList<int>{model().table().friendCount(), model().state().listedCount,
                             model().state().selectedCount}),
                 QList<int>(3, yes ? 2 : 3));
    }

    // A scan adds a friend and reorders both lists before the user answers.
    void delete_confirmedAfterAScanRemovesTheFriendAsked()
    {
        startWithFriends();
        m_scan->logIn();
        clickLine(main(), 0, Qt::RightButton);
        invert(4); // Eve, not yet written back
        clickLine(manage(), 3);
        whenModalDialogAppears(form(), [this](Form2 *dialog) {
            model().startScanButton();
            QTRY_VERIFY(!scanning());
            QCOMPARE(model().table().friendCount(), 6);
            QTest::mouseClick(dialog->ButYes, Qt::LeftButton);
        });
        QTest::keyClick(manage(), Qt::Key_Delete);
        QCOMPARE(names(manage()), (QStringList{"Ann", "Ann Lee", "Bob", "-Cara", "-Eve"}));
        for (int row = 1; row <= model().table().friendCount(); ++row) {
            const int line = model().table().cell(row, ManagePos).toInt() - 1;
            QCOMPARE(nameFromLine(manage()->lineText(line)),
                     model().table().cell(row, DisplayName));
        }
        QCOMPARE(names(main()), (QStringList{"Ann Lee", "Bob", "+", "Ann", "Cara", "Eve"}));
        QCOMPARE(cell("vv.eve", Unselected), QStringLiteral("1"));
    }

    // A scan that ends while the management list is shown keeps the history file for later.
    void scan_returnsToTheMainListFirstAndKeepsTheHistoryWhileManaging()
    {
        startWithFriends();
        m_scan->logIn();
        clickLine(main(), 0, Qt::RightButton);
        invert(1);
        click("ButGo");
        QVERIFY(main()->isVisible() && !model().state().manageMode);
        QCOMPARE(cell("bob", Unselected), QStringLiteral("1"));
        clickLine(main(), 0, Qt::RightButton);
        invert(0); // kept through the refill at the end of the scan
        QVERIFY(scanning());
        QTRY_VERIFY(!scanning());
        QCOMPARE(names(manage()), (QStringList{"-Ann", "Ann Lee", "-Bob", "-Cara", "-dan", "Eve"}));
        QVERIFY(!QFile::exists(historyPath()));
    }

    void switchTwice_restoresTitlesAndHelp_companionLineShowsTheOtherSession()
    {
        startWithFriends();
        QTest::mousePress(findControl<QLabel>(form(), "LabTitList1"), Qt::RightButton);
        QCOMPARE(model().state().sessionShown, Session::First);
        QTest::mousePress(findControl<QLabel>(form(), "LabTitList1"), Qt::LeftButton);
        const QString blanks(57, u' ');
        QCOMPARE(findControl<QLabel>(form(), "LabTitList1")->text(),
                 " Friends     (2nd session)" + blanks.left(31) + "Start 2" + blanks.left(35) +
                     "End 2" + blanks.left(21) + "Lenght");
        QCOMPARE(findControl<QLabel>(form(), "LabSession")->text(), QStringLiteral("2"));
        const QString first = QStringLiteral("07/09/12 22:53 - .. .. .. .. .. > .. ..");
        const QString second = QStringLiteral("04/09/12 14:19 - .. .. .. .. .. > .. ..");
        QVERIFY(main()->lineText(0).endsWith(second));
        QVERIFY(manage()->lineText(0).endsWith(second));
        QTest::mouseClick(findControl<QLabel>(form(), "LabSession"), Qt::LeftButton);
        QCOMPARE(findControl<QLabel>(form(), "LabTitList1")->text(),
                 " Friends" + blanks + "Start" + blanks.left(38) + "End" + blanks.left(24) +
                     "Lenght");
        QCOMPARE(findControl<QLabel>(form(), "LabSession")->text(), QStringLiteral("1"));
        QVERIFY(main()->lineText(0).endsWith(first));
        // Leaving the list brings the help line back; Escape in it parks the focus.
        clickLine(main(), 0);
        findControl<QLineEdit>(form(), "TextLogin")->setFocus();
        QTRY_VERIFY(findControl<QLabel>(form(), "LabHelp")->isVisible() &&
                    !findControl<QLabel>(form(), "LabHelpNom")->isVisible());
        clickLine(main(), 0);
        QTest::keyClick(main(), Qt::Key_Escape);
        QCOMPARE(main()->currentRow(), -1);
        QTRY_VERIFY(findControl<QListWidget>(form(), "ListTri")->hasFocus());
        // The arrow keys pass over the separator line.
        clickLine(main(), 1);
        QTest::keyClick(main(), Qt::Key_Down);
        QCOMPARE(main()->currentRow(), 3);
        QTest::keyClick(main(), Qt::Key_Up);
        QCOMPARE(main()->currentRow(), 1);
    }

    // A line clicked after Ann's: the companion line shown, or none, and the line left selected
    // only when it is a friend's. A name cut at 18 finds no friend and leaves Ann's in view.
    void companionLine_data()
    {
        addColumns<QString, int, QString, QColor>({"state", "line", "companion", "colour"});
        const auto row = [](const char *name, const char *state, int line, const QString &shown,
                            const QColor &colour = QColor(0, 128, 0)) {
            addRow(name, QString(state), line, shown, colour);
        };
        // Ann's sessions start at 22:53 and 14:19 and are open; the namesakes' 2nd is empty.
        const QString open = " - .. .. .. .. .. > .. ..", second = "04/09/12 14:19" + open,
                      ann = "ann.x             : ", sam = "sam.b             : .. .. .. .. ..";
        row("1st session: the 2nd, green", "", 0, ann + second);
        row("2nd session: the 1st, black", "second", 0, ann + "07/09/12 22:53" + open, Qt::black);
        row("user names: the display name", "user", 0, "Ann" + QString(15, u' ') + ": " + second);
        row("namesakes: the later row's", "", 3, sam + open);
        row("namesakes: the later row's, either line", "", 4, sam + open);
        row("name cut at 18: left as it was", "", 2, ann + second);
        row("separator", "", 1, QString()), row("blank line", "", 9, QString());
    }
    void companionLine()
    {
        auto [state, line, companion] = fetch<QString, int, QString>("state", "line", "companion");
        startWithFriends({FiveFriends.first(),
                          {"Sam", "sam.a"},
                          {"Sam", "sam.b"},
                          {"Example Friend Long Name", "long"}});
        if (!state.isEmpty())
            click(state == "user" ? "LabCheckUser" : "LabSession");
        clickLine(main(), 0);
        clickLine(main(), line);
        QCOMPARE(findControl<QLabel>(form(), "LabHelpNom")->text(), companion);
        QVERIFY(findControl<QLabel>(form(), "LabHelpNom")->isVisible() != companion.isEmpty() &&
                findControl<QLabel>(form(), "LabHelp")->isVisible() == companion.isEmpty());
        if (!companion.isEmpty())
            QTEST(findControl<QLabel>(form(), "LabHelpNom")->palette().color(QPalette::WindowText),
                  "colour");
        QCOMPARE(main()->currentRow(), main()->lineText(line).contains(u':') ? line : -1);
        QCOMPARE(main()->selectionModel()->hasSelection(), main()->currentRow() >= 0);
    }

    // The help line over each control in each state that words it (set first: the panel hidden,
    // a filter or the user names on, the 2nd session or the management list shown). A friend
    // selected in the main list keeps its companion line over the controls that do not switch.
    void helpLine_data()
    {
        addColumns<QString, QString, QString, bool>({"control", "state", "text", "switches"});
        const auto row = [](const char *controls, const char *state, const QString &text,
                            bool switches = false) {
            for (const QString &control : QString(controls).split(u' '))
                QTest::addRow("%s %s", qPrintable(control), state)
                    << control << QString(state) << text << switches;
        };
        row("LabelProg1 LabelProg2", "",
            QString::asprintf("Amiscan v%d.%d%d - 14/10/12", AMISCAN_VERSION_MAJOR,
                              AMISCAN_VERSION_MINOR, AMISCAN_VERSION_PATCH));
        row("ButHidePanel", "",
            "Click to hide the panel to reduce the size of the window (or "
            "<Double click> on List)");
        row("ButHidePanel", "hidden",
            "Click to show the panel to recover the normal window size "
            "[or <Double click> on List]");
        row("TextLogin", "", "Enter your Vey Username");
        row("TextPw", "", "Enter your Vey Password");
        row("LabCheckAutoStart CheckAutoStart", "",
            "If checked, the scan begin when program starts");
        row("ButGo", "", "Click to scan your friends online");
        row("LabTextTimerScan1 TextTimerScan LabTextTimerScan2", "",
            "Enter the scan interval (in minutes)");
        row("ButTimerOnOff", "", "Click to stop or start the timer");
        row("LabCheckFlter CheckFlter", "",
            "If checked, the list displays only selected friends "
            "(<Right click> on list to manage your selections)");
        row("LabCheckHideOff CheckHideOff", "",
            "If checked, the list do not displays friends Offline");
        row("LabCheckUser CheckUser", "",
            "If checked, the list displays User Name, instead of Display Name");
        row("LabCheckTray CheckTray", "",
            "If checked, the window is minimized to icon in "
            "notification area (bottom right corner next to the clock)");
        row("ButAbout", "", "About Amiscan");
        row("ButExit", "",
            "Click to save data and close the program (The red <X> closes the "
            "program but does not save data)");
        row("ButHideCheckFlter", "hidden",
            "The list displays All friends, Selected and Unselected");
        row("ButHideCheckFlter", "hidden filter", "The list displays ONLY selected friends");
        row("ButHideCheckHideOff", "hidden", "The list displays All friends, Online and Offline");
        row("ButHideCheckHideOff", "hidden offline", "The list do NOT displays friends Offline");
        row("ButHideCheckUser", "hidden", "Names of the list are Display Name (not UserName)");
        row("ButHideCheckUser", "hidden user", "Names of the list are UserName (not Display Name)");
        row("LabScanLast", "", "<Click> to start the scan  (as [Start Scan])", true);
        row("LabScanNext", "", "<Click> to stop or start the timer  (as [Timer])", true);
        row("CheckList2All", "manage",
            "Check or Uncheck all friends list (to undo, close the program with the red <X>)",
            true);
        row("LabInfo Form1", "", "", true), row("LabHelp LabHelpNom", "", "");
        row("LabTitList1 LabSession", "", "<Click> to display the 2nd session", true);
        row("LabTitList1 LabSession", "second", "<Click> to display the 1st session", true);
        const QString mainList = "<Right Click> manages the list  -  <Double Click> hides/shows "
                                 "Panel  -  <Select> shows ";
        row("List1", "", mainList + "2nd session", true);
        row("List1", "second", mainList + "1st session", true);
        row("List2", "manage",
            "<Right Click> to return  -  <Uncheck> hides this friend  -  "
            "<Select and press DEL> deletes this friend\"");
    }
    void helpLine()
    {
        auto [control, state, switches] =
            fetch<QString, QString, bool>("control", "state", "switches");
        startWithFriends();
        if (state.contains("hidden"))
            findControl<QPushButton>(form(), "ButHidePanel")->click();
        findControl<QCheckBox>(form(), "CheckFlter")->setChecked(state.contains("filter"));
        findControl<QCheckBox>(form(), "CheckHideOff")->setChecked(state.contains("offline"));
        findControl<QCheckBox>(form(), "CheckUser")->setChecked(state.contains("user"));
        if (state.contains("second"))
            form().switchSession();
        // The mouse meets the help line only while it is shown, the main list only unselected.
        const bool manage = state == "manage";
        const bool selected = !manage && control != "List1" && control != "LabHelp";
        if (selected || manage)
            clickLine(main(), 0, manage ? Qt::RightButton : Qt::LeftButton);
        QWidget *over = control == "Form1" ? &form()
                        : control.startsWith("List")
                            ? form().findChild<LineList *>(control)->viewport()
                            : form().findChild<QWidget *>(control);
        findControl<QLabel>(form(), "LabHelp")->setText(QStringLiteral("-"));
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), over->mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(over, &move);
        QTEST(findControl<QLabel>(form(), "LabHelp")->text(), "text");
        QCOMPARE(findControl<QLabel>(form(), "LabHelp")->isVisible(), switches || !selected);
        QCOMPARE(findControl<QLabel>(form(), "LabHelpNom")->isVisible(), selected && !switches);
    }

    // The text colours of the main list, the management list and their title, and the lists'
    // backgrounds, after scans (s) and session switches (w) from start-up with a history.
    void colours_data()
    {
        addColumns<QString, QList<QColor>>({"steps", "texts"});
        const QColor black(0, 0, 0), blue(0, 0, 255), green(0, 128, 0), greyGreen(87, 149, 125);
        addRow("start-up", "", QList<QColor>{black, black, black});
        addRow("2nd session", "w", QList<QColor>{greyGreen, greyGreen, greyGreen});
        addRow("1st again, no scan", "ww", QList<QColor>{black, black, black});
        addRow("scan", "s", QList<QColor>{blue, black, black});
        addRow("scan in the 2nd session", "ws", QList<QColor>{green, greyGreen, greyGreen});
        addRow("2nd session after a scan", "sw", QList<QColor>{greyGreen, greyGreen, greyGreen});
        addRow("1st again after a scan", "sww", QList<QColor>{blue, black, black});
        addRow("two scans", "ss", QList<QColor>{blue, black, black});
    }
    void colours()
    {
        QFETCH(QString, steps);
        QVERIFY(writeBytes(historyPath(), ExampleHistory));
        start();
        // Start Scan's green and Abort Scan's red are painted with one palette object each: the
        // style keeps a picture of the button for every palette object.
        const auto *go =
            dynamic_cast<const PushButton *>(findControl<QPushButton>(form(), "ButGo"));
        QList<qint64> looks{go->paintedPalette().cacheKey()};
        QObject watch;
        QObject::connect(&model(), &MainModel::scanButtonChanged, &watch,
                         [&] { looks << go->paintedPalette().cacheKey(); });
        for (const QChar step : steps) {
            if (step == u'w')
                click("LabSession");
            else
                QVERIFY(scan());
        }
        QCOMPARE(QSet<qint64>(looks.cbegin(), looks.cend()).size(), steps.contains(u's') ? 2 : 1);
        QCOMPARE(go->paintedPalette().color(QPalette::Button), colors::LightGreen);
        QList<QColor> texts{main()->palette().color(QPalette::Text)};
        QCOMPARE(main()->palette().color(QPalette::Base), QColor(255, 255, 241));
        clickLine(main(), 0, Qt::RightButton); // the management list shown
        texts << manage()->palette().color(QPalette::Text)
              << findControl<QLabel>(form(), "LabTitList1")->palette().color(QPalette::WindowText);
        QCOMPARE(manage()->palette().color(QPalette::Base), QColor(255, 255, 255));
        QTEST(texts, "texts");
    }

    // The lists' heights at their limits, the help line under them and the window's height, in
    // twips as designed (rows(n) = (n - 1) * 195 + 255, 225 a row in the management list), shown
    // at 15 twips a pixel. Fewer than 15 lines are padded to 16.
    void listHeights_data()
    {
        // twips: lists' height, help line's top, window's height
        addColumns<int, QString, QList<int>>({"friends", "state", "twips"});
        addRow("15 lines", 15, "", QList<int>{2985, 4595, 5295});
        addRow("14 lines, padded", 14, "", QList<int>{3180, 4790, 5490});
        addRow("51 rows at most", 60, "", QList<int>{10005, 11615, 12315});
        addRow("panel hidden, 15 lines", 15, "hidden", QList<int>{2985, 3710, 4410});
        addRow("panel hidden, 55 rows at most", 60, "hidden", QList<int>{10785, 11510, 12210});
        addRow("management list, 20 lines", 20, "manage", QList<int>{3885, 5495, 6195});
        addRow("management list, 51 rows at most", 60, "manage", QList<int>{9960, 11570, 12270});
    }
    void listHeights()
    {
        auto [friends, state, twips] = fetch<int, QString, QList<int>>("friends", "state", "twips");
        QList<Friend> offline;
        for (int i = 0; i < friends; ++i)
            offline << Friend{QStringLiteral("Friend %1").arg(i, 2, 10, QChar(u'0')),
                              "f" + QString::number(i)};
        startWithFriends(offline);
        if (state == "hidden")
            click("ButHidePanel");
        else if (state == "manage")
            clickLine(main(), 0, Qt::RightButton);
        const auto px = [](int twips) { return qRound(twips / 15.0); };
        const int top = state == "hidden" ? 750 : 1625; // the lists' row, 875 up with the panel
        for (LineList *list : {main(), manage()})
            QCOMPARE(QList<int>({list->y(), list->height()}),
                     QList<int>({px(top), px(top + twips[0]) - px(top)}));
        QCOMPARE(QList<int>({findControl<QLabel>(form(), "LabHelp")->y(),
                             findControl<QLabel>(form(), "LabHelpNom")->y(), form().height()}),
                 QList<int>({px(twips[1]), px(twips[1]), px(twips[2])}));
    }

    // Where the desktop has no notification area, a minimised window never hides in it.
    void trayOption_data()
    {
        QTest::addColumn<bool>("notificationArea");
        addRow("notification area", true);
        addRow("no notification area", false);
    }
    void trayOption()
    {
        QFETCH(bool, notificationArea);
        const QString control = QStringLiteral("CheckTray");
        m_tray->available = notificationArea;
        start();
        click(control);
        QCOMPARE(m_tray->toolTip, QStringLiteral("Amiscan"));
        QCOMPARE(form().focusWidget(), findControl<QListWidget>(form(), "ListTri"));
        const int height = twipsGeometry(&form()).height();
        form().showMinimized();
        if (notificationArea) {
            QTRY_VERIFY(!form().isVisible());
            // The tooltip follows the status while hidden, cut to 63 characters, never in one.
            QVERIFY(scan());
            QVERIFY(findControl<StatusLabel>(form(), "LabInfo")->text() != texts::ProgramName);
            QCOMPARE(m_tray->toolTip, findControl<StatusLabel>(form(), "LabInfo")->text());
            const QString wide = QString::fromUcs4(U"\U0001F600");
            findControl<StatusLabel>(form(), "LabInfo")
                ->setText(QString(62, u'x') + wide + QStringLiteral("tail"));
            QCOMPARE(m_tray->toolTip, QString(62, u'x') + wide);
            setTwipsHeight(&form(), height + 3000);
            m_tray->press();
            QVERIFY(form().isVisible());
            QCOMPARE(form().windowState() & ~Qt::WindowActive, Qt::WindowNoState);
            const int restored = twipsGeometry(&form()).height(); // laid out again
            form().showTable();
            QCOMPARE(restored, twipsGeometry(&form()).height());
            QVERIFY(m_tray->shown);
            form().showMinimized(); // a notification's click brings it back from there too
            QTRY_VERIFY(!form().isVisible());
            m_notifier->click();
            QVERIFY(form().isVisible());
            // So does a second start for the same data directory, which is refused.
            QTemporaryDir runtime;
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
            const QString dir = m_scan->dir.path();
            SingleInstance first(dir), second(dir);
            CopyChannel firstChannel(dir), secondChannel(dir);
            QVERIFY(claimSingleCopy(first, firstChannel, {}));
            bringBackOnLaterStarts(firstChannel, form());
            form().showMinimized();
            QTRY_VERIFY(!form().isVisible());
            QString refusal;
            QVERIFY(
                !claimSingleCopy(second, secondChannel,
                                 [&](const QString &, const QString &text) { refusal = text; }));
            QCOMPARE(refusal, RefusalText);
            QTRY_VERIFY(form().isVisible());
            QCOMPARE(form().windowState() & ~Qt::WindowActive, Qt::WindowNoState);
            click(control);
            QVERIFY(!m_tray->shown);
            form().showMinimized();
        }
        QTest::qWait(20);
        QVERIFY(form().isVisible() && form().isMinimized() &&
                findControl<QCheckBox>(form(), "CheckTray")->isChecked() == !notificationArea);
        // Minimised, it takes a new height only when it comes back.
        const int before = twipsGeometry(&form()).height();
        model().stateForTests().minListLines = model().state().maxListLines; // the lists grow
        form().showTable();
        QCOMPARE(twipsGeometry(&form()).height(), before);
        m_notifier->click();
        QVERIFY(form().isVisible());
        QCOMPARE(form().windowState() & ~Qt::WindowActive, Qt::WindowNoState);
        QVERIFY(twipsGeometry(&form()).height() > before);
    }

    // Every scan is kept in the presence log; the time the program was closed is nobody's
    // online time: each period ends or starts there unseen.
    void presenceLog_keepsTheRunsApart()
    {
        QTemporaryDir dir;
        const QDateTime at(QDate(2026, 12, 7), QTime(10, 0));
        for (const int minutes : {0, 22}) { // two runs, twenty minutes apart
            ScriptedScan run(true, dir.path());
            run.fetcher->answer = [](const QUrl &) { return FriendsDirect; };
            run.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
            for (const int minute : {minutes, minutes + 1}) {
                Clock::set(at.addSecs(60 * minute));
                QTest::mouseClick(findControl<QPushButton>(run.form, "ButGo"), Qt::LeftButton);
                QVERIFY(QTest::qWaitFor([&run] { return !run.scanning(); }));
            }
            run.form.endProgram(ExitRoute::ExitButton);
        }
        QStringList periods;
        for (const Period &p : PresenceLog::open(dir.path())->periods({{}, {}, {"ann.lee"}}))
            periods << formatStamp(p.innerStart) + u'-' + formatStamp(p.innerEnd) +
                           (p.outerStart.isValid() ? u'<' : u'?') +
                           (p.outerEnd.isValid() ? u'>' : u'?');
        QCOMPARE(periods, (QStringList{"07/12/26 10:00-07/12/26 10:01??",
                                       "07/12/26 10:22-07/12/26 10:23??"}));
    }

    // Zed and Ann (selected) and Bob (not) come online, Cy resumes the session that ended
    // minutes ago and Dee stays online: Ann and Zed are announced, in the main list's order.
    void scan_announcesTheSelectedFriendsWhoCameOnline_data()
    {
        addColumns<bool, bool, QList<QStringList>>({"notifyOnline", "userNames", "shown"});
        addRow("display names", true, false,
               QList<QStringList>{{"Amiscan", "ann.lee² and Zed are online"}});
        addRow("user names", true, true,
               QList<QStringList>{{"Amiscan", "ann.lee and zed are online"}});
        addRow("option off", false, false, QList<QStringList>{});
    }
    void scan_announcesTheSelectedFriendsWhoCameOnline()
    {
        auto [notifyOnline, userNames] = fetch<bool, bool>("notifyOnline", "userNames");
        start();
        findControl<QCheckBox>(form(), "CheckUser")->setChecked(userNames);
        model().stateForTests().notify.comingOnline = notifyOnline;
        Friend cy{"Cy", "cy"};
        cy.end1 = formatStamp(QDateTime::currentDateTime().addSecs(-5 * 60));
        for (const Friend &f : {Friend{"Zed", "zed"},
                                {"ann.lee", "ann.lee", false, true, "²"},
                                {"Bob", "bob", false, false},
                                cy,
                                {"Dee", "dee", true}})
            add(model().tableForTests(), f);
        const QString page = browserFriendsPage(
            {{"ann.lee", "ann.lee"}, {"Bob", "bob"}, {"Cy", "cy"}, {"Dee", "dee"}, {"Zed", "zed"}});
        m_scan->browser->pageFor = [page](const QUrl &) { return page; };
        QVERIFY(scan());
        QCOMPARE(int(model().state().onlineCount), 5); // the page was merged
        QTEST(m_notifier->shown, "shown");
        QVERIFY(m_notifier->withIcon);
    }

    void announcement()
    {
        QVERIFY(onlineAnnouncement({}).isEmpty());
        QCOMPARE(onlineAnnouncement({"Ann Example"}), "Ann Example is online");
        QCOMPARE(onlineAnnouncement({"Ann", "bobby", "cy²"}), "Ann, bobby and cy² are online");
        QCOMPARE(onlineAnnouncement({"Ann %2", "bobby", "c", "d", "e"}),
                 "Ann %2, bobby and 3 more are online");
        // Names cut, without controls, and unable to turn the rest of the text around.
        QCOMPARE(onlineAnnouncement({QString(3000, u'a'), "B\u0007\u202Eo\u200Bb\nJr"}),
                 QString(39, u'a') + "\u2026 and Bob Jr are online");
        QCOMPARE(onlineAnnouncement({"\u05E9\u05DC\u05D5\u05DD"}),
                 "\u2068\u05E9\u05DC\u05D5\u05DD\u2069 is online");
    }
    void desktopNotifier_withoutABus_showsNothingAndFailsNothing()
    {
        QTest::failOnWarning(QRegularExpression("."));
        DesktopNotifier notifier;
        QVERIFY(!QDBusConnection::sessionBus().isConnected());
        notifier.notify(QIcon(":/amiscan/amiscan.png"), "Amiscan", "Ann is online");
        QTest::qWait(50);
    }
    void endRoutes_data()
    {
        addColumns<QString, int, bool>({"route", "signalNumber", "scanned"});
        const QList<std::pair<const char *, int>> routes{{"Exit", 0},        {"close box", 0},
                                                         {"session end", 0}, {"SIGTERM", SIGTERM},
                                                         {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};
        for (const auto &[route, signalNumber] : routes) {
            QTest::addRow("%s right after start-up", route) << route << signalNumber << false;
            QTest::addRow("%s after a scan and a deletion", route) << route << signalNumber << true;
        }
        // Busy: a confirmation waiting for its answer, or a scan waiting for a page that never
        // loads. The signal is handled all the same.
        addRow("SIGTERM, message open", "message", SIGTERM, true);
        addRow("SIGTERM, scan in progress", "scan", SIGTERM, true);
    }
    // The close box keeps the history as of the scan.
    void endRoutes()
    {
        auto [route, signalNumber, scanned] =
            fetch<QString, int, bool>("route", "signalNumber", "scanned");
        start();
        EndOfRun endOfRun(form(), model());
        QSignalSpy ended(&form(), &Form1::programEnded);
        click("CheckTray");
        if (scanned) {
            QVERIFY(scan());
            model().tableForTests().removeFriend(model().tableForTests().findByAccountName("bob"));
        }
        QEvent quit(QEvent::Quit);
        bool leftOpen = false;
        if (route == "Exit") {
            click("ButExit");
        } else if (route == "close box") {
            form().close();
        } else if (route == "session end") {
            QCoreApplication::sendEvent(qApp, &quit);
        } else if (route == "message") {
            QTimer::singleShot(0, [] { std::raise(SIGTERM); });
            QTimer::singleShot(3000, &form(), [&] {
                if ((leftOpen = form().dialog() != nullptr))
                    form().dialog()->close();
            });
            emit model().messageRequested({QStringLiteral("Unable to connect !"), QString()});
        } else {
            if (route == "scan") {
                m_scan->fetcher->fails = true;
                m_scan->browser->pageFor = [](const QUrl &) { return QString(); }; // never loads
                click("ButGo");
                QVERIFY(scanning());
            }
            std::raise(signalNumber);
        }
        QTRY_VERIFY(model().hasEnded());
        QVERIFY(!leftOpen && !model().stepTimer().isActive());
        form().close(); // a later closing ends nothing more
        QCOMPARE(ended.count(), 1);
        QVERIFY(!form().isVisible() && !m_tray->shown);
        if (!scanned) {
            QCOMPARE(QDir(m_scan->dir.path()).entryList(QDir::Files), QStringList());
            return;
        }
        QCOMPARE(savedAccounts(),
                 (route == "close box" ? QStringList{"ann.lee", "bob"} : QStringList{"ann.lee"}));
        QVERIFY(fileBytes(settingsPath()).contains("MinimizeIcon=1\r\n"));
    }

    // A save that fails is written again at the next one (here the close box's); one that still
    // fails at the end is told, naming the file and why, until the user quits; a deleted
    // directory is made again, and the history read is saved there.
    void failedSaves_areRetried_thenToldAtTheEnd_data()
    {
        // answers: to the questions at Exit, in turn
        addColumns<QString, QStringList>({"fault", "answers"});
        addRow("deleted directory", "deleted", QStringList());
        addRow("full disk, room at the end", "full", QStringList());
        addRow("read-only directory", "read-only", QStringList{"Retry", "Retry"});
        addRow("full disk, quit", "full", QStringList{"Quit"});
    }
    void failedSaves_areRetried_thenToldAtTheEnd()
    {
        auto [fault, answers] = fetch<QString, QStringList>("fault", "answers");
        const bool deleted = fault == "deleted";
        QVERIFY(!deleted || writeBytes(historyPath(), ExampleHistory)); // read, then no scan
        start();
        const QString dir = m_scan->dir.path();
        const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        std::optional<FullDisk> full;
        std::optional<BindMount> readOnly;
        int reason = ENOSPC;
        if (deleted) {
            model().presenceLog().flush(); // its start written, the log writes nothing more
            QVERIFY(QDir(dir).removeRecursively());
        } else if (fault == "full") {
            full.emplace();
        } else if (::geteuid() != 0) { // permissions stop no one with full rights
            QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner) &&
                    (reason = EACCES));
        } else if (reason = EROFS; !readOnly.emplace(dir, dir, true).active) {
            QSKIP("a read-only directory needs a read-only bind mount, which was refused");
        }
        QVERIFY(deleted || scan());
        model().waitForHistorySave();
        QVERIFY(savedAccounts().isEmpty());
        const auto lift = [&] {
            full.reset(), readOnly.reset(), QFile::setPermissions(dir, writable);
        };
        if (answers.isEmpty())
            lift();
        QStringList asked;
        const auto answer = [&](Form2 *d) {
            asked << d->Label2->text() + '|' + d->Label3->text() + '|' + d->ButYes->text() + '|' +
                         d->ButCancel->text();
            const bool retry = answers.value(asked.size() - 1) == "Retry";
            if (asked.size() == answers.size())
                lift();
            QTest::mouseClick(retry ? d->ButYes : d->ButCancel, Qt::LeftButton);
        };
        whenModalDialogAppears(form(), answer, true);
        fault == "full" && answers.isEmpty() ? void(form().close()) : click("ButExit");
        QTRY_VERIFY(model().hasEnded());
        QCOMPARE(asked, QStringList(answers.size(),
                                    "Amiscan.txt|" + qt_error_string(reason) + "|Retry|Quit"));
        const bool quit = answers.contains("Quit");
        QCOMPARE(savedAccounts().size(), quit ? 0 : 2); // the table read, or the one scanned
        QVERIFY(!deleted || (QFileInfo(dir).permissions() & 0xF0FF) == writable);
        QCOMPARE(fileExists(settingsPath()), !quit);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
