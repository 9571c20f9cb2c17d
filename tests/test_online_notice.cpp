// The notification that tells which selected friends came online: its text, the scan that gives
// it, the click that brings the window back, and what the real layer sends to a notification
// service of the test's own on a private session bus.
#include "friend_rows.h"
#include "platform/desktop_notifier.h"
#include "scan/online_notice.h"
#include "scan/time_text.h"
#include "scripted_scan.h"
#include "widget_test_main.h"

#include <QCheckBox>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>

using namespace amiscan;

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");

// The main window with a recorded notifier and notification area.
struct Window : ScriptedScan
{
    Window()
        : ScriptedScan(true, [](ScriptedScan &w) {
              w.form.setNotifier(std::make_unique<FakeNotifier>());
              w.form.setTrayIcon(std::make_unique<FakeTrayIcon>());
          })
    {
    }
    FakeNotifier &notifier() { return static_cast<FakeNotifier &>(form.notifier()); }
};

// The desktop's notification service as the test plays it.
class NotificationService final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList capabilities;
    QVariantList lastCall;

public slots:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int timeout)
    {
        lastCall = {appName, replacesId, appIcon, summary, body, actions, hints, timeout};
        return 42;
    }
};

} // namespace

class TestOnlineNotice : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // This process has no session bus: the real layer's default finds none.
    void initTestCase()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                "unix:path=" + QFile::encodeName(m_dir.filePath("none")));
    }

    void announcement()
    {
        QCOMPARE(onlineAnnouncement({}), QString());
        QCOMPARE(onlineAnnouncement({"Ann Example"}), "Ann Example is online");
        QCOMPARE(onlineAnnouncement({"Ann", "bobby"}), "Ann and bobby are online");
        QCOMPARE(onlineAnnouncement({"Ann", "bobby", "cy²"}), "Ann, bobby and cy² are online");
        QCOMPARE(onlineAnnouncement({"Ann %2", "bobby", "c", "d", "e"}),
                 "Ann %2, bobby and 3 more are online");
    }

    // Zed and Ann (selected) and Bob (not) come online, Cy resumes the session that ended
    // minutes ago and Dee stays online: Ann and Zed are announced, in the main list's order.
    void scan_announcesTheSelectedFriendsWhoCameOnline_data()
    {
        QTest::addColumn<bool>("notifyOnline");
        QTest::addColumn<bool>("userNames");
        QTest::addColumn<QList<QStringList>>("shown");
        QTest::newRow("display names")
            << true << false << QList<QStringList>{{"Amiscan", "Ann Lee² and Zed are online"}};
        QTest::newRow("user names")
            << true << true << QList<QStringList>{{"Amiscan", "ann.lee and zed are online"}};
        QTest::newRow("option off") << false << false << QList<QStringList>{};
    }

    void scan_announcesTheSelectedFriendsWhoCameOnline()
    {
        QFETCH(bool, notifyOnline);
        QFETCH(bool, userNames);
        Window w;
        w.form.state.notifyOnline = notifyOnline;
        w.form.CheckUser->setChecked(userNames);
        friend_rows::Friend cy{"Cy", "cy"};
        cy.end1 = formatStamp(QDateTime::currentDateTime().addSecs(-5 * 60));
        for (const friend_rows::Friend &f : {friend_rows::Friend{"Zed", "zed"},
                                             {"Ann Lee", "ann.lee", false, true, "²"},
                                             {"Bob", "bob", false, false},
                                             cy,
                                             {"Dee", "dee", true}})
            friend_rows::add(w.form.table, f);
        const QString page = browserFriendsPage(
            {{"Ann Lee", "ann.lee"}, {"Bob", "bob"}, {"Cy", "cy"}, {"Dee", "dee"}, {"Zed", "zed"}});
        w.browser->pageFor = [page](const QUrl &) { return page; };
        QTest::mouseClick(w.form.ButGo, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&w] { return !w.scanning(); }));
        QCOMPARE(int(w.form.state.onlineCount), 5); // the page was merged
        QTEST(w.notifier().shown, "shown");
        QVERIFY(w.notifier().withIcon);
    }

    void click_bringsTheWindowBack_data()
    {
        QTest::addColumn<bool>("trayOption");
        QTest::newRow("from the notification area") << true;
        QTest::newRow("minimised") << false;
    }

    void click_bringsTheWindowBack()
    {
        QFETCH(bool, trayOption);
        Window w;
        w.form.CheckTray->setChecked(trayOption);
        w.form.show();
        w.form.showMinimized();
        QTRY_COMPARE(w.form.isVisible(), !trayOption);
        w.notifier().click();
        QVERIFY(w.form.isVisible());
        QCOMPARE(w.form.windowState() & ~Qt::WindowActive, Qt::WindowNoState);
    }

    void desktopLayer_sendsToTheNotificationService_data()
    {
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("body");
        QTest::newRow("plain text") << QStringList{"actions"} << "Tom & <Jerry> is online";
        QTest::newRow("markup") << QStringList{"actions", "body-markup"}
                                << "Tom &amp; &lt;Jerry&gt; is online";
    }

    void desktopLayer_sendsToTheNotificationService()
    {
        QTest::failOnWarning(QRegularExpression("."));
        // A bus of the test's own, with no service it could start.
        QFile config(m_dir.filePath("bus.conf"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(
            "<busconfig><type>session</type><listen>unix:dir=" + QFile::encodeName(m_dir.path()) +
            "</listen><policy context=\"default\"><allow send_destination=\"*\"/><allow "
            "eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        config.close();
        QProcess daemon;
        daemon.start("dbus-daemon",
                     {"--config-file=" + config.fileName(), "--print-address", "--nofork"});
        QVERIFY2(daemon.waitForReadyRead(10000), "dbus-daemon did not start");
        const QString address = QString::fromUtf8(daemon.readLine().trimmed());
        const QString tag = QTest::currentDataTag();
        QDBusConnection client = QDBusConnection::connectToBus(address, tag);
        QDBusConnection serviceBus = QDBusConnection::connectToBus(address, "service " + tag);
        const QIcon icon(":/amiscan/amiscan.png");
        {
            DesktopNotifier notifier(client);
            QSignalSpy activated(&notifier, &Notifier::activated);
            notifier.notify(icon, "Amiscan",
                            "Tom & <Jerry> is online"); // no service yet: nothing fails
            QTest::qWait(200);
            NotificationService service;
            QFETCH(QStringList, capabilities);
            service.capabilities = capabilities;
            QVERIFY(serviceBus.registerObject(Path, &service, QDBusConnection::ExportAllSlots));
            QVERIFY(serviceBus.registerService(Service));
            notifier.notify(icon, "Amiscan", "Tom & <Jerry> is online");
            QTRY_VERIFY(!service.lastCall.isEmpty());
            const QVariantList &call = service.lastCall;
            QCOMPARE(call.mid(0, 4), (QVariantList{"Amiscan", 0u, AMISCAN_APP_ID, "Amiscan"}));
            QTEST(call.at(4).toString(), "body");
            QCOMPARE(call.at(5).toStringList().value(0), QStringLiteral("default"));
            QCOMPARE(call.at(7), QVariant(-1));
            const QVariantMap hints = call.at(6).toMap();
            QCOMPARE(hints.value("desktop-entry"), QVariant(AMISCAN_APP_ID));
            QVERIFY(hints.contains("image-data"));
            // A click on another program's notification, then on ours.
            for (const uint id : {7u, 42u}) {
                QDBusMessage invoked = QDBusMessage::createSignal(Path, Service, "ActionInvoked");
                invoked << id << QStringLiteral("default");
                QVERIFY(serviceBus.send(invoked));
            }
            QTRY_COMPARE(activated.count(), 1);
            QTest::qWait(50);
            QCOMPARE(activated.count(), 1);
        }
        QDBusConnection::disconnectFromBus(client.name());
        QDBusConnection::disconnectFromBus(serviceBus.name());
        daemon.terminate();
        daemon.waitForFinished();
    }

    void desktopLayer_withoutABus_showsNothingAndFailsNothing()
    {
        QTest::failOnWarning(QRegularExpression("."));
        DesktopNotifier notifier;
        QVERIFY(!QDBusConnection::sessionBus().isConnected());
        notifier.notify(QIcon(":/amiscan/amiscan.png"), "Amiscan", "Ann is online");
        QTest::qWait(50);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestOnlineNotice)
#include "test_online_notice.moc"
