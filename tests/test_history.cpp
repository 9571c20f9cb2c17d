// The history: the weekly pattern's arithmetic, the window opened by Ctrl+H over a log of known
// scans (its friends, search, timeline and pattern painted, periods and their export), and "While
// you were away" from a fake screen saver and login session on a private bus.
#include "data_table.h"
#include "desktop/screen_saver_watch.h"
#include "friend_rows.h"
#include "model/away_report.h"
#include "scripted_scan.h"
#include "store/clock.h"
#include "store/presence_log.h"
#include "ui/history_look.h"
#include "ui/history_window.h"
#include "ui/pattern_view.h"
#include "ui/timeline_view.h"
#include "widget_test_main.h"
#include <QAccessible>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>

using namespace amiscan;
using namespace amiscan::testing;
using namespace friend_rows;
namespace look = amiscan::history_look;

namespace {

// A Wednesday; the log's scans come every ten minutes from 16:00 to 20:00, then after a restart
// from 20:30 to 21:00. Ann is online from 19:00 to 19:40, Bob from 19:30 on, Cy (not chosen) from
// 19:10 to 19:20. The clock stands at 21:05.
const QDate Day(2026, 3, 4);
QDateTime at(int hour, int minute, const QDate &day = Day)
{
    return QDateTime(day, QTime(hour, minute));
}

void writeLog(const QString &dir)
{
    const auto log = PresenceLog::open(dir);
    for (const auto &[from, to] : {std::pair{16 * 60, 20 * 60}, {20 * 60 + 30, 21 * 60}}) {
        log->runStarted(at(from / 60, from % 60).addSecs(-5), from * 60000);
        for (int minute = from; minute <= to; minute += 10) {
            const QDateTime end = at(minute / 60, minute % 60);
            ScanRecord scan{end.addSecs(-2),
                            end,
                            minute * 60000,
                            ScanRoute::Direct,
                            ScanOutcome::Read,
                            4,
                            10,
                            {}};
            if (minute >= 19 * 60 && minute <= 19 * 60 + 40)
                scan.online << LoggedFriend{"ann", "Ann"};
            if (minute >= 19 * 60 + 30)
                scan.online << LoggedFriend{"bob", "Bob"};
            if (minute >= 19 * 60 + 10 && minute <= 19 * 60 + 20)
                scan.online << LoggedFriend{"cy", "Cy"};
            log->recordScan(scan);
        }
    }
    log->flush();
}

// A screen saver and a login session on a bus of their own, which the test starts and ends.
class FakeLogin : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public slots:
    QDBusObjectPath GetSessionByPID(uint) { return QDBusObjectPath(SessionPath); }

public:
    static constexpr const char *SessionPath = "/org/freedesktop/login1/session/_7";
};

struct PrivateBus
{
    QProcess daemon;
    QString address;
    FakeLogin login;
    PrivateBus()
    {
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (daemon.waitForReadyRead(10000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const char *name : {"fake-desktop", "watch"})
            QDBusConnection::disconnectFromBus(name);
        daemon.terminate();
        daemon.waitForFinished();
    }
    QDBusConnection connect(const char *name) const
    {
        return QDBusConnection::connectToBus(address, name);
    }
    // The desktop's side: the services, and their signals.
    bool serve()
    {
        QDBusConnection desktop = connect("fake-desktop");
        return desktop.registerService("org.freedesktop.ScreenSaver") &&
               desktop.registerService("org.gnome.ScreenSaver") &&
               desktop.registerService("org.freedesktop.login1") &&
               desktop.registerObject("/org/freedesktop/login1", &login,
                                      QDBusConnection::ExportAllSlots);
    }
    void send(const QString &path, const QString &interface, const QString &name,
              const QVariantList &arguments = {})
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
        signal.setArguments(arguments);
        connect("fake-desktop").send(signal);
    }
    void away(const QString &source, bool away)
    {
        if (source == "freedesktop" || source == "gnome")
            send("/org/" + source + "/ScreenSaver", "org." + source + ".ScreenSaver",
                 "ActiveChanged", {away});
        else if (source == "lock")
            send(FakeLogin::SessionPath, "org.freedesktop.login1.Session",
                 away ? "Lock" : "Unlock");
        else
            send(
                FakeLogin::SessionPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                {"org.freedesktop.login1.Session", QVariantMap{{"IdleHint", away}}, QStringList()});
    }
};

// Pattern scenarios: `days` days from Monday 2 March, observed each day from `seenFrom` to
// `seenTo` o'clock (over midnight when it comes first), online from `onFrom` to `onTo` on the
// days listed in `onDays` ("12345": weekdays).
struct Scenario
{
    int days;
    int seenFrom, seenTo, onFrom, onTo;
    QString onDays;
};
QList<std::pair<qint64, qint64>> spans(int days, int from, int to)
{
    QList<std::pair<qint64, qint64>> all;
    for (int d = 0; d < days; ++d) {
        const QDateTime start = at(from, 0, QDate(2026, 3, 2).addDays(d));
        all.append({start.toMSecsSinceEpoch(),
                    start.addSecs(((to - from + 23) % 24 + 1) * 3600).toMSecsSinceEpoch()});
    }
    return all;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedScan> m_scan;
    FakeNotifier *m_notifier = nullptr;
    Form1 &form() { return m_scan->form; }
    HistoryWindow *window() { return form().historyWindow(); }
    template <class T> T *control(const char *name) { return findControl<T>(*window(), name); }
    QStringList listed()
    {
        QStringList names;
        auto *list = control<QListWidget>("HistoryFriends");
        for (int i = 0; i < list->count(); ++i) {
            if (!list->item(i)->isHidden())
                names << (list->item(i)->isSelected() ? "*" : "") + list->item(i)->text();
        }
        return names;
    }
    // Ctrl+H, then the view read for the friends chosen (user names, in the list's order).
    bool open(const QStringList &friends = {"bob"})
    {
        QTest::keyClick(&form(), Qt::Key_H, Qt::ControlModifier);
        if (!window() || !QTest::qWaitForWindowExposed(window()))
            return false;
        window()->resize(1500, 700);
        auto *list = control<QListWidget>("HistoryFriends");
        list->clearSelection();
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setSelected(friends.contains(list->item(i)->data(Qt::UserRole)));
        const bool read = QTest::qWaitFor([&] {
            return window()->view().query.friends == friends &&
                   control<QLabel>("HistoryStatus")->text().isEmpty();
        });
        if (!read)
            qWarning() << window()->view().query.friends
                       << control<QLabel>("HistoryStatus")->text();
        return read;
    }

private slots:
    void init()
    {
        m_scan = std::make_unique<ScriptedScan>(false);
        writeLog(m_scan->dir.path());
        Clock::set(at(21, 5));
        form().setNotifier(std::make_unique<FakeNotifier>());
        form().setAwayNotifier(std::unique_ptr<FakeNotifier>(m_notifier = new FakeNotifier));
        form().load();
        for (const Friend &f : {Friend{"Cy", "cy", false, false}, Friend{"Bob", "bob", true},
                                Friend{"Dee", "dee.x"}, Friend{"Ann", "ann"}})
            add(m_scan->model.tableForTests(), f);
        m_scan->model.stateForTests().dataPresent = true;
        m_scan->model.stateForTests().notify.comingOnline = true;
        form().showTable();
        QApplication::setActiveWindow(&form());
        QVERIFY(QTest::qWaitForWindowActive(&form()));
    }
    void cleanup() { m_scan.reset(), Clock::set({}); }

    // Only observed time counts: an hour never observed is unknown, not offline.
    void pattern_data()
    {
        addColumns<Scenario, int, int, double, QString>(
            {"scenario", "day", "hour", "share", "summary"});
        addRow("evenings seen, nights never", Scenario{14, 18, 0, 19, 23, "1234567"}, 2, 20, 1.0,
               "usually online every day 19\u201323");
        addRow("a night hour is unknown", Scenario{14, 18, 0, 19, 23, "1234567"}, 2, 3, -1.0,
               "usually online every day 19\u201323");
        addRow("an evening hour offline", Scenario{14, 18, 0, 19, 23, "1234567"}, 2, 18, 0.0,
               "usually online every day 19\u201323");
        addRow("an imported period does not count", Scenario{14, 18, 0, 19, 23, "1234567"}, 2, 23,
               0.0, "usually online every day 19\u201323");
        addRow("weekdays only", Scenario{14, 0, 0, 19, 23, "12345"}, 5, 20, 0.0,
               "usually online on weekdays 19\u201323");
        addRow("over midnight", Scenario{14, 0, 0, 22, 2, "1234567"}, 1, 1, 1.0,
               "usually online every day 22\u20132");
        addRow("never online", Scenario{14, 0, 0, 0, 0, ""}, 0, 1, 0.0,
               "not usually online at any hour");
        addRow("too little seen", Scenario{1, 10, 12, 10, 12, "1"}, 0, 11, 1.0,
               "too little observed for a pattern yet");
    }
    void pattern()
    {
        auto [s, day, hour, share, summary] = fetch<Scenario, int, int, double, QString>(
            "scenario", "day", "hour", "share", "summary");
        QList<Period> periods;
        for (int d = 0; d < s.days && s.onFrom != s.onTo; ++d) {
            const QDate date = QDate(2026, 3, 2).addDays(d);
            if (!s.onDays.contains(QString::number(date.dayOfWeek())))
                continue;
            Period p;
            p.innerStart = at(s.onFrom, 0, date);
            p.innerEnd = p.innerStart.addSecs(((s.onTo - s.onFrom + 24) % 24) * 3600);
            periods << p;
            p.imported = true; // not observed: no weight
            p.innerStart = at(s.onTo, 0, date), p.innerEnd = p.innerStart.addSecs(3600);
            periods << p;
        }
        const WeeklyPattern pattern =
            weeklyPattern(periods, spans(s.days, s.seenFrom, s.seenTo),
                          at(0, 0, QDate(2026, 2, 1)).toMSecsSinceEpoch(),
                          at(0, 0, QDate(2026, 4, 1)).toMSecsSinceEpoch());
        const PatternCell &cell = pattern.cell(day, hour);
        QCOMPARE(cell.known() ? cell.share() : -1.0, share);
        QCOMPARE(patternSummary(pattern), summary);
    }
    // The change is taken half way between the scans that bound it.
    void pattern_takesTheChangeHalfWay()
    {
        Period p;
        p.innerStart = at(19, 0), p.outerStart = at(18, 40);
        p.innerEnd = at(20, 0), p.outerEnd = at(20, 20);
        const WeeklyPattern pattern =
            weeklyPattern({p}, spans(3, 0, 0), 0, at(0, 0, Day.addDays(1)).toMSecsSinceEpoch());
        QCOMPARE(pattern.cell(2, 18).onlineMs, 10 * 60000);
        QCOMPARE(pattern.cell(2, 20).onlineMs, 10 * 60000);
        QCOMPARE(pattern.observedMs, 3 * 24 * 3600000);
    }

    // Ctrl+H: the chosen friends first, who is online now, and the search by display and user
    // names.
    void search_data()
    {
        addColumns<QString, QStringList>({"search", "listed"});
        addRow("everyone", "", QStringList{"*Bob", "Ann", "Dee (dee.x)", "Cy"});
        addRow("a display name", "an", QStringList{"Ann"});
        addRow("a user name", ".X", QStringList{"Dee (dee.x)"});
        addRow("nobody", "zz", QStringList{});
    }
    void search()
    {
        QVERIFY(open());
        QCOMPARE(window()->windowTitle(), "Amiscan \u2013 History");
        // Asked for through the model (a later start, a notification's action): the same one.
        window()->hide();
        m_scan->model.requestHistory();
        QVERIFY(window()->isVisible());
        const auto [text] = fetch<QString>("search");
        QTest::keyClicks(control<QLineEdit>("HistorySearch"), text);
        QTEST(listed(), "listed");
    }

    // A double click zooms to the day; Ann's lane painted at known times, with its tooltips.
    void timeline_data()
    {
        addColumns<QTime, QString, QString>({"time", "drawn", "tip"});
        addRow("a period", QTime(19, 20), "solid", "Ann online from 19:00 to 19:40");
        addRow("its outer bounds", QTime(18, 55), "faint", "at most from 18:50 to 19:50");
        addRow("seen offline", QTime(18, 30), "observed", "Ann offline");
        addRow("not running", QTime(20, 15), "hatched",
               "Not observed from 20:00 to 20:30: Amiscan was not running");
        addRow("before the log", QTime(15, 30), "hatched", "before the presence log began");
        addRow("to come", QTime(22, 30), "future", "");
    }
    void timeline()
    {
        auto [time, drawn, tip] = fetch<QTime, QString, QString>("time", "drawn", "tip");
        QVERIFY(open({"ann"}));
        auto *timeline = control<TimelineView>("HistoryTimeline");
        QTest::mouseDClick(timeline, Qt::LeftButton, {}, timeline->pointAt(at(12, 0), 0));
        QCOMPARE(control<QLabel>("HistoryRange")->text(), "04/03/26");
        const QPoint point = timeline->pointAt(QDateTime(Day, time), 0);
        const QImage image = timeline->grab().toImage();
        // A hatch's lines are eight pixels apart.
        QSet<QRgb> around;
        const int reach = drawn == "hatched" ? 8 : 2;
        for (int x = point.x() - reach; x <= point.x() + reach; ++x)
            around << image.pixel(x, point.y());
        const QColor ann = look::FriendColours[0];
        const QHash<QString, QSet<QRgb>> expected{
            {"solid", {ann.rgb()}},
            {"faint", {look::faint(ann).rgb()}},
            {"observed", {look::Observed.rgb()}},
            {"hatched", {look::Hatch.rgb(), look::UnobservedBack.rgb()}},
            {"future", {look::Future.rgb()}}};
        QCOMPARE(around, expected[drawn]);
        QVERIFY2(timeline->textAt(point).contains(tip) &&
                     tip.isEmpty() == timeline->textAt(point).isEmpty(),
                 qPrintable(timeline->textAt(point)));
    }
    // A friend whose view is still being read is not drawn as offline.
    void timeline_friendBeingRead_isNotOffline()
    {
        TimelineView timeline;
        timeline.resize(900, 400);
        timeline.setLanes({{"ann", "Ann", look::FriendColours[0]}, {"bob", "Bob", Qt::red}});
        HistoryView view;
        view.query = {{"ann"}, at(0, 0), at(0, 0, Day.addDays(1))};
        view.coverage = {at(0, 0), at(21, 0), {}};
        timeline.setView(view);
        timeline.setDays(Day, 1);
        const QImage image = timeline.grab().toImage();
        for (const auto &[lane, colour] : {std::pair{0, look::Observed}, {1, look::UnobservedBack}})
            QCOMPARE(image.pixelColor(timeline.pointAt(at(12, 30), lane)), colour);
        QCOMPARE(timeline.textAt(timeline.pointAt(at(12, 30), 1)),
                 "Reading the presence log\u2026");
    }
    // Ann was observed on one afternoon: her evening hour is 3/4 online, a night hour unknown.
    void pattern_painted()
    {
        QVERIFY(open({"ann"}));
        control<QTabWidget>("HistoryTabs")->setCurrentIndex(1);
        auto *view = control<PatternView>("HistoryPattern");
        const QImage image = view->grab().toImage();
        const QColor ann = look::FriendColours[0],
                     evening = image.pixelColor(view->cellCentre(2, 19));
        for (const auto &[got, want] : {std::pair{evening.red(), ann.red()},
                                        {evening.green(), ann.green()},
                                        {evening.blue(), ann.blue()}})
            QVERIFY(qAbs(got - (255 + (want - 255) * 3 / 4)) <= 2);
        QSet<QRgb> night;
        for (int dx = -6; dx <= 6; ++dx)
            night << image.pixel(view->cellCentre(2, 3) + QPoint(dx, 0));
        QCOMPARE(night, (QSet<QRgb>{look::Hatch.rgb(), look::UnobservedBack.rgb()}));
        QVERIFY(view->cellText(2, 3).endsWith("never observed, so unknown"));
        QCOMPARE(control<QLabel>("PatternSummary")->text(),
                 "Ann: too little observed for a pattern yet");
        QCOMPARE(control<QLabel>("PatternBasis")->text(),
                 "based on 5 hours observed from 11/12/25 to 04/03/26");
        // Painted, so a screen reader hears it in words.
        QCOMPARE(QAccessible::queryAccessibleInterface(view)->text(QAccessible::Description),
                 "Ann: too little observed for a pattern yet, based on 5 hours observed from "
                 "11/12/25 to 04/03/26");
    }

    // The periods shown, as a table and exported as the command line exports, read back by the
    // same parsers: Bob's and Ann's, not Cy's.
    void exportShown_data()
    {
        addColumns<QString, QString>({"format", "filter"});
        addRow("csv", "csv", "CSV (*.csv)");
        addRow("json", "json", "JSON (*.json)");
        addRow("ics", "ics", "Calendar (*.ics)");
    }
    void exportShown()
    {
        auto [format, filter] = fetch<QString, QString>("format", "filter");
        QVERIFY(open({"bob", "ann"}));
        auto *table = control<QTableWidget>("HistoryPeriods");
        QStringList rows;
        for (int row = 0; row < table->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < table->columnCount(); ++column)
                cells << table->item(row, column)->text();
            rows << cells.join(u'|');
        }
        QCOMPARE(rows,
                 (QStringList{
                     "Ann|04/03/26 19:00|04/03/26 19:40|00:40|04/03/26 18:50|04/03/26 19:50|seen",
                     "Bob|04/03/26 19:30|04/03/26 20:00|00:30|04/03/26 19:20||end unseen",
                     "Bob|04/03/26 20:30|04/03/26 21:00|00:30|||neither seen"}));
        QTest::mouseClick(control<QPushButton>("HistoryExport"), Qt::LeftButton);
        auto *dialog = window()->findChild<QFileDialog *>("HistoryExportDialog");
        QVERIFY(dialog);
        const QString path = m_scan->dir.filePath("shown." + format);
        dialog->selectNameFilter(filter);
        dialog->selectFile(path);
        QSignalSpy ended(window(), &HistoryWindow::exportEnded);
        QMetaObject::invokeMethod(dialog, "accept");
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.first().first().toString(), QString());
        QProcess reader;
        reader.start(AMISCAN_DEBIAN_PYTHON, {AMISCAN_READ_EXPORT, format, path});
        QVERIFY(reader.waitForFinished(30000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
        QStringList starts;
        for (const QString &line :
             QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            starts << line.section(u'|', format == "ics" ? 1 : 2, format == "ics" ? 1 : 2);
        QStringList shown;
        for (const Period &p : window()->shownPeriods())
            shown << p.innerStart.toUTC().toString(Qt::ISODate);
        QCOMPARE(starts, shown);
    }

    // Back after more than ten minutes with the screen saver on, the session locked or idle: the
    // chosen friends who were online meanwhile; a click opens the history on that stretch.
    void awayNotice_data()
    {
        addColumns<QString, QTime, QTime, QString, QList<QStringList>>(
            {"source", "from", "to", "rules", "shown"});
        const QList<QStringList> told{{"Amiscan",
                                       "While you were away: Ann 19:00–19:40, Bob 19:30–20:00 and "
                                       "20:30–now"}};
        addRow("screen saver", "freedesktop", QTime(19, 5), QTime(21, 2), "on", told);
        addRow("GNOME's screen saver", "gnome", QTime(19, 5), QTime(21, 2), "on", told);
        addRow("session locked", "lock", QTime(19, 5), QTime(21, 2), "on", told);
        addRow("session idle", "idle", QTime(19, 5), QTime(21, 2), "on", told);
        addRow("ten minutes are not more", "freedesktop", QTime(19, 30), QTime(19, 40), "on",
               QList<QStringList>{});
        addRow("nobody chosen online", "gnome", QTime(16, 5), QTime(18, 50), "on",
               QList<QStringList>{});
        addRow("all friends", "idle", QTime(19, 5), QTime(21, 2), "all",
               QList<QStringList>{{"Amiscan", "While you were away: Ann 19:00\u201319:40, Cy "
                                              "19:10\u201319:20, Bob 19:30\u201320:00 and "
                                              "20:30\u2013now"}});
        addRow("notifications off", "lock", QTime(19, 5), QTime(21, 2), "off",
               QList<QStringList>{});
        addRow("back in the quiet hours", "gnome", QTime(19, 5), QTime(21, 2), "quiet",
               QList<QStringList>{});
    }
    void awayNotice()
    {
        auto [source, from, to, rules] =
            fetch<QString, QTime, QTime, QString>("source", "from", "to", "rules");
        NotificationRules &notify = m_scan->model.stateForTests().notify;
        notify.comingOnline = rules != "off";
        notify.allFriends = rules == "all";
        notify.quietHours = rules == "quiet";
        notify.quietFrom = QTime(21, 0), notify.quietTo = QTime(23, 0);
        PrivateBus bus;
        QVERIFY(!bus.address.isEmpty() && bus.serve());
        auto *watch = new ScreenSaverWatch(bus.connect("watch"), bus.connect("watch"));
        form().setAwayWatch(std::unique_ptr<ScreenSaverWatch>(watch));
        QTRY_VERIFY(watch->watchesLoginSession());
        QSignalSpy handled(form().findChild<AwayReport *>("AwayReport"),
                           &AwayReport::returnHandled);
        Clock::set(QDateTime(Day, from));
        bus.away(source, true);
        QTRY_VERIFY(watch->isAway());
        Clock::set(QDateTime(Day, to));
        bus.away(source, false);
        QVERIFY(handled.wait(10000));
        QTEST(m_notifier->shown, "shown");
        if (m_notifier->shown.isEmpty())
            return;
        m_notifier->click();
        QVERIFY(window() && window()->isVisible());
        const QStringList chosen =
            rules == "all" ? QStringList{"*Bob", "*Ann", "*Cy"} : QStringList{"*Bob", "*Ann"};
        QTRY_COMPARE(listed().filter("*"), chosen);
        QCOMPARE(control<QLabel>("HistoryRange")->text(), "04/03/26");
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestHistory)
#include "test_history.moc"
