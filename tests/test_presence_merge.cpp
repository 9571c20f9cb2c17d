// The presence merge, scan by scan, and the stamps and lengths it writes.
#include "friend_rows.h"
#include "scan/presence_merge.h"
#include "scan/time_text.h"

#include <QTest>

using namespace amiscan;

namespace {

const QString None = EmptyStamp;
const QString NoLength = EmptyLength;
const QString Mark = QStringLiteral("\u00B2");

QDateTime at(int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2012, 10, 14), QTime(hour, minute, second));
}

QString stamp(int hour, int minute)
{
    return formatStamp(at(hour, minute));
}

// An offline, selected friend with these six session cells.
int addFriend(FriendsTable &table, const QString &name,
              const QStringList &s = {None, None, NoLength, None, None, NoLength})
{
    friend_rows::Friend f{name.toUpper(), name};
    f.start1 = s[0], f.end1 = s[1], f.length1 = s[2], f.start2 = s[3], f.end2 = s[4],
    f.length2 = s[5];
    return friend_rows::add(table, f);
}

QStringList sessions(const FriendsTable &table, int row)
{
    QStringList cells;
    for (int column = Start1; column <= Length2; ++column)
        cells << table.cell(row, column);
    return cells;
}

QList<FriendEntry> page(const QStringList &accounts)
{
    QList<FriendEntry> entries;
    for (const QString &account : accounts)
        entries.append({account.toUpper(), account, {}});
    return entries;
}

} // namespace

class TestPresenceMerge : public QObject
{
    Q_OBJECT

private slots:
    void stampsAndLengths()
    {
        QCOMPARE(formatStamp(QDateTime(QDate(2100, 1, 31), QTime(7, 3, 59))),
                 QStringLiteral("31/01/00 07:03"));
        QCOMPARE(formatScanStamp(QDateTime(QDate(2012, 12, 5), QTime(14, 7))),
                 QStringLiteral("05/12 - 14:07"));
        for (const auto &[minutes, text] :
             {std::pair{59, "00:59"}, {24 * 60, "00:00"}, {25 * 60 + 5, "01:05"}, {-1, ".. .."}})
            QCOMPARE(formatLength(minutes), QString::fromLatin1(text));
        // Day first: 3 April is one day before 4 April.
        QCOMPARE(*readStamp(u"04/04/12 10:00") - *readStamp(u"03/04/12 10:00"), 24 * 3600);
        QCOMPARE(*readStamp(u"03/04/12 10:00"),
                 wallSeconds(QDateTime(QDate(2012, 4, 3), QTime(10, 0))));
        // Other separators some systems wrote, and blanks around.
        for (const char16_t *same : {u"03.04.12 10.00", u"03-04-12 10:00", u" 3/4/12 10:00  "})
            QCOMPARE(readStamp(same), readStamp(u"03/04/12 10:00"));
        for (const char16_t *bad :
             {u"", u".. .. .. .. ..", u"32/01/12 10:00", u"29/02/13 10:00", u"01/13/12 10:00",
              u"01/01/12 24:00", u"01/01/2012 10:00", u"01/01/12 10:00:30", u"01/01/12 1:0"})
            QVERIFY2(!readStamp(bad), qPrintable(QString::fromUtf16(bad)));
        QVERIFY(readStamp(u"29/02/12 10:00"));
    }

    void sessionLifetime_scanByScan()
    {
        FriendsTable table;
        struct Scan
        {
            int hour, minute;
            bool listed;
            QStringList cells;
            bool cameOnline;
        };
        const QList<Scan> scans = {
            {10, 0, true, {stamp(10, 0), None, NoLength, None, None, NoLength}, false},
            {10, 15, true, {stamp(10, 0), None, NoLength, None, None, NoLength}, false},
            {10, 30, false, {stamp(10, 0), stamp(10, 30), "00:30", None, None, NoLength}, false},
            // Back within ten minutes: the session resumes.
            {10, 39, true, {stamp(10, 0), None, NoLength, None, None, NoLength}, false},
            {11, 0, false, {stamp(10, 0), stamp(11, 0), "01:00", None, None, NoLength}, false},
            {11, 0, false, {stamp(10, 0), stamp(11, 0), "01:00", None, None, NoLength}, false},
            {11,
             10,
             true,
             {stamp(11, 10), None, NoLength, stamp(10, 0), stamp(11, 0), "01:00"},
             true},
        };
        for (const Scan &scan : scans) {
            const QList<int> cameOnline = mergePresence(table, page({scan.listed ? "ann" : "bob"}),
                                                        at(scan.hour, scan.minute));
            const int row = table.findByAccountName(QStringLiteral("ann"));
            QCOMPARE(row, 1);
            // The first scan of an empty history announces nobody.
            QCOMPARE(cameOnline.contains(row), scan.cameOnline);
            QCOMPARE(sessions(table, row), scan.cells);
            QCOMPARE(table.cell(row, Online), QString::number(scan.listed));
        }
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
        const int row = addFriend(
            table, "ann", {stamp(8, 0), stamp(9, 0), "01:00", stamp(7, 0), stamp(7, 30), "00:30"});
        const QDateTime now = at(9, 0).addSecs(secondsAway);
        QCOMPARE(mergePresence(table, page({"ann"}), now),
                 resumed ? QList<int>{} : QList<int>{row});
        const QStringList resumedCells{stamp(8, 0), None,         NoLength,
                                       stamp(7, 0), stamp(7, 30), "00:30"};
        const QStringList newCells{formatStamp(now), None,        NoLength,
                                   stamp(8, 0),      stamp(9, 0), "01:00"};
        QCOMPARE(sessions(table, row), resumed ? resumedCells : newCells);
    }

    void unreadableEnd_startsANewSession()
    {
        FriendsTable table;
        const int row =
            addFriend(table, "ann", {stamp(9, 0), "14/1x/12 09:59", "00:59", None, None, NoLength});
        QCOMPARE(mergePresence(table, page({"ann"}), at(10, 0)), QList<int>{row});
        QCOMPARE(sessions(table, row), (QStringList{stamp(10, 0), None, NoLength, stamp(9, 0),
                                                    "14/1x/12 09:59", "00:59"}));
    }

    void lengthsAtTheEnd_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("same minute") << QStringList{stamp(10, 0), None, NoLength}
                                     << QStringList{stamp(10, 0), stamp(10, 0), NoLength};
        QTest::newRow("over a day") << QStringList{"13/10/12 08:00", None, NoLength}
                                    << QStringList{"13/10/12 08:00", stamp(10, 0), "02:00"};
        QTest::newRow("start after end") << QStringList{stamp(11, 0), None, "00:07"}
                                         << QStringList{stamp(11, 0), stamp(10, 0), "00:07"};
        QTest::newRow("unreadable start")
            << QStringList{"today", None, "00:07"} << QStringList{"today", stamp(10, 0), "00:07"};
        QTest::newRow("stale length") << QStringList{stamp(9, 15), None, "00:07"}
                                      << QStringList{stamp(9, 15), stamp(10, 0), "00:45"};
        QTest::newRow("never started")
            << QStringList{None, None, NoLength} << QStringList{None, stamp(10, 0), NoLength};
        QTest::newRow("closed stays") << QStringList{stamp(8, 0), stamp(9, 0), "01:00"}
                                      << QStringList{stamp(8, 0), stamp(9, 0), "01:00"};
        QTest::newRow("2nd session's rule")
            << QStringList{stamp(9, 0), stamp(9, 30), "00:30", stamp(7, 0), stamp(8, 10), NoLength}
            << QStringList{stamp(9, 0), stamp(9, 30), "00:30", stamp(7, 0), stamp(8, 10), "01:10"};
        QTest::newRow("2nd reversed")
            << QStringList{stamp(9, 0), stamp(9, 30), "00:30", stamp(8, 10), stamp(7, 0), NoLength}
            << QStringList{stamp(9, 0), stamp(9, 30), "00:30", stamp(8, 10), stamp(7, 0), NoLength};
    }

    void lengthsAtTheEnd()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        const QStringList second{None, None, NoLength};
        FriendsTable table;
        const int row = addFriend(table, "ann", before.size() == 6 ? before : before + second);
        mergePresence(table, page({"bob"}), at(10, 0, 40));
        QCOMPARE(sessions(table, row), after.size() == 6 ? after : after + second);
    }

    // The history reader marks the lengths its stamps confirm; a wrong one is still mended.
    void markedLengths_wrongOnesStillMended()
    {
        FriendsTable table;
        addFriend(table, "a", {"01/02/26 10:00", "01/02/26 11:30", "01:30", None, None, NoLength});
        addFriend(table, "b", {"01/02/26 10:00", "01/02/26 11:30", "00:05", None, None, NoLength});
        markCurrentLengths(table);
        QVERIFY(table.isLengthCurrent(1, Session::First) &&
                !table.isLengthCurrent(2, Session::First));
        QCOMPARE(table.cell(2, Length1), QStringLiteral("00:05"));
        mergePresence(table, page({"c"}), QDateTime(QDate(2026, 2, 1), QTime(12, 0)));
        QCOMPARE(friend_rows::column(table, Length1).mid(0, 2), (QStringList{"01:30", "01:30"}));
    }

    void newFriend_getsAFullRow_andCameOnline()
    {
        FriendsTable table;
        addFriend(table, "old");
        QCOMPARE(mergePresence(table, {{"a.b", "a.b", Mark}}, at(9, 5, 30)), QList<int>{2});
        QStringList cells;
        for (int column = 0; column < ColumnCount; ++column)
            cells << table.cell(2, column);
        QCOMPARE(cells, (QStringList{"", "a.b", "14/10/12 09:05", None, NoLength, None, None,
                                     NoLength, Mark, "-1", "1", "0", "a.b", "", "", ""}));
        QCOMPARE(table.cell(1, Online), QStringLiteral("0"));
    }

    void emptyPage_changesOnlyTheOnlineFlags()
    {
        FriendsTable table;
        addFriend(table, "ann", {stamp(9, 0), None, NoLength, None, None, NoLength});
        table.setCell(1, Online, QStringLiteral("1"));
        const FriendsTable before = table;
        QVERIFY(mergePresence(table, {}, at(10, 0)).isEmpty());
        QCOMPARE(sessions(table, 1), sessions(before, 1));
        QCOMPARE(table.cell(1, Online), QStringLiteral("0"));
    }

    // Names shared by several entries or rows: the user name finds the rows and the last entry
    // names them; a display name met again takes the last entry's user name.
    void sharedNames()
    {
        FriendsTable table;
        for (const auto &[display, account] :
             {std::pair{"One", "ann"}, {"Two", "ann"}, {"Sam", "sam.old"}, {"Cy", "cy"}})
            friend_rows::add(table, {display, account});
        mergePresence(table,
                      {{"First", "ann", {}},
                       {"Sam", "sam.a", {}},
                       {"Sam", "sam.b", {}},
                       {"Bo", "cy", {}},
                       {"Bo", "bo", {}},
                       {"Ann Lee", "ann", {}}},
                      at(10, 0));
        QCOMPARE(friend_rows::column(table, DisplayName),
                 (QStringList{"Ann Lee", "Ann Lee", "Sam", "Bo", "Sam", "Bo"}));
        QCOMPARE(friend_rows::column(table, AccountName),
                 (QStringList{"ann", "ann", "sam.b", "bo", "sam.a", "cy"}));
        QCOMPARE(friend_rows::column(table, Online), QStringList(6, "1"));
    }

    void emptyUserName_matchesTheEmptyRowZero()
    {
        FriendsTable empty;
        const QList<FriendEntry> unknown{{"unknown-1", {}, Mark}, {"unknown-2", {}, Mark}};
        mergePresence(empty, unknown, at(10, 0));
        QCOMPARE(friend_rows::column(empty, DisplayName), QStringList{"unknown-1"});
        FriendsTable someone;
        addFriend(someone, "ann");
        mergePresence(someone, unknown, at(10, 0));
        QCOMPARE(someone.friendCount(), 1);
    }

    void fullTable_addsNoMore()
    {
        FriendsTable table;
        for (int i = 0; i < MaxFriends; ++i)
            table.appendFriend();
        mergePresence(table, page({"ann"}), at(10, 0));
        QCOMPARE(table.friendCount(), MaxFriends);
    }
};

QTEST_APPLESS_MAIN(TestPresenceMerge)
#include "test_presence_merge.moc"
