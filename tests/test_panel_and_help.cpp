// The panel that hides and shows, the window minimised, and the help line under the mouse.
#include "store/data_dir.h"
#include "ui/form1.h"
#include "ui/line_list.h"
#include "ui/panel_slide.h"
#include "ui/twips.h"
#include "widget_test_main.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

using namespace amiscan;

namespace {

// The main window as start-up leaves it, with the given settings file and no history.
struct Window
{
    QTemporaryDir dir;
    std::unique_ptr<Form1> form;

    explicit Window(const QByteArray &settings = {})
    {
        if (!settings.isEmpty()) {
            QFile file(settingsFilePath(dir.path()));
            if (file.open(QIODevice::WriteOnly))
                file.write(settings);
        }
        form = std::make_unique<Form1>(dir.path());
        form->load();
    }
    bool shown() { return QTest::qWaitForWindowExposed(form.get()); }

    QHash<QString, int> tops() const
    {
        QHash<QString, int> all;
        for (const QWidget *control : form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            all.insert(control->objectName(), twipsGeometry(control).top());
        return all;
    }
    int top(const QWidget *control) const { return twipsGeometry(control).top(); }
    void clickPanelButton() { QTest::mouseClick(form->ButHidePanel, Qt::LeftButton); }

    // The mouse moved over a point of the window, as the window system reports it.
    void hover(const QPoint &at) { QTest::mouseMove(form->windowHandle(), at); }
};

// A point of the bare window, left of the lists and under the panel.
const QPoint Background(4, 200);

} // namespace

class TestPanelAndHelp : public QObject
{
    Q_OBJECT

private slots:
    void slide_data()
    {
        QTest::addColumn<bool>("hide");
        QTest::addColumn<QList<int>>("from");
        QTest::addColumn<QList<int>>("to");
        // The closing line, About, the panel button, Exit, the status row.
        QTest::newRow("hide from the design")
            << true << QList{960, 120, 660, 120, 1140} << QList{-20, -860, 0, 0, 265};
        // The panel button moves in steps 16 to 49 only, Exit in steps 43 to 49 only.
        QTest::newRow("show after a hide")
            << false << QList{-20, -860, 0, 0, 265} << QList{960, 120, 680, 140, 1140};
        QTest::newRow("hide again")
            << true << QList{960, 120, 680, 140, 1140} << QList{-20, -860, 0, 0, 265};
    }

    void slide()
    {
        QFETCH(bool, hide);
        QFETCH(QList<int>, from);
        QFETCH(QList<int>, to);
        const SlidePositions at{from[0], from[1], from[2], from[3], from[4]};
        const SlidePositions end = hide ? hideSlide(at) : showSlide(at);
        QCOMPARE((QList{end.lineHoriz, end.about, end.panelButton, end.exitButton, end.statusRow}),
                 to);
    }

    void hideThenShow_returnsToTheDesignExceptTheTopRowButtons()
    {
        Window w;
        QVERIFY(w.shown());
        Form1 &f = *w.form;
        const QHash<QString, int> design = w.tops();
        const int designPixels = f.height();

        w.clickPanelButton();
        QCOMPARE(f.state.panelState, PanelState::Hidden);
        QCOMPARE(w.top(f.ButHidePanel), 0);
        QCOMPARE(w.top(f.ButExit), 0);
        QCOMPARE(w.top(f.ButAbout), design["ButAbout"] - 980);
        QCOMPARE(w.top(f.TextLogin), design["TextLogin"] - 980);
        QCOMPARE(w.top(f.LabScanLast), 265);
        QCOMPARE(f.ButHidePanel->text(), QStringLiteral("Show Panel"));
        for (QPushButton *toggle :
             {f.ButHideCheckFlter, f.ButHideCheckHideOff, f.ButHideCheckUser}) {
            QVERIFY(toggle->isVisible());
            QCOMPARE(w.top(toggle), 0);
        }
        QCOMPARE(f.height(), designPixels - 59);

        w.clickPanelButton();
        QCOMPARE(f.state.panelState, PanelState::Shown);
        QHash<QString, int> expected = design;
        expected["ButHidePanel"] = 680;
        expected["ButExit"] = 140;
        QCOMPARE(w.tops(), expected);
        QCOMPARE(w.top(f.LabScanLast), 1140);
        QCOMPARE(f.ButHidePanel->text(), QStringLiteral("Hide Panel"));
        QVERIFY(!f.ButHideCheckFlter->isVisible());
        QCOMPARE(f.height(), designPixels);
    }

    // Every way to the toggle hides the panel and lays the lists out for it; the window is as
    // high as the list layout makes it: 15 rows under a list top of 1610, or 725 when hidden.
    void waysToToggle_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("panel button") << "button";
        QTest::newRow("double click on the main list") << "double click";
        QTest::newRow("saved setting at start-up") << "settings";
    }

    void waysToToggle()
    {
        QFETCH(QString, way);
        Window w(way == "settings" ? "[Parameters]\r\nAutoHide=1\r\n" : "");
        QVERIFY(w.shown());
        Form1 &f = *w.form;
        const auto toggle = [&] {
            if (way == "double click")
                QTest::mouseDClick(f.List1->viewport(), Qt::LeftButton);
            else if (way == "button")
                w.clickPanelButton();
        };
        toggle();
        QCOMPARE(f.state.panelState, PanelState::Hidden);
        QCOMPARE(f.ButHidePanel->text(), QStringLiteral("Show Panel"));
        QCOMPARE(f.windowHeightTwips(), 4410);
        QCOMPARE(w.top(f.LabHelp), 3710);

        if (way == "settings")
            w.clickPanelButton();
        else
            toggle();
        QCOMPARE(f.state.panelState, PanelState::Shown);
        QCOMPARE(f.windowHeightTwips(), 5295);
        QCOMPARE(w.top(f.LabHelp), 4595);
    }

    void minimising_hidesTheWindowOnlyWithTheTrayOption_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::newRow("option off") << false;
        QTest::newRow("option on") << true;
    }

    void minimising_hidesTheWindowOnlyWithTheTrayOption()
    {
        QFETCH(bool, tray);
        Window w;
        QVERIFY(w.shown());
        w.form->CheckTray->setChecked(tray);
        w.form->showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(w.form->isMinimized());
        // Without the option the window never hides; with it, as the window's rule says.
        const bool hides = w.form->hidesWhenMinimised();
        QVERIFY(tray || !hides);
        QCOMPARE(w.form->isVisible(), !hides);
    }

    void minimisedWindow_takesItsNewHeightOnlyWhenItComesBack()
    {
        Window w;
        QVERIFY(w.shown());
        const int before = w.form->windowHeightTwips();
        w.form->showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(w.form->isMinimized());
        w.form->state.minListLines = w.form->state.maxListLines; // the lists grow
        w.form->layoutLists();
        QCOMPARE(w.form->windowHeightTwips(), before);
        QVERIFY(w.form->isMinimized());
        w.form->showNormal();
        QCoreApplication::processEvents();
        QVERIFY(w.form->windowHeightTwips() > before);
    }

    // Each row starts with a friend's companion line in view, as after a selection in the main
    // list: a switching text brings the help line back, the others wait behind it.
    void helpText_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("panelHidden");
        QTest::addColumn<bool>("filterOn");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("switches");
        QTest::newRow("word before the interval box")
            << "LabTextTimerScan1" << false << false << "Enter the scan interval (in minutes)"
            << false;
        QTest::newRow("title") << "LabelProg1" << false << false
                               << "Amiscan " + programVersionText() << false;
        QTest::newRow("panel button, panel shown")
            << "ButHidePanel" << false << false
            << "Click to hide the panel to reduce the size of the window (or <Double click> on "
               "List)"
            << false;
        QTest::newRow("panel button, panel hidden")
            << "ButHidePanel" << true << false
            << "Click to show the panel to recover the normal window size [or <Double click> on "
               "List]"
            << false;
        QTest::newRow("filter toggle, filter on")
            << "ButHideCheckFlter" << true << true << "The list displays ONLY selected friends"
            << false;
        QTest::newRow("last scan") << "LabScanLast" << false << false
                                   << "<Click> to start the scan  (as [Start Scan])" << true;
        QTest::newRow("status label") << "LabInfo" << false << false << "" << true;
        QTest::newRow("companion line") << "LabHelpNom" << false << false << "" << false;
        QTest::newRow("bare window") << "" << false << false << "" << true;
    }

    void helpText()
    {
        QFETCH(QString, control);
        QFETCH(bool, panelHidden);
        QFETCH(bool, filterOn);
        QFETCH(QString, text);
        QFETCH(bool, switches);
        Window w;
        QVERIFY(w.shown());
        Form1 &f = *w.form;
        if (panelHidden)
            w.clickPanelButton();
        f.CheckFlter->setChecked(filterOn);
        w.hover(QPoint(1, 1));
        f.LabHelp->setText(QStringLiteral("earlier text"));
        f.LabHelp->hide();
        f.LabHelpNom->setText(QStringLiteral("companion line"));
        f.LabHelpNom->show();

        const auto *over = f.findChild<QWidget *>(control);
        w.hover(control.isEmpty() ? Background : over->geometry().center());
        QCOMPARE(f.LabHelp->text(), text);
        QCOMPARE(f.LabHelp->isVisible(), switches);
        QCOMPARE(f.LabHelpNom->isVisible(), !switches);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestPanelAndHelp)
#include "test_panel_and_help.moc"
