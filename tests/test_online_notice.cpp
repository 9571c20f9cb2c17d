// The notification that tells which selected friends came online: its text, and what the real
// layer sends to a notification service of the test's own on a private session bus. The scan
// that gives it and the click on it are the main window's test.
#include "platform/desktop_notifier.h"
#include "scan/online_notice.h"
#include "widget_test_main.h"

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

    // Names come from a web page: escaped where the service reads markup in the body.
    void desktopLayer_sendsToTheNotificationService()
    {
        QTest::failOnWarning(QRegularExpression("."));
        // A bus of the test's own, with no service it could start.
        QFile config(m_dir.filePath("bus.conf"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(
            "<busconfig><type>session</type><listen>unix:dir=" + QFile::encodeName(m_dir.path()) +
            "</listen><policy context=\"default\"><allow send_destination=\"*\"/><allow "
            "eavesdrop=\"true\"/><allow "
            "own=\"*\"/></policy></busconfig>");
        config.close();
        QProcess daemon;
        daemon.start("dbus-daemon",
                     {"--config-file=" + config.fileName(), "--print-address", "--nofork"});
        QVERIFY2(daemon.waitForReadyRead(10000), "dbus-daemon did not start");
        const QString address = QString::fromUtf8(daemon.readLine().trimmed());
        const QDBusConnection client = QDBusConnection::connectToBus(address, "client");
        QDBusConnection serviceBus = QDBusConnection::connectToBus(address, "service");
        NotificationService service;
        service.capabilities = QStringList{"actions", "body-markup"};
        QVERIFY(serviceBus.registerObject(Path, &service, QDBusConnection::ExportAllSlots));
        QVERIFY(serviceBus.registerService(Service));
        {
            DesktopNotifier notifier(client);
            QSignalSpy activated(&notifier, &Notifier::activated);
            notifier.notify(QIcon(":/amiscan/amiscan.png"), "Amiscan", "Tom & <Jerry> is online");
            QTRY_VERIFY(!service.lastCall.isEmpty());
            const QVariantList &call = service.lastCall;
            QCOMPARE(call.mid(0, 5), (QVariantList{"Amiscan", 0u, AMISCAN_APP_ID, "Amiscan",
                                                   "Tom &amp; &lt;Jerry&gt; is online"}));
            QCOMPARE(call.at(5).toStringList().value(0), QStringLiteral("default"));
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
        QDBusConnection::disconnectFromBus("client");
        QDBusConnection::disconnectFromBus("service");
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
