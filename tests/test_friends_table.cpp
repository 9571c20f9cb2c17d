// The friends table: its bounds, row identities and the length marks that travel with rows.
#include "friend_rows.h"

#include <QTest>

using namespace amiscan;
using friend_rows::column;

namespace {

FriendsTable tableOf(const QStringList &names)
{
    FriendsTable table;
    for (const QString &name : names)
        friend_rows::add(table, name);
    return table;
}

} // namespace

class TestFriendsTable : public QObject
{
    Q_OBJECT

private slots:
    void rowZeroColumnZeroAndRowsBeyond_stayEmpty()
    {
        FriendsTable table = tableOf({"a"});
        for (const auto &[row, col] : {std::pair{0, int(AccountName)}, {1, 0}, {2, AccountName}})
            table.setCell(row, col, QStringLiteral("intruder"));
        QVERIFY(table.cell(0, AccountName).isEmpty() && table.cell(1, 0).isEmpty());
        QCOMPARE(table.friendCount(), 1);
        QCOMPARE(table.findByAccountName(QString()), 0); // only the empty name matches row 0
    }

    void removeAndRebuild_moveWholeRows()
    {
        FriendsTable table = tableOf({"a", "b", "c", "d"});
        table.removeFriend(2);
        table.removeFriend(9);
        QCOMPARE(column(table, AccountName), (QStringList{"a", "c", "d"}));
        for (const QList<int> &notAnOrder : {QList<int>{1, 1, 2}, {1, 2}, {0, 1, 2}})
            QVERIFY(!table.rebuild(notAnOrder));
        QVERIFY(table.rebuild({3, 1, 2}));
        QCOMPARE(column(table, AccountName), (QStringList{"d", "a", "c"}));
        QCOMPARE(column(table, DisplayName), (QStringList{"d", "a", "c"}));
    }

    void rowIds_followTheirFriend_andAreNeverGivenAgain()
    {
        FriendsTable table = tableOf({"a", "b", "c"});
        const FriendsTable::RowId b = table.rowId(2), c = table.rowId(3);
        QVERIFY(b != 0 && c != 0 && b != c && table.rowId(0) == 0);
        QVERIFY(table.rebuild({3, 2, 1}));
        QCOMPARE(table.findRow(c), 1);
        table.removeFriend(1);
        QCOMPARE(table.findRow(c), -1);
        QCOMPARE(table.findRow(b), 1);
        table.clear();
        table.appendFriend();
        QCOMPARE(table.findRow(b), -1);
    }

    // A scan skips lengths marked current: any write to a session's cells must clear its mark.
    void lengthMarks_clearedBySessionCells_andCarriedWithRows()
    {
        FriendsTable table = tableOf({"a", "b", "c"});
        for (int row = 1; row <= 3; ++row) {
            table.markLengthCurrent(row, Session::First);
            table.markLengthCurrent(row, Session::Second);
        }
        table.setCell(1, Online, QStringLiteral("1"));
        table.setCell(2, End1, QStringLiteral("14/10/12 10:00"));
        table.setCell(3, Length2, QStringLiteral("00:05"));
        QVERIFY(table.rebuild({3, 1, 2})); // c, a, b
        const auto marks = [&](int row) {
            return QList<bool>{table.isLengthCurrent(row, Session::First),
                               table.isLengthCurrent(row, Session::Second)};
        };
        QCOMPARE(marks(1), (QList<bool>{true, false}));
        QCOMPARE(marks(2), (QList<bool>{true, true}));
        QCOMPARE(marks(3), (QList<bool>{false, true}));
        table.removeFriend(3);
        QCOMPARE(marks(table.appendFriend()), (QList<bool>{false, false}));
    }

    void limit_32767Friends()
    {
        FriendsTable table;
        for (int i = 0; i < MaxFriends; ++i)
            table.appendFriend();
        QCOMPARE(table.appendFriend(), -1);
        table.setCell(-1, AccountName, QStringLiteral("lost"));
        QCOMPARE(table.friendCount(), MaxFriends);
        QCOMPARE(table.findByAccountName(QStringLiteral("lost")), -1);
        table.removeFriend(1);
        QCOMPARE(table.appendFriend(), MaxFriends);
    }
};

QTEST_GUILESS_MAIN(TestFriendsTable)
#include "test_friends_table.moc"
