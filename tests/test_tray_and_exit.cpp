// The notification-area icon and the ways the program ends: what each way saves, that every way
// removes the icon, and that neither a dialog nor a scan stops it.
#include "app/data_dir.h"
#include "app/end_of_run.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "platform/system_tray_icon.h"
#include "scripted_scan.h"
#include "store/history_file.h"
#include "widget_test_main.h"
#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QSignalSpy>
#include <csignal>

using namespace amiscan;

namespace {

// The scripted main window with a notification area as the test chooses.
struct Window : ScriptedScan
{
    explicit Window(bool trayAvailable = true)
        : ScriptedScan(true,
                       [trayAvailable](ScriptedScan &w) {
                           auto icon = std::make_unique<FakeTrayIcon>();
                           icon->available = trayAvailable;
                           w.form.setTrayIcon(std::move(icon));
                       }),
          tray(static_cast<FakeTrayIcon *>(&form.trayIcon()))
    {
    }

    bool scan()
    {
        browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        fetcher->answer = [](const QUrl &) { return FriendsDirect; };
        QTest::mouseClick(form.ButGo, Qt::LeftButton);
        return QTest::qWaitFor([this] { return !scanning(); });
    }

    void deleteBob() { form.table.removeFriend(form.table.findByAccountName("bob")); }
    QStringList savedAccounts() const
    {
        FriendsTable saved;
        history::readFile(historyFilePath(dir.path()), saved);
        return friend_rows::column(saved, AccountName);
    }

    FakeTrayIcon *tray;
    QSignalSpy ended{&form, &Form1::programEnded};
};

} // namespace

class TestTrayAndExit : public QObject
{
    Q_OBJECT

private slots:
    void trayOption_addsAndRemovesTheIcon_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("square") << "CheckTray";
        QTest::newRow("label") << "LabCheckTray";
    }
    void trayOption_addsAndRemovesTheIcon()
    {
        QFETCH(QString, control);
        Window w;
        auto *target = w.form.findChild<QWidget *>(control);
        QTest::mouseClick(target, Qt::LeftButton);
        QVERIFY(w.tray->shown);
        QCOMPARE(w.tray->toolTip, QStringLiteral("Amiscan"));
        QVERIFY(w.form.isVisible());
        QCOMPARE(w.form.focusWidget(), w.form.ListTri);
        QTest::mouseClick(target, Qt::LeftButton);
        QVERIFY(!w.tray->shown);
        w.form.showMinimized();
        QTest::qWait(20);
        QVERIFY(w.form.isVisible() && w.form.isMinimized()); // an ordinary minimised window
    }

    void startUp_withSavedOption_addsTheIconBeforeShowing()
    {
        bool visibleAtAdd = true;
        QWidget *focusAtAdd = nullptr;
        ScriptedScan w(true, [&](ScriptedScan &s) {
            testing::writeBytes(settingsFilePath(s.dir.path()),
                                "[Parameters]\r\nMinimizeIcon=1\r\n");
            auto icon = std::make_unique<FakeTrayIcon>();
            icon->onAdd = [&, form = &s.form] {
                visibleAtAdd = form->isVisible();
                focusAtAdd = form->focusWidget();
            };
            s.form.setTrayIcon(std::move(icon));
        });
        QVERIFY(w.form.trayIcon().isShown());
        QVERIFY(!visibleAtAdd);
        QCOMPARE(focusAtAdd, nullptr);
        QVERIFY(w.form.isVisible());
    }

    void minimiseWithOption_data()
    {
        QTest::addColumn<bool>("notificationArea");
        QTest::newRow("notification area") << true;
        QTest::newRow("none") << false;
    }
    void minimiseWithOption()
    {
        QFETCH(bool, notificationArea);
        Window w(notificationArea);
        QTest::mouseClick(w.form.CheckTray, Qt::LeftButton);
        w.form.layoutLists();
        const int height = w.form.windowHeightTwips();
        w.form.showMinimized();

        if (!notificationArea) {
            // A hidden window could not be brought back: it stays minimised, the option kept.
            QTest::qWait(20);
            QVERIFY(w.form.isVisible() && w.form.CheckTray->isChecked());
            return;
        }
        QTRY_VERIFY(!w.form.isVisible());
        QVERIFY(w.tray->shown);
        w.form.setWindowHeightTwips(height + 3000);
        w.tray->press();
        QVERIFY(w.form.isVisible());
        QCOMPARE(w.form.windowState() & ~Qt::WindowActive, Qt::WindowNoState);
        QCOMPARE(w.form.windowHeightTwips(), height); // the lists were laid out again
        QVERIFY(w.tray->shown);
    }

    void systemIcon_pressesAreLeftAndRightPresses_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<int>("presses");
        QTest::newRow("left") << int(QSystemTrayIcon::Trigger) << 1;
        QTest::newRow("right") << int(QSystemTrayIcon::Context) << 1;
        QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << 0;
        QTest::newRow("middle") << int(QSystemTrayIcon::MiddleClick) << 0;
    }
    void systemIcon_pressesAreLeftAndRightPresses()
    {
        QFETCH(int, reason);
        QFETCH(int, presses);
        SystemTrayIcon icon;
        QSignalSpy pressed(&icon, &TrayIcon::pressed);
        emit icon.systemIcon()->activated(QSystemTrayIcon::ActivationReason(reason));
        QCOMPARE(pressed.count(), presses);
    }

    void toolTip_followsTheStatusWhileHidden()
    {
        Window w;
        QTest::mouseClick(w.form.CheckTray, Qt::LeftButton);
        w.form.showMinimized();
        QTRY_VERIFY(!w.form.isVisible());
        QVERIFY(w.scan());
        QVERIFY(w.form.LabInfo->text() != QStringLiteral("Amiscan"));
        QCOMPARE(w.tray->toolTip, w.form.LabInfo->text());

        // At most 63 characters, never half of one.
        const QString wide = QString::fromUcs4(U"\U0001F600");
        w.form.LabInfo->setText(QString(62, u'x') + wide + QStringLiteral("tail"));
        QCOMPARE(w.tray->toolTip, QString(62, u'x') + wide);
    }

    void endRoutes_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("scanned");
        const QList<std::pair<const char *, int>> routes{{"Exit", 0},        {"close box", 0},
                                                         {"session end", 0}, {"SIGTERM", SIGTERM},
                                                         {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};
        for (const auto &[route, signalNumber] : routes) {
            QTest::addRow("%s right after start-up", route) << route << signalNumber << false;
            QTest::addRow("%s after a scan and a deletion", route) << route << signalNumber << true;
        }
    }
    void endRoutes()
    {
        QFETCH(QString, route);
        QFETCH(int, signalNumber);
        QFETCH(bool, scanned);
        Window w;
        EndOfRun endOfRun(w.form);
        QTest::mouseClick(w.form.CheckTray, Qt::LeftButton);
        if (scanned) {
            QVERIFY(w.scan());
            w.deleteBob();
        }

        QEvent quit(QEvent::Quit);
        if (route == "Exit")
            QTest::mouseClick(w.form.ButExit, Qt::LeftButton);
        else if (route == "close box")
            w.form.close();
        else if (route == "session end")
            QCoreApplication::sendEvent(qApp, &quit);
        else
            std::raise(signalNumber);
        QTRY_VERIFY(w.form.hasEnded());
        w.form.close(); // a later closing ends nothing more
        QCOMPARE(w.ended.count(), 1);
        QVERIFY(!w.form.isVisible() && !w.tray->shown);
        if (!scanned) {
            QCOMPARE(QDir(w.dir.path()).entryList(QDir::Files), QStringList());
            return;
        }
        // The close box keeps the history as of the scan; every other way saves the deletion.
        const QStringList kept =
            route == "close box" ? QStringList{"ann.lee", "bob"} : QStringList{"ann.lee"};
        QCOMPARE(w.savedAccounts(), kept);
        QVERIFY(testing::fileBytes(settingsFilePath(w.dir.path())).contains("MinimizeIcon=1\r\n"));
    }

    void signalWhileBusy_savesAndEnds_data()
    {
        QTest::addColumn<bool>("dialog");
        QTest::newRow("confirmation open") << true;
        QTest::newRow("scan in progress") << false;
    }
    void signalWhileBusy_savesAndEnds()
    {
        QFETCH(bool, dialog);
        Window w;
        EndOfRun endOfRun(w.form);
        QVERIFY(w.scan());
        w.deleteBob();
        bool leftOpen = false;
        if (dialog) {
            QTimer::singleShot(0, [] { std::raise(SIGTERM); });
            QTimer::singleShot(3000, &w.form, [&] {
                if ((leftOpen = w.form.dialog() != nullptr))
                    w.form.unloadDialog();
            });
            QVERIFY(!w.form.confirm({QStringLiteral("Delete ?"), QString()}));
            QVERIFY(!leftOpen);
        } else {
            w.fetcher->fails = true;
            w.browser->pageFor = [](const QUrl &) { return QString(); }; // never loads
            QTest::mouseClick(w.form.ButGo, Qt::LeftButton);
            QVERIFY(w.scanning());
            std::raise(SIGTERM);
        }
        QTRY_VERIFY(w.form.hasEnded());
        QVERIFY(!w.form.Timer1->isActive());
        QCOMPARE(w.savedAccounts(), QStringList{"ann.lee"});
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestTrayAndExit)
#include "test_tray_and_exit.moc"
