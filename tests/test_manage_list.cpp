// The management list and the session switch on a shown main window: right clicks, check marks,
// deletions, the column title and the companion line, driven through the real widgets.
#include "dialog_driver.h"
#include "friend_rows.h"
#include "list_lines.h"
#include "lists/friend_line.h"
#include "scripted_scan.h"
#include "ui/colors.h"
#include "widget_test_main.h"
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>

using namespace amiscan;
using namespace friend_rows;

namespace {

// Ann and Cara online; Ann's two sessions differ so that her companion line tells them apart.
const QList<Friend> FiveFriends{
    {"Ann", "ann.x", true, true, {}, "07/09/12 22:53", {}, {}, "04/09/12 14:19"},
    {"Bob", "bob"},
    {"Cara", "cara", true},
    {"Dan", "dan"},
    {"Eve", "eve"},
};

// A started window, active, showing its friends as start-up shows a read history.
struct Lists : ScriptedScan
{
    explicit Lists(const QList<Friend> &friends = FiveFriends, int scanState = 2)
    {
        browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
        for (const Friend &f : friends)
            add(form.table, f);
        form.state.dataPresent = true;
        form.state.scanState = scanState;
        form.sortByKey();
        form.fillManageList();
        form.sortOnlineFirst();
        form.fillMainList();
        form.layoutLists();
        QApplication::setActiveWindow(&form);
        active = QTest::qWaitForWindowActive(&form);
    }
    bool active = false;
    LineList *main() const { return form.List1; }
    LineList *manage() const { return form.List2; }
    // Clicks land on the line's text, away from its check box.
    void click(LineList *list, int line, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(list->viewport(), button, {},
                          list_lines::rect(list, line).center() + QPoint(100, 0));
    }
    void rightClick(LineList *list) { click(list, 0, Qt::RightButton); }
    // A double click, whose first press makes the line current.
    void invert(int line)
    {
        click(manage(), line);
        QTest::mouseDClick(manage()->viewport(), Qt::LeftButton, {},
                           list_lines::rect(manage(), line).center() + QPoint(100, 0));
    }
    QString cell(const QString &name, int column) const
    {
        return form.table.cell(form.table.findByAccountName(name.toLower()), column);
    }
    // The friend lines, a "-" before the unchecked ones of the management list.
    QStringList lines(LineList *list) const
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i) {
            const bool unchecked = list == manage() && list->checkState(i) != Qt::Checked;
            if (list->lineText(i).contains(u':'))
                names << (unchecked ? "-" : "") + nameFromLine(list->lineText(i));
        }
        return names;
    }
    // The help line's text after the mouse moved over the control.
    QString helpOver(QWidget *control)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), control->mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(control, &move);
        return form.LabHelp->text();
    }
};

} // namespace

class TestManageList : public QObject
{
    Q_OBJECT

private slots:
    void uncheckTwoAndReturn_hidesThemWithTheFilterOn()
    {
        Lists w;
        QVERIFY(w.active);
        w.rightClick(w.main());
        QVERIFY(w.manage()->isVisible() && w.form.CheckList2All->isVisible());
        QVERIFY(!w.main()->isVisible() && !w.form.LabHelpNom->isVisible());
        w.invert(1); // Bob, by a double click
        w.manage()->setCurrentRow(3);
        QTest::keyClick(w.manage(), Qt::Key_Space); // Dan, by his check box
        QCOMPARE(w.lines(w.manage()), (QStringList{"Ann", "-Bob", "Cara", "-Dan", "Eve"}));
        QCOMPARE(w.cell("Bob", Unselected), QStringLiteral("0")); // not before the return
        w.rightClick(w.manage());
        QVERIFY(w.main()->isVisible() && !w.manage()->isVisible());
        QCOMPARE(column(w.form.table, Unselected).count("1"), 2);
        QCOMPARE(w.cell("Dan", Unselected), QStringLiteral("1"));
        QTest::mouseClick(w.form.CheckFlter, Qt::LeftButton);
        QCOMPARE(w.lines(w.main()), (QStringList{"Ann", "Cara", "Eve"}));
        QCOMPARE(w.form.LabInfo->text(), QStringLiteral("Selected friends Online: 2/3  (2/5)"));
    }

    void checkAll_offThenOn_changesNothingBeforeTheReturn()
    {
        Lists w({{"Ann", "ann"}, {"Bob", "bob", false, false}});
        w.rightClick(w.main());
        QTest::keyClick(w.manage(), Qt::Key_Delete); // no current line: no question
        QVERIFY(!w.form.dialog());
        w.manage()->setCurrentRow(0);
        QTest::mouseClick(w.form.CheckList2All, Qt::LeftButton);
        QCOMPARE(w.lines(w.manage()), (QStringList{"-Ann", "-Bob"}));
        QCOMPARE(w.manage()->currentRow(), -1);
        QTest::mouseClick(w.form.CheckList2All, Qt::LeftButton);
        QCOMPARE(column(w.form.table, Unselected), (QStringList{"0", "1"}));
        QTest::keyClick(w.manage(), Qt::Key_Escape); // returns like the right button
        QVERIFY(w.main()->isVisible());
        QCOMPARE(column(w.form.table, Unselected), (QStringList{"0", "0"}));
    }

    void delete_questionNamesTheFriend_data()
    {
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("accountName");
        QTest::addColumn<QStringList>("question");
        QTest::addColumn<bool>("yes");
        QTest::newRow("same names, cancel")
            << "zed"
            << "zed" << QStringList{"zed", "Delete this friend ?"} << false;
        QTest::newRow("user name differs, yes")
            << "Annabel Example-Long"
            << "annabel.example.long.name"
            << QStringList{"Annabel Example-Lo", "( annabel.example.lon )", " Delete this friend ?"}
            << true;
    }
    // After Yes the lines below move up and still reach their friends when written back.
    void delete_questionNamesTheFriend()
    {
        QFETCH(QString, displayName);
        QFETCH(QString, accountName);
        QFETCH(QStringList, question);
        QFETCH(bool, yes);
        Lists w({{displayName, accountName}, {"Bob", "bob"}, {"Zoe", "zoe"}});
        w.rightClick(w.main());
        const int line = displayName == "zed" ? 1 : 0;
        w.click(w.manage(), line);
        QStringList asked;
        whenModalDialogAppears(w.form, [&](Form2 *dialog) {
            for (QLabel *label : {dialog->Label1, dialog->Label2, dialog->Label3})
                if (label->isVisible())
                    asked << label->text();
            QTest::mouseClick(yes ? dialog->ButYes : dialog->ButCancel, Qt::LeftButton);
        });
        QTest::keyClick(w.manage(), Qt::Key_Delete);
        QCOMPARE(asked, question);
        QCOMPARE(w.form.table.friendCount(), yes ? 2 : 3);
        QCOMPARE(w.form.state.listedCount, yes ? 2 : 3);
        QCOMPARE(w.form.state.selectedCount, yes ? 2 : 3);
        w.invert(1);
        w.rightClick(w.manage());
        QCOMPARE(w.cell(yes ? "Zoe" : "zed", Unselected), QStringLiteral("1"));
        QCOMPARE(column(w.form.table, Unselected).count("1"), 1);
    }

    // The question waits while the timers run: a scan goes back to the main list, adds a friend
    // and refills both lists in a new order before the user answers.
    void delete_confirmedAfterAScanRemovesTheFriendAsked()
    {
        Lists w;
        w.rightClick(w.main());
        w.invert(4); // Eve, not yet written back
        w.click(w.manage(), 3);
        whenModalDialogAppears(w.form, [&w](Form2 *dialog) {
            w.form.startScanButton();
            QTRY_VERIFY(!w.scanning());
            QCOMPARE(w.form.table.friendCount(), 6);
            QTest::mouseClick(dialog->ButYes, Qt::LeftButton);
        });
        QTest::keyClick(w.manage(), Qt::Key_Delete);
        QCOMPARE(w.lines(w.manage()), (QStringList{"Ann", "Ann Lee", "Bob", "Cara", "-Eve"}));
        for (int row = 1; row <= w.form.table.friendCount(); ++row) {
            const int line = w.form.table.cell(row, ManagePos).toInt() - 1;
            QCOMPARE(nameFromLine(w.manage()->lineText(line)), w.form.table.cell(row, DisplayName));
        }
        QCOMPARE(w.lines(w.main()), (QStringList{"Ann Lee", "Bob", "Ann", "Cara", "Eve"}));
        QCOMPARE(w.cell("Eve", Unselected), QStringLiteral("1"));
    }

    // Start Scan leaves the management list with its marks; a scan that ends while the
    // management list is shown again keeps the history file for later.
    void scan_returnsToTheMainListFirstAndKeepsTheHistoryWhileManaging()
    {
        Lists w;
        w.rightClick(w.main());
        w.invert(1);
        QTest::mouseClick(w.form.ButGo, Qt::LeftButton);
        QVERIFY(w.main()->isVisible() && !w.form.state.manageMode);
        QCOMPARE(w.cell("Bob", Unselected), QStringLiteral("1"));
        w.rightClick(w.main());
        QTRY_VERIFY(!w.scanning());
        QCOMPARE(w.lines(w.manage()),
                 (QStringList{"Ann", "Ann Lee", "-Bob", "Cara", "Dan", "Eve"}));
        QVERIFY(!QFile::exists(w.dir.filePath("Amiscan.txt")));
    }

    void switchTwice_restoresTitleColoursAndHelp_data()
    {
        QTest::addColumn<int>("scanState");
        QTest::addColumn<QColor>("mainColour");
        QTest::newRow("before any scan") << 0 << colors::Black;
        QTest::newRow("after a scan") << 2 << colors::Blue;
    }
    void switchTwice_restoresTitleColoursAndHelp()
    {
        QFETCH(int, scanState);
        QFETCH(QColor, mainColour);
        Lists w(FiveFriends, scanState);
        QCOMPARE(w.helpOver(w.form.LabTitList1), texts::SessionHelpToSecond);
        QCOMPARE(w.helpOver(w.main()->viewport()), texts::MainListHelpSelectsSecond);
        QTest::mousePress(w.form.LabTitList1, Qt::RightButton);
        QCOMPARE(w.form.state.sessionShown, 0);
        QTest::mousePress(w.form.LabTitList1, Qt::LeftButton);
        QCOMPARE(w.form.LabTitList1->text(), texts::SecondSessionTitle);
        QCOMPARE(w.form.LabSession->text(), QStringLiteral("2"));
        for (QWidget *control :
             {(QWidget *)w.form.LabTitList1, (QWidget *)w.main(), (QWidget *)w.manage()})
            QCOMPARE(foreColor(control), colors::GreyGreen);
        const QString annSecond = QStringLiteral("04/09/12 14:19 - .. .. .. .. .. > .. ..");
        QVERIFY(w.main()->lineText(0).endsWith(annSecond));
        QVERIFY(w.manage()->lineText(0).endsWith(annSecond));
        QCOMPARE(w.helpOver(w.form.LabSession), texts::SessionHelpToFirst);
        QCOMPARE(w.helpOver(w.main()->viewport()), texts::MainListHelpSelectsFirst);

        QTest::mouseClick(w.form.LabSession, Qt::LeftButton);
        QCOMPARE(w.form.LabTitList1->text(), texts::FirstSessionTitle);
        QCOMPARE(foreColor(w.form.LabTitList1), colors::Black);
        QCOMPARE(foreColor(w.main()), mainColour);
        QCOMPARE(foreColor(w.manage()), colors::Black);
        QVERIFY(w.main()->lineText(0).endsWith("07/09/12 22:53 - .. .. .. .. .. > .. .."));
        w.rightClick(w.main());
        QCOMPARE(w.helpOver(w.manage()->viewport()), texts::ManageListHelp);
    }

    void companionLine_showsTheOtherSession_data()
    {
        QTest::addColumn<bool>("secondShown");
        QTest::addColumn<QString>("companion");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("1st shown")
            << false << "ann.x             : 04/09/12 14:19 - .. .. .. .. .. > .. .."
            << colors::Green;
        QTest::newRow("2nd shown")
            << true << "ann.x             : 07/09/12 22:53 - .. .. .. .. .. > .. .."
            << colors::Black;
    }
    void companionLine_showsTheOtherSession()
    {
        QFETCH(bool, secondShown);
        QFETCH(QString, companion);
        QFETCH(QColor, colour);
        Lists w;
        if (secondShown)
            QTest::mouseClick(w.form.LabSession, Qt::LeftButton);
        w.click(w.main(), 0);
        QCOMPARE(w.form.LabHelpNom->text(), companion);
        QCOMPARE(foreColor(w.form.LabHelpNom), colour);
        QVERIFY(w.form.LabHelpNom->isVisible() && !w.form.LabHelp->isVisible());
        // Leaving the list brings the help line back; Escape in it parks the focus.
        w.form.TextLogin->setFocus();
        QTRY_VERIFY(w.form.LabHelp->isVisible() && !w.form.LabHelpNom->isVisible());
        w.click(w.main(), 0);
        QTest::keyClick(w.main(), Qt::Key_Escape);
        QCOMPARE(w.main()->currentRow(), -1);
        QTRY_VERIFY(w.form.ListTri->hasFocus());
        // The separator line empties the help line and is not left selected.
        w.click(w.main(), 0);
        w.click(w.main(), 2);
        QCOMPARE(w.main()->lineText(2), separatorLine());
        QVERIFY(w.form.LabHelpNom->text().isEmpty() && w.form.LabHelp->isVisible());
        QCOMPARE(w.main()->currentRow(), -1);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestManageList)
#include "test_manage_list.moc"
