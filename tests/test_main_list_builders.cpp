// The main list's lines and counters, its title for every mode, and the list heights.
#include "friend_rows.h"
#include "lists/friend_line.h"
#include "lists/list_layout.h"
#include "lists/list_title.h"
#include "lists/main_list.h"
#include "lists/manage_links.h"

#include <QTest>

using namespace amiscan;
using namespace friend_rows;

namespace {

// Three online friends, then four offline, in online-first order; Bea and Dan are unselected.
FriendsTable threeOnFourOff()
{
    FriendsTable table;
    add(table, "Amy", true);
    add(table, "Bea", true, false);
    add(table, "Cid", true);
    add(table, "Dan", false, false);
    add(table, "Eve", false);
    add(table, "Fay", false);
    add(table, "Gus", false);
    return table;
}

MainListSwitches scanned(bool onlySelected = false, bool hideOffline = false)
{
    MainListSwitches switches;
    switches.scanState = 2;
    switches.filter = {onlySelected, hideOffline};
    return switches;
}

QStringList names(const QStringList &lines)
{
    QStringList result;
    for (const QString &line : lines)
        result << (line.contains(u':') ? nameFromLine(line) : line);
    return result;
}

} // namespace

class TestMainListBuilders : public QObject
{
    Q_OBJECT

private slots:
    void separator_standsBeforeTheFirstOfflineFriend()
    {
        const MainListContent content = buildMainList(threeOnFourOff(), scanned());
        QCOMPARE(content.lines.size(), 16);
        QCOMPARE(names(content.lines.mid(0, 8)),
                 (QStringList{"Amy", "Bea", "Cid", separatorLine(), "Dan", "Eve", "Fay", "Gus"}));
        QCOMPARE(content.lines.mid(8), QStringList(8, QString()));
        QCOMPARE(content.onlineCount, 3);
        QCOMPARE(content.shownOnlineCount, 3);
    }

    void separator_onlyWhenSomeAreOnlineAndSomeNot()
    {
        FriendsTable allOn;
        add(allOn, "Amy", true);
        add(allOn, "Bea", true);
        QVERIFY(!buildMainList(allOn, scanned()).lines.contains(separatorLine()));
        FriendsTable allOff;
        add(allOff, "Amy");
        add(allOff, "Bea");
        QVERIFY(!buildMainList(allOff, scanned()).lines.contains(separatorLine()));
        // No scan yet in this run: no separator at all.
        MainListSwitches notScanned = scanned();
        notScanned.scanState = 0;
        QCOMPARE(names(buildMainList(threeOnFourOff(), notScanned).lines.mid(0, 7)),
                 (QStringList{"Amy", "Bea", "Cid", "Dan", "Eve", "Fay", "Gus"}));
    }

    void filters_leaveLinesOut_andCountTheShownOnline()
    {
        const MainListContent hidden = buildMainList(threeOnFourOff(), scanned(false, true));
        QCOMPARE(names(hidden.lines.mid(0, 4)), (QStringList{"Amy", "Bea", "Cid", QString()}));
        QCOMPARE(hidden.lines.size(), 16);

        const MainListContent selected = buildMainList(threeOnFourOff(), scanned(true, false));
        QCOMPARE(names(selected.lines.mid(0, 6)),
                 (QStringList{"Amy", "Cid", separatorLine(), "Eve", "Fay", "Gus"}));
        QCOMPARE(selected.onlineCount, 3);
        QCOMPARE(selected.shownOnlineCount, 2);

        const MainListContent both = buildMainList(threeOnFourOff(), scanned(true, true));
        QCOMPARE(names(both.lines.mid(0, 3)), (QStringList{"Amy", "Cid", QString()}));
    }

    void padding_toOneMoreThanTheFewestRows()
    {
        FriendsTable empty;
        const MainListContent none = buildMainList(empty, scanned());
        QCOMPARE(none.lines.size(), 17);
        QCOMPARE(none.lines.first(), EmptyListLine);
        QCOMPARE(none.lines.mid(1), QStringList(16, QString()));

        FriendsTable fourteen;
        for (int i = 0; i < 14; ++i)
            add(fourteen, QStringLiteral("F%1").arg(i, 2, 10, QChar(u'0')));
        QCOMPARE(buildMainList(fourteen, scanned()).lines.size(), 16);
        add(fourteen, "F14");
        const MainListContent fifteen = buildMainList(fourteen, scanned());
        QCOMPARE(fifteen.lines.size(), 15);
        QVERIFY(!fifteen.lines.last().isEmpty());
    }

    void title_everyModeCode()
    {
        const ListCounters c{5, 3, 10, 20};
        const auto check = [&](int scanState, bool sel, bool hide, const char *caption,
                               const char *tooltip, const char *window) {
            const ListTitle title = listTitle(scanState, sel, hide, c);
            QCOMPARE(title.caption, QString::fromUtf8(caption));
            QCOMPARE(title.tooltip, QString::fromUtf8(tooltip));
            QCOMPARE(title.windowCaption, QString::fromUtf8(window));
        };
        check(2, true, false, "Selected friends Online: 3/10  (5/20)",
              " Selected friends Online: 3 of 10 ( All Online: 5 of 20) ", "Amiscan : 3");
        check(0, false, false, "Friends: 20", " Friends: 20 ", "Amiscan");
        check(0, false, true, "Friends only Online: 5", " Friends only Online: 5 (Offline hide) ",
              "Amiscan");
        check(1, false, true, "Friends only Online: 5", " Friends only Online: 5 (Offline hide) ",
              "Amiscan : 5");
        check(0, true, false, "Selected friends: 10/20", " Selected friends: 10 of 20 ", "Amiscan");
        check(0, true, true, "Selected friends only Online: 3/5",
              " Selected friends only Online: 3 of 5 (Offline hide) ", "Amiscan");
        check(2, true, true, "Selected friends only Online: 3/5",
              " Selected friends only Online: 3 of 5 (Offline hide) ", "Amiscan : 3");
        check(2, false, false, "Friends Online: 5/20", " Friends Online: 5 of 20 ", "Amiscan : 5");
        QCOMPARE(listModeCode(1, false, true), QStringLiteral("101"));
    }

    void heights_rowsAndBox()
    {
        QCOMPARE(rows(15), 2985);
        QCOMPARE(rows(16), 3180);
        QCOMPARE(rows(55), 10785);
        QCOMPARE(box(20), 3885);
        QCOMPARE(box(16), 3210); // (3180 - 285) / 225 = 12.87: 13 rows
    }

    void layout_examples()
    {
        LayoutInput input;
        input.windowReady = true;
        input.mainLines = 15;
        ListLayout layout = layoutFor(input);
        QCOMPARE(layout.mainHeight, 2985);
        QCOMPARE(layout.manageHeight, 2985);
        QCOMPARE(layout.helpTop, 4595);
        QCOMPARE(layout.windowHeight, 5295);

        input.mainLines = 16;
        QCOMPARE(layoutFor(input).mainHeight, 3180);

        // The management list shown after start-up sizes both lists in its own rows.
        input.manageMode = true;
        input.mainListVisible = false;
        input.manageLines = 20;
        layout = layoutFor(input);
        QCOMPARE(layout.manageHeight, 3885);
        QCOMPARE(layout.mainHeight, 3885);
        input.windowReady = false;
        QCOMPARE(layoutFor(input).manageHeight, rows(20));

        // Panel hidden: four more rows at most, the lists 885 twips higher.
        input = LayoutInput{};
        input.windowReady = true;
        input.panelState = 1;
        input.mainLines = 60;
        layout = layoutFor(input);
        QCOMPARE(layout.mainHeight, 10785);
        QCOMPARE(layout.helpTop, 725 + 10785);
        QCOMPARE(layout.windowHeight, 725 + 10785 + 700);
        input.panelState = 0;
        QCOMPARE(layoutFor(input).mainHeight, rows(51));
        input.mainLines = 3;
        input.panelState = 1;
        QCOMPARE(layoutFor(input).windowHeight, 725 + 2985 + 700);
    }

    // Management list links: line k belongs to the first row whose ManagePos holds k.
    void manageLinks_writeBackReachesTheFirstRowOfEachLine()
    {
        FriendsTable table = threeOnFourOff();
        const QStringList positions{"3", "1", "x", "2", "3", "-1", "9"};
        for (int row = 1; row <= table.friendCount(); ++row)
            table.setCell(row, ManagePos, positions.at(row - 1));
        QCOMPARE(rowsOfManageLines(table, 4), (QList<int>{2, 4, 1, -1}));
        QCOMPARE(writeBackMarks(table, {false, true, true, false}), qint16(2));
        // Amy (line 3) and Dan (line 2) selected, Bea (line 1) not; Eve shares line 3 with Amy
        // and the unlinked friends keep their marks.
        QCOMPARE(column(table, Unselected), (QStringList{"0", "1", "0", "0", "0", "0", "0"}));
        QCOMPARE(rowOfManageLine(table, 3), 1);
        QCOMPARE(rowOfManageLine(table, 0), -1);
    }

    void manageLinks_removalMovesTheLinksBelowUp()
    {
        FriendsTable table = threeOnFourOff();
        for (int row = 1; row <= table.friendCount(); ++row)
            table.setCell(row, ManagePos, QString::number(8 - row));
        QCOMPARE(removeManagedFriend(table, 5), 3); // Eve, on line 3
        QCOMPARE(column(table, ManagePos), (QStringList{"6", "5", "4", "3", "2", "1"}));
        table.setCell(1, ManagePos, QString());
        QCOMPARE(removeManagedFriend(table, 1), 0); // no line: no link moves
        QCOMPARE(column(table, ManagePos), (QStringList{"5", "4", "3", "2", "1"}));
        QCOMPARE(removeManagedFriend(table, 9), 0);
        QCOMPARE(table.friendCount(), 5);
    }
};

QTEST_GUILESS_MAIN(TestMainListBuilders)
#include "test_main_list_builders.moc"
