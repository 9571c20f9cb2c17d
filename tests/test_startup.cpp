// The start-up of a first run: no settings, no history.
#include "list_lines.h"
#include "scan/scan_driver.h"
#include "ui/colors.h"
#include "ui/form1.h"
#include "ui/twips.h"
#include "widget_test_main.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace amiscan;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void firstRun_showsInstructionsInBothLists()
    {
        QTemporaryDir dir;
        Form1 form(dir.path());
        form.load();

        QStringList expected{QString(), " - Enter your <Vey Username> and your <Vey Password>,",
                             " - Then click on <Start Scan>"};
        for (int i = 0; i < 12; ++i)
            expected << QString();
        QCOMPARE(list_lines::all(form.List1), expected);

        QCOMPARE(list_lines::all(form.List2),
                 (QStringList{QString(), " On this 2nd list, you can manage your Vey friends :",
                              " delete or select the ones you want to display"}));
        QCOMPARE(form.List2->checkState(0), Qt::Unchecked);
        QCOMPARE(form.List2->checkState(1), Qt::Checked);
        QCOMPARE(form.List2->checkState(2), Qt::Checked);
        QVERIFY(!form.List2->isVisible());
    }

    void firstRun_statusRowAndWindow()
    {
        QTemporaryDir dir;
        Form1 form(dir.path());
        form.load();

        QVERIFY(form.isVisible());
        QCOMPARE(form.windowTitle(), QStringLiteral("Amiscan"));
        QCOMPARE(form.LabScanLast->text(), QStringLiteral(" No scan"));
        QCOMPARE(foreColor(form.LabScanLast), colors::Black);
        QCOMPARE(form.LabScanNext->text(), QStringLiteral("Scan not started "));
        QCOMPARE(foreColor(form.LabScanNext), colors::Black);
        QCOMPARE(form.LabInfo->text(), QStringLiteral("Amiscan"));
        QCOMPARE(form.ButGo->text(), QStringLiteral("Start Scan"));
        QCOMPARE(backColor(form.ButGo), colors::LightGreen);
        QCOMPARE(form.LabSession->text(), QStringLiteral("1"));
        QVERIFY(form.LabHelp->isVisible());
        QVERIFY(form.LabHelp->text().isEmpty());
        QVERIFY(!form.LabHelpNom->isVisible());

        // Fifteen list rows: 2985 twips, help line at 4595, window 7905 x 5295.
        QCOMPARE(twipsGeometry(form.List1).height(), 2985);
        QCOMPARE(twipsGeometry(form.List2).height(), 2985);
        QCOMPARE(twipsGeometry(form.LabHelp).top(), 4595);
        QCOMPARE(twipsGeometry(form.LabHelpNom).top(), 4595);
        QCOMPARE(twipsGeometry(&form).size(), QSize(7905, 5295));
        QCOMPARE(form.size(), QSize(527, 353));
    }

    void firstRun_stateAndBoxes()
    {
        QTemporaryDir dir;
        Form1 form(dir.path());
        form.load();

        const MainState &s = form.state;
        QVERIFY(s.windowReady);
        QVERIFY(!s.dataPresent);
        QCOMPARE(s.scanState, ScanState::NotStarted);
        QCOMPARE(form.scanDriver().step(), ScanStep::Idle);
        QCOMPARE(s.minutesLeft, QStringLiteral("15"));
        QVERIFY(s.repeatOn);
        QCOMPARE(s.minListLines, 15);
        QCOMPARE(s.maxListLines, 51);
        QCOMPARE(s.userName, QStringLiteral("Vey Username"));
        QCOMPARE(s.password, QStringLiteral("Vey Password"));
        QVERIFY(s.versionText.startsWith(u'v'));
        QVERIFY(s.versionText.endsWith(QStringLiteral(" - 14/10/12")));
        QCOMPARE(form.TextLogin->text(), QStringLiteral("Vey Username"));
        QCOMPARE(form.TextPw->text(), QStringLiteral("Vey Password"));
        QVERIFY(!form.Timer1->isActive());
        QVERIFY(!form.TimerScan->isActive());
        QCOMPARE(form.table.friendCount(), 0);
    }

    void firstRun_writesNoFile()
    {
        QTemporaryDir dir;
        {
            Form1 form(dir.path());
            form.load();
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void versionText_composition()
    {
        QCOMPARE(makeVersionText(3, 2, 0), QStringLiteral("v3.20 - 14/10/12"));
        QCOMPARE(makeVersionText(1, 10, 7), QStringLiteral("v1.107 - 14/10/12"));
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestStartup)
#include "test_startup.moc"
