#include "store/friends_table.h"

#include <QTest>

using namespace amiscan;

class TestFriendsTable : public QObject
{
    Q_OBJECT

private:
    static FriendsTable tableOf(const QStringList &accounts)
    {
        FriendsTable table;
        for (const QString &account : accounts) {
            const int row = table.appendFriend();
            table.setCell(row, DisplayName, account.toUpper());
            table.setCell(row, AccountName, account);
        }
        return table;
    }
    static QStringList accounts(const FriendsTable &table)
    {
        QStringList names;
        for (int row = 1; row <= table.friendCount(); ++row)
            names << table.cell(row, AccountName);
        return names;
    }

private slots:
    void emptyTable_hasNoFriendsAndReadsEmptyCells()
    {
        FriendsTable table;
        QCOMPARE(table.friendCount(), 0);
        QCOMPARE(table.cell(0, DisplayName), QString());
        QCOMPARE(table.cell(5, AccountName), QString());
        QCOMPARE(table.findByAccountName(QStringLiteral("ann")), -1);
        table.removeFriend(1);
        QCOMPARE(table.friendCount(), 0);
        QVERIFY(table.rebuild({}));
        QCOMPARE(table.capacity(), 1);
    }

    void append_givesEmptyRowsNumberedFromOne()
    {
        FriendsTable table;
        QCOMPARE(table.appendFriend(), 1);
        QCOMPARE(table.appendFriend(), 2);
        QCOMPARE(table.capacity(), 3);
        for (int column = 0; column < ColumnCount; ++column)
            QVERIFY(table.cell(2, column).isEmpty());
    }

    void rowZeroAndColumnZero_stayEmpty()
    {
        FriendsTable table = tableOf({QStringLiteral("ann")});
        table.setCell(0, AccountName, QStringLiteral("intruder"));
        table.setCell(1, 0, QStringLiteral("intruder"));
        table.setCell(2, AccountName, QStringLiteral("beyond"));
        QVERIFY(table.cell(0, AccountName).isEmpty());
        QVERIFY(table.cell(1, 0).isEmpty());
        QCOMPARE(table.friendCount(), 1);
    }

    void find_firstMatchWins_andRowZeroMatchesOnlyEmptyName()
    {
        FriendsTable table =
            tableOf({QStringLiteral("ann"), QStringLiteral("bob"), QStringLiteral("ann")});
        QCOMPARE(table.findByAccountName(QStringLiteral("ann")), 1);
        QCOMPARE(table.findByAccountName(QStringLiteral("bob")), 2);
        QCOMPARE(table.findByAccountName(QStringLiteral("Ann")), -1); // case counts
        QCOMPARE(table.findByAccountName(QString()), 0);
    }

    void remove_shiftsLaterRowsUpAndKeepsCapacity()
    {
        FriendsTable table = tableOf(
            {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
        table.setCell(3, ManagePos, QStringLiteral("3"));
        table.removeFriend(2);
        QCOMPARE(accounts(table), (QStringList{"a", "c", "d"}));
        QCOMPARE(table.cell(2, ManagePos), QStringLiteral("3")); // cells move, unchanged
        QCOMPARE(table.capacity(), 5);
        QCOMPARE(table.cell(4, AccountName), QStringLiteral("d")); // stale last row left as is
    }

    void removeLastRow_onlyDecreasesCount()
    {
        FriendsTable table = tableOf({QStringLiteral("a"), QStringLiteral("b")});
        table.removeFriend(2);
        QCOMPARE(accounts(table), QStringList{"a"});
        QCOMPARE(table.capacity(), 3);
        table.removeFriend(7);
        QCOMPARE(table.friendCount(), 1);
    }

    void appendAfterRemoval_givesAnEmptyRow()
    {
        FriendsTable table = tableOf({QStringLiteral("a"), QStringLiteral("b")});
        table.removeFriend(1);
        const int row = table.appendFriend();
        QCOMPARE(row, 2);
        QVERIFY(table.cell(row, AccountName).isEmpty());
        QCOMPARE(table.capacity(), 3);
    }

    void rebuild_reordersWholeRowsAndTrimsCapacity()
    {
        FriendsTable table =
            tableOf({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        table.setCell(3, Online, QStringLiteral("1"));
        table.reserveRows(10);
        QVERIFY(table.rebuild({3, 1, 2}));
        QCOMPARE(accounts(table), (QStringList{"c", "a", "b"}));
        QCOMPARE(table.cell(1, Online), QStringLiteral("1"));
        QCOMPARE(table.cell(1, DisplayName), QStringLiteral("C"));
        QCOMPARE(table.capacity(), 4);
    }

    void rebuild_refusesAnOrderThatIsNotAPermutation()
    {
        FriendsTable table = tableOf({QStringLiteral("a"), QStringLiteral("b")});
        QVERIFY(!table.rebuild({1, 1}));
        QVERIFY(!table.rebuild({1}));
        QVERIFY(!table.rebuild({0, 1}));
        QCOMPARE(accounts(table), (QStringList{"a", "b"}));
    }

    void rowIds_followTheirFriendThroughSortsAndRemovals()
    {
        FriendsTable table =
            tableOf({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        const FriendsTable::RowId b = table.rowId(2);
        const FriendsTable::RowId c = table.rowId(3);
        QVERIFY(b != 0 && c != 0 && b != c && table.rowId(0) == 0);
        QVERIFY(table.rebuild({3, 2, 1}));
        QCOMPARE(table.findRow(c), 1);
        table.removeFriend(1);
        QCOMPARE(table.findRow(c), -1);
        QCOMPARE(table.findRow(b), 1);
        // A number is never given again, not even after the table was emptied.
        table.clear();
        table.appendFriend();
        QCOMPARE(table.findRow(b), -1);
        QCOMPARE(table.findRow(0), -1);
    }

    void lengthMarks_clearedBySessionCellsAndCarriedWithRows()
    {
        FriendsTable table =
            tableOf({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        QVERIFY(!table.isLengthCurrent(1, Session::First));
        for (int row = 1; row <= 3; ++row) {
            table.markLengthCurrent(row, Session::First);
            table.markLengthCurrent(row, Session::Second);
        }
        table.setCell(1, Online, QStringLiteral("1")); // not a session cell
        table.setCell(2, End1, QStringLiteral("14/10/12 10:00"));
        table.setCell(3, Length2, QStringLiteral("00:05"));
        QVERIFY(table.isLengthCurrent(1, Session::First) &&
                table.isLengthCurrent(1, Session::Second));
        QVERIFY(!table.isLengthCurrent(2, Session::First) &&
                table.isLengthCurrent(2, Session::Second));
        QVERIFY(table.isLengthCurrent(3, Session::First) &&
                !table.isLengthCurrent(3, Session::Second));

        QVERIFY(table.rebuild({3, 1, 2})); // c, a, b
        QVERIFY(!table.isLengthCurrent(1, Session::Second));
        QVERIFY(table.isLengthCurrent(2, Session::Second));
        QVERIFY(!table.isLengthCurrent(3, Session::First));
        table.removeFriend(1); // a, b
        QVERIFY(table.isLengthCurrent(1, Session::First));
        QVERIFY(!table.isLengthCurrent(2, Session::First));
        const int row = table.appendFriend(); // reuses the removed last row
        QVERIFY(!table.isLengthCurrent(row, Session::First) &&
                !table.isLengthCurrent(row, Session::Second));
        table.markLengthCurrent(0, Session::First);
        QVERIFY(!table.isLengthCurrent(0, Session::First));
    }

    void limit_appendBeyond32767AddsNothing()
    {
        FriendsTable table;
        for (int i = 0; i < MaxFriends; ++i)
            QCOMPARE(table.appendFriend(), i + 1);
        table.setCell(MaxFriends, AccountName, QStringLiteral("last"));
        QCOMPARE(table.appendFriend(), -1);
        table.setCell(-1, AccountName, QStringLiteral("lost"));
        QCOMPARE(table.friendCount(), MaxFriends);
        QCOMPARE(table.capacity(), MaxFriends + 1);
        QCOMPARE(table.cell(MaxFriends, AccountName), QStringLiteral("last"));
        QCOMPARE(table.findByAccountName(QStringLiteral("lost")), -1);
        table.removeFriend(1);
        QCOMPARE(table.appendFriend(), MaxFriends);
    }
};

QTEST_GUILESS_MAIN(TestFriendsTable)
#include "test_friends_table.moc"
