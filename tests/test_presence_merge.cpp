#include "scan/presence_merge.h"
#include "store/time_text.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace amiscan;

namespace {

const QString Mark = QStringLiteral("\u00B2");
const QDate Day(2012, 10, 14);

QDateTime at(int hour, int minute, int second = 0)
{
    return QDateTime(Day, QTime(hour, minute, second));
}

QString stamp(int hour, int minute)
{
    return formatStamp(at(hour, minute));
}

FriendEntry entry(const QString &displayName, const QString &accountName, const QString &mark = {})
{
    return FriendEntry{displayName, accountName, mark};
}

// A friend row as the history file gives it: closed sessions, selected, offline.
int addFriend(FriendsTable &table, const QString &displayName, const QString &accountName,
              const QStringList &sessions = {EmptyStamp, EmptyStamp, EmptyLength, EmptyStamp,
                                             EmptyStamp, EmptyLength})
{
    const int row = table.appendFriend();
    table.setCell(row, DisplayName, displayName);
    for (int i = 0; i < 6; ++i)
        table.setCell(row, Start1 + i, sessions.at(i));
    table.setCell(row, ManagePos, QStringLiteral("-1"));
    table.setCell(row, Online, QStringLiteral("0"));
    table.setCell(row, Unselected, QStringLiteral("0"));
    table.setCell(row, AccountName, accountName);
    return row;
}

QStringList sessionCells(const FriendsTable &table, int row)
{
    QStringList cells;
    for (int column = Start1; column <= Length2; ++column)
        cells << table.cell(row, column);
    return cells;
}

// The merge as a row-by-entry walk, one step after the other: the behaviour the hashed merge must
// reproduce exactly.
void referenceMerge(FriendsTable &table, const QList<FriendEntry> &entries, const QDateTime &now)
{
    const QString nowStamp = formatStamp(now);
    auto listed = [&](int row) {
        for (const FriendEntry &e : entries) {
            if (e.accountName == table.cell(row, AccountName))
                return true;
        }
        return false;
    };
    auto time = [](const QString &text) { return readStamp(text); };
    for (int row = 1; row <= table.friendCount(); ++row) {
        for (const FriendEntry &e : entries) {
            if (e.accountName == table.cell(row, AccountName))
                table.setCell(row, DisplayName, e.displayName);
        }
    }
    for (int row = 1; row <= table.friendCount(); ++row) {
        for (const FriendEntry &e : entries) {
            if (e.displayName == table.cell(row, DisplayName))
                table.setCell(row, AccountName, e.accountName);
        }
    }
    if (!entries.isEmpty()) {
        for (int row = 1; row <= table.friendCount(); ++row) {
            if (!listed(row)) {
                if (table.cell(row, End1) == EmptyStamp)
                    table.setCell(row, End1, nowStamp);
                continue;
            }
            if (table.cell(row, End1) != EmptyStamp) {
                const auto end = time(table.cell(row, End1));
                const qint64 gap = end ? wallSeconds(now) - *end : 50 * 60;
                if (gap < 10 * 60) {
                    table.setCell(row, End1, EmptyStamp);
                    table.setCell(row, Length1, EmptyLength);
                }
            }
            if (table.cell(row, Start1) != EmptyStamp &&
                trimBlanks(table.cell(row, End1)) != QStringView(EmptyStamp)) {
                for (int i = 0; i < 3; ++i)
                    table.setCell(row, Start2 + i, table.cell(row, Start1 + i));
                table.setCell(row, Start1, EmptyStamp);
                table.setCell(row, End1, EmptyStamp);
                table.setCell(row, Length1, EmptyLength);
            }
            if (table.cell(row, Start1) == EmptyStamp) {
                table.setCell(row, Start1, nowStamp);
                table.setCell(row, End1, EmptyStamp);
                table.setCell(row, Length1, EmptyLength);
            }
        }
        for (const FriendEntry &e : entries) {
            bool found = false;
            for (int row = 0; row <= table.friendCount() && table.friendCount() > 0; ++row)
                found = found || table.cell(row, AccountName) == e.accountName;
            if (found)
                continue;
            addFriend(table, e.displayName, e.accountName,
                      {nowStamp, EmptyStamp, EmptyLength, EmptyStamp, EmptyStamp, EmptyLength});
            table.setCell(table.friendCount(), NameMark, e.nameMark);
        }
        for (int row = 1; row <= table.friendCount(); ++row) {
            for (int s = 0; s < 6; s += 3) {
                const auto start = time(table.cell(row, Start1 + s));
                const auto end = time(table.cell(row, End1 + s));
                if (table.cell(row, Start1 + s) != EmptyStamp &&
                    table.cell(row, End1 + s) != EmptyStamp && start && end && *start < *end)
                    table.setCell(row, Length1 + s, formatLength((*end - *start) / 60));
            }
        }
    }
    for (int row = 1; row <= table.friendCount(); ++row)
        table.setCell(row, Online, listed(row) ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace

class TestPresenceMerge : public QObject
{
    Q_OBJECT

private slots:
    void markCurrentLengths_marksOnlyLengthsTheStampsGive_andChangesNothing()
    {
        FriendsTable table;
        for (const QString &length : {QStringLiteral("01:30"), QStringLiteral("00:05")}) {
            const int row = table.appendFriend();
            table.setCell(row, AccountName, QStringLiteral("f%1").arg(row));
            table.setCell(row, Start1, QStringLiteral("01/02/26 10:00"));
            table.setCell(row, End1, QStringLiteral("01/02/26 11:30"));
            table.setCell(row, Length1, length);
            table.setCell(row, Start2, EmptyStamp);
            table.setCell(row, End2, EmptyStamp);
            table.setCell(row, Length2, EmptyLength);
        }
        markCurrentLengths(table);
        QVERIFY(table.isLengthCurrent(1, Session::First));
        QVERIFY(table.isLengthCurrent(1, Session::Second));
        QVERIFY(!table.isLengthCurrent(2, Session::First));
        QCOMPARE(table.cell(2, Length1), QStringLiteral("00:05"));

        // The next scan still mends the length that was wrong.
        mergePresence(table, {FriendEntry{QStringLiteral("Other"), QStringLiteral("other"), {}}},
                      QDateTime(QDate(2026, 2, 1), QTime(12, 0)));
        QCOMPARE(table.cell(1, Length1), QStringLiteral("01:30"));
        QCOMPARE(table.cell(2, Length1), QStringLiteral("01:30"));
    }

    void sessionLifetimeScanByScan()
    {
        FriendsTable table;
        const QList<FriendEntry> listed = {entry(QStringLiteral("Ann Lee"), QStringLiteral("ann"))};
        const QList<FriendEntry> other = {entry(QStringLiteral("Bob Day"), QStringLiteral("bob"))};
        const QString none = EmptyStamp;
        const QString noLength = EmptyLength;
        struct Scan
        {
            int hour, minute;
            bool listed;
            QStringList cells;       // Start1, End1, Length1, Start2, End2, Length2
            bool cameOnline = false; // Ann started a new session, in a table not empty before
        };
        const QList<Scan> scans = {
            {10, 0, true, {stamp(10, 0), none, noLength, none, none, noLength}},
            {10, 15, true, {stamp(10, 0), none, noLength, none, none, noLength}},
            {10,
             30,
             false,
             {stamp(10, 0), stamp(10, 30), QStringLiteral("00:30"), none, none, noLength}},
            {10, 35, true, {stamp(10, 0), none, noLength, none, none, noLength}},
            {11,
             0,
             false,
             {stamp(10, 0), stamp(11, 0), QStringLiteral("01:00"), none, none, noLength}},
            {11,
             30,
             true,
             {stamp(11, 30), none, noLength, stamp(10, 0), stamp(11, 0), QStringLiteral("01:00")},
             true},
        };
        for (const Scan &scan : scans) {
            const QList<int> cameOnline =
                mergePresence(table, scan.listed ? listed : other, at(scan.hour, scan.minute));
            const int row = table.findByAccountName(QStringLiteral("ann"));
            QCOMPARE(row, 1);
            QCOMPARE(cameOnline.contains(row), scan.cameOnline);
            QCOMPARE(sessionCells(table, row), scan.cells);
            QCOMPARE(table.cell(row, Online),
                     scan.listed ? QStringLiteral("1") : QStringLiteral("0"));
        }
        QCOMPARE(table.friendCount(), 2);
    }

    void newFriend_getsAFullRow()
    {
        FriendsTable table;
        addFriend(table, QStringLiteral("Old One"), QStringLiteral("old"));
        // Into a table that holds friends already, the new one came online.
        QCOMPARE(mergePresence(table, {entry(QStringLiteral("a.b"), QStringLiteral("a.b"), Mark)},
                               at(9, 5, 30)),
                 QList<int>{2});
        QCOMPARE(table.friendCount(), 2);
        const QStringList expected = {QString(),
                                      QStringLiteral("a.b"),
                                      QStringLiteral("14/10/12 09:05"),
                                      EmptyStamp,
                                      EmptyLength,
                                      EmptyStamp,
                                      EmptyStamp,
                                      EmptyLength,
                                      Mark,
                                      QStringLiteral("-1"),
                                      QStringLiteral("1"),
                                      QStringLiteral("0"),
                                      QStringLiteral("a.b"),
                                      QString(),
                                      QString(),
                                      QString()};
        for (int column = 0; column < ColumnCount; ++column)
            QCOMPARE(table.cell(2, column), expected.at(column));
        QCOMPARE(table.cell(1, Online), QStringLiteral("0"));
    }

    void friendWhoDisappears_endsTheSessionOnce()
    {
        FriendsTable table;
        const int row =
            addFriend(table, QStringLiteral("Ann"), QStringLiteral("ann"),
                      {stamp(8, 0), EmptyStamp, EmptyLength, EmptyStamp, EmptyStamp, EmptyLength});
        table.setCell(row, Online, QStringLiteral("1"));
        const QList<FriendEntry> others = {entry(QStringLiteral("Bob"), QStringLiteral("bob"))};
        mergePresence(table, others, at(9, 45));
        const QStringList closed = {stamp(8, 0), stamp(9, 45), QStringLiteral("01:45"),
                                    EmptyStamp,  EmptyStamp,   EmptyLength};
        QCOMPARE(sessionCells(table, row), closed);
        QCOMPARE(table.cell(row, Online), QStringLiteral("0"));
        mergePresence(table, others, at(12, 0));
        QCOMPARE(sessionCells(table, row), closed);
    }

    void returnAfterTheEnd_data()
    {
        QTest::addColumn<int>("secondsAway");
        QTest::addColumn<bool>("resumed");
        QTest::newRow("9 min 59 s") << 9 * 60 + 59 << true;
        QTest::newRow("10 min") << 10 * 60 << false;
        QTest::newRow("clock set back") << -3600 << true;
    }

    void returnAfterTheEnd()
    {
        QFETCH(int, secondsAway);
        QFETCH(bool, resumed);
        FriendsTable table;
        const QStringList earlier = {stamp(7, 0), stamp(7, 30), QStringLiteral("00:30"),
                                     EmptyStamp,  EmptyStamp,   EmptyLength};
        const int row = addFriend(table, QStringLiteral("Ann"), QStringLiteral("ann"),
                                  {stamp(8, 0), stamp(9, 0), QStringLiteral("01:00"), earlier[0],
                                   earlier[1], earlier[2]});
        const QDateTime now = at(9, 0).addSecs(secondsAway);
        QCOMPARE(mergePresence(table, {entry(QStringLiteral("Ann"), QStringLiteral("ann"))}, now),
                 resumed ? QList<int>{} : QList<int>{row});
        const QStringList expected =
            resumed ? QStringList{stamp(8, 0), EmptyStamp, EmptyLength,
                                  earlier[0],  earlier[1], earlier[2]}
                    : QStringList{formatStamp(now), EmptyStamp,  EmptyLength,
                                  stamp(8, 0),      stamp(9, 0), QStringLiteral("01:00")};
        QCOMPARE(sessionCells(table, row), expected);
        QCOMPARE(table.cell(row, Online), QStringLiteral("1"));
    }

    void unreadableEnd_startsANewSession()
    {
        FriendsTable table;
        const QString garbled = QStringLiteral("14/1x/12 09:59");
        const int row = addFriend(
            table, QStringLiteral("Ann"), QStringLiteral("ann"),
            {stamp(9, 0), garbled, QStringLiteral("00:59"), EmptyStamp, EmptyStamp, EmptyLength});
        QCOMPARE(
            mergePresence(table, {entry(QStringLiteral("Ann"), QStringLiteral("ann"))}, at(10, 0)),
            QList<int>{row});
        QCOMPARE(sessionCells(table, row),
                 (QStringList{stamp(10, 0), EmptyStamp, EmptyLength, stamp(9, 0), garbled,
                              QStringLiteral("00:59")}));
    }

    void lengths_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("same minute") << stamp(10, 0) << EmptyLength << EmptyLength;
        QTest::newRow("over 24 hours")
            << QStringLiteral("13/10/12 08:00") << EmptyLength << QStringLiteral("02:00");
        QTest::newRow("start after end keeps")
            << stamp(11, 0) << QStringLiteral("00:07") << QStringLiteral("00:07");
        QTest::newRow("unreadable start keeps")
            << QStringLiteral("today") << QStringLiteral("00:07") << QStringLiteral("00:07");
        QTest::newRow("stale length recomputed")
            << stamp(9, 15) << QStringLiteral("00:07") << QStringLiteral("00:45");
    }

    void lengths()
    {
        QFETCH(QString, start);
        QFETCH(QString, length);
        FriendsTable table;
        const int row = addFriend(table, QStringLiteral("Ann"), QStringLiteral("ann"),
                                  {start, EmptyStamp, length, EmptyStamp, EmptyStamp, EmptyLength});
        mergePresence(table, {entry(QStringLiteral("Bob"), QStringLiteral("bob"))}, at(10, 0, 40));
        QCOMPARE(table.cell(row, End1), stamp(10, 0));
        QTEST(table.cell(row, Length1), "expected");
    }

    void secondSessionLength_followsTheFirstSessionsRule()
    {
        FriendsTable table;
        const int row = addFriend(table, QStringLiteral("Ann"), QStringLiteral("ann"),
                                  {stamp(9, 0), stamp(9, 30), QStringLiteral("00:30"), stamp(7, 0),
                                   stamp(8, 10), EmptyLength});
        const int reversed = addFriend(table, QStringLiteral("Bob"), QStringLiteral("bob"),
                                       {stamp(9, 0), stamp(9, 30), QStringLiteral("00:30"),
                                        stamp(8, 10), stamp(7, 0), EmptyLength});
        mergePresence(table, {entry(QStringLiteral("Cy"), QStringLiteral("cy"))}, at(10, 0));
        QCOMPARE(table.cell(row, Length2), QStringLiteral("01:10"));
        QCOMPARE(table.cell(reversed, Length2), EmptyLength);
    }

    void offlineFriendWithoutStart_keepsItEmpty()
    {
        FriendsTable table;
        const int row = addFriend(table, QStringLiteral("Ann"), QStringLiteral("ann"));
        mergePresence(table, {entry(QStringLiteral("Bob"), QStringLiteral("bob"))}, at(10, 0));
        QCOMPARE(sessionCells(table, row), (QStringList{EmptyStamp, stamp(10, 0), EmptyLength,
                                                        EmptyStamp, EmptyStamp, EmptyLength}));
    }

    void emptyPage_changesOnlyTheOnlineFlags()
    {
        FriendsTable table;
        const QStringList open = {stamp(9, 0), EmptyStamp, EmptyLength,
                                  EmptyStamp,  EmptyStamp, EmptyLength};
        const QStringList stale = {stamp(7, 0), stamp(8, 0), QStringLiteral("00:01"),
                                   EmptyStamp,  EmptyStamp,  EmptyLength};
        addFriend(table, QStringLiteral("Ann"), QStringLiteral("ann"), open);
        addFriend(table, QStringLiteral("Bob"), QStringLiteral("bob"), stale);
        table.setCell(1, Online, QStringLiteral("1"));
        QVERIFY(mergePresence(table, {}, at(10, 0)).isEmpty());
        QCOMPARE(table.friendCount(), 2);
        QCOMPARE(sessionCells(table, 1), open);
        QCOMPARE(sessionCells(table, 2), stale);
        QCOMPARE(table.cell(1, Online), QStringLiteral("0"));
        QCOMPARE(table.cell(2, Online), QStringLiteral("0"));
    }

    void sameUserNameTwice_givesOneRowNamedByTheLaterEntry()
    {
        FriendsTable table;
        const QList<FriendEntry> page = {entry(QStringLiteral("First"), QStringLiteral("ann")),
                                         entry(QStringLiteral("Bob"), QStringLiteral("bob")),
                                         entry(QStringLiteral("Second"), QStringLiteral("ann"))};
        mergePresence(table, page, at(10, 0));
        // Added from the first entry; the next scan's name refresh takes the last.
        QCOMPARE(table.friendCount(), 2);
        QCOMPARE(table.cell(1, DisplayName), QStringLiteral("First"));
        mergePresence(table, page, at(10, 15));
        QCOMPARE(table.friendCount(), 2);
        QCOMPARE(table.cell(1, DisplayName), QStringLiteral("Second"));
        QCOMPARE(table.cell(1, Start1), stamp(10, 0));
    }

    void everyRowWithTheUserNameIsRefreshed()
    {
        FriendsTable table;
        addFriend(table, QStringLiteral("One"), QStringLiteral("ann"));
        addFriend(table, QStringLiteral("Two"), QStringLiteral("ann"));
        mergePresence(table, {entry(QStringLiteral("Ann Lee"), QStringLiteral("ann"))}, at(10, 0));
        QCOMPARE(table.friendCount(), 2);
        for (int row = 1; row <= 2; ++row) {
            QCOMPARE(table.cell(row, DisplayName), QStringLiteral("Ann Lee"));
            QCOMPARE(table.cell(row, Online), QStringLiteral("1"));
            QCOMPARE(table.cell(row, Start1), stamp(10, 0));
        }
    }

    void matchingDisplayName_takesTheLastEntrysUserName()
    {
        FriendsTable table;
        // A row from an old history file: the user name is a copy of the display name.
        addFriend(table, QStringLiteral("Ann Lee"), QStringLiteral("Ann Lee"));
        addFriend(table, QStringLiteral("Sam"), QStringLiteral("sam.old"));
        addFriend(table, QStringLiteral("Cy"), QStringLiteral("cy"));
        const QList<FriendEntry> page = {
            entry(QStringLiteral("Ann Lee"), QStringLiteral("ann.lee")),
            entry(QStringLiteral("Sam"), QStringLiteral("sam.a")),
            entry(QStringLiteral("Sam"), QStringLiteral("sam.b")),
            entry(QStringLiteral("Bo"), QStringLiteral("cy")),
            entry(QStringLiteral("Bo"), QStringLiteral("bo"))};
        mergePresence(table, page, at(10, 0));
        QCOMPARE(table.cell(1, AccountName), QStringLiteral("ann.lee"));
        QCOMPARE(table.cell(1, Online), QStringLiteral("1"));
        QCOMPARE(table.cell(2, AccountName), QStringLiteral("sam.b"));
        // Renamed to Bo by its user name, then re-pointed to the last Bo: "cy" is new again.
        QCOMPARE(table.cell(3, DisplayName), QStringLiteral("Bo"));
        QCOMPARE(table.cell(3, AccountName), QStringLiteral("bo"));
        QStringList added;
        for (int row = 4; row <= table.friendCount(); ++row)
            added << table.cell(row, AccountName);
        QCOMPARE(added, (QStringList{QStringLiteral("sam.a"), QStringLiteral("cy")}));
    }

    void emptyUserName_matchesTheEmptyRowZero()
    {
        FriendsTable empty;
        const QList<FriendEntry> page = {entry(QStringLiteral("unknown-1"), QString(), Mark),
                                         entry(QStringLiteral("unknown-2"), QString(), Mark)};
        mergePresence(empty, page, at(10, 0));
        QCOMPARE(empty.friendCount(), 1);
        QCOMPARE(empty.cell(1, DisplayName), QStringLiteral("unknown-1"));
        QCOMPARE(empty.cell(1, Online), QStringLiteral("1"));

        FriendsTable someone;
        addFriend(someone, QStringLiteral("Ann"), QStringLiteral("ann"));
        mergePresence(someone, page, at(10, 0));
        QCOMPARE(someone.friendCount(), 1);
    }

    void fullTable_addsNoMore()
    {
        FriendsTable table;
        for (int i = 0; i < MaxFriends; ++i)
            table.appendFriend();
        mergePresence(table, {entry(QStringLiteral("Ann"), QStringLiteral("ann"))}, at(10, 0));
        QCOMPARE(table.friendCount(), MaxFriends);
    }

    // Random tables and pages full of shared names, compared with the row-by-entry walk.
    void sameResultsAsTheRowByEntryWalk()
    {
        QRandomGenerator random(20121014);
        const QStringList names = {QString(),           QStringLiteral("a"), QStringLiteral("b"),
                                   QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e")};
        auto name = [&] { return names.at(random.bounded(int(names.size()))); };
        auto anyStamp = [&] {
            switch (random.bounded(4)) {
            case 0:
                return EmptyStamp;
            case 1:
                return QStringLiteral("bad");
            default:
                return stamp(9, random.bounded(60));
            }
        };
        for (int round = 0; round < 2000; ++round) {
            FriendsTable table;
            const int rows = random.bounded(6);
            for (int i = 0; i < rows; ++i)
                addFriend(table, name(), name(),
                          {anyStamp(), anyStamp(), QStringLiteral("00:01"), anyStamp(), anyStamp(),
                           EmptyLength});
            QList<FriendEntry> page;
            const int entries = random.bounded(6);
            for (int i = 0; i < entries; ++i)
                page << entry(name(), name(), random.bounded(2) ? Mark : QString());
            FriendsTable expected = table;
            const QDateTime now = at(10, random.bounded(10), random.bounded(60));
            referenceMerge(expected, page, now);
            mergePresence(table, page, now);
            QCOMPARE(table.friendCount(), expected.friendCount());
            for (int row = 0; row <= table.friendCount(); ++row) {
                for (int column = 0; column < ColumnCount; ++column)
                    QCOMPARE(table.cell(row, column), expected.cell(row, column));
            }
        }
    }

    // A table kept over many scans, with its sessions edited, friends removed and rows reordered
    // between them: every length that the cells' changes affect must be computed again.
    void scanAfterScan_sameResultsAsTheRowByEntryWalk()
    {
        QRandomGenerator random(20121015);
        const QStringList names = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                   QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f")};
        auto name = [&] { return names.at(random.bounded(int(names.size()))); };
        for (int round = 0; round < 300; ++round) {
            FriendsTable table;
            FriendsTable expected;
            int minute = 0;
            for (int scan = 0; scan < 12; ++scan) {
                QList<FriendEntry> page;
                const int entries = random.bounded(5);
                for (int i = 0; i < entries; ++i)
                    page << entry(name(), name());
                minute += random.bounded(1, 15);
                const QDateTime now = at(8 + minute / 60, minute % 60, random.bounded(60));
                referenceMerge(expected, page, now);
                mergePresence(table, page, now);
                QCOMPARE(table.friendCount(), expected.friendCount());
                for (int row = 0; row <= table.friendCount(); ++row) {
                    for (int column = 0; column < ColumnCount; ++column)
                        QCOMPARE(table.cell(row, column), expected.cell(row, column));
                }
                if (table.friendCount() == 0)
                    continue;

                const int row = 1 + random.bounded(table.friendCount());
                switch (random.bounded(5)) {
                case 0: { // a session stamp or length rewritten, as a history file may hold it
                    const int column = Start1 + random.bounded(Length2 - Start1 + 1);
                    const QStringList texts = {stamp(7, random.bounded(60)), EmptyStamp,
                                               QStringLiteral("00:01"), QStringLiteral("bad")};
                    const QString text = texts.at(random.bounded(int(texts.size())));
                    table.setCell(row, column, text);
                    expected.setCell(row, column, text);
                    break;
                }
                case 1:
                    table.removeFriend(row);
                    expected.removeFriend(row);
                    break;
                case 2: { // the rows sorted anew
                    QList<int> order;
                    for (int r = table.friendCount(); r >= 1; --r)
                        order << r;
                    std::rotate(order.begin(), order.begin() + row - 1, order.end());
                    QVERIFY(table.rebuild(order));
                    QVERIFY(expected.rebuild(order));
                    break;
                }
                case 3: // the window works on a copy
                    table = FriendsTable(table);
                    break;
                default:
                    break;
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestPresenceMerge)
#include "test_presence_merge.moc"
