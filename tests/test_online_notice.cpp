// The notification that tells which selected friends came online: its text, the scan that gives
// it, the click that brings the window back, and what the real layer sends to the desktop's
// notification service on a private session bus of the test's own.
#include "friend_rows.h"
#include "platform/desktop_notifier.h"
#include "scan/online_notice.h"
#include "store/time_text.h"
#include "scripted_scan.h"
#include "widget_test_main.h"

#include <QCheckBox>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>

using namespace amiscan;

namespace {

const QString NotificationsName = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationsPath = QStringLiteral("/org/freedesktop/Notifications");

// The main window with a recorded notifier and notification area.
struct Window : ScriptedScan
{
    Window()
        : ScriptedScan(true,
                       [](ScriptedScan &w) {
                           w.form.setNotifier(std::make_unique<FakeNotifier>());
                           w.form.setTrayIcon(std::make_unique<FakeTrayIcon>());
                       }),
          notifier(static_cast<FakeNotifier *>(&form.notifier()))
    {
    }

    FakeNotifier *notifier;
};

// A bus daemon of the test's own, with no service it could start: a service on it is the
// test's alone.
struct PrivateBus
{
    QTemporaryDir dir;
    QProcess daemon;
    QString address;

    PrivateBus()
    {
        const QString config = dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                  "<policy context=\"default\"><allow send_destination=\"*\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                  "</busconfig>")
                       .arg(dir.path())
                       .toUtf8());
        file.close();
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--config-file=") + config, QStringLiteral("--print-address"),
                      QStringLiteral("--nofork")});
        if (daemon.waitForReadyRead(10000))
            address = QString::fromUtf8(daemon.readLine().trimmed());
    }

    ~PrivateBus()
    {
        daemon.terminate();
        daemon.waitForFinished();
    }
};

// The desktop's notification service as the test plays it.
class NotificationService final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList capabilities;
    QVariantList lastCall;
    int calls = 0;

public slots:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int timeout)
    {
        lastCall = {appName, replacesId, appIcon, summary, body, actions, hints, timeout};
        return uint(41 + ++calls);
    }
};

// The "image-data" hint's width, height, row length, alpha, bits, channels and byte count.
QList<int> imageFields(const QVariant &hint)
{
    const QDBusArgument argument = hint.value<QDBusArgument>();
    int width = 0, height = 0, rowLength = 0, bits = 0, channels = 0;
    bool alpha = false;
    QByteArray data;
    argument.beginStructure();
    argument >> width >> height >> rowLength >> alpha >> bits >> channels >> data;
    argument.endStructure();
    return {width, height, rowLength, alpha, bits, channels, int(data.size())};
}

} // namespace

class TestOnlineNotice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // This process has no session bus: the real layer's default finds none.
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                QStringLiteral("unix:path=%1/none").arg(m_noBus.path()).toUtf8());
    }

    void announcement_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QStringList{} << QString();
        QTest::newRow("one") << QStringList{"Ann Example"} << "Ann Example is online";
        QTest::newRow("two") << QStringList{"Ann Example", "bobby"}
                             << "Ann Example and bobby are online";
        QTest::newRow("three") << QStringList{"Ann Example", "bobby", "cy²"}
                               << "Ann Example, bobby and cy² are online";
        QTest::newRow("four") << QStringList{"Ann Example", "bobby", "cy", "dee"}
                              << "Ann Example, bobby and 2 more are online";
        QTest::newRow("five, names with %") << QStringList{"Ann %2", "bobby", "c", "d", "e"}
                                            << "Ann %2, bobby and 3 more are online";
    }
    void announcement()
    {
        QFETCH(QStringList, names);
        QTEST(onlineAnnouncement(names), "text");
    }

    // Zed and Ann (selected) and Bob (not selected) come online, Cy resumes the session that
    // ended minutes ago and Dee stays online: Ann and Zed are announced, in the main list's order.
    void scan_announcesTheSelectedFriendsWhoCameOnline_data()
    {
        QTest::addColumn<bool>("notifyOnline");
        QTest::addColumn<bool>("userNames");
        QTest::addColumn<QList<QStringList>>("shown");
        const QString title = QStringLiteral("Amiscan");
        QTest::newRow("display names")
            << true << false << QList<QStringList>{{title, "Ann Lee² and Zed are online"}};
        QTest::newRow("user names")
            << true << true << QList<QStringList>{{title, "ann.lee and zed are online"}};
        QTest::newRow("option off") << false << false << QList<QStringList>{};
    }
    void scan_announcesTheSelectedFriendsWhoCameOnline()
    {
        QFETCH(bool, notifyOnline);
        QFETCH(bool, userNames);
        Window w;
        w.form.state.notifyOnline = notifyOnline;
        w.form.CheckUser->setChecked(userNames);
        using friend_rows::Friend;
        friend_rows::add(w.form.table, QStringLiteral("Zed"));
        friend_rows::add(w.form.table, Friend{"Ann Lee", "ann.lee", false, true, "²"});
        friend_rows::add(w.form.table, Friend{"Bob", "bob", false, false});
        Friend cy{"Cy", "cy"};
        cy.end1 = formatStamp(QDateTime::currentDateTime().addSecs(-5 * 60));
        friend_rows::add(w.form.table, cy);
        friend_rows::add(w.form.table, Friend{"Dee", "dee", true});
        const QString page = browserFriendsPage(
            {{"Ann Lee", "ann.lee"}, {"Bob", "bob"}, {"Cy", "cy"}, {"Dee", "dee"}, {"Zed", "zed"}});
        w.browser->pageFor = [page](const QUrl &) { return page; };

        QTest::mouseClick(w.form.ButGo, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&w] { return !w.scanning(); }));
        QCOMPARE(int(w.form.state.onlineCount), 5); // the page was merged
        QTEST(w.notifier->shown, "shown");
        QVERIFY(w.notifier->withIcon);
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
        w.notifier->click();
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
        QFETCH(QStringList, capabilities);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        PrivateBus bus;
        QVERIFY2(!bus.address.isEmpty(), "dbus-daemon did not start");
        QDBusConnection client =
            QDBusConnection::connectToBus(bus.address, QTest::currentDataTag());
        QDBusConnection serviceBus = QDBusConnection::connectToBus(
            bus.address, QStringLiteral("service ") + QTest::currentDataTag());
        const QIcon icon(QStringLiteral(":/amiscan/amiscan.png"));
        const QString text = QStringLiteral("Tom & <Jerry> is online");
        {
            DesktopNotifier notifier(client);
            QSignalSpy activated(&notifier, &Notifier::activated);
            // No service yet: nothing is shown and nothing fails.
            notifier.notify(icon, QStringLiteral("Amiscan"), text);
            QTest::qWait(200);

            NotificationService service;
            service.capabilities = capabilities;
            QVERIFY(serviceBus.registerObject(NotificationsPath, &service,
                                              QDBusConnection::ExportAllSlots));
            QVERIFY(serviceBus.registerService(NotificationsName));
            notifier.notify(icon, QStringLiteral("Amiscan"), text);
            QTRY_COMPARE(service.calls, 1);
            const QVariantList &call = service.lastCall;
            QCOMPARE(call.mid(0, 4), (QVariantList{"Amiscan", 0u, AMISCAN_APP_ID, "Amiscan"}));
            QTEST(call.at(4).toString(), "body");
            QCOMPARE(call.at(5).toStringList().mid(0, 1), QStringList{"default"});
            QCOMPARE(call.at(7), QVariant(-1));
            const QVariantMap hints = call.at(6).toMap();
            QCOMPARE(hints.value("desktop-entry"), QVariant(AMISCAN_APP_ID));
            QCOMPARE(imageFields(hints.value("image-data")),
                     (QList<int>{48, 48, 48 * 4, true, 8, 4, 48 * 48 * 4}));

            // A click on another program's notification, then on ours.
            for (const uint id : {7u, 42u}) {
                QDBusMessage invoked = QDBusMessage::createSignal(
                    NotificationsPath, NotificationsName, QStringLiteral("ActionInvoked"));
                invoked << id << QStringLiteral("default");
                QVERIFY(serviceBus.send(invoked));
            }
            QTRY_COMPARE(activated.count(), 1);
            QTest::qWait(50);
            QCOMPARE(activated.count(), 1);
        }
        QDBusConnection::disconnectFromBus(client.name());
        QDBusConnection::disconnectFromBus(serviceBus.name());
    }

    void desktopLayer_withoutABus_showsNothingAndFailsNothing()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        DesktopNotifier notifier;
        QVERIFY(!QDBusConnection::sessionBus().isConnected());
        QSignalSpy activated(&notifier, &Notifier::activated);
        notifier.notify(QIcon(QStringLiteral(":/amiscan/amiscan.png")), QStringLiteral("Amiscan"),
                        QStringLiteral("Ann is online"));
        QTest::qWait(50);
        QCOMPARE(activated.count(), 0);
    }

private:
    QTemporaryDir m_noBus;
};

AMISCAN_WIDGET_TEST_MAIN(TestOnlineNotice)
#include "test_online_notice.moc"
