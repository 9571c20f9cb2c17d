// The repeat count-down and the status row against a fake window; the count's text arithmetic
// and the interval's checks on their own; then the window's side: the end of a scan, the
// interval box and the status row's presses.
#include "dialog_driver.h"
#include "schedule/countdown.h"
#include "schedule/interval.h"
#include "schedule/scan_timer.h"
#include "scripted_scan.h"
#include "store/clock.h"
#include "ui/colors.h"
#include "ui/line_list.h"
#include "widget_test_main.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>

using namespace amiscan;

namespace {

using Tone = StatusRow::Tone;

struct FakeWindow final : ScanTimerWindow
{
    ScheduleState state;
    ScanState scan = ScanState::PageRead;
    bool manage = false;
    bool scanning = false;
    QString interval = QStringLiteral("15");
    QList<StatusRow> shown;
    std::optional<bool> lights;
    int parks = 0;
    int starts = 0;
    std::function<void()> onPark;

    ScheduleState &scheduleState() override { return state; }
    ScanState scanState() const override { return scan; }
    bool isReady() const override { return true; }
    bool isManageListShown() const override { return manage; }
    bool isScanInProgress() const override { return scanning; }
    QString intervalText() const override { return interval; }
    void setIntervalText(const QString &text) override { interval = text; }
    void showStatus(const StatusRow &row) override { shown << row; }
    void showRepeat(bool on) override { lights = on; }
    void parkFocus() override
    {
        ++parks;
        if (onPark)
            onPark();
    }
    void startScanButton() override { ++starts; }
};

struct Rig
{
    FakeWindow window;
    QTimer minute;
    ScanTimer timer{window, minute};
};

} // namespace

class TestScanTimer : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::set({}); }

    void countdown_ticksArePlainDecimalText_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("left");
        QTest::newRow("whole") << "15" << 1 << "14";
        QTest::newRow("to zero") << "1" << 1 << "0";
        QTest::newRow("past zero") << "0" << 1 << "-1";
        QTest::newRow("fraction") << "2.5" << 3 << "-0.5";
        QTest::newRow("no binary noise") << "10.1" << 10 << "0.1";
        QTest::newRow("below zero") << "0.3" << 1 << "-0.7";
    }
    void countdown_ticksArePlainDecimalText()
    {
        QFETCH(QString, from);
        QFETCH(int, ticks);
        QFETCH(QString, left);
        for (int i = 0; i < ticks; ++i)
            from = minutesAfterTick(from);
        QCOMPARE(from, left);
        bool ok = false;
        QCOMPARE(minutesValue(QStringLiteral(" 7 "), &ok), 7.0);
        QVERIFY(ok);
        QCOMPARE(minutesValue(QStringLiteral("abc"), &ok), 0.0);
        QVERIFY(!ok);
    }

    void interval_validation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        for (const char *notNumber : {"abc", "", "   ", "nan", "inf", "1,5"})
            QTest::newRow(notNumber) << notNumber << "15";
        for (const char *notPositive : {"0", "-3"})
            QTest::newRow(notPositive) << notPositive << "1";
        for (const char *kept : {"2.5", "0.25", "100000", "15"})
            QTest::newRow(kept) << kept << kept;
    }
    void interval_validation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QCOMPARE(validatedInterval(typed), kept);
    }

    void statusRow_data()
    {
        QTest::addColumn<bool>("repeatOn");
        QTest::addColumn<ScanState>("scan");
        QTest::addColumn<bool>("completed");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("next");      // "-": the caption stays
        QTest::addColumn<QList<Tone>>("tones"); // last, info, next; empty: unchanged
        const ScanState none = ScanState::NotStarted, read = ScanState::PageRead;
        const QList<Tone> blue{Tone::Blue, Tone::Blue, Tone::Blue};
        QTest::newRow("counting") << true << read << true << "14"
                                  << "Next scan in 14 mn " << blue;
        QTest::newRow("count at zero") << true << read << true << "0"
                                       << "-" << blue;
        QTest::newRow("repeat off") << false << read << true << "3"
                                    << "Timer stopped " << QList<Tone>{Tone::Red};
        QTest::newRow("before any scan")
            << true << none << false << "15"
            << "Scan not started " << QList<Tone>{Tone::Black, Tone::Black, Tone::Black};
        QTest::newRow("failed after a completed scan") << true << ScanState::Started << true << "15"
                                                       << "Next scan in 15 mn " << blue;
        QTest::newRow("failed first scan") << true << ScanState::Started << false << "15"
                                           << "-" << QList<Tone>{};
    }
    void statusRow()
    {
        QFETCH(bool, repeatOn);
        QFETCH(ScanState, scan);
        QFETCH(bool, completed);
        QFETCH(QString, minutes);
        QFETCH(QString, next);
        QFETCH(QList<Tone>, tones);
        const StatusRow row =
            amiscan::statusRow({minutes, repeatOn, completed, "05/12 - 14:07"}, scan);
        QCOMPARE(row.nextCaption.value_or("-"), next);
        QList<Tone> set;
        for (const auto &tone : {row.last, row.info, row.next})
            if (tone)
                set << *tone;
        if (tones.size() == 1)
            QVERIFY(!row.last && !row.info);
        QCOMPARE(set, tones);
        QCOMPARE(row.lastCaption, QStringLiteral(" Last Scan : 05/12 - 14:07"));
        QCOMPARE(row.loginPlain, scan != ScanState::NotStarted);
        QCOMPARE(amiscan::statusRow({}, scan).lastCaption, QStringLiteral(" Last Scan : "));
    }

    void tick_firesTheScanAtZeroOrLess_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("manage");
        QTest::addColumn<bool>("editing"); // parking the focus validates the interval box
        QTest::addColumn<int>("ticks");
        QTest::newRow("whole") << "2" << false << false << 2;
        QTest::newRow("fraction") << "2.5" << false << false << 3;
        QTest::newRow("management list shown") << "1" << true << false << 1;
        QTest::newRow("while the interval is edited") << "1" << false << true << 1;
    }
    void tick_firesTheScanAtZeroOrLess()
    {
        QFETCH(QString, interval);
        QFETCH(bool, manage);
        QFETCH(bool, editing);
        QFETCH(int, ticks);
        Rig r;
        r.window.manage = manage;
        r.window.interval = QStringLiteral("3");
        if (editing)
            r.window.onPark = [&r] { r.timer.validateInterval(); };
        r.window.state.minutesLeft = interval;
        r.minute.start(60000);
        for (int i = 1; i < ticks; ++i) {
            r.timer.tick();
            QCOMPARE(r.window.starts, 0);
            QVERIFY(r.minute.isActive());
        }
        r.timer.tick();
        QCOMPARE(r.window.state.minutesLeft, QStringLiteral("-1"));
        QVERIFY(!r.minute.isActive());
        QCOMPARE(r.window.starts, 1);
        QCOMPARE(r.window.parks, manage ? 0 : 1);
        QCOMPARE(r.window.shown.size(), ticks + int(editing));
    }

    void refresh_leavesTheRowToARunningScan()
    {
        Rig r;
        r.window.scanning = true;
        r.timer.refreshScanStatus();
        r.timer.tick();
        QVERIFY(r.window.shown.isEmpty());
    }

    void toggle_switchesTheLightsAndTheMinuteTimer()
    {
        Rig r;
        r.window.state.minutesLeft = QStringLiteral("9");
        r.timer.toggleRepeat();
        QVERIFY(r.window.lights == false);
        QVERIFY(!r.window.state.repeatOn && !r.minute.isActive());
        r.timer.toggleRepeat();
        QVERIFY(r.window.lights == true);
        QVERIFY(r.window.state.repeatOn && r.minute.isActive()); // counts from the current count
        QCOMPARE(r.window.state.minutesLeft, QStringLiteral("9"));
        QCOMPARE(r.window.parks, 2);
        QCOMPARE(r.window.shown.size(), 2);
    }

    void scanEnded_cutsShortATimedScanOrARunningCount_data()
    {
        QTest::addColumn<bool>("counting");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<bool>("repeatAfter");
        QTest::addColumn<QString>("minutesAfter");
        QTest::newRow("timed scan") << false << "-1" << false << "4";
        QTest::newRow("count running") << true << "7" << false << "4";
        QTest::newRow("count paused") << false << "7" << true << "7";
    }
    void scanEnded_cutsShortATimedScanOrARunningCount()
    {
        QFETCH(bool, counting);
        QFETCH(QString, minutes);
        QFETCH(bool, repeatAfter);
        QFETCH(QString, minutesAfter);
        Rig r;
        r.window.interval = QStringLiteral("4");
        r.window.state.minutesLeft = minutes;
        if (counting)
            r.minute.start(60000);
        r.timer.scanEnded();
        QCOMPARE(r.window.state.repeatOn, repeatAfter);
        QCOMPARE(r.window.state.minutesLeft, minutesAfter);
        QVERIFY(!r.minute.isActive());
    }

    // The window's side.

    void completion_data()
    {
        QTest::addColumn<bool>("repeatOn");
        QTest::addColumn<bool>("counting"); // a count-down under way, its minute started earlier
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("box"); // the interval box, perhaps in the middle of an edit
        QTest::addColumn<QString>("minutesAfter");
        QTest::addColumn<bool>("countingAfter");
        QTest::newRow("timed scan") << true << false << "-1"
                                    << "2"
                                    << "2" << true;
        QTest::newRow("by hand, seven left") << true << true << "7"
                                             << "7"
                                             << "7" << true;
        QTest::newRow("box emptied meanwhile") << true << false << "-1"
                                               << ""
                                               << "15" << true;
        QTest::newRow("repeat off") << false << false << "3"
                                    << "5"
                                    << "3" << false;
        QTest::newRow("repeat off, count spent") << false << false << "-0.5"
                                                 << "5"
                                                 << "5" << false;
    }
    void completion()
    {
        QFETCH(bool, repeatOn);
        QFETCH(bool, counting);
        QFETCH(QString, minutes);
        QFETCH(QString, box);
        QFETCH(QString, minutesAfter);
        QFETCH(bool, countingAfter);
        ScriptedScan w;
        Form1 &f = w.form;
        Clock::set(QDateTime(QDate(2026, 12, 5), QTime(14, 7)));
        f.state.repeatOn = repeatOn;
        f.state.minutesLeft = minutes;
        f.TextTimerScan->setText(box);
        f.TimerScan->setTimerType(Qt::PreciseTimer);
        if (counting)
            f.TimerScan->start();
        QTest::qWait(100);
        f.state.scanState = ScanState::PageRead;
        f.state.sessionShown = repeatOn ? Session::First : Session::Second;
        f.ButGo->setText(QStringLiteral("Abort Scan"));
        f.completeScan();
        QCOMPARE(f.state.minutesLeft, minutesAfter);
        QCOMPARE(f.TimerScan->isActive(), countingAfter);
        // A running count-down keeps its minute.
        QVERIFY(!counting || f.TimerScan->remainingTime() < 59950);
        QCOMPARE(f.LabScanLast->text(), QStringLiteral(" Last Scan : 05/12 - 14:07"));
        QCOMPARE(f.state.lastScanStamp, QStringLiteral("05/12 - 14:07"));
        QVERIFY(f.state.scanCompleted);
        QCOMPARE(f.ButGo->text(), QStringLiteral("Start Scan"));
        QCOMPARE(backColor(f.ButGo), colors::LightGreen);
        QCOMPARE(foreColor(f.List1), repeatOn ? colors::Blue : colors::Green);
        QCOMPARE(f.LabScanNext->text(),
                 repeatOn ? "Next scan in " + minutesAfter + " mn " : QString("Timer stopped "));
        f.waitForHistorySave();
        QVERIFY(QFile::exists(w.dir.filePath(QStringLiteral("Amiscan.txt"))));
    }

    void intervalBox_endingTheEditValidates_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("end"); // a key, or the caption clicked
        QTest::addColumn<QString>("kept");
        QTest::newRow("Enter") << "abc"
                               << "Return"
                               << "15";
        QTest::newRow("Escape") << "-3"
                                << "Escape"
                                << "1";
        QTest::newRow("caption before") << "2.5"
                                        << "LabTextTimerScan1"
                                        << "2.5";
        QTest::newRow("caption after") << "0"
                                       << "LabTextTimerScan2"
                                       << "1";
        QTest::newRow("unchanged") << "15"
                                   << "Return"
                                   << "15";
    }
    void intervalBox_endingTheEditValidates()
    {
        QFETCH(QString, typed);
        QFETCH(QString, end);
        QFETCH(QString, kept);
        ScriptedScan w;
        w.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        QLineEdit *box = w.form.TextTimerScan;
        w.form.state.minutesLeft = QStringLiteral("0.5");
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        QTest::keyClicks(box, typed);
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("0.5")); // typing alone changes nothing
        if (end.startsWith(u'L'))
            QTest::mouseClick(w.form.findChild<QLabel *>(end), Qt::LeftButton);
        else
            QTest::keyClick(box, end == u"Return" ? Qt::Key_Return : Qt::Key_Escape);
        QCOMPARE(box->text(), kept);
        QCOMPARE(w.form.state.minutesLeft, kept);
        QVERIFY(w.form.ListTri->hasFocus());
    }

    void intervalBox_contextMenuDoesNotEndTheEdit()
    {
        ScriptedScan w;
        w.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        QLineEdit *box = w.form.TextTimerScan;
        QTest::mouseClick(box, Qt::LeftButton);
        box->clear();
        QString textWhileMenuOpen = QStringLiteral("unseen");
        QTimer::singleShot(50, &w.form, [&] {
            if (QWidget *menu = QApplication::activePopupWidget()) {
                textWhileMenuOpen = box->text();
                menu->close();
            }
        });
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, {5, 5},
                                    box->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(box, &menuEvent);
        QTRY_COMPARE(textWhileMenuOpen, QString());
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("15"));
    }

    void statusLabels_respondToTheLeftButtonOnly()
    {
        ScriptedScan w;
        w.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        for (QWidget *label : {w.form.LabScanNext, w.form.LabScanLast}) {
            QTest::mousePress(label, Qt::RightButton);
            QTest::mousePress(label, Qt::MiddleButton);
        }
        QVERIFY(w.form.state.repeatOn && !w.scanning());
        QTest::mousePress(w.form.LabScanNext, Qt::LeftButton);
        QVERIFY(!w.form.state.repeatOn);
        QTest::mousePress(w.form.LabScanLast, Qt::LeftButton);
        QVERIFY(w.scanning());
        QTRY_VERIFY(!w.scanning());
        QCOMPARE(w.form.state.scanState, ScanState::PageRead);
    }

    void timedScanThatFails_switchesRepetitionOffWithCountAtInterval()
    {
        ScriptedScan w;
        w.form.TextTimerScan->setText(QStringLiteral("4"));
        w.form.state.minutesLeft = QStringLiteral("1");
        QString message;
        whenModalDialogAppears(w.form, [&](Form2 *dialog) {
            message = dialog->Label1->text();
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        w.form.TimerScan->start(30);
        QTRY_VERIFY(!message.isEmpty());
        QTRY_VERIFY(!w.scanning());
        QCOMPARE(message, QStringLiteral("Unable to connect !"));
        QVERIFY(!w.form.state.repeatOn && !w.form.TimerScan->isActive());
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("4"));
        QCOMPARE(backColor(w.form.LabTimerOff), colors::LightRed);
        QCOMPARE(w.form.LabScanNext->text(), QStringLiteral("Timer stopped "));
        QCOMPARE(foreColor(w.form.LabScanNext), colors::Red);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestScanTimer)
#include "test_scan_timer.moc"
