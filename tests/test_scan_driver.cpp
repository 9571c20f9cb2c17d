// The scan's state machine with a scripted browser and fetcher: captions, colours, states,
// messages, and which route each scan takes.
#include "dialog_driver.h"
#include "platform/address_policy.h"
#include "scan/scan_driver.h"
#include "scan/service_address.h"
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

// Another site's page that holds the service's domain word inside a word, and a login form.
const QString SurveyForm = QStringLiteral("<HEAD></HEAD><BODY><P>Take our survey</P><FORM><INPUT>"
                                          "<INPUT><BUTTON>Send</BUTTON></FORM>") +
                           Filler + QStringLiteral("</BODY>");

} // namespace

class TestScanDriver : public QObject
{
    Q_OBJECT

private slots:
    void missingLogin_showsMessageAndReturnsToIdle_data()
    {
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("missing");
        QTest::newRow("user name") << QStringLiteral("Vey Username") << "Invalid Vey Username";
        QTest::newRow("password") << QStringLiteral("demo") << "Invalid Vey Password";
    }

    void missingLogin_showsMessageAndReturnsToIdle()
    {
        QFETCH(QString, userName);
        QFETCH(QString, missing);
        Harness h(false);
        h.form.state.userName = userName;
        QStringList shown;
        whenModalDialogShown(h.form, [&](Form2 *dialog) {
            shown << dialog->Label1->text() << dialog->Label2->text();
            QVERIFY(!dialog->Label3->isVisibleTo(dialog));
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QCOMPARE(shown, (QStringList{missing, "Please fill in this field"}));
        QCOMPARE(h.form.ButGo->text(), QStringLiteral("Start Scan"));
        QCOMPARE(backColor(h.form.ButGo), colors::LightGreen);
        QVERIFY(h.browser->navigations.isEmpty());
        QVERIFY(h.fetcher->fetched.isEmpty());
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
        h.fetcher->delayMs = 200;
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        // A slow answer keeps the direct read's caption while the ticks go by.
        QTest::qWait(120);
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

    void driverGoingAwayWithAReadPending_runsNothingMore()
    {
        Harness h;
        h.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        h.browser->answers = false;
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_COMPARE(h.browser->heldAnswers(), 1);
        const QString caption = h.form.LabScanLast->text();
        // The driver goes as it does when the window closes; its browser answers the pending
        // read with the friends page as it is destroyed.
        h.form.setScanPlatform(std::make_unique<FakeBrowser>(),
                               std::make_unique<FakePageFetcher>());
        QCOMPARE(h.form.state.scanStep, int(StepWait));
        QCOMPARE(h.form.LabScanLast->text(), caption);
        QTest::qWait(50);
        QCOMPARE(h.form.table.friendCount(), 0);
    }

    void nothingAnswering_givesUpAfterTenTicksWithConnectMessage_data()
    {
        QTest::addColumn<bool>("browserAnswers");
        QTest::newRow("no page arrives") << true;
        QTest::newRow("the browser never answers") << false; // a page script that never yields
    }

    void nothingAnswering_givesUpAfterTenTicksWithConnectMessage()
    {
        QFETCH(bool, browserAnswers);
        Harness h;
        h.browser->pageFor = [browserAnswers](const QUrl &) {
            return browserAnswers ? QString() : LoginForm;
        };
        h.browser->answers = browserAnswers;
        QStringList shown;
        whenModalDialogAppears(h.form, [&](Form2 *dialog) {
            shown << dialog->Label1->text() << h.form.LabScanLast->text();
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(!h.scanning());
        QCOMPARE(shown, (QStringList{"Unable to connect !", " Scan stopped"}));
        QCOMPARE(h.form.state.waitCount, 0);
        QVERIFY(!h.browser->isLoaded()); // the next scan starts with a fresh page
    }

    void pageEnd_decidesWhetherThePageHasLoaded_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("loads");
        QTest::newRow("end before position 100")
            << QStringLiteral("<p>vey Friends Online Now:</p></BODY>") << false;
        QTest::newRow("end tag in small letters")
            << QStringLiteral("<p>vey Friends Online Now:</p>") + Filler + QStringLiteral("</body>")
            << false;
        QTest::newRow("an early end tag in a script, the real one later")
            << QStringLiteral("<SCRIPT>var end = '</BODY>';</SCRIPT>") + FriendsBrowser << true;
    }

    void pageEnd_decidesWhetherThePageHasLoaded()
    {
        QFETCH(QString, page);
        QFETCH(bool, loads);
        Harness h;
        h.form.scanDriver().setTimings({60, 5, 5});
        h.browser->pageFor = [page](const QUrl &) { return page; };
        QStringList shown;
        whenModalDialogAppears(h.form, [&](Form2 *dialog) {
            shown << dialog->Label1->text();
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        if (loads) {
            QTRY_VERIFY(!h.scanning());
            QCOMPARE(shown, QStringList());
            QCOMPARE(h.form.table.friendCount(), 2);
            return;
        }
        QTRY_VERIFY(h.form.state.waitCount >= 3);
        QCOMPARE(h.form.state.scanStep, int(StepWait));
        // From the second tick on the caption counts the ticks spent waiting.
        QTRY_VERIFY(
            h.form.LabScanLast->text().startsWith(QStringLiteral("        Scan running ...(")));
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton); // abort
        QVERIFY(!h.scanning());
    }

    void servicePage_isTheServicesHostOrDomainOnly_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("own");
        const QString builtIn = friendsPageUrl(QString()).toString();
        const QString local = friendsPageUrl(QStringLiteral("http://127.0.0.1:8080")).toString();
        const auto row = [](const char *name, const QString &service, const char *page, bool own) {
            QTest::newRow(name) << service << QString::fromLatin1(page) << own;
        };
        row("the service's host", builtIn, "https://www.vey.example/login", true);
        row("its domain", builtIn, "https://vey.example/", true);
        row("a host in its domain", builtIn, "https://login.eu.vey.example/x", true);
        row("a word ending alike", builtIn, "https://survey.example/", false);
        row("a domain ending alike", builtIn, "https://myvey.example/", false);
        row("its domain inside another", builtIn, "https://vey.example.net/", false);
        row("plain http", builtIn, "http://www.vey.example/", false);
        row("no address", builtIn, "", false);
        row("loopback, same port", local, "http://127.0.0.1:8080/login", true);
        row("loopback, another port", local, "http://127.0.0.1:8081/login", false);
        row("loopback, another name", local, "http://localhost:8080/login", false);
        row("loopback over https", local, "https://127.0.0.1:8080/", false);
        row("www before a bare name", QStringLiteral("https://www.example"),
            "https://other.example/", false);
    }

    void servicePage_isTheServicesHostOrDomainOnly()
    {
        QFETCH(QString, service);
        QFETCH(QString, page);
        QFETCH(bool, own);
        QCOMPARE(isServicePage(QUrl(page), QUrl(service)), own);
    }

    void foreignPage_failsAtOnceWithoutTypingTheLogin_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("landing"); // empty: where the browser was sent
        QTest::addColumn<QString>("page");
        QTest::newRow("no domain word")
            << QString() << QString()
            << QStringLiteral("<FORM><INPUT><INPUT><BUTTON>Go</BUTTON></FORM>") + Filler +
                   QStringLiteral("</BODY>");
        QTest::newRow("redirected to another site")
            << QString() << QStringLiteral("https://www.survey.example/start") << SurveyForm;
        QTest::newRow("redirected to another port")
            << QStringLiteral("http://127.0.0.1:8080") << QStringLiteral("http://127.0.0.1:8081/")
            << SurveyForm;
        // Never contacted at all.
        QTest::newRow("plain http elsewhere")
            << QStringLiteral("http://www.vey.example") << QString() << LoginForm;
    }

    void foreignPage_failsAtOnceWithoutTypingTheLogin()
    {
        QFETCH(QString, service);
        QFETCH(QString, landing);
        QFETCH(QString, page);
        Harness h;
        h.form.state.serviceUrl = service;
        if (!landing.isEmpty())
            h.browser->landsAt = [landing](const QUrl &) { return QUrl(landing); };
        h.browser->pageFor = [page](const QUrl &) { return page; };
        bool shown = false;
        whenModalDialogAppears(h.form, [&](Form2 *dialog) {
            shown = dialog->Label1->text() == QStringLiteral("Unable to connect !");
            // The first tick gave up: no waiting count ever reached the caption.
            QCOMPARE(h.form.LabScanLast->text(), QStringLiteral(" Scan stopped"));
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(shown);
        QVERIFY(h.browser->logins.isEmpty());
        for (const QUrl &sent : h.browser->navigations)
            QVERIFY(isAllowedServiceAddress(sent));
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

    void countdown_keepsTheStatusRowAndOutlivesAnAbort()
    {
        Harness h;
        h.form.scanDriver().setTimings({20, 5, 200});
        h.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QTRY_VERIFY(h.form.LabScanLast->text().startsWith(QStringLiteral("  Check Friends")));
        // The status refresh (here through the Timer button) leaves the scan's caption.
        QTest::mouseClick(h.form.ButTimerOnOff, Qt::LeftButton);
        QVERIFY(h.form.LabScanLast->text().startsWith(QStringLiteral("  Check Friends")));
        QCOMPARE(foreColor(h.form.LabScanLast), colors::Magenta);
        // Abort: the button returns at once, the count-down and the read go on.
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QCOMPARE(h.form.ButGo->text(), QStringLiteral("Start Scan"));
        QCOMPARE(h.form.table.friendCount(), 0);
        QTRY_COMPARE(h.form.LabScanLast->text(), QStringLiteral("  Check Friends online ...(1)"));
        QCOMPARE(foreColor(h.form.LabScanLast), colors::Magenta);
        // A start while the aborted scan still reads waits for that read, then runs.
        QTest::mouseClick(h.form.ButGo, Qt::LeftButton);
        QCOMPARE(h.form.ButGo->text(), QStringLiteral("Abort Scan"));
        QTRY_COMPARE(h.form.table.friendCount(), 2);
        QTRY_COMPARE(h.fetcher->fetched.size(), 1); // the second scan tries the direct read
        QTRY_VERIFY(!h.scanning());
        QCOMPARE(h.form.state.scanState, 2);
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
