// The repeat count-down and the end of a scan, driven through the window's own controls with a
// scripted browser and fetcher; the count-down's text arithmetic and the interval's checks on
// their own.
#include "dialog_driver.h"
#include "list_lines.h"
#include "scan/scan_driver.h"
#include "scan/time_text.h"
#include "schedule/countdown.h"
#include "schedule/interval.h"
#include "scripted_scan.h"
#include "ui/colors.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "widget_test_main.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

using namespace amiscan;

namespace {

// What the status row and the count showed right after one tick of the repeat timer.
struct TickSeen
{
    QString next;
    QString last;
    QString minutes;
    bool scanning = false;
};

struct Window : ScriptedScan
{
    QList<TickSeen> ticks;

    Window()
    {
        browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        fetcher->answer = [](const QUrl &) { return FriendsDirect; };
        // Connected after the window's own handler: sees the result of each tick.
        QObject::connect(timer(), &QTimer::timeout, &form, [this] {
            ticks << TickSeen{next()->text(), last()->text(), form.state.minutesLeft, scanning()};
        });
    }

    template <typename T> T *find(const char *name) const
    {
        T *control = form.findChild<T *>(QString::fromLatin1(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    QLineEdit *box() const { return find<QLineEdit>("TextTimerScan"); }
    QTimer *timer() const { return find<QTimer>("TimerScan"); }
    QPushButton *go() const { return find<QPushButton>("ButGo"); }
    QPushButton *repeatSwitch() const { return find<QPushButton>("ButTimerOnOff"); }
    QLabel *next() const { return find<QLabel>("LabScanNext"); }
    QLabel *last() const { return find<QLabel>("LabScanLast"); }
    QLabel *info() const { return find<QLabel>("LabInfo"); }
    QLabel *on() const { return find<QLabel>("LabTimerOn"); }
    QLabel *off() const { return find<QLabel>("LabTimerOff"); }
    bool activate()
    {
        form.activateWindow();
        return QTest::qWaitForWindowActive(&form);
    }
    // Types a new interval and ends the edit with the given key.
    void typeInterval(const QString &text, Qt::Key end = Qt::Key_Return)
    {
        QTest::mouseClick(box(), Qt::LeftButton);
        box()->selectAll();
        QTest::keyClick(box(), Qt::Key_Delete);
        QTest::keyClicks(box(), text);
        QTest::keyClick(box(), end);
    }
    // Runs the action right after the window has finished the scan that reads a page.
    void afterCompletion(std::function<void()> action)
    {
        QObject::connect(&form.scanDriver(), &ScanDriver::pageMerged, &form, action,
                         Qt::SingleShotConnection);
    }
};

// A first scan by hand, through the browser, to its end.
#define COMPLETE_SCAN_BY_HAND(w)                                                                   \
    do {                                                                                           \
        QTest::mouseClick((w).go(), Qt::LeftButton);                                               \
        QVERIFY((w).scanning());                                                                   \
        QTRY_VERIFY(!(w).scanning());                                                              \
        QCOMPARE((w).form.state.scanState, 2);                                                     \
    } while (false)

} // namespace

class TestScanTimer : public QObject
{
    Q_OBJECT

private slots:
    void countdown_ticksArePlainDecimalText()
    {
        QCOMPARE(minutesAfterTick(QStringLiteral("15")), QStringLiteral("14"));
        QCOMPARE(minutesAfterTick(QStringLiteral("1")), QStringLiteral("0"));
        QCOMPARE(minutesAfterTick(QStringLiteral("0")), QStringLiteral("-1"));
        QStringList counts{QStringLiteral("2.5")};
        for (int i = 0; i < 3; ++i)
            counts << minutesAfterTick(counts.last());
        QCOMPARE(counts, (QStringList{"2.5", "1.5", "0.5", "-0.5"}));
        // Repeated subtraction leaves no binary noise in the text.
        QString count = QStringLiteral("10.1");
        for (int i = 0; i < 10; ++i)
            count = minutesAfterTick(count);
        QCOMPARE(count, QStringLiteral("0.1"));
        QCOMPARE(minutesAfterTick(QStringLiteral("0.3")), QStringLiteral("-0.7"));
    }

    void countdown_readsBackWhatItWrites()
    {
        bool ok = false;
        QCOMPARE(minutesValue(QStringLiteral("-0.5"), &ok), -0.5);
        QVERIFY(ok);
        QCOMPARE(minutesValue(QStringLiteral(" 7 "), &ok), 7.0);
        QVERIFY(ok);
        QCOMPARE(minutesValue(QStringLiteral("abc"), &ok), 0.0);
        QVERIFY(!ok);
        QCOMPARE(minutesValue(minutesText(1234.25)), 1234.25);
    }

    void interval_validation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("letters") << "abc"
                                 << "15";
        QTest::newRow("empty") << ""
                               << "15";
        QTest::newRow("blanks") << "   "
                                << "15";
        QTest::newRow("not a number") << "nan"
                                      << "15";
        QTest::newRow("endless") << "inf"
                                 << "15";
        QTest::newRow("comma") << "1,5"
                               << "15";
        QTest::newRow("zero") << "0"
                              << "1";
        QTest::newRow("negative") << "-3"
                                  << "1";
        QTest::newRow("fraction") << "2.5"
                                  << "2.5";
        QTest::newRow("small fraction") << "0.25"
                                        << "0.25";
        QTest::newRow("large") << "100000"
                               << "100000";
        QTest::newRow("whole") << "15"
                               << "15";
    }

    void interval_validation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QCOMPARE(validatedInterval(typed), kept);
    }

    void timedScanWithRepeatOn_countRestartsFromInterval()
    {
        Window w;
        QVERIFY(w.activate());
        w.typeInterval(QStringLiteral("2"));
        COMPLETE_SCAN_BY_HAND(w);
        QVERIFY(w.timer()->isActive());
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("2"));

        QString minutesAtEnd;
        bool runningAtEnd = false;
        QString nextAtEnd;
        w.afterCompletion([&] {
            minutesAtEnd = w.form.state.minutesLeft;
            runningAtEnd = w.timer()->isActive();
            nextAtEnd = w.next()->text();
        });
        w.timer()->setInterval(30);
        QTRY_COMPARE(w.fetcher->fetched.size(), 1); // the timed scan reads directly
        QTRY_VERIFY(!minutesAtEnd.isEmpty());
        QVERIFY(w.ticks.size() >= 2);
        QCOMPARE(w.ticks.at(0).next, QStringLiteral("Next scan in 1 mn "));
        QCOMPARE(w.ticks.at(1).next, QStringLiteral("Next scan now "));
        QCOMPARE(w.ticks.at(1).minutes, QStringLiteral("-1"));
        QVERIFY(w.ticks.at(1).scanning);
        QCOMPARE(minutesAtEnd, QStringLiteral("2"));
        QVERIFY(runningAtEnd);
        QCOMPARE(nextAtEnd, QStringLiteral("Next scan in 2 mn "));
    }

    void scanByHandWithSevenLeft_countGoesOn()
    {
        Window w;
        w.form.TextTimerScan->setText(QStringLiteral("7"));
        w.form.state.minutesLeft = QStringLiteral("7");
        COMPLETE_SCAN_BY_HAND(w);
        w.timer()->setInterval(3000); // restarts the minute
        QTest::qWait(1000);

        QString minutesAtEnd;
        int remainingAtEnd = -1;
        w.afterCompletion([&] {
            minutesAtEnd = w.form.state.minutesLeft;
            remainingAtEnd = w.timer()->remainingTime();
        });
        QTest::mouseClick(w.go(), Qt::LeftButton);
        QTRY_VERIFY(!w.scanning());
        QCOMPARE(minutesAtEnd, QStringLiteral("7"));
        // The minute under way was not started again.
        QVERIFY2(remainingAtEnd >= 0 && remainingAtEnd < 2500,
                 qPrintable(QString::number(remainingAtEnd)));
        QVERIFY(w.timer()->isActive());
        QCOMPARE(w.next()->text(), QStringLiteral("Next scan in 7 mn "));
        QVERIFY(w.ticks.isEmpty());
    }

    void repeatOff_countStaysStoppedAndResetsOnlyAtZeroOrLess()
    {
        Window w;
        w.form.TextTimerScan->setText(QStringLiteral("5"));
        QTest::mouseClick(w.repeatSwitch(), Qt::LeftButton);
        QVERIFY(!w.form.state.repeatOn);

        w.form.state.minutesLeft = QStringLiteral("3");
        COMPLETE_SCAN_BY_HAND(w);
        QVERIFY(!w.timer()->isActive());
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("3"));
        QCOMPARE(w.next()->text(), QStringLiteral("Timer stopped "));
        QCOMPARE(foreColor(w.next()), colors::Red);

        for (const QString &spent : {QStringLiteral("0"), QStringLiteral("-0.5")}) {
            w.form.state.minutesLeft = spent;
            QTest::mouseClick(w.go(), Qt::LeftButton);
            QTRY_VERIFY(!w.scanning());
            QCOMPARE(w.form.state.minutesLeft, QStringLiteral("5"));
            QVERIFY(!w.timer()->isActive());
        }
    }

    void listColourAtCompletion_followsSessionShown()
    {
        Window w;
        w.form.state.sessionShown = 1;
        COMPLETE_SCAN_BY_HAND(w);
        LineList *list = w.find<LineList>("List1");
        QCOMPARE(foreColor(list), colors::Green);

        w.form.state.sessionShown = 0;
        QTest::mouseClick(w.go(), Qt::LeftButton);
        QTRY_VERIFY(!w.scanning());
        QCOMPARE(foreColor(list), colors::Blue);
    }

    void completion_stampsWritesHistoryAndRestoresButton()
    {
        Window w;
        const QString historyPath = w.dir.filePath(QStringLiteral("Amiscan.txt"));
        QVERIFY(!QFile::exists(historyPath));
        QVERIFY(!w.form.state.scanCompleted);
        const QString before = formatScanStamp(QDateTime::currentDateTime());
        COMPLETE_SCAN_BY_HAND(w);
        const QString after = formatScanStamp(QDateTime::currentDateTime());

        const QString stamp = w.form.state.lastScanStamp;
        QVERIFY2(stamp == before || stamp == after, qPrintable(stamp));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d - \\d\\d:\\d\\d$"))
                    .match(stamp)
                    .hasMatch());
        QCOMPARE(w.last()->text(), QStringLiteral(" Last Scan : ") + stamp);
        QCOMPARE(foreColor(w.last()), colors::Blue);
        QCOMPARE(foreColor(w.info()), colors::Blue);
        w.form.waitForHistorySave();
        QVERIFY(QFile::exists(historyPath));
        QVERIFY(w.form.state.dataPresent);
        QVERIFY(w.form.state.scanCompleted);
        QCOMPARE(w.go()->text(), QStringLiteral("Start Scan"));
        QCOMPARE(backColor(w.go()), colors::LightGreen);
        QVERIFY(!w.form.Timer1->isActive());
        QCOMPARE(w.next()->text(), QStringLiteral("Next scan in 15 mn "));
        QCOMPARE(foreColor(w.next()), colors::Blue);
        QCOMPARE(foreColor(w.form.TextLogin), colors::Black);
        QCOMPARE(foreColor(w.form.TextPw), colors::Black);
    }

    void intervalBox_leavingReplacesWhatIsNotAPositiveNumber()
    {
        Window w;
        QVERIFY(w.activate());
        QListWidget *parked = w.find<QListWidget>("ListTri");
        const QList<std::pair<QString, QString>> cases{
            {QStringLiteral("abc"), QStringLiteral("15")},
            {QString(), QStringLiteral("15")},
            {QStringLiteral("0"), QStringLiteral("1")},
            {QStringLiteral("-3"), QStringLiteral("1")},
            {QStringLiteral("2.5"), QStringLiteral("2.5")}};
        for (const auto &[typed, kept] : cases) {
            w.typeInterval(typed);
            QCOMPARE(w.box()->text(), kept);
            QCOMPARE(w.form.state.minutesLeft, kept);
            QVERIFY(!w.box()->hasFocus());
            QVERIFY(parked->hasFocus());
        }

        // Escape ends the edit the same way, and types nothing either.
        w.typeInterval(QStringLiteral("4"), Qt::Key_Escape);
        QCOMPARE(w.box()->text(), QStringLiteral("4"));
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("4"));
        QVERIFY(!w.box()->hasFocus());

        // Typing alone changes nothing; the click on a caption beside the box ends the edit.
        for (const char *caption : {"LabTextTimerScan1", "LabTextTimerScan2"}) {
            QTest::mouseClick(w.box(), Qt::LeftButton);
            w.box()->selectAll();
            QTest::keyClicks(w.box(), QStringLiteral("-9"));
            QCOMPARE(w.form.state.minutesLeft, QStringLiteral("4"));
            QTest::mouseClick(w.find<QLabel>(caption), Qt::LeftButton);
            QCOMPARE(w.box()->text(), QStringLiteral("1"));
            QCOMPARE(w.form.state.minutesLeft, QStringLiteral("1"));
            QVERIFY(parked->hasFocus());
            w.form.state.minutesLeft = QStringLiteral("4");
        }

        // Leaving the box restarts the count even when the text did not change.
        w.form.state.minutesLeft = QStringLiteral("0.5");
        QTest::mouseClick(w.box(), Qt::LeftButton);
        QTest::keyClick(w.box(), Qt::Key_Return);
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("1"));
    }

    void intervalBox_contextMenuDoesNotEndTheEdit()
    {
        Window w;
        QVERIFY(w.activate());
        QTest::mouseClick(w.box(), Qt::LeftButton);
        w.box()->selectAll();
        QTest::keyClick(w.box(), Qt::Key_Delete);
        const QString unseen = QStringLiteral("unseen");
        QString textWhileMenuOpen = unseen;
        QTimer::singleShot(50, &w.form, [&] {
            if (QWidget *menu = QApplication::activePopupWidget()) {
                textWhileMenuOpen = w.box()->text();
                menu->close();
            }
        });
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    w.box()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w.box(), &menuEvent);
        QTRY_VERIFY(textWhileMenuOpen != unseen);
        QCOMPARE(textWhileMenuOpen, QString());
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("15"));
    }

    void fractionalInterval_firesOnTheThirdTick()
    {
        Window w;
        QVERIFY(w.activate());
        COMPLETE_SCAN_BY_HAND(w);
        w.typeInterval(QStringLiteral("2.5"));
        QCOMPARE(w.next()->text(), QStringLiteral("Next scan in 2.5 mn "));
        QString minutesAtEnd;
        w.afterCompletion([&] { minutesAtEnd = w.form.state.minutesLeft; });
        w.timer()->setInterval(30);
        QTRY_VERIFY(w.ticks.size() >= 3);
        QCOMPARE(w.ticks.at(0).next, QStringLiteral("Next scan in 1.5 mn "));
        QCOMPARE(w.ticks.at(1).next, QStringLiteral("Next scan in 0.5 mn "));
        QVERIFY(!w.ticks.at(1).scanning);
        QCOMPARE(w.ticks.at(2).next, QStringLiteral("Next scan now "));
        QVERIFY(w.ticks.at(2).scanning);
        QTRY_COMPARE(minutesAtEnd, QStringLiteral("2.5"));
    }

    void zeroInterval_firesOnTheFirstTick()
    {
        Window w;
        QVERIFY(w.activate());
        COMPLETE_SCAN_BY_HAND(w);
        w.typeInterval(QStringLiteral("0"));
        QCOMPARE(w.box()->text(), QStringLiteral("1"));
        w.timer()->setInterval(30);
        QTRY_VERIFY(!w.ticks.isEmpty());
        QCOMPARE(w.ticks.at(0).next, QStringLiteral("Next scan now "));
        QCOMPARE(w.ticks.at(0).minutes, QStringLiteral("-1"));
        QVERIFY(w.ticks.at(0).scanning);
    }

    void tickReachingExactlyZero_keepsTheCaptionUntilTheScanStarts()
    {
        Window w;
        COMPLETE_SCAN_BY_HAND(w);
        w.form.state.minutesLeft = QStringLiteral("1");
        w.form.refreshScanStatus();
        QCOMPARE(w.next()->text(), QStringLiteral("Next scan in 1 mn "));
        // A missing password stops the timed scan at its first check, before it writes its
        // caption: the message shows what the tick left in the status row.
        w.form.state.password = QStringLiteral("Vey Password");
        QString nextDuringMessage;
        whenModalDialogAppears(w.form, [&](Form2 *dialog) {
            nextDuringMessage = w.next()->text();
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        w.timer()->setInterval(30);
        QTRY_COMPARE(w.ticks.size(), 1);
        QCOMPARE(nextDuringMessage, QStringLiteral("Next scan in 1 mn "));
        QVERIFY(!w.scanning());
    }

    void tickWhileEditingTheInterval_stillStartsATimedScan()
    {
        Window w;
        QVERIFY(w.activate());
        COMPLETE_SCAN_BY_HAND(w);
        w.form.state.minutesLeft = QStringLiteral("1");
        QTest::mouseClick(w.box(), Qt::LeftButton);
        w.box()->selectAll();
        QTest::keyClicks(w.box(), QStringLiteral("3"));
        QVERIFY(w.box()->hasFocus());
        QString minutesAtEnd;
        w.afterCompletion([&] { minutesAtEnd = w.form.state.minutesLeft; });
        w.timer()->setInterval(30);
        QTRY_VERIFY(!w.ticks.isEmpty());
        QVERIFY(!w.box()->hasFocus());
        QCOMPARE(w.ticks.at(0).minutes, QStringLiteral("-1"));
        QCOMPARE(w.ticks.at(0).next, QStringLiteral("Next scan now "));
        QVERIFY(w.ticks.at(0).scanning);
        QTRY_COMPARE(minutesAtEnd, QStringLiteral("3"));
        QVERIFY(w.form.state.repeatOn);
    }

    void timedScanEndingDuringAnEdit_countTakesTheIntervalTheBoxWillHold()
    {
        Window w;
        QVERIFY(w.activate());
        COMPLETE_SCAN_BY_HAND(w);
        w.form.scanDriver().setTimings({20, 5, 100});
        w.form.state.minutesLeft = QStringLiteral("1");
        QString minutesAtEnd;
        w.afterCompletion([&] { minutesAtEnd = w.form.state.minutesLeft; });
        w.timer()->setInterval(30);
        QTRY_VERIFY(!w.ticks.isEmpty());
        QVERIFY(w.scanning());
        // The box is emptied while the timed scan reads its page.
        QTest::mouseClick(w.box(), Qt::LeftButton);
        w.box()->selectAll();
        QTest::keyClick(w.box(), Qt::Key_Delete);
        QTRY_VERIFY(!minutesAtEnd.isEmpty());
        QCOMPARE(minutesAtEnd, QStringLiteral("15"));
        QCOMPARE(w.box()->text(), QString()); // the edit goes on
        QVERIFY(w.box()->hasFocus());
    }

    void timedScanThatFails_switchesRepetitionOffWithCountAtInterval()
    {
        Window w;
        COMPLETE_SCAN_BY_HAND(w);
        w.form.TextTimerScan->setText(QStringLiteral("4"));
        w.form.state.minutesLeft = QStringLiteral("1");
        w.fetcher->fails = true;
        w.browser->pageFor = [](const QUrl &) { return QString(); };
        QString message;
        whenModalDialogAppears(w.form, [&](Form2 *dialog) {
            message = dialog->Label1->text();
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        w.timer()->setInterval(30);
        QTRY_COMPARE(w.ticks.size(), 1);
        QTRY_VERIFY(!w.scanning());
        QCOMPARE(message, QStringLiteral("Unable to connect !"));
        QVERIFY(!w.form.state.repeatOn);
        QVERIFY(!w.timer()->isActive());
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("4"));
        QVERIFY(hasOpaqueBack(w.off()));
        QCOMPARE(backColor(w.off()), colors::LightRed);
        QCOMPARE(w.next()->text(), QStringLiteral("Timer stopped "));
        QCOMPARE(foreColor(w.next()), colors::Red);
    }

    void repeatSwitch_lightsOnOrOffAndRewritesTheStatusRow()
    {
        Window w;
        w.form.state.minutesLeft = QStringLiteral("9");
        QTest::mouseClick(w.repeatSwitch(), Qt::LeftButton);
        QVERIFY(!w.form.state.repeatOn);
        QVERIFY(!hasOpaqueBack(w.on()));
        QCOMPARE(foreColor(w.on()), colors::Grey);
        QVERIFY(hasOpaqueBack(w.off()));
        QCOMPARE(backColor(w.off()), colors::LightRed);
        QCOMPARE(foreColor(w.off()), colors::Black);
        QVERIFY(!w.timer()->isActive());
        QCOMPARE(w.next()->text(), QStringLiteral("Timer stopped "));
        QCOMPARE(foreColor(w.next()), colors::Red);
        QCOMPARE(w.last()->text(), QStringLiteral(" Last Scan : ")); // no scan yet
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("9"));
        QCOMPARE(w.repeatSwitch()->text(), QStringLiteral("Timer"));

        QTest::mouseClick(w.repeatSwitch(), Qt::LeftButton);
        QVERIFY(w.form.state.repeatOn);
        QVERIFY(hasOpaqueBack(w.on()));
        QCOMPARE(backColor(w.on()), colors::LightGreen);
        QCOMPARE(foreColor(w.on()), colors::Black);
        QVERIFY(!hasOpaqueBack(w.off()));
        QCOMPARE(foreColor(w.off()), colors::Grey);
        QVERIFY(w.timer()->isActive()); // counts from the current count
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("9"));
        QCOMPARE(w.next()->text(), QStringLiteral("Scan not started "));
        QCOMPARE(foreColor(w.next()), colors::Black);
        QCOMPARE(foreColor(w.last()), colors::Black);
        QCOMPARE(foreColor(w.info()), colors::Black);
        QCOMPARE(w.repeatSwitch()->text(), QStringLiteral("Timer"));
    }

    void statusLabels_respondToTheLeftButtonOnly()
    {
        Window w;
        QTest::mousePress(w.next(), Qt::RightButton);
        QTest::mousePress(w.next(), Qt::MiddleButton);
        QVERIFY(w.form.state.repeatOn);
        QTest::mousePress(w.next(), Qt::LeftButton);
        QVERIFY(!w.form.state.repeatOn);
        QCOMPARE(w.next()->text(), QStringLiteral("Timer stopped "));
        QTest::mousePress(w.next(), Qt::LeftButton);
        QVERIFY(w.form.state.repeatOn);

        QTest::mousePress(w.last(), Qt::RightButton);
        QVERIFY(!w.scanning());
        QVERIFY(w.browser->navigations.isEmpty());
        QTest::mousePress(w.last(), Qt::LeftButton);
        QVERIFY(w.scanning());
        QTRY_VERIFY(!w.scanning());
        QCOMPARE(w.form.state.scanState, 2);
    }

    void tickDuringAScanByHand_leavesTheProgressTextsAlone()
    {
        Window w;
        // Repetition switched off and on before any scan: the count-down runs.
        QTest::mouseClick(w.repeatSwitch(), Qt::LeftButton);
        QTest::mouseClick(w.repeatSwitch(), Qt::LeftButton);
        QVERIFY(w.timer()->isActive());
        w.form.state.minutesLeft = QStringLiteral("100");
        w.browser->pageFor = [](const QUrl &) { return QString(); }; // the scan keeps waiting
        QTest::mouseClick(w.go(), Qt::LeftButton);
        const QString next = w.next()->text();
        w.timer()->setInterval(20);
        QTRY_VERIFY(w.ticks.size() >= 2);
        QVERIFY(w.scanning());
        for (const TickSeen &tick : std::as_const(w.ticks)) {
            QVERIFY2(tick.last.startsWith(QStringLiteral("        Scan running ...")),
                     qPrintable(tick.last));
            QCOMPARE(tick.next, next);
        }
        QCOMPARE(foreColor(w.last()), colors::Purple);
        QTest::mouseClick(w.go(), Qt::LeftButton); // abort: the count-down is cut short
        QVERIFY(!w.form.state.repeatOn);
        QVERIFY(!w.timer()->isActive());
        QCOMPARE(w.form.state.minutesLeft, QStringLiteral("15"));
    }

    void repeatBackOnAfterAFailedScan_showsTheNextScan()
    {
        Window w;
        COMPLETE_SCAN_BY_HAND(w);
        w.form.state.minutesLeft = QStringLiteral("6");
        w.fetcher->fails = true;
        w.browser->pageFor = [](const QUrl &) { return QString(); };
        whenModalDialogAppears(
            w.form, [&](Form2 *dialog) { QTest::mouseClick(dialog->ButOk, Qt::LeftButton); });
        QTest::mouseClick(w.go(), Qt::LeftButton);
        QTRY_VERIFY(!w.scanning());
        QCOMPARE(w.form.state.scanState, 1);
        QVERIFY(!w.form.state.repeatOn); // the failure cut the count-down short
        const QString stamp = w.form.state.lastScanStamp;

        setForeColor(w.info(), colors::Black);
        QTest::mouseClick(w.repeatSwitch(), Qt::LeftButton);
        QCOMPARE(w.next()->text(), QStringLiteral("Next scan in 15 mn "));
        QCOMPARE(foreColor(w.next()), colors::Blue);
        QCOMPARE(foreColor(w.last()), colors::Blue);
        QCOMPARE(foreColor(w.info()), colors::Blue);
        QCOMPARE(w.last()->text(), QStringLiteral(" Last Scan : ") + stamp);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestScanTimer)
#include "test_scan_timer.moc"
