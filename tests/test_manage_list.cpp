// The management list and the session switch on a shown main window: right clicks, check marks,
// deletions, the column title and the companion line, driven through the real widgets.
#include "dialog_driver.h"
#include "friend_rows.h"
#include "lists/friend_line.h"
#include "scripted_scan.h"
#include "ui/colors.h"
#include "ui/form1_texts.h"
#include "ui/twips.h"
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

    // A point on the line's text, away from its check box.
    QPoint on(QListWidget *list, int line) const
    {
        return list->visualItemRect(list->item(line)).center() + QPoint(100, 0);
    }
    void rightClick(QListWidget *list) { QTest::mouseClick(list->viewport(), Qt::RightButton); }
    void select(QListWidget *list, int line)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, on(list, line));
    }
    // A double click: the first press makes the line current.
    void invert(int line)
    {
        QTest::mouseClick(form.List2->viewport(), Qt::LeftButton, {}, on(form.List2, line));
        QTest::mouseDClick(form.List2->viewport(), Qt::LeftButton, {}, on(form.List2, line));
    }
    void key(QListWidget *list, Qt::Key key) { QTest::keyClick(list, key); }
    int lineOf(QListWidget *list, const QString &name) const
    {
        for (int i = 0; i < list->count(); ++i) {
            if (nameFromLine(list->item(i)->text()) == name && list->item(i)->text().contains(u':'))
                return i;
        }
        return -1;
    }
    QString cell(const QString &name, int column) const
    {
        for (int row = 1; row <= form.table.friendCount(); ++row) {
            if (form.table.cell(row, DisplayName) == name)
                return form.table.cell(row, column);
        }
        return QStringLiteral("(none)");
    }
    // The friend lines, a "-" before the unchecked ones of the management list.
    QStringList lines(QListWidget *list) const
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i) {
            const QListWidgetItem *item = list->item(i);
            if (item->text().contains(u':'))
                names << (list == form.List2 && item->checkState() != Qt::Checked ? "-" : "") +
                             nameFromLine(item->text());
        }
        return names;
    }
    // Each line of the management list names the friend whose link holds its position.
    bool linksMatchLines() const
    {
        for (int row = 1; row <= form.table.friendCount(); ++row) {
            const int line = form.table.cell(row, ManagePos).toInt() - 1;
            if (nameFromLine(form.List2->item(line)->text()) != form.table.cell(row, DisplayName))
                return false;
        }
        return form.List2->count() == form.table.friendCount();
    }
};

} // namespace

class TestManageList : public QObject
{
    Q_OBJECT

private slots:
    void fill_linksLinesToFriendsThroughTheMainListsOrder()
    {
        Lists w({{"Cara", "cara", true}, {"Ann", "ann", false, false}, {"Bob", "bob", true}});
        QCOMPARE(w.lines(w.form.List2), (QStringList{"-Ann", "Bob", "Cara"}));
        QCOMPARE(w.form.table.cell(3, DisplayName), QStringLiteral("Ann")); // online first
        QCOMPARE(w.form.table.cell(3, ManagePos), QStringLiteral("1"));
        QCOMPARE(w.form.LabInfo->text(), QStringLiteral("Friends Online: 2/3"));
        Lists empty(QList<Friend>{});
        QCOMPARE(empty.form.List2->count(), 0);
        QCOMPARE(empty.form.LabInfo->text(), QStringLiteral("Friends Online: 0/0"));
    }

    void uncheckTwoAndReturn_hidesThemWithTheFilterOn()
    {
        Lists w;
        QVERIFY(w.active);
        w.rightClick(w.form.List1);
        QVERIFY(w.form.List2->isVisible() && w.form.CheckList2All->isVisible());
        QVERIFY(!w.form.List1->isVisible());
        QCOMPARE(w.form.List2->currentRow(), -1);
        w.invert(1); // Bob, by a double click
        w.form.List2->setCurrentRow(3);
        w.key(w.form.List2, Qt::Key_Space); // Dan, by his check box
        QCOMPARE(w.lines(w.form.List2), (QStringList{"Ann", "-Bob", "Cara", "-Dan", "Eve"}));
        QCOMPARE(w.cell("Bob", Unselected), QStringLiteral("0")); // not before the return

        w.rightClick(w.form.List2);
        QVERIFY(w.form.List1->isVisible() && !w.form.List2->isVisible());
        QVERIFY(!w.form.CheckList2All->isVisible());
        QCOMPARE(w.cell("Bob", Unselected), QStringLiteral("1"));
        QCOMPARE(w.cell("Dan", Unselected), QStringLiteral("1"));
        QCOMPARE(w.form.state.selectedCount, 3);
        QTest::mouseClick(w.form.CheckFlter, Qt::LeftButton);
        QCOMPARE(w.lines(w.form.List1), (QStringList{"Ann", "Cara", "Eve"}));
        QCOMPARE(w.form.LabInfo->text(), QStringLiteral("Selected friends Online: 2/3  (2/5)"));
    }

    void checkAll_offThenOn_changesNothingBeforeTheReturn()
    {
        Lists w({{"Ann", "ann"}, {"Bob", "bob", false, false}});
        w.rightClick(w.form.List1);
        w.form.List2->setCurrentRow(0);
        QTest::mouseClick(w.form.CheckList2All, Qt::LeftButton);
        QCOMPARE(w.lines(w.form.List2), (QStringList{"-Ann", "-Bob"}));
        QCOMPARE(w.form.List2->currentRow(), -1);
        QTest::mouseClick(w.form.CheckList2All, Qt::LeftButton);
        QCOMPARE(w.lines(w.form.List2), (QStringList{"Ann", "Bob"}));
        QCOMPARE(column(w.form.table, Unselected), (QStringList{"0", "1"}));
        // Escape returns like the right button, with the marks.
        w.key(w.form.List2, Qt::Key_Escape);
        QVERIFY(w.form.List1->isVisible());
        QCOMPARE(column(w.form.table, Unselected), (QStringList{"0", "0"}));
    }

    void delete_withNoCurrentLineAsksNothing()
    {
        Lists w;
        w.rightClick(w.form.List1);
        w.key(w.form.List2, Qt::Key_Delete);
        QVERIFY(!w.form.dialog());
        QCOMPARE(w.form.table.friendCount(), 5);
    }

    void delete_questionNamesTheFriend_andCancelKeepsIt_data()
    {
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("accountName");
        QTest::addColumn<QStringList>("question");
        QTest::addColumn<int>("buttonTop");
        QTest::newRow("same names") << "zed"
                                    << "zed" << QStringList{"zed", "Delete this friend ?"} << 960;
        QTest::newRow("user name differs")
            << "Annabel Example-Long"
            << "annabel.example.long.name"
            << QStringList{"Annabel Example-Lo", "( annabel.example.lon )", " Delete this friend ?"}
            << 1080;
    }
    void delete_questionNamesTheFriend_andCancelKeepsIt()
    {
        QFETCH(QString, displayName);
        QFETCH(QString, accountName);
        QFETCH(QStringList, question);
        QFETCH(int, buttonTop);
        Lists w({{displayName, accountName}, {"Bob", "bob"}});
        w.rightClick(w.form.List1);
        w.select(w.form.List2, w.lineOf(w.form.List2, displayName.left(18)));
        QStringList asked;
        whenModalDialogShown(w.form, [&](Form2 *dialog) {
            asked << dialog->Label1->text() << dialog->Label2->text();
            if (dialog->Label3->isVisible())
                asked << dialog->Label3->text();
            QCOMPARE(twipsGeometry(dialog->ButYes).top(), buttonTop);
            QVERIFY(!dialog->ButOk->isVisible() && dialog->ButCancel->isVisible());
            QTest::mouseClick(dialog->ButCancel, Qt::LeftButton);
        });
        w.key(w.form.List2, Qt::Key_Delete);
        QCOMPARE(asked, question);
        QCOMPARE(w.form.table.friendCount(), 2);
        QCOMPARE(w.form.List2->count(), 2);
        QCOMPARE(w.form.state.listedCount, 2);
        QCOMPARE(w.form.state.selectedCount, 2);
    }

    void delete_yesOnTheThirdOfFive_thenWriteBackReachesTheRightFriends()
    {
        Lists w;
        w.rightClick(w.form.List1);
        w.select(w.form.List2, 2);
        whenModalDialogShown(
            w.form, [](Form2 *dialog) { QTest::mouseClick(dialog->ButYes, Qt::LeftButton); });
        w.key(w.form.List2, Qt::Key_Delete);
        QCOMPARE(w.lines(w.form.List2), (QStringList{"Ann", "Bob", "Dan", "Eve"}));
        QCOMPARE(w.cell("Dan", ManagePos), QStringLiteral("3"));
        QCOMPARE(w.cell("Eve", ManagePos), QStringLiteral("4"));
        QCOMPARE(w.form.table.friendCount(), 4);
        QCOMPARE(w.form.state.listedCount, 4);
        QCOMPARE(w.form.state.selectedCount, 4);
        QVERIFY(!w.form.state.dialogAnswer);

        w.invert(2);
        w.rightClick(w.form.List2);
        QCOMPARE(w.lines(w.form.List1), (QStringList{"Ann", "Bob", "Dan", "Eve"}));
        QCOMPARE(w.cell("Dan", Unselected), QStringLiteral("1"));
        QCOMPARE(column(w.form.table, Unselected).count(QStringLiteral("1")), 1);
        QCOMPARE(w.form.LabInfo->text(), QStringLiteral("Friends Online: 1/4"));
    }

    // The question waits while the timers run: a scan goes back to the main list, adds a friend
    // and refills both lists in a new order before the user answers.
    void delete_confirmedAfterAScanRemovesTheFriendAsked()
    {
        Lists w;
        w.rightClick(w.form.List1);
        w.invert(4); // Eve, not yet written back
        w.select(w.form.List2, 3);
        whenModalDialogShown(w.form, [&w](Form2 *dialog) {
            w.form.startScanButton();
            QTRY_VERIFY(!w.scanning());
            QCOMPARE(w.form.table.friendCount(), 6);
            QTest::mouseClick(dialog->ButYes, Qt::LeftButton);
        });
        w.key(w.form.List2, Qt::Key_Delete);
        QCOMPARE(w.lines(w.form.List2), (QStringList{"Ann", "Ann Lee", "Bob", "Cara", "-Eve"}));
        QVERIFY(w.linksMatchLines());
        QCOMPARE(w.lines(w.form.List1), (QStringList{"Ann Lee", "Bob", "Ann", "Cara", "Eve"}));
        QCOMPARE(w.cell("Eve", Unselected), QStringLiteral("1"));
        QCOMPARE(w.form.state.listedCount, 5);
    }

    // Start Scan leaves the management list with its marks; a scan that ends while the
    // management list is shown again keeps the history file for later.
    void scan_returnsToTheMainListFirstAndKeepsTheHistoryWhileManaging()
    {
        Lists w;
        w.rightClick(w.form.List1);
        w.invert(1);
        QTest::mouseClick(w.form.ButGo, Qt::LeftButton);
        QVERIFY(w.form.List1->isVisible() && !w.form.state.manageMode);
        QCOMPARE(w.cell("Bob", Unselected), QStringLiteral("1"));
        w.rightClick(w.form.List1);
        QTRY_VERIFY(!w.scanning());
        QCOMPARE(w.lines(w.form.List2),
                 (QStringList{"Ann", "Ann Lee", "-Bob", "Cara", "Dan", "Eve"}));
        QVERIFY(w.form.List2->isVisible());
        QVERIFY(!QFile::exists(w.dir.filePath(QStringLiteral("Amiscan.txt"))));
    }

    void switchTwice_restoresTitleAndColours_data()
    {
        QTest::addColumn<int>("scanState");
        QTest::addColumn<QColor>("mainColour");
        QTest::newRow("before any scan") << 0 << colors::Black;
        QTest::newRow("after a scan") << 2 << colors::Blue;
    }
    void switchTwice_restoresTitleAndColours()
    {
        QFETCH(int, scanState);
        QFETCH(QColor, mainColour);
        Lists w(FiveFriends, scanState);
        QTest::mousePress(w.form.LabTitList1, Qt::RightButton);
        QCOMPARE(w.form.state.sessionShown, 0);

        QTest::mousePress(w.form.LabTitList1, Qt::LeftButton);
        QCOMPARE(w.form.LabTitList1->text(), texts::SecondSessionTitle);
        QCOMPARE(w.form.LabSession->text(), QStringLiteral("2"));
        for (QWidget *control :
             {static_cast<QWidget *>(w.form.LabTitList1), static_cast<QWidget *>(w.form.List1),
              static_cast<QWidget *>(w.form.List2)})
            QCOMPARE(foreColor(control), QColor(87, 149, 125));
        const int ann = w.lineOf(w.form.List1, "Ann");
        QVERIFY(
            w.form.List1->item(ann)->text().endsWith("04/09/12 14:19 - .. .. .. .. .. > .. .."));
        QVERIFY(w.form.List2->item(0)->text().endsWith("04/09/12 14:19 - .. .. .. .. .. > .. .."));

        QTest::mouseClick(w.form.LabSession, Qt::LeftButton);
        QCOMPARE(w.form.LabTitList1->text(), texts::FirstSessionTitle);
        QCOMPARE(w.form.LabSession->text(), QStringLiteral("1"));
        QCOMPARE(foreColor(w.form.LabTitList1), colors::Black);
        QCOMPARE(foreColor(w.form.List1), mainColour);
        QCOMPARE(foreColor(w.form.List2), colors::Black);
        QVERIFY(
            w.form.List1->item(ann)->text().endsWith("07/09/12 22:53 - .. .. .. .. .. > .. .."));
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
        w.select(w.form.List1, w.lineOf(w.form.List1, "Ann"));
        QCOMPARE(w.form.LabHelpNom->text(), companion);
        QCOMPARE(foreColor(w.form.LabHelpNom), colour);
        QVERIFY(w.form.LabHelpNom->isVisible() && !w.form.LabHelp->isVisible());

        // Leaving the list brings the help line back; Escape in it parks the focus.
        w.form.TextLogin->setFocus();
        QTRY_VERIFY(w.form.LabHelp->isVisible() && !w.form.LabHelpNom->isVisible());
        w.select(w.form.List1, 0);
        w.key(w.form.List1, Qt::Key_Escape);
        QCOMPARE(w.form.List1->currentRow(), -1);
        QTRY_VERIFY(w.form.ListTri->hasFocus());
    }

    void separatorLine_clearsTheHelpLine()
    {
        Lists w;
        w.select(w.form.List1, 0);
        QVERIFY(w.form.LabHelpNom->isVisible());
        w.select(w.form.List1, 2);
        QCOMPARE(w.form.List1->item(2)->text(), separatorLine());
        QVERIFY(w.form.LabHelpNom->text().isEmpty());
        QVERIFY(w.form.LabHelp->isVisible() && !w.form.LabHelpNom->isVisible());
        QCOMPARE(w.form.List1->currentRow(), -1);
    }

    void sameDisplayName_showsTheLaterRowsCompanion()
    {
        Lists w({{"Twin", "twin.a"}, {"Twin", "twin.b"}});
        const QString later = w.form.table.cell(2, AccountName);
        for (int line : {0, 1}) {
            w.select(w.form.List1, line);
            QVERIFY(w.form.LabHelpNom->text().startsWith(later + ' '));
            QCOMPARE(w.form.List1->currentRow(), line);
        }
    }

    void helpTexts_followTheSessionShown()
    {
        Lists w;
        const auto helpOver = [&w](QWidget *control) {
            // The move as the window system delivers it to the control under the mouse.
            QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), control->mapToGlobal(QPointF(5, 5)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(control, &move);
            return w.form.LabHelp->text();
        };
        QCOMPARE(helpOver(w.form.LabTitList1), texts::SessionHelpToSecond);
        QCOMPARE(helpOver(w.form.List1->viewport()), texts::MainListHelpSelectsSecond);
        QTest::mouseClick(w.form.LabSession, Qt::LeftButton);
        QCOMPARE(helpOver(w.form.LabSession), texts::SessionHelpToFirst);
        QCOMPARE(helpOver(w.form.List1->viewport()), texts::MainListHelpSelectsFirst);
        w.rightClick(w.form.List1);
        QCOMPARE(helpOver(w.form.List2->viewport()), texts::ManageListHelp);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestManageList)
#include "test_manage_list.moc"
