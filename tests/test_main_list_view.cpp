// The main list, its title and the window's height as the window shows them, driven through the
// option check boxes, their labels and the top-row buttons.
#include "friend_rows.h"
#include "list_lines.h"
#include "lists/friend_line.h"
#include "ui/form1.h"
#include "ui/twips.h"
#include "widget_test_main.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

using namespace amiscan;
using namespace friend_rows;

namespace {

template <typename T> T *control(Form1 &form, const char *name)
{
    T *found = form.findChild<T *>(QString::fromLatin1(name));
    Q_ASSERT(found);
    return found;
}

void click(Form1 &form, const char *name)
{
    QTest::mouseClick(control<QWidget>(form, name), Qt::LeftButton);
}

// The names of the friend lines, the separator as "+", blank lines left out.
QStringList shownNames(const LineList *list)
{
    QStringList names;
    for (const QString &line : list_lines::all(list)) {
        if (line.contains(u':'))
            names << nameFromLine(line);
        else if (line == separatorLine())
            names << QStringLiteral("+");
    }
    return names;
}

// The lists as start-up builds them once the history has been read.
void buildListsAsAtStartUp(Form1 &form)
{
    form.state.dataPresent = true;
    form.sortByKey();
    form.fillManageList();
    form.sortOnlineFirst();
    form.fillMainList();
    form.layoutLists();
}

void addMixedFriends(Form1 &form)
{
    add(form.table, {"Bob", "zz_bob", true});
    add(form.table, {"anna", "yy_anna", false});
    add(form.table, {"Carl", "xx_carl", true, false});
    add(form.table, {"Dora", "ww_dora", false, false});
}

} // namespace

class TestMainListView : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void startUp_withHistory_buildsTheListInKeyOrder()
    {
        Form1 form(m_dir.path());
        form.load();
        addMixedFriends(form);
        buildListsAsAtStartUp(form);

        // No scan yet: key order within each group, case ignored (anna before Dora), no
        // separator, padded to 16 lines.
        QCOMPARE(shownNames(form.List1), (QStringList{"Bob", "Carl", "anna", "Dora"}));
        QCOMPARE(form.List1->count(), 16);
        QCOMPARE(form.LabInfo->text(), QStringLiteral("Friends: 4"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Amiscan"));
        QCOMPARE(twipsGeometry(form.List1).height(), 3180);
        QCOMPARE(twipsGeometry(form.List2).height(), 3180);
        QCOMPARE(twipsGeometry(form.LabHelp).top(), 1610 + 3180);
        QCOMPARE(twipsGeometry(form.LabHelpNom).top(), 1610 + 3180);
        QCOMPARE(form.windowHeightTwips(), 1610 + 3180 + 700);

        // After a scan the separator stands between the online and the offline friends.
        form.state.scanState = ScanState::PageRead;
        form.fillMainList();
        QCOMPARE(shownNames(form.List1), (QStringList{"Bob", "Carl", "+", "anna", "Dora"}));
        QCOMPARE(form.windowTitle(), QStringLiteral("Amiscan : 2"));
        QCOMPARE(form.LabInfo->text(), QStringLiteral("Friends Online: 2/4"));
    }

    void beforeAnyData_theInstructionsStay()
    {
        Form1 form(m_dir.path());
        form.load();
        const QStringList instructions = list_lines::all(form.List1);
        add(form.table, "Amy", true);
        click(form, "CheckHideOff");
        QVERIFY(form.CheckHideOff->isChecked());
        QCOMPARE(list_lines::all(form.List1), instructions);
        QCOMPARE(form.LabInfo->text(), QStringLiteral("Amiscan"));
        QCOMPARE(form.ButHideCheckHideOff->text(), QStringLiteral("Hide offline: ON"));
        QCOMPARE(twipsGeometry(form.List1).height(), 2985);
        QCOMPARE(twipsGeometry(form.LabHelp).top(), 4595);
        QCOMPARE(form.windowHeightTwips(), 5295);
    }

    void emptyHistory_showsTheEmptyListLine()
    {
        Form1 form(m_dir.path());
        form.load();
        buildListsAsAtStartUp(form);
        QCOMPARE(form.List1->count(), 17);
        QCOMPARE(form.List1->lineText(0), QStringLiteral("(empty list)"));
        QCOMPARE(form.LabInfo->text(), QStringLiteral("Friends: 0"));
        QCOMPARE(twipsGeometry(form.List1).height(), 3375);
    }

    void hideOffline_checkBoxAndLabel()
    {
        Form1 form(m_dir.path());
        form.load();
        addMixedFriends(form);
        buildListsAsAtStartUp(form);
        form.state.scanState = ScanState::PageRead;

        click(form, "CheckHideOff");
        QVERIFY(form.CheckHideOff->isChecked());
        QCOMPARE(shownNames(form.List1), (QStringList{"Bob", "Carl"}));
        // An empty line stands where the separator would be.
        QCOMPARE(form.List1->lineText(2), QString());
        QCOMPARE(form.List1->count(), 16);
        QCOMPARE(form.LabInfo->text(), QStringLiteral("Friends only Online: 2"));
        QCOMPARE(form.LabInfo->toolTip(),
                 QStringLiteral(" Friends only Online: 2 (Offline hide) "));
        QCOMPARE(form.ButHideCheckHideOff->text(), QStringLiteral("Hide offline: ON"));

        click(form, "LabCheckHideOff");
        QVERIFY(!form.CheckHideOff->isChecked());
        QCOMPARE(shownNames(form.List1), (QStringList{"Bob", "Carl", "+", "anna", "Dora"}));
        QCOMPARE(form.ButHideCheckHideOff->text(), QStringLiteral("Hide offline: OFF"));
    }

    void filterLabel_turnsTheFilterOnButNeverOff()
    {
        Form1 form(m_dir.path());
        form.load();
        addMixedFriends(form);
        buildListsAsAtStartUp(form);
        form.state.scanState = ScanState::PageRead;

        click(form, "LabCheckFlter");
        QVERIFY(form.CheckFlter->isChecked());
        QCOMPARE(shownNames(form.List1), (QStringList{"Bob", "+", "anna"}));
        QCOMPARE(form.ButHideCheckFlter->text(), QStringLiteral("Filter enabled: ON "));
        QCOMPARE(form.windowTitle(), QStringLiteral("Amiscan : 1"));

        click(form, "LabCheckFlter");
        QVERIFY(form.CheckFlter->isChecked());
        QCOMPARE(shownNames(form.List1), (QStringList{"Bob", "+", "anna"}));
        QCOMPARE(form.ButHideCheckFlter->text(), QStringLiteral("Filter enabled: ON "));

        // The box itself turns it off.
        click(form, "CheckFlter");
        QVERIFY(!form.CheckFlter->isChecked());
        QCOMPARE(shownNames(form.List1), (QStringList{"Bob", "Carl", "+", "anna", "Dora"}));
        QCOMPARE(form.ButHideCheckFlter->text(), QStringLiteral("Filter enabled: OFF"));
    }

    void bothFilters_onlyOnlineSelectedFriends()
    {
        Form1 form(m_dir.path());
        form.load();
        addMixedFriends(form);
        buildListsAsAtStartUp(form);
        form.state.scanState = ScanState::PageRead;
        click(form, "CheckFlter");
        click(form, "CheckHideOff");
        QCOMPARE(shownNames(form.List1), (QStringList{"Bob"}));
        QCOMPARE(form.LabInfo->text(), QStringLiteral("Selected friends only Online: 1/2"));
    }

    void titleExample_selectedFriendsOnline()
    {
        Form1 form(m_dir.path());
        form.load();
        // 20 friends, 10 selected, 5 online of whom 3 are selected.
        for (int i = 0; i < 20; ++i) {
            const bool online = i < 5;
            const bool selected = i < 3 || i >= 13;
            add(form.table, QStringLiteral("Friend %1").arg(i, 2, 10, QChar(u'0')), online,
                selected);
        }
        buildListsAsAtStartUp(form);
        form.state.scanState = ScanState::PageRead;
        click(form, "CheckFlter");

        QCOMPARE(form.LabInfo->text(), QStringLiteral("Selected friends Online: 3/10  (5/20)"));
        QCOMPARE(form.LabInfo->toolTip(),
                 QStringLiteral(" Selected friends Online: 3 of 10 ( All Online: 5 of 20) "));
        QCOMPARE(form.windowTitle(), QStringLiteral("Amiscan : 3"));
        QCOMPARE(form.List1->count(), 3 + 1 + 7 + 5); // 14 lines, padded to 16
    }

    void nameMode_changesNamesNotOrder()
    {
        Form1 form(m_dir.path());
        form.load();
        addMixedFriends(form);
        buildListsAsAtStartUp(form);
        form.state.scanState = ScanState::PageRead;

        click(form, "LabCheckUser");
        QVERIFY(form.CheckUser->isChecked());
        QCOMPARE(form.ButHideCheckUser->text(), QStringLiteral("Name : User Name"));
        QCOMPARE(shownNames(form.List1),
                 (QStringList{"zz_bob", "xx_carl", "+", "yy_anna", "ww_dora"}));
        // Sorting still follows the display names the program started with.
        click(form, "CheckHideOff");
        click(form, "CheckHideOff");
        QCOMPARE(shownNames(form.List1),
                 (QStringList{"zz_bob", "xx_carl", "+", "yy_anna", "ww_dora"}));

        click(form, "CheckUser");
        QCOMPARE(form.ButHideCheckUser->text(), QStringLiteral("Name : Display Name"));
        QCOMPARE(shownNames(form.List1), (QStringList{"Bob", "Carl", "+", "anna", "Dora"}));
    }

    void startedWithUserNames_keepsSortingByUserName()
    {
        Form1 form(m_dir.path());
        form.CheckUser->setChecked(true); // as the settings would leave it
        form.load();
        QCOMPARE(form.state.sortNameMode, 1);
        addMixedFriends(form);
        buildListsAsAtStartUp(form);
        form.state.scanState = ScanState::PageRead;
        form.fillMainList();
        QCOMPARE(shownNames(form.List1),
                 (QStringList{"xx_carl", "zz_bob", "+", "ww_dora", "yy_anna"}));

        click(form, "CheckUser");
        QVERIFY(!form.CheckUser->isChecked());
        QCOMPARE(shownNames(form.List1), (QStringList{"Carl", "Bob", "+", "Dora", "anna"}));
        click(form, "CheckHideOff");
        click(form, "LabCheckHideOff");
        QCOMPARE(shownNames(form.List1), (QStringList{"Carl", "Bob", "+", "Dora", "anna"}));
    }

    void sameDisplayName_twoRowsThroughEverySort()
    {
        Form1 form(m_dir.path());
        form.load();
        add(form.table, {"Sam", "sam_two", false});
        add(form.table, {"Sam", "sam_one", true});
        add(form.table, {"anna", "anna", false});
        buildListsAsAtStartUp(form);
        form.state.scanState = ScanState::PageRead;
        form.sortByKey();
        form.sortOnlineFirst();
        form.fillMainList();
        QCOMPARE(shownNames(form.List1), (QStringList{"Sam", "+", "anna", "Sam"}));
        click(form, "CheckUser");
        QCOMPARE(shownNames(form.List1), (QStringList{"sam_one", "+", "anna", "sam_two"}));
    }

    void topRowButtons_flipTheirBoxes()
    {
        Form1 form(m_dir.path());
        form.load();
        addMixedFriends(form);
        buildListsAsAtStartUp(form);
        form.state.scanState = ScanState::PageRead;
        // The top row as the hidden panel shows it.
        form.state.panelState = PanelState::Hidden;
        for (QPushButton *button :
             {form.ButHideCheckFlter, form.ButHideCheckHideOff, form.ButHideCheckUser})
            button->show();

        click(form, "ButHideCheckHideOff");
        QVERIFY(form.CheckHideOff->isChecked());
        QCOMPARE(form.ButHideCheckHideOff->text(), QStringLiteral("Hide offline: ON"));
        QCOMPARE(twipsGeometry(form.LabHelp).top(), 725 + 3180);
        QCOMPARE(form.windowHeightTwips(), 725 + 3180 + 700);

        click(form, "ButHideCheckFlter");
        QVERIFY(form.CheckFlter->isChecked());
        QCOMPARE(form.ButHideCheckFlter->text(), QStringLiteral("Filter enabled: ON "));
        QCOMPARE(shownNames(form.List1), (QStringList{"Bob"}));
        // Unlike its label, the button turns the filter off again.
        click(form, "ButHideCheckFlter");
        QVERIFY(!form.CheckFlter->isChecked());
        QCOMPARE(form.ButHideCheckFlter->text(), QStringLiteral("Filter enabled: OFF"));

        click(form, "ButHideCheckUser");
        QVERIFY(form.CheckUser->isChecked());
        QCOMPARE(form.ButHideCheckUser->text(), QStringLiteral("Name : User Name"));
        QCOMPARE(shownNames(form.List1), (QStringList{"zz_bob", "xx_carl"}));
    }

    void layout_longListsAndTheManagementList()
    {
        Form1 form(m_dir.path());
        form.load();
        for (int i = 0; i < 60; ++i)
            add(form.table, QStringLiteral("F%1").arg(i, 2, 10, QChar(u'0')));
        buildListsAsAtStartUp(form);
        QCOMPARE(twipsGeometry(form.List1).height(), rowsFor(51));
        form.state.panelState = PanelState::Hidden;
        form.layoutLists();
        QCOMPARE(twipsGeometry(form.List1).height(), 10785);
        QCOMPARE(twipsGeometry(form.LabHelp).top(), 725 + 10785);
        QCOMPARE(form.windowHeightTwips(), 725 + 10785 + 700);

        // The management list shown with 20 lines: both lists in its whole rows.
        form.state.panelState = PanelState::Shown;
        form.state.manageMode = true;
        form.List2->clear();
        for (int i = 0; i < 20; ++i)
            form.List2->addLine(QString::number(i));
        form.List1->hide();
        form.List2->show();
        form.layoutLists();
        QCOMPARE(twipsGeometry(form.List2).height(), 3885);
        QCOMPARE(twipsGeometry(form.List1).height(), 3885);
        QCOMPARE(twipsGeometry(form.LabHelpNom).top(), 1610 + 3885);
        QCOMPARE(form.windowHeightTwips(), 1610 + 3885 + 700);
    }

    // A line wider than a list runs to the list's edge: no ellipsis stands in for its end.
    void wideLines_areCutByTheListsEdge()
    {
        Form1 form(m_dir.path());
        form.load();
        form.show();
        for (LineList *list : {form.List1, form.List2}) {
            list->show();
            list->clear();
            list->addLine(separatorLine());
            list->doItemsLayout();
            const QImage image = list->viewport()->grab().toImage();
            const QRect row = list_lines::rect(list, 0) & image.rect();
            const auto inkIn = [&](int y, int fromX) {
                int ink = 0;
                for (int x = fromX; x < image.width(); ++x)
                    ink += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
                return ink;
            };
            // The dashes stand on the row of the most ink; they reach the last character cell.
            int dashes = row.top();
            for (int y = row.top(); y <= row.bottom(); ++y)
                dashes = inkIn(y, 0) > inkIn(dashes, 0) ? y : dashes;
            const int lastCell = image.width() - QFontMetrics(list->font()).horizontalAdvance(u'-');
            QVERIFY2(inkIn(dashes, lastCell) > 0, qPrintable(list->objectName()));
        }
    }

private:
    static int rowsFor(int n) { return (n - 1) * 195 + 255; }
};

AMISCAN_WIDGET_TEST_MAIN(TestMainListView)
#include "test_main_list_view.moc"
