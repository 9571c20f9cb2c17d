// The desktop's services on a session bus of the test's own: the password in a real keyring
// (gnome-keyring, started and ended here), the notifications as a notification service of the
// test's own receives them, the preferences through their widgets, the windows a later start
// opens in the running copy, and the autostart entry run at a test session's login. The rules
// of the notifications are also checked directly.
#include "app/single_copy.h"
#include "data_table.h"
#include "desktop/autostart.h"
#include "desktop/copy_bus.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "platform/keychain_secret_store.h"
#include "scripted_scan.h"
#include "store/data_dir.h"
#include "store/presence_log.h"
#include "store/time_text.h"
#include "ui/history_window.h"
#include "ui/preferences_window.h"
#include "widget_test_main.h"
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimeEdit>
#include <csignal>

using namespace amiscan;
using namespace amiscan::testing;
using namespace friend_rows;

namespace {

const QString NotificationsPath = "/org/freedesktop/Notifications";
const QString KeyringService = "Amiscan (https://www.vey.example)";
const QDateTime Noon(QDate(2026, 12, 7), QTime(12, 0));

// The desktop's notification service as the test plays it: it records every notification.
class NotificationService final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<QVariantList> calls;

public slots:
    QStringList GetCapabilities() { return {"actions", "body-markup"}; }
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int)
    {
        calls << QVariantList{app, replaces, icon, summary, body, actions, hints};
        return uint(calls.size());
    }
};

// A keyring that takes every call and never answers.
class SilentKeyring final : public QDBusVirtualObject
{
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &, const QDBusConnection &) override { return true; }
};

bool finish(QProcess &process)
{
    return process.waitForStarted(10000) && process.waitForFinished(30000) &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

class TestDesktopServices : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home; // the session's runtime, configuration and data folders
    QProcess m_bus;
    QProcess m_keyring;
    NotificationService m_service;
    std::unique_ptr<ScriptedScan> m_scan;
    Form1 &form() { return m_scan->form; }
    MainModel &model() { return m_scan->model; }

    bool keyringRunning()
    {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(
            "org.freedesktop.secrets");
    }
    void startKeyring()
    {
        m_keyring.start("gnome-keyring-daemon",
                        {"--foreground", "--unlock", "--components=secrets"});
        QVERIFY2(m_keyring.waitForStarted(10000), "gnome-keyring-daemon is not installed");
        m_keyring.write("the keyring's password");
        m_keyring.closeWriteChannel();
        QTRY_VERIFY_WITH_TIMEOUT(keyringRunning(), 20000);
    }
    // What the keyring holds for the user, read as the program reads it.
    QString inKeyring(const QString &user)
    {
        KeychainSecretStore store(20000);
        std::optional<SecretStore::Answer> answer;
        store.read(KeyringService, user, [&](const SecretStore::Answer &a) { answer = a; });
        if (!QTest::qWaitFor([&] { return answer.has_value(); }, 30000))
            return "no answer";
        return answer->outcome == SecretStore::Outcome::Done ? answer->secret : QString();
    }
    QString settings() { return fileBytes(settingsFilePath(m_scan->dir.path())); }
    QString keyringText()
    {
        form().showPreferences();
        return findControl<QLabel>(form(), "LabKeyringState")->text();
    }
    void click(const char *name)
    {
        form().findChild<QAbstractButton *>(QLatin1StringView(name))->click();
    }

public:
    ~TestDesktopServices() override
    {
        m_bus.terminate();
        m_bus.waitForFinished(10000);
    }

private slots:
    // A bus that starts no service, and a home of the test's own, before any connection.
    void initTestCase()
    {
        for (const char *dir : {"run", "config", "data", "none"})
            QVERIFY(QDir(m_home.path()).mkpath(dir));
        QFile::setPermissions(m_home.filePath("run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const auto &[name, dir] : {std::pair{"HOME", "."},
                                        {"XDG_RUNTIME_DIR", "run"},
                                        {"XDG_CONFIG_HOME", "config"},
                                        {"XDG_DATA_HOME", "data"},
                                        {"XDG_CONFIG_DIRS", "none"}})
            qputenv(name, QFile::encodeName(m_home.filePath(dir)));
        QVERIFY(writeBytes(
            m_home.filePath("bus.conf"),
            "<busconfig><type>session</type><listen>unix:dir=" + QFile::encodeName(m_home.path()) +
                "</listen><policy context=\"default\"><allow send_destination=\"*\"/>"
                "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>"));
        m_bus.start("dbus-daemon", {"--config-file=" + m_home.filePath("bus.conf"),
                                    "--print-address", "--nofork"});
        QVERIFY2(m_bus.waitForStarted(10000), "dbus-daemon is not installed");
        QTRY_VERIFY2_WITH_TIMEOUT(m_bus.canReadLine(), "dbus-daemon gave no address", 10000);
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        QDBusConnection service = QDBusConnection::connectToBus(
            QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), "service");
        QVERIFY(
            service.registerObject(NotificationsPath, &m_service, QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService("org.freedesktop.Notifications"));
        startKeyring();
    }
    // The keyring may be gone at the end of the run only: the bus goes after the last test.
    void cleanupTestCase()
    {
        m_keyring.terminate();
        m_keyring.waitForFinished(10000);
    }
    void init()
    {
        m_scan = std::make_unique<ScriptedScan>(false);
        m_service.calls.clear();
    }
    void cleanup()
    {
        m_scan.reset();
        Clock::set({});
    }

    void rules_data()
    {
        // Ann and Bob (not chosen) came online, Cy (chosen) went offline; quiet: "from-to".
        addColumns<bool, QString, QString, int, QString, QString>(
            {"all", "quiet", "at", "health", "body", "category"});
        const QString chosen = "Ann is online\nCy went offline";
        addRow("chosen friends", false, "", "12:00", -1, chosen, "presence");
        addRow("all friends", true, "", "12:00", -1, "Ann and Bob are online\nCy went offline",
               "presence");
        addRow("quiet over midnight", false, "22:00-07:00", "06:59", -1, "", "");
        addRow("quiet over midnight, ended", false, "22:00-07:00", "07:00", -1, chosen, "presence");
        addRow("quiet within the day", false, "13:00-14:00", "13:59", -1, "", "");
        addRow("quiet with equal ends: never", false, "13:00-13:00", "13:00", -1, chosen,
               "presence");
        addRow("scans fail, told with the changes", false, "", "12:00", 1,
               "Scans have failed for 30 minutes.\n" + chosen, "presence");
        addRow("scans work again, nobody changed", false, "", "12:00", 0,
               "The friends page was read at 12:00.", "network.connected");
    }
    void rules()
    {
        auto [all, quiet, at, health, body, category] =
            fetch<bool, QString, QString, int, QString, QString>("all", "quiet", "at", "health",
                                                                 "body", "category");
        NotificationRules rules{
            .comingOnline = true, .goingOffline = true, .allFriends = all, .scanHealth = true};
        if (!quiet.isEmpty()) {
            rules.quietHours = true;
            rules.quietFrom = QTime::fromString(quiet.left(5));
            rules.quietTo = QTime::fromString(quiet.mid(6));
        }
        const QList<FriendChange> changes =
            health == 0 ? QList<FriendChange>()
                        : QList<FriendChange>{{FriendChange::CameOnline, "Ann", true},
                                              {FriendChange::CameOnline, "Bob", false},
                                              {FriendChange::WentOffline, "Cy", true}};
        std::optional<HealthNotice> notice;
        if (health >= 0)
            notice = HealthNotice{"Amiscan: told",
                                  health == 1 ? "Scans have failed for 30 minutes."
                                              : "The friends page was read at 12:00.",
                                  health == 0};
        const auto notification =
            scanNotification(rules, changes, notice, QDateTime(Noon.date(), QTime::fromString(at)));
        QCOMPARE(notification.value_or(Notification{}).body, body);
        QCOMPARE(notification.value_or(Notification{}).category, category);
    }
    // Told once an online period, again after a new one.
    void longOnline_isToldOncePerPeriod()
    {
        FriendsTable table;
        Friend bob{"Bob", "bob", true};
        bob.start1 = formatStamp(Noon.addSecs(-61 * 60));
        add(table, bob);
        add(table, Friend{"Ann", "ann", true, true, {}, formatStamp(Noon.addSecs(-59 * 60))});
        QHash<FriendsTable::RowId, QString> told;
        QCOMPARE(newlyLongOnline(table, Noon, 60, told), QList{table.rowId(1)});
        QVERIFY(newlyLongOnline(table, Noon, 60, told).isEmpty());
        table.setCell(1, Start1, formatStamp(Noon.addSecs(-90 * 60)));
        QCOMPARE(newlyLongOnline(table, Noon, 60, told), QList{table.rowId(1)});
    }

    // Each preference, set through its widget, changes what the notification service receives:
    // Cy & Co (chosen, named by the user name cy&co) comes online, Ann (chosen) goes offline, Bob
    // (not chosen) has been online for two hours. The test notification always comes last.
    void notifications_data()
    {
        addColumns<QStringList, QTime, QString, QString, QString>(
            {"checked", "clock", "title", "body", "category"});
        const QString cy = "cy&amp;co\u00B2 is online"; // its display name cannot be one
        addRow("coming online", QStringList{"CheckNotifyOnline"}, QTime(12, 0), "Amiscan", cy,
               "presence.online");
        addRow("going offline", QStringList{"CheckNotifyOffline"}, QTime(12, 0), "Amiscan",
               "Ann went offline", "presence.offline");
        addRow("online longer, chosen friends", QStringList{"CheckNotifyLongOnline"}, QTime(12, 0),
               "Amiscan", "", "");
        addRow("online longer, all friends",
               QStringList{"CheckNotifyLongOnline", "RadioAllFriends"}, QTime(12, 0), "Amiscan",
               "Bob has been online for over 90 minutes", "presence");
        addRow("all in one",
               QStringList{"CheckNotifyOnline", "CheckNotifyOffline", "CheckNotifyLongOnline",
                           "RadioAllFriends"},
               QTime(12, 0), "Amiscan",
               cy + "\nAnn went offline\nBob has been online for over 90 minutes", "presence");
        addRow("quiet hours", QStringList{"CheckNotifyOnline", "CheckQuietHours"}, QTime(23, 30),
               "Amiscan", "", "");
        addRow("after the quiet hours", QStringList{"CheckNotifyOnline", "CheckQuietHours"},
               QTime(7, 0), "Amiscan", cy, "presence.online");
        addRow("scans failing", QStringList{}, QTime(12, 0), "Amiscan: certificate refused",
               "The Vey site's certificate is refused", "network.error");
        addRow("scans failing, not told", QStringList{"CheckScanHealth"}, QTime(12, 0), "", "", "");
    }
    void notifications()
    {
        auto [checked, clock, title, body, category] =
            fetch<QStringList, QTime, QString, QString, QString>("checked", "clock", "title",
                                                                 "body", "category");
        const QDateTime now(Noon.date(), clock);
        Clock::set(now);
        form().load();
        m_scan->logIn();
        FriendsTable &table = model().tableForTests();
        add(table, Friend{"Ann", "ann", true, true, {}, formatStamp(now.addSecs(-600))});
        add(table, Friend{"Bob", "bob", true, false, {}, formatStamp(now.addSecs(-7200))});
        add(table, Friend{"cy&co", "cy&co"});
        model().stateForTests().scanState = ScanState::PageRead; // not the first scan
        const QString page = browserFriendsPage({{"Bob", "bob"}, {"Cy &amp; Co", "cy&amp;co"}});
        m_scan->browser->pageFor = [page](const QUrl &) { return page; };
        if (QByteArray(QTest::currentDataTag()).startsWith("scans")) { // no page comes
            m_scan->browser->pageFor = [](const QUrl &) { return QString(); };
            m_scan->browser->trouble.certificateRefused = true;
        }
        form().showPreferences();
        findControl<QSpinBox>(form(), "SpinLongOnlineMinutes")->setValue(90);
        for (const QString &name : checked)
            click(qPrintable(name));
        QSignalSpy history(&model(), &MainModel::historyRequested);
        click("ButGo");
        QTRY_VERIFY(!m_scan->scanning());
        click("ButTestNotification");
        QTRY_VERIFY(!m_service.calls.isEmpty() &&
                    m_service.calls.constLast().at(4) == testNotification().body);
        QCOMPARE(m_service.calls.size(), body.isEmpty() ? 1 : 2);
        const QVariantList &call = m_service.calls.constFirst();
        QCOMPARE(call.mid(0, 3), (QVariantList{"Amiscan", 0u, AMISCAN_APP_ID}));
        QCOMPARE(call.at(5).toStringList(), (QStringList{"default", "Show", "history", "History"}));
        const QVariantMap hints = call.at(6).toMap();
        QVERIFY(hints.contains("image-data") && hints.value("desktop-entry") == AMISCAN_APP_ID);
        if (body.isEmpty())
            return;
        QCOMPARE(call.at(3).toString(), title);
        QVERIFY2(call.at(4).toString().startsWith(body), qPrintable(call.at(4).toString()));
        QCOMPARE(hints.value("category").toString(), category);
        // Its actions: "History" asks for the history, a click brings the window back.
        form().hide();
        for (const char *action : {"history", "default"}) {
            QDBusMessage invoked = QDBusMessage::createSignal(
                NotificationsPath, "org.freedesktop.Notifications", "ActionInvoked");
            invoked << 1u << QString::fromLatin1(action);
            QVERIFY(QDBusConnection(QStringLiteral("service")).send(invoked));
        }
        QTRY_VERIFY(form().isVisible());
        QCOMPARE(history.count(), 1);
    }

    // Ctrl+, opens them; every change is saved at once in a section of its own; starting at
    // login writes and removes a valid autostart entry; the presence log keeps the days asked
    // for, and forgets all once confirmed.
    void preferences_applyAtOnce()
    {
        QVERIFY(writeBytes(historyFilePath(m_scan->dir.path()), ExampleHistory));
        form().load();
        QApplication::setActiveWindow(&form());
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        QTest::keyClick(&form(), Qt::Key_Comma, Qt::ControlModifier);
        QVERIFY(form().preferences() && form().preferences()->isVisible());
        click("CheckNotifyOffline");
        findControl<QTimeEdit>(form(), "TimeQuietFrom")->setTime(QTime(21, 30));
        QVERIFY(settings().contains("[Preferences]\r\nNotifyOnline=0\r\nNotifyOffline=1\r\n"));
        QVERIFY(settings().contains("QuietFrom=21:30\r\n"));
        QVERIFY(!settings().contains("NotifyOnline=0\r\nNotifyOffline=0"));
        click("CheckStartAtLogin");
        QProcess validate;
        validate.start("desktop-file-validate", {autostartEntryPath()});
        QVERIFY(finish(validate));
        QCOMPARE(validate.readAll(), QByteArray());
        QVERIFY(fileBytes(autostartEntryPath()).contains(" --minimized --data-dir "));
        click("CheckStartAtLogin");
        QVERIFY(!QFile::exists(autostartEntryPath()));
        // The presence log: the days it keeps, and all of it forgotten after a Yes.
        PresenceLog::open(m_scan->dir.path())->importHistory(model().table());
        findControl<QSpinBox>(form(), "SpinKeepDays")->setValue(36500); // since 1926
        QVERIFY(settings().contains("[Log]\r\nKeepDays=36500\r\n"));
        model().presenceLog().flush();
        QVERIFY(!PresenceLog::open(m_scan->dir.path())->periods({}).isEmpty());
        QTimer::singleShot(0, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Yes)->click();
        });
        click("ButForgetHistory");
        model().presenceLog().flush();
        QVERIFY(PresenceLog::open(m_scan->dir.path())->periods({}).isEmpty());
    }

    // The entry as written starts the program when a test session logs in: its arguments arrive
    // whole, a data directory with blanks included.
    void autostartEntry_startsTheProgramAtLogin()
    {
        const QString data = m_home.filePath("data dir");
        QVERIFY(QDir().mkpath(data));
        QVERIFY(setAutostart(true, AMISCAN_EXECUTABLE, {"--minimized", "--data-dir", data}));
        QProcess session;
        session.start("dex", {"--autostart", "--environment", "GNOME"});
        QVERIFY2(finish(session), "dex could not run the autostart entries");
        const QString lock = QDir(data).filePath("Amiscan.lock");
        QTRY_VERIFY_WITH_TIMEOUT(fileBytes(lock).contains('\n'), 20000);
        const int pid = fileBytes(lock).split('\n').value(0).toInt();
        const QList<QByteArray> arguments =
            fileBytes(QStringLiteral("/proc/%1/cmdline").arg(pid)).chopped(1).split('\0');
        QCOMPARE(arguments, (QList<QByteArray>{AMISCAN_EXECUTABLE, "--minimized", "--data-dir",
                                               QFile::encodeName(data)}));
        // Stopped at any moment of its start: it is gone (a zombie while no one reaps it).
        QCOMPARE(::kill(pid, SIGTERM), 0);
        const QString stat = QStringLiteral("/proc/%1/stat").arg(pid);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(stat) || fileBytes(stat).contains(") Z "), 20000);
        QVERIFY(setAutostart(false, {}, {}) && !QFile::exists(autostartEntryPath()));
    }

    // --preferences and --history open their window in the copy that runs for the data
    // directory, and the later start ends at once without a word.
    void laterStart_opensWindowsInTheRunningCopy()
    {
        const QString dir = m_scan->dir.path();
        SingleInstance instance(dir);
        CopyChannel channel(dir);
        QVERIFY(claimSingleCopy(instance, channel, {}));
        CopyBus bus(SingleInstance::dataDirKey(dir));
        openWindowsOnBusRequests(bus, form(), model());
        QVERIFY(bus.publish());
        form().load();
        QSignalSpy history(&model(), &MainModel::historyRequested);
        for (const char *option : {"--preferences", "--history"}) {
            QProcess later;
            later.start(AMISCAN_EXECUTABLE, {option, "--data-dir", dir});
            QTRY_COMPARE_WITH_TIMEOUT(later.state(), QProcess::NotRunning, 20000);
            QCOMPARE(later.exitCode(), 0);
            QVERIFY2(!later.readAllStandardError().contains("already"), option);
        }
        QTRY_VERIFY(form().preferences() && form().preferences()->isVisible());
        QTRY_COMPARE(history.count(), 1);
        QTRY_VERIFY(form().historyWindow() && form().historyWindow()->isVisible());
    }

    // After a login through the main window, or from a file of an earlier version, the password
    // is in the keyring and not in the file; kept in the file by choice, or where no keyring
    // answers (gone, or silent past the time limit), it stays there. Needs to come last: the
    // keyring is stopped.
    void password_data()
    {
        addColumns<QString, QString, QString, QString, KeyringState, QString>(
            {"user", "file", "keyring", "saved", "state", "told"});
        addRow("login through the main window", "ann", "", "running", "", KeyringState::Holding,
               "The desktop's keyring keeps");
        addRow("moved from the file", "bob", "pw", "running", "", KeyringState::Holding,
               "The desktop's keyring keeps");
        addRow("in the file by choice", "cy", "pw", "running", "pw", KeyringState::NotAsked,
               "The password is kept in the settings file");
        addRow("keyring gone", "dee", "pw", "gone", "pw", KeyringState::None,
               "No keyring answered");
        addRow("keyring silent", "eve", "pw", "silent", "pw", KeyringState::None,
               "No keyring answered (the keyring did not answer in time)");
    }
    void password()
    {
        auto [user, file, keyring, saved, state, told] =
            fetch<QString, QString, QString, QString, KeyringState, QString>(
                "user", "file", "keyring", "saved", "state", "told");
        const QString dir = m_scan->dir.path();
        QVERIFY(writeBytes(historyFilePath(dir), ExampleHistory));
        if (!file.isEmpty())
            QVERIFY(writeBytes(settingsFilePath(dir),
                               ("[Parameters]\r\nUserName=" + user + "\r\nUserPw=" + file + "\r\n" +
                                (user == "cy" ? "[Preferences]\r\nPasswordInFile=1\r\n" : ""))
                                   .toUtf8()));
        SilentKeyring silent;
        QDBusConnection silentBus = QDBusConnection::connectToBus(
            QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), "silent");
        if (keyring != "running" && m_keyring.state() != QProcess::NotRunning) {
            m_keyring.terminate();
            QVERIFY(m_keyring.waitForFinished(10000));
        }
        if (keyring == "silent")
            QVERIFY(silentBus.registerVirtualObject("/", &silent, QDBusConnection::SubPath) &&
                    silentBus.registerService("org.freedesktop.secrets"));
        model().setSecretStore(
            std::make_unique<KeychainSecretStore>(keyring == "silent" ? 1000 : 20000));
        m_scan->browser->pageFor = [](const QUrl &) { return LoginForm; };
        m_scan->browser->pageAfterLogin = FriendsBrowser;
        form().load();
        if (file.isEmpty()) {
            findControl<QLineEdit>(form(), "TextLogin")->setText(user);
            findControl<QLineEdit>(form(), "TextPw")->setText("demo123");
            click("ButGo");
            QTRY_COMPARE(m_scan->browser->logins, (QList<QStringList>{{user, "demo123"}}));
        }
        QTRY_COMPARE_WITH_TIMEOUT(model().state().keyringState, state, 30000);
        QVERIFY2(keyringText().startsWith(told), qPrintable(keyringText()));
        form().close(); // saves the settings
        QVERIFY2(settings().contains("\r\nUserPw=" + saved + "\r\n"), qPrintable(settings()));
        QDBusConnection::disconnectFromBus("silent"); // what still waits for it fails
        if (keyring != "running")
            return;
        QCOMPARE(inKeyring(user), user == "cy" ? "" : file.isEmpty() ? "demo123" : file);
        if (user != "bob")
            return;
        // The next start finds it there; kept in the file from then on, the keyring lets it go.
        const QByteArray kept = fileBytes(settingsFilePath(dir));
        m_scan = std::make_unique<ScriptedScan>(false);
        QVERIFY(writeBytes(historyFilePath(m_scan->dir.path()), ExampleHistory));
        QVERIFY(writeBytes(settingsFilePath(m_scan->dir.path()), kept));
        model().setSecretStore(std::make_unique<KeychainSecretStore>(20000));
        form().load();
        QTRY_COMPARE_WITH_TIMEOUT(findControl<QLineEdit>(form(), "TextPw")->text(), "**", 30000);
        QCOMPARE(model().state().savedPassword, "pw");
        keyringText();
        click("RadioPasswordInFile");
        QVERIFY(settings().contains("\r\nUserPw=pw\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(inKeyring(user), "", 30000);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestDesktopServices)
#include "test_desktop_services.moc"
