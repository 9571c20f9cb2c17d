// The repeat count-down and the status row against a fake window, their arithmetic on its own,
// then the window's side: the end of a scan, the interval box and the status row's presses.
#include "data_table.h"
#include "dialog_driver.h"
#include "schedule/countdown.h"
#include "schedule/interval.h"
#include "schedule/scan_timer.h"
#include "scripted_scan.h"
#include "store/clock.h"
#include "ui/line_list.h"
#include "widget_test_main.h"
#include "window_controls.h"
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

using Tone = StatusRow::Tone;

struct FakeWindow final : ScheduleHost
{
    ScheduleState state;
    ScanState scan = ScanState::PageRead;
    bool manage = false, scanning = false;
    QString interval = QStringLiteral("15");
    QList<StatusRow> shown;
    int parks = 0, starts = 0;
    std::function<void()> onPark = [] {};

    ScheduleState &scheduleState() override { return state; }
    ScanState scanState() const override { return scan; }
    bool isReady() const override { return true; }
    bool isManageListShown() const override { return manage; }
    bool isScanInProgress() const override { return scanning; }
    QString intervalText() const override { return interval; }
    void setIntervalText(const QString &text) override { interval = text; }
    void showStatus(const StatusRow &row) override { shown << row; }
    void showRepeat(bool) override {}
    void parkFocus() override { ++parks, onPark(); }
    void startScanButton() override { ++starts; }
};

struct Rig
{
    FakeWindow window;
    QTimer minute;
    ScanTimer timer{window, minute};
};

void editInterval(ScriptedScan &w, const QString &typed)
{
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QTest::mouseClick(findControl<QLineEdit>(w.form, "TextTimerScan"), Qt::LeftButton);
    findControl<QLineEdit>(w.form, "TextTimerScan")->selectAll();
    QTest::keyClick(findControl<QLineEdit>(w.form, "TextTimerScan"), Qt::Key_Delete);
    QTest::keyClicks(findControl<QLineEdit>(w.form, "TextTimerScan"), typed);
}

} // namespace

class TestScanTimer : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Clock::set({}); }

    void arithmetic_data()
    {
        // ticks: 0: the interval box's checks instead
        addColumns<QString, int, QString>({"from", "ticks", "result"});
        const auto row = [](const char *from, int ticks, const char *result) {
            QTest::addRow("%s, %d", from, ticks) << QString(from) << ticks << QString(result);
        };
        row("15", 1, "14"), row("1", 1, "0"), row("0", 1, "-1"), row("0.3", 1, "-0.7");
        row("2.5", 3, "-0.5"), row("10.1", 10, "0.1"); // plain decimal text, no binary noise
        for (const char *notNumber : {"abc", "", "   ", "nan", "inf", "1,5"})
            row(notNumber, 0, "15");
        row("0", 0, "1"), row("-3", 0, "1");
        for (const char *kept : {"2.5", "0.25", "100000", "15"})
            row(kept, 0, kept);
    }
    void arithmetic()
    {
        auto [from, ticks] = fetch<QString, int>("from", "ticks");
        double minutes = minutesValue(from);
        for (int i = 0; i < ticks; ++i)
            minutes = minutesAfterTick(minutes);
        QTEST(ticks ? minutesText(minutes) : validatedInterval(from), "result");
    }

    void statusRow_data()
    {
        // next: "-" when the caption stays; tones: those set, of last, info and next.
        addColumns<bool, ScanState, bool, QString, bool, QString, QList<Tone>>(
            {"repeatOn", "scan", "completed", "minutes", "counting", "next", "tones"});
        const auto row = [](const char *name, bool on, ScanState scan, bool completed,
                            const char *minutes, const char *next, QList<Tone> tones,
                            bool counting = false) {
            addRow(name, on, scan, completed, QString(minutes), counting, QString(next), tones);
        };
        const QList<Tone> blue{Tone::Blue, Tone::Blue, Tone::Blue};
        const QList<Tone> black{Tone::Black, Tone::Black, Tone::Black};
        const ScanState read = ScanState::PageRead, started = ScanState::Started,
                        none = ScanState::NotStarted;
        row("counting", true, read, true, "14", "Next scan in 14 mn ", blue);
        row("count at zero", true, read, true, "0", "-", blue);
        row("repeat off", false, read, true, "3", "Timer stopped ", {Tone::Red});
        row("before any scan", true, none, false, "15", "Scan not started ", black);
        row("counting before any scan", true, none, false, "15", "Scan not started ", black, true);
        row("failed after a completed scan", true, started, true, "15", "Next scan in 15 mn ",
            blue);
        row("failed first scan", true, started, false, "15", "-", {});
        row("and counting again", true, started, false, "15", "Next scan in 15 mn ", blue, true);
    }
    void statusRow()
    {
        auto [repeatOn, scan, completed, minutes, counting, next, tones] =
            fetch<bool, ScanState, bool, QString, bool, QString, QList<Tone>>(
                "repeatOn", "scan", "completed", "minutes", "counting", "next", "tones");
        const StatusRow row = amiscan::statusRow(
            {minutesValue(minutes), repeatOn, completed, "05/12 - 14:07"}, scan, counting);
        QCOMPARE(row.nextCaption.value_or("-"), next);
        QList<Tone> set;
        for (const auto &tone : {row.last, row.info, row.next})
            if (tone)
                set << *tone;
        QCOMPARE(set, tones);
        QCOMPARE(row.lastCaption, QStringLiteral(" Last Scan : 05/12 - 14:07"));
        QCOMPARE(row.loginPlain, scan != ScanState::NotStarted);
        QCOMPARE(amiscan::statusRow({}, scan, false).lastCaption, QStringLiteral(" Last Scan : "));
    }

    void tick_firesTheScanAtZeroOrLess_data()
    {
        // editing: parking the focus validates the box; scanning: a scan started by hand is the
        // one due: no press.
        addColumns<QString, bool, bool, int, bool>(
            {"minutes", "manage", "editing", "ticks", "scanning"});
        addRow("whole", "2", false, false, 2, false);
        addRow("fraction", "2.5", false, false, 3, false);
        addRow("management list shown", "1", true, false, 1, false);
        addRow("while the interval is edited", "1", false, true, 1, false);
        addRow("while a scan started by hand runs", "1", false, true, 1, true);
    }
    void tick_firesTheScanAtZeroOrLess()
    {
        auto [minutes, manage, editing, ticks, scanning] = fetch<QString, bool, bool, int, bool>(
            "minutes", "manage", "editing", "ticks", "scanning");
        Rig r;
        r.window.scanning = scanning;
        r.window.manage = manage;
        r.window.interval = QStringLiteral("3");
        if (editing)
            r.window.onPark = [&r] { r.timer.validateInterval(); };
        r.window.state.minutesLeft = minutesValue(minutes);
        r.minute.start(60000);
        for (int i = 1; i < ticks; ++i)
            r.timer.tick();
        QVERIFY(r.minute.isActive() && r.window.starts == 0);
        r.timer.tick();
        QCOMPARE(r.window.state.minutesLeft, TimedScanRunning);
        QVERIFY(!r.minute.isActive());
        QCOMPARE(r.window.starts, int(!scanning));
        QCOMPARE(r.window.parks, manage || scanning ? 0 : 1);
        const int shown = scanning ? 0 : ticks + int(editing);
        QCOMPARE(r.window.shown.size(), shown);
        r.window.scanning = true; // the status row is the running scan's
        r.timer.refreshScanStatus();
        QCOMPARE(r.window.shown.size(), shown);
    }

    // The user's Abort cuts a timed scan or a running count short and switches repetition off;
    // a failure leaves repetition as it was, the count-down running when it is on.
    void scanEnd_abortSwitchesOffFailureCountsOn_data()
    {
        // "aborted|failed on|off minutes [counting] [edited: the interval box left meanwhile]",
        // then "on|off minutes [counting]" after the scan's end; the interval is 4.
        addColumns<QString, QString>({"before", "after"});
        addRow("timed scan aborted", "aborted on -1", "off 4");
        addRow("timed scan aborted, interval left", "aborted on -1 edited", "off 4");
        addRow("timed scan aborted, switched off", "aborted off -1", "off 4");
        addRow("count running, aborted", "aborted on 7 counting", "off 4");
        addRow("count paused, aborted", "aborted on 7", "on 7");
        addRow("timed scan failed", "failed on -1", "on 4 counting");
        addRow("timed scan failed, interval left", "failed on -1 edited", "on 4 counting");
        addRow("count running, failed", "failed on 7 counting", "on 7 counting");
        addRow("first scan failed", "failed on 7", "on 7 counting");
        addRow("repeat off, failed", "failed off 7", "off 7");
    }
    void scanEnd_abortSwitchesOffFailureCountsOn()
    {
        QFETCH(QString, before);
        const QStringList given = before.split(u' ');
        Rig r;
        r.window.interval = QStringLiteral("4");
        r.window.state.repeatOn = given.at(1) == u"on";
        r.window.state.minutesLeft = minutesValue(given.at(2));
        if (given.contains(u"counting"))
            r.minute.start(60000);
        if (given.contains(u"edited")) // the box left during the scan
            r.window.scanning = true, r.timer.validateInterval(), r.window.scanning = false;
        given.first() == u"failed" ? r.timer.scanFailed() : r.timer.scanEnded();
        QTEST((r.window.state.repeatOn ? "on " : "off ") + minutesText(r.window.state.minutesLeft) +
                  (r.minute.isActive() ? " counting" : ""),
              "after");
    }

    void completion_data()
    {
        // counting: a count-down under way, its minute started earlier; box: the interval box,
        // perhaps in the middle of an edit.
        addColumns<bool, bool, QString, QString, QString>(
            {"repeatOn", "counting", "minutes", "box", "minutesAfter"});
        addRow("by hand, seven left", true, true, "7", "7", "7");
        addRow("box emptied meanwhile", true, false, "-1", "", "15");
        addRow("repeat off, count spent", false, false, "-0.5", "5", "5");
    }
    void completion()
    {
        auto [repeatOn, counting, minutes, box, minutesAfter] =
            fetch<bool, bool, QString, QString, QString>("repeatOn", "counting", "minutes", "box",
                                                         "minutesAfter");
        ScriptedScan w;
        Form1 &f = w.form;
        Clock::set(QDateTime(QDate(2026, 12, 5), QTime(14, 7)));
        w.model.stateForTests().repeatOn = repeatOn;
        w.model.stateForTests().minutesLeft = minutesValue(minutes);
        findControl<QLineEdit>(f, "TextTimerScan")->setText(box);
        w.model.minuteTimer().setTimerType(Qt::PreciseTimer);
        if (counting)
            w.model.minuteTimer().start();
        QTest::qWait(100);
        w.model.stateForTests().scanState = ScanState::PageRead;
        findControl<QPushButton>(f, "ButGo")->setText(QStringLiteral("Abort Scan"));
        w.model.finishMergedScan();
        QCOMPARE(minutesText(w.model.state().minutesLeft), minutesAfter);
        QCOMPARE(w.model.minuteTimer().isActive(), repeatOn);
        QVERIFY(!counting || w.model.minuteTimer().remainingTime() < 59950); // its minute goes on
        QVERIFY(w.model.state().scanCompleted);
        QCOMPARE(
            (QStringList{findControl<QLabel>(f, "LabScanLast")->text(),
                         w.model.state().lastScanStamp,
                         findControl<QPushButton>(f, "ButGo")->text(),
                         findControl<QLabel>(f, "LabScanNext")->text()}),
            (QStringList{" Last Scan : 05/12 - 14:07", "05/12 - 14:07", "Start Scan",
                         repeatOn ? "Next scan in " + minutesAfter + " mn " : "Timer stopped "}));
    }

    void intervalBox_endingTheEditValidates_data()
    {
        // end: a key, or the caption clicked; before it another window or the box's context
        // menu, which end nothing.
        addColumns<QString, QString, QString>({"typed", "end", "kept"});
        const auto row = [](const char *typed, const char *end, const char *kept) {
            QTest::addRow("%s, %s", typed, end) << QString(typed) << QString(end) << QString(kept);
        };
        row("abc", "Return", "15"), row("15", "Return", "15"), row("-3", "Escape", "1");
        row("2.5", "LabTextTimerScan1", "2.5"), row("0", "LabTextTimerScan2", "1");
        row("abc", "another window, then Return", "15"), row("", "context menu, then Return", "15");
    }
    void intervalBox_endingTheEditValidates()
    {
        auto [typed, end, kept] = fetch<QString, QString, QString>("typed", "end", "kept");
        ScriptedScan w;
        w.model.stateForTests().minutesLeft = 0.5;
        editInterval(w, typed);
        if (end.startsWith(u'a')) { // another program takes the focus: the edit goes on
            QWidget other;
            other.show();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            editInterval(w, typed);
        } else if (end.startsWith(u'c')) { // the box keeps its text while the menu is open
            QString textWhileMenuOpen = QStringLiteral("unseen");
            QTimer::singleShot(50, &w.form, [&] {
                if (QWidget *menu = QApplication::activePopupWidget())
                    textWhileMenuOpen = findControl<QLineEdit>(w.form, "TextTimerScan")->text(),
                    menu->close();
            });
            QContextMenuEvent menuEvent(
                QContextMenuEvent::Mouse, {5, 5},
                findControl<QLineEdit>(w.form, "TextTimerScan")->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(findControl<QLineEdit>(w.form, "TextTimerScan"), &menuEvent);
            QTRY_COMPARE(textWhileMenuOpen, typed);
        }
        if (end.contains(u','))
            end = QStringLiteral("Return");
        QCOMPARE(w.model.state().minutesLeft, 0.5); // typing alone changes nothing
        if (end.startsWith(u'L'))
            QTest::mouseClick(w.form.findChild<QLabel *>(end), Qt::LeftButton);
        else
            QTest::keyClick(findControl<QLineEdit>(w.form, "TextTimerScan"),
                            end == u"Return" ? Qt::Key_Return : Qt::Key_Escape);
        QCOMPARE(findControl<QLineEdit>(w.form, "TextTimerScan")->text(), kept);
        QCOMPARE(minutesText(w.model.state().minutesLeft), kept);
        QVERIFY(findControl<QListWidget>(w.form, "ListTri")->hasFocus());
    }

    void statusLabelsAndTimedScansThatFail()
    {
        ScriptedScan w;
        Form1 &f = w.form;
        for (QWidget *label :
             {findControl<QLabel>(f, "LabScanNext"), findControl<QLabel>(f, "LabScanLast")}) {
            QTest::mousePress(label, Qt::RightButton);
            QTest::mousePress(label, Qt::MiddleButton);
        }
        QVERIFY(w.model.state().repeatOn && !w.scanning());
        QTest::mousePress(findControl<QLabel>(f, "LabScanLast"), Qt::LeftButton); // Start Scan
        QVERIFY(w.scanning());
        QTest::mousePress(findControl<QLabel>(f, "LabScanLast"), Qt::LeftButton); // and Abort Scan
        QVERIFY(!w.scanning() && w.model.state().repeatOn);
        w.model.stateForTests().minutesLeft = 9;
        QTest::mousePress(findControl<QLabel>(f, "LabScanNext"), Qt::LeftButton);
        QVERIFY(!w.model.state().repeatOn && !w.model.minuteTimer().isActive());
        QTest::mousePress(findControl<QLabel>(f, "LabScanNext"),
                          Qt::LeftButton); // counts on from where it stood
        QVERIFY(w.model.state().repeatOn && w.model.minuteTimer().isActive());
        QCOMPARE(w.model.state().minutesLeft, 9.0);
        // Timed scans that fail, the interval changed during the first: the count runs from it
        // before the one message shows, and the next scans start while it waits for its Ok.
        QStringList messages;
        bool countingAtMessage = false, nextScanWhileOpen = false;
        whenModalDialogAppears(
            f,
            [&](Form2 *dialog) {
                messages << dialog->Label1->text();
                countingAtMessage =
                    w.model.minuteTimer().isActive() && w.model.state().minutesLeft == 4;
                nextScanWhileOpen = QTest::qWaitFor([&] { return w.scanning(); }, 3000);
                QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
            },
            true);
        w.model.scanDriver().setTimings({300, 5, 5}); // time for the edit
        w.model.stateForTests().minutesLeft = 1;
        w.model.minuteTimer().start(30);
        QTRY_VERIFY(w.scanning());
        editInterval(w, QStringLiteral("4"));
        QTest::keyClick(findControl<QLineEdit>(f, "TextTimerScan"), Qt::Key_Return);
        QVERIFY(w.scanning());
        w.model.scanDriver().setTimings({20, 5, 5});
        QTRY_COMPARE(messages.size(), 1);
        QVERIFY(countingAtMessage && nextScanWhileOpen);
        QTRY_VERIFY(w.fetcher->fetched.size() >= 3); // the second timed scan has failed too
        w.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        QTRY_COMPARE(w.model.table().friendCount(), 2);
        QCOMPARE(messages, QStringList{"Unable to connect !"});
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestScanTimer)
#include "test_scan_timer.moc"
