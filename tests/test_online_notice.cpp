// The notification that tells which selected friends came online: its text, and the desktop layer
// where there is no session bus. The scan that gives it and the click on it are the main
// window's test.
#include "platform/desktop_notifier.h"
#include "scan/online_notice.h"
#include "widget_test_main.h"

#include <QDBusConnection>
#include <QRegularExpression>

using namespace amiscan;

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
