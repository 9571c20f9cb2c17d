// The scan's state machine with a scripted browser and fetcher: captions, colours, states,
// messages, and which route each scan takes.
#include "dialog_driver.h"
#include "scan/scan_driver.h"
#include "scripted_scan.h"
#include "ui/colors.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "widget_test_main.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace amiscan;

namespace {

using Harness = ScriptedScan;

} // namespace

class TestScanDriver : public QObject
{
    Q_OBJECT

private slots:
    void missingUserName_showsMessageAndReturnsToIdle()
    {
        Harness h(false);
        QStringList shown;
        whenModalDialogShown(h.form, [&](Form2 *dialog) {
            shown << dialog->Label1->text() << dialog->Label2->text();
            QVERIFY(!dialog->Label3->isVisibleTo(dialog));
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QCOMPARE(shown, (QStringList{"Invalid Vey Username", "Please fill in this field"}));
        QCOMPARE(h.form.ButGo->text(), QStringLiteral("Start Scan"));
        QCOMPARE(backColor(h.form.ButGo), colors::LightGreen);
        QVERIFY(h.browser->navigations.isEmpty());
        QVERIFY(h.fetcher->fetched.isEmpty());
    }

    void missingPassword_showsMessage()
    {
        Harness h(false);
        h.form.state.userName = QStringLiteral("demo");
        QStringList shown;
        whenModalDialogShown(h.form, [&](Form2 *dialog) {
            shown << dialog->Label1->text() << dialog->Label2->text();
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QCOMPARE(shown, (QStringList{"Invalid Vey Password", "Please fill in this field"}));
        QVERIFY(!h.scanning());
    }

    void firstScan_goesThroughTheBrowserAndLogsIn()
    {
        Harness h;
        h.browser->pageFor = [](const QUrl &) { return LoginForm; };
        h.browser->pageAfterLogin = FriendsBrowser;
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QVERIFY(h.scanning());
        QCOMPARE(backColor(h.form.ButGo), colors::LightRed);
        QCOMPARE(h.form.LabScanLast->text(), QStringLiteral("        Scan running ..."));
        QCOMPARE(foreColor(h.form.LabScanLast), colors::Purple);
        QTRY_VERIFY(!h.scanning());

        QVERIFY(h.fetcher->fetched.isEmpty()); // no direct read on the first scan
        QCOMPARE(h.browser->navigations.first(),
                 QUrl(QStringLiteral("https://www.vey.example/my/account/friends.php?lang=en")));
        QCOMPARE(h.browser->logins, (QList<QStringList>{{"demo", "demo123"}}));
        QVERIFY(!h.browser->isLoaded());
        QCOMPARE(h.form.state.scanState, 2);
        QCOMPARE(h.form.table.friendCount(), 2);
        QVERIFY(h.form.table.findByAccountName(QStringLiteral("ann.lee")) > 0);
        QVERIFY(h.form.LabScanLast->text().startsWith(QStringLiteral(" Last Scan : ")));
    }

    void laterScan_readsDirectlyWithoutBrowser()
    {
        Harness h;
        h.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(!h.scanning());
        const int loads = h.browser->loads;

        h.fetcher->answer = [](const QUrl &) { return FriendsDirect; };
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QCOMPARE(h.form.LabScanLast->text(), QStringLiteral("  Check Friends online ..."));
        QCOMPARE(foreColor(h.form.LabScanLast), colors::Magenta);
        QTRY_VERIFY(!h.scanning());
        QCOMPARE(h.fetcher->fetched.size(), 1);
        QCOMPARE(h.browser->loads, loads);
        QCOMPARE(h.form.state.directReadResult, 1);
        QCOMPARE(h.form.table.friendCount(), 2);
    }

    void directReadMeetingLoginPage_fallsBackToTheBrowser()
    {
        Harness h;
        h.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(!h.scanning());

        h.fetcher->answer = [](const QUrl &) { return QStringLiteral("<form>vey</form>"); };
        h.browser->pageFor = [](const QUrl &) { return LoginForm; };
        h.browser->pageAfterLogin = FriendsBrowser;
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(!h.scanning());
        QCOMPARE(h.form.state.directReadResult, 9);
        QCOMPARE(h.browser->logins.size(), 1);
        QCOMPARE(h.form.state.scanState, 2);
    }

    void wrongPassword_givesUpAfterTenTicksWithLoginMessage()
    {
        Harness h;
        h.browser->pageFor = [](const QUrl &) { return LoginForm; };
        h.browser->pageAfterLogin = LoginForm; // the service answers the form again
        QStringList shown;
        whenModalDialogAppears(h.form, [&](Form2 *dialog) {
            shown << dialog->Label1->text() << dialog->Label2->text() << dialog->Label3->text();
            QVERIFY(h.form.state.loginSubmitted);
            QCOMPARE(h.form.LabScanLast->text(), QStringLiteral(" Scan stopped"));
            QCOMPARE(foreColor(h.form.LabScanLast), colors::Red);
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(!h.scanning());
        QCOMPARE(shown, (QStringList{"Unable to login !", "Please, check your Vey",
                                     "Username and Password."}));
        QVERIFY(!h.form.Timer1->isActive());
        QVERIFY(!h.browser->isLoaded());
    }

    void nothingAnswering_givesUpWithConnectMessage()
    {
        Harness h;
        h.browser->pageFor = [](const QUrl &) { return QString(); };
        QStringList shown;
        whenModalDialogAppears(h.form, [&](Form2 *dialog) {
            shown << dialog->Label1->text();
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(!h.scanning());
        QCOMPARE(shown, QStringList{"Unable to connect !"});
        QCOMPARE(h.form.state.waitCount, 0);
    }

    void shortOrLowerCasePage_neverCountsAsLoaded()
    {
        Harness h;
        h.browser->pageFor = [](const QUrl &) {
            return QStringLiteral("<p>vey Friends Online Now:</p>") + Filler +
                   QStringLiteral("</body>");
        };
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(h.form.state.waitCount >= 5);
        QCOMPARE(h.form.state.scanStep, int(StepWait));
        // From the second tick on the caption counts the ticks spent waiting.
        QTRY_VERIFY(
            h.form.LabScanLast->text().startsWith(QStringLiteral("        Scan running ...(")));
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton); // abort
        QVERIFY(!h.scanning());
    }

    void foreignPage_failsAtOnce()
    {
        Harness h;
        h.browser->pageFor = [](const QUrl &) {
            return QStringLiteral("<P>Friends Online Now:</P>") + Filler +
                   QStringLiteral("</BODY>");
        };
        bool shown = false;
        whenModalDialogAppears(h.form, [&](Form2 *dialog) {
            shown = dialog->Label1->text() == QStringLiteral("Unable to connect !");
            // The first tick gave up: no waiting count ever reached the caption.
            QCOMPARE(h.form.LabScanLast->text(), QStringLiteral(" Scan stopped"));
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(shown);
    }

    void formWithoutButton_staysInLoginStepUntilAbort()
    {
        Harness h;
        h.browser->pageFor = [](const QUrl &) { return LoginForm; };
        h.browser->hasButton = false;
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_COMPARE(h.form.state.scanStep, int(StepLogIn));
        QTest::qWait(300);
        QCOMPARE(h.form.state.scanStep, int(StepLogIn));
        QVERIFY(h.scanning());
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QVERIFY(!h.scanning());
        QVERIFY(!h.form.Timer1->isActive());
        QVERIFY(!h.browser->isLoaded());
    }

    void abortDuringCountdown_buttonBackAtOnceAndReadStillCompletes()
    {
        Harness h;
        h.form.scanDriver().setTimings({20, 5, 100});
        h.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(h.form.LabScanLast->text().startsWith(QStringLiteral("  Check Friends")));
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QCOMPARE(h.form.ButGo->text(), QStringLiteral("Start Scan"));
        QCOMPARE(h.form.table.friendCount(), 0);
        // Starting again while the aborted scan still reads does not disturb that read.
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QCOMPARE(h.form.ButGo->text(), QStringLiteral("Start Scan"));
        QTRY_COMPARE(h.form.table.friendCount(), 2);
        QCOMPARE(h.form.state.scanState, 2);
    }

    void plainHttpElsewhere_isNeverContacted()
    {
        Harness h;
        h.form.state.serviceUrl = QStringLiteral("http://www.vey.example");
        bool shown = false;
        whenModalDialogAppears(h.form, [&](Form2 *dialog) {
            shown = dialog->Label1->text() == QStringLiteral("Unable to connect !");
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(shown);
        QVERIFY(h.browser->navigations.isEmpty());
        QVERIFY(h.browser->logins.isEmpty());
    }

    void timedScanThatFails_switchesRepetitionOff()
    {
        Harness h;
        h.browser->pageFor = [](const QUrl &) { return QString(); };
        h.form.TextTimerScan->setText(QStringLiteral("5"));
        h.form.state.minutesLeft = QStringLiteral("-1");
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QCOMPARE(h.form.LabScanNext->text(), QStringLiteral("Next scan now "));
        whenModalDialogAppears(
            h.form, [&](Form2 *dialog) { QTest::mouseClick(dialog->ButOk, Qt::LeftButton); });
        QTRY_VERIFY(!h.scanning());
        QVERIFY(!h.form.state.repeatOn);
        QCOMPARE(h.form.state.minutesLeft, QStringLiteral("5"));
        QVERIFY(!h.form.TimerScan->isActive());
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestScanDriver)
#include "test_scan_driver.moc"
