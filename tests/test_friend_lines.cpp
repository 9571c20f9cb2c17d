// Friend lines, the names read back from them, the sorts and their collation, and what the main
// list is built from: its lines, counters, title and the management list's links.
#include "data_table.h"
#include "friend_rows.h"
#include "lists/friend_line.h"
#include "lists/line_filter.h"
#include "lists/list_title.h"
#include "lists/main_list.h"
#include "lists/manage_links.h"
#include "lists/table_sort.h"
#include "scan/presence_merge.h"
#include "store/collation.h"
#include "store/key_order.h"
#include "store/position_text.h"
#include "store/text_arena.h"

#include <QRegularExpression>
#include <QTest>

using namespace amiscan;
using namespace amiscan::testing;
using namespace friend_rows;
Q_DECLARE_METATYPE(amiscan::LineFilter)

namespace {

const Collation English{QLocale(QLocale::English)};
const QString Smile = QStringLiteral("\U0001F600");

Friend marked(const QString &display, const QString &account)
{
    Friend f{display, account};
    f.nameMark = QStringLiteral("²");
    return f;
}

// Three online friends, then four offline, in online-first order; Bea and Dan are unselected.
FriendsTable threeOnFourOff()
{
    FriendsTable table;
    for (int i = 0; i < 7; ++i)
        add(table, QStringLiteral("AmyBeaCidDanEveFayGus").mid(3 * i, 3), i < 3, i != 1 && i != 3);
    return table;
}

QStringList names(const QStringList &lines)
{
    QStringList result;
    for (const QString &line : lines)
        result << (line.contains(u':') ? nameFromLine(line) : line == separatorLine() ? "-" : line);
    return result;
}

} // namespace

class TestFriendLines : public QObject
{
    Q_OBJECT

private slots:
    void lines_data()
    {
        addColumns<Friend, bool, bool, QString, QString>(
            {"f", "userNames", "secondSession", "line", "companion"});
        const auto row = [](const char *tag, const Friend &f, bool userNames, bool second,
                            const QString &line, const QString &companion = {}) {
            addRow(tag, f, userNames, second, line, companion);
        };
        Friend second = marked("Ann Example", "annexample");
        second.start2 = "01/09/12 10:00", second.end2 = "01/09/12 11:30", second.length2 = "01:30";
        const QString closed = "04/09/12 14:19 - 04/09/12 16:02 > 01:43";
        const QString none = ".. .. .. .. .. - .. .. .. .. .. > .. ..";
        row("closed", {"Ann Example", "annexample"}, false, false, "Ann Example       : " + closed,
            "annexample        : " + none);
        row("2nd session, user names", second, true, true,
            "annexample        : 01/09/12 10:00 - 01/09/12 11:30 > 01:30",
            "Ann Example       : " + closed);
        row("cut at 18", {"Example Friend Long Name", "x"}, false, false,
            "Example Friend Lon: " + closed);
        row("mark after 17", marked(QString(17, u'a'), "acc"), false, false,
            QString(17, u'a') + "²: " + closed);
        row("no room for the mark", marked(QString(18, u'b'), "acc"), false, false,
            QString(18, u'b') + ": " + closed);
        row("no mark on user names", marked("Ann", "acc"), true, false,
            "acc               : " + closed);
        // A character outside the basic plane counts once and is never cut apart.
        row("characters, not units", {QString(16, u'a') + Smile + Smile + "b", Smile + "u"}, false,
            false, QString(16, u'a') + Smile + Smile + ": " + closed,
            Smile + "u" + QString(16, u' ') + ": " + none);
        row("long companion kept whole", {"Short", "an.account.name.of.25.chr"}, false, false,
            "Short             : " + closed, "an.account.name.of.25.chr: " + none);
        // A name written right to left stands isolated, so that it leaves the rest of its line
        // in order; the isolate's marks take no place in the name field.
        const QString hebrew = QStringLiteral("\u05E9\u05DC\u05D5\u05DD 12");
        const auto isolate = [](const QString &name) { return u'\u2068' + name + u'\u2069'; };
        row("right to left", marked(hebrew, hebrew + "\u202E!"), false, false,
            isolate(hebrew + "²") + QString(10, u' ') + ": " + closed,
            isolate(hebrew + "!") + QString(10, u' ') + ": " + none);
    }

    void lines()
    {
        auto [f, userNames, secondSession, line, companion] =
            fetch<Friend, bool, bool, QString, QString>("f", "userNames", "secondSession", "line",
                                                        "companion");
        const FriendsTable table = tableOf({f});
        QCOMPARE(friendLine(table, 1, {userNames, secondSession}), line);
        if (!companion.isEmpty())
            QCOMPARE(companionLine(table, 1, {userNames, secondSession}), companion);
        QCOMPARE(
            nameFromLine(line),
            line.left(line.indexOf(u':')).remove(QRegularExpression("[²\u2068\u2069]")).trimmed());
    }

    // A row's identity follows its friend through sorts and removals and is never given again;
    // so do its length marks.
    void rowIds_andLengthMarks_followTheirFriend()
    {
        FriendsTable table = threeOnFourOff();
        const FriendsTable::RowId bea = table.rowId(2), gus = table.rowId(7);
        QVERIFY(bea != 0 && gus != 0 && bea != gus && table.rowId(0) == 0);
        QVERIFY(table.rebuild({7, 6, 5, 4, 3, 2, 1}));
        QCOMPARE(table.findRow(gus), 1);
        table.removeFriend(1);
        QCOMPARE(table.findRow(gus), -1);
        QCOMPARE(table.findRow(bea), 5);
        table.clear();
        table.appendFriend();
        QCOMPARE(table.findRow(bea), -1);
        // A scan skips lengths marked current: a write to a session's cells clears its mark.
        table = threeOnFourOff();
        for (int row = 1; row <= 3; ++row)
            table.markLengthCurrent(row, Session::First),
                table.markLengthCurrent(row, Session::Second);
        table.setCell(1, Online, "0");
        table.setCell(2, End1, "14/10/12 10:00");
        table.setCell(3, Length2, "00:05");
        QVERIFY(table.rebuild({3, 1, 2, 4, 5, 6, 7}));
        QList<bool> marks;
        for (int row = 1; row <= 4; ++row)
            marks << table.isLengthCurrent(row, Session::First)
                  << table.isLengthCurrent(row, Session::Second);
        QCOMPARE(marks, (QList<bool>{true, false, true, true, false, true, false, false}));
        // The friends of a name follow renames, removals, sorts and new friends.
        table = threeOnFourOff();
        const auto named = [&](int column, const QString &name) {
            QList<FriendsTable::RowId> ids = table.friendsNamed(column, name);
            std::sort(ids.begin(), ids.end());
            return ids;
        };
        const FriendsTable::RowId amy = table.rowId(1), cid = table.rowId(3);
        QCOMPARE(named(DisplayName, "Amy"), QList<FriendsTable::RowId>{amy});
        table.setCell(3, DisplayName, "Amy");
        QCOMPARE(named(DisplayName, "Amy"), (QList<FriendsTable::RowId>{amy, cid}));
        QVERIFY(named(DisplayName, "Cid").isEmpty());
        QVERIFY(table.rebuild({7, 6, 5, 4, 3, 2, 1}));
        table.removeFriend(7);
        QCOMPARE(named(DisplayName, "Amy"), QList<FriendsTable::RowId>{cid});
        const int newRow = table.appendFriend();
        QCOMPARE(named(AccountName, ""), QList<FriendsTable::RowId>{table.rowId(newRow)});
        table.setCell(newRow, AccountName, "amy");
        QCOMPARE(named(AccountName, "amy"), QList<FriendsTable::RowId>{table.rowId(newRow)});
        QVERIFY(named(AccountName, "").isEmpty());
    }

    // Stamps, lengths and flags are kept once per text for the whole table: texts no row holds
    // any more go when the rows are reordered, and every cell, a copy's included, reads the same.
    void sharedTexts_readBackThroughRenumbering()
    {
        FriendsTable table = threeOnFourOff();
        const FriendsTable copy = table;
        const auto stamp = [](int scan, int row) {
            return QStringLiteral("14/10/12 %1:%2").arg(scan).arg(row, 2, 10, QChar(u'0'));
        };
        for (int scan = 0; scan < 200; ++scan) {
            for (int row = 1; row <= 7; ++row)
                table.setCell(row, row % 2 ? End1 : Start2, stamp(scan, row));
            // A cell's text written to another while the texts grow.
            table.setCell(1, End2, table.cellText(1, End1));
            QVERIFY(table.rebuild({7, 6, 5, 4, 3, 2, 1}));
        }
        // Two hundred reversals bring the friends back to their places; the last scan's stamps
        // went to the places they were written at before the last reversal.
        QStringList written;
        for (int row = 1; row <= 7; ++row)
            written << table.cell(row, row % 2 ? End1 : Start2).section(u' ', 1);
        QCOMPARE(written, (QStringList{"199:07", "199:06", "199:05", "199:04", "199:03", "199:02",
                                       "199:01"}));
        QCOMPARE(table.cell(7, End2), "14/10/12 199:01");
        QCOMPARE(column(table, Online), column(threeOnFourOff(), Online));
        QCOMPARE(column(table, Unselected), column(threeOnFourOff(), Unselected));
        // A copy finds the texts it holds anew when it is written to.
        FriendsTable again = table;
        again.setCell(2, End1, table.cell(3, End1));
        again.setCell(4, End1, "14/10/12 200:04");
        QCOMPARE(again.cell(2, End1), "14/10/12 199:05");
        QCOMPARE(again.cell(4, End1), "14/10/12 200:04");
        QCOMPARE(again.cell(5, End1), table.cell(5, End1));
        QCOMPARE(friend_rows::cells(copy), friend_rows::cells(threeOnFourOff()));
    }

    // Names made side by side share their block and outlive it; each reads as a text of its own,
    // zero-terminated, and changing one leaves its neighbours as they were.
    void arenaTexts_standAlone()
    {
        QList<QString> made;
        // Twice, so that the second blocks may take memory the first ones left written.
        for (const QString &example :
             {QStringLiteral("Xxxxxxxxxxxxx"), QStringLiteral("Example")}) {
            made.clear();
            TextArena arena;
            for (int i = 0; i < 5000; ++i)
                made << arena.make(QStringLiteral("Friend %1 ").arg(i) + example);
            made << arena.make(Smile + QStringLiteral(" é"));
        }
        for (const QString &text : std::as_const(made))
            QCOMPARE(text.utf16()[text.size()], u'\0');
        QCOMPARE(made.at(0), "Friend 0 Example");
        QCOMPARE(made.at(4999), "Friend 4999 Example");
        QCOMPARE(made.constLast(), Smile + QStringLiteral(" é"));
        QString changed = made.at(1);
        changed.append(QStringLiteral(" and more"));
        changed[0] = u'B';
        QCOMPARE(changed, "Briend 1 Example and more");
        QCOMPARE(made.at(1), "Friend 1 Example");
        QCOMPARE(made.at(2), "Friend 2 Example");
        made[3].append(u'!');
        QCOMPARE(made.at(3), "Friend 3 Example!");
        QCOMPARE(made.at(4), "Friend 4 Example");
    }

    // The positions the program writes are shared by every row; any other text is kept as given.
    void positionTexts_sharedOnlyAsWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shared");
        for (const char *text : {"-1", "0", "1", "9", "10", "4711", "32767"})
            QTest::newRow(text) << QString::fromLatin1(text) << true;
        for (const char *text : {"", "-2", "007", "+1", "32768", "99999", "123456", "1a", " 1"})
            QTest::newRow(text) << QString::fromLatin1(text) << false;
    }
    void positionTexts_sharedOnlyAsWritten()
    {
        QFETCH(QString, text);
        QFETCH(bool, shared);
        const QString first = positionText(text);
        const QString second = positionText(QString(text.data(), text.size()));
        QCOMPARE(first, text);
        QCOMPARE(second, text);
        if (!text.isEmpty())
            QCOMPARE(first.constData() == second.constData(), shared);
        if (shared)
            QVERIFY(first.constData() != text.constData());
        FriendsTable table = threeOnFourOff();
        table.setCell(2, ManagePos, text);
        QCOMPARE(table.cell(2, ManagePos), text);
        QCOMPARE(FriendsTable(table).cellText(2, ManagePos), text);
    }

    // A row's name stamp changes with its names' texts only, and never comes back: a key order
    // that kept it re-places exactly the renamed friends, in this table and in its copies.
    void nameStamps_followRenames()
    {
        FriendsTable table = threeOnFourOff();
        const quint32 amy = table.nameStamp(1);
        QVERIFY(amy != 0 && amy != NoStamp);
        table.setCell(1, DisplayName, table.cell(1, DisplayName));
        table.setCell(1, Start1, "14/10/12 10:00");
        QCOMPARE(table.nameStamp(1), amy);
        FriendsTable copy = table;
        QCOMPARE(copy.nameStamp(1), amy);
        table.setCell(1, AccountName, "amy2");
        copy.setCell(1, AccountName, "amy2");
        QVERIFY(table.nameStamp(1) != amy);
        QVERIFY(copy.nameStamp(1) != table.nameStamp(1));
        const quint32 renamed = table.nameStamp(1);
        QVERIFY(table.rebuild({7, 6, 5, 4, 3, 2, 1}));
        QCOMPARE(table.nameStamp(7), renamed);
        QCOMPARE(FriendsTable().nameStamp(1), 0u);

        // Renamed to a key that sorts elsewhere, then back: the order is always a full sort's.
        KeyOrder order;
        FriendsTable sorted = threeOnFourOff();
        const auto fullSort = [&] {
            return rowsInKeyOrder(sorted, allRows(sorted), DisplayName, English);
        };
        QCOMPARE(order.rows(sorted, DisplayName, English), fullSort());
        for (const char *name : {"Zed", "Aaa", "Gus", "Amy"}) {
            sorted.setCell(2, DisplayName, QString::fromLatin1(name));
            QCOMPARE(order.rows(sorted, DisplayName, English), fullSort());
        }
        // A copy renamed apart from the table it came from is ordered by its own names.
        FriendsTable other = sorted;
        other.setCell(5, DisplayName, "Aardvark");
        QCOMPARE(order.rows(other, DisplayName, English),
                 rowsInKeyOrder(other, allRows(other), DisplayName, English));
        QCOMPARE(order.rows(sorted, DisplayName, English), fullSort());
    }

    // The collation ignores case and keeps equal keys in order.
    void sorts_byNameMode_onlineFirst()
    {
        QCOMPARE(English.order({"bob", "Anna", "carl", "Bea"}), (QList<int>{1, 3, 0, 2}));
        QCOMPARE(Collation(QLocale::c()).order({"Sam", "abel", "Zed", "ABEL"}),
                 (QList<int>{3, 1, 0, 2}));
        QCOMPARE(English.order({"Sam", "Al", "Sam", "Al"}), (QList<int>{1, 3, 0, 2}));
        // Names already in order stay so; one pair out of order, even the last, is sorted.
        QCOMPARE(English.order({"AL", "Al", "al", "Bob", "bob", "Bob"}),
                 (QList<int>{0, 1, 2, 3, 5, 4}));
        QCOMPARE(English.order({"Al", "al", "Bob", "Bob", "Cy"}), (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(English.order({"Al", "Bob", "al"}), (QList<int>{0, 2, 1}));
        QCOMPARE(Collation(QLocale::c()).order({"ABEL", "abel", "Sam", "Zed"}),
                 (QList<int>{0, 1, 2, 3}));
        FriendsTable table = tableOf({{"Zed", "alpha"},
                                      {"carl", "twin-b"},
                                      {"Carl", "twin-a", true},
                                      {"amy", "zulu", true}});
        sortByKey(table, 1, English);
        QCOMPARE(column(table, DisplayName), (QStringList{"Zed", "Carl", "carl", "amy"}));
        sortByKey(table, 0, English);
        QCOMPARE(column(table, AccountName), (QStringList{"zulu", "twin-a", "twin-b", "alpha"}));
        sortOnlineFirst(table, 0, English);
        QCOMPARE(column(table, AccountName), (QStringList{"zulu", "twin-a", "twin-b", "alpha"}));
        table.setCell(4, Online, "1");
        sortOnlineFirst(table, 0, English);
        QCOMPARE(column(table, DisplayName), (QStringList{"amy", "Carl", "Zed", "carl"}));
    }

    void mainList_data()
    {
        addColumns<bool, LineFilter, QString, int>(
            {"scanStarted", "filter", "shown", "shownOnline"});
        addRow("separator before the offline", true, LineFilter{}, "Amy Bea Cid - Dan Eve Fay Gus",
               3);
        addRow("no scan yet: no separator", false, LineFilter{}, "Amy Bea Cid Dan Eve Fay Gus", 3);
        addRow("offline hidden", true, LineFilter{false, true}, "Amy Bea Cid", 3);
        addRow("only selected", true, LineFilter{true, false}, "Amy Cid - Eve Fay Gus", 2);
        addRow("both", true, LineFilter{true, true}, "Amy Cid", 2);
    }

    void mainList()
    {
        MainListSwitches switches;
        auto [scanStarted, filter] = fetch<bool, LineFilter>("scanStarted", "filter");
        switches.scanStarted = scanStarted;
        switches.filter = filter;
        const MainListContent content = buildMainList(threeOnFourOff(), switches);
        // Padded with empty lines to one more than the fewest rows.
        QCOMPARE(content.lines.size(), switches.minListLines + 1);
        QTEST(names(content.lines).join(u' ').trimmed(), "shown");
        QCOMPARE(content.onlineCount, 3);
        QTEST(int(content.shownOnlineCount), "shownOnline");
        QCOMPARE(buildMainList(FriendsTable{}, switches).lines.value(0), EmptyListLine);
    }

    // By the mode code (scan started, only selected, offline hidden), with 5 friends online, 3 of
    // them shown, 10 selected and 20 listed: the caption, the tooltip and the window caption.
    void title_everyMode()
    {
        const QString hide = " (Offline hide) |", only = "Friends only Online: 5";
        const QString selectedOnly = "Selected friends only Online: 3";
        const QStringList titles{
            "000 Friends: 20| Friends: 20 |Amiscan",
            "001 " + only + "| " + only + hide + "Amiscan",
            "010 Selected friends: 10/20| Selected friends: 10 of 20 |Amiscan",
            "011 " + selectedOnly + "/5| " + selectedOnly + " of 5" + hide + "Amiscan",
            "100 Friends Online: 5/20| Friends Online: 5 of 20 |Amiscan : 5",
            "101 " + only + "| " + only + hide + "Amiscan : 5",
            "110 Selected friends Online: 3/10  (5/20)| Selected friends Online: 3 of 10 ( All "
            "Online: 5 of 20) |Amiscan : 3",
            "111 " + selectedOnly + "/5| " + selectedOnly + " of 5" + hide + "Amiscan : 3"};
        for (const QString &title : titles) {
            const ListTitle t = listTitle(title[0] == u'1', title[1] == u'1', title[2] == u'1',
                                          ListCounters{5, 3, 10, 20});
            QCOMPARE(t.caption + u'|' + t.tooltip + u'|' + t.windowCaption, title.mid(4));
        }
    }

    // Line k of the management list belongs to the first row whose ManagePos holds k.
    void manageLinks()
    {
        FriendsTable table = threeOnFourOff();
        const QStringList positions{"3", "1", "x", "2", "3", "-1", "9"};
        for (int row = 1; row <= table.friendCount(); ++row)
            table.setCell(row, ManagePos, positions.at(row - 1));
        QCOMPARE(rowsOfManageLines(table, 4), (QList<int>{2, 4, 1, -1}));
        QCOMPARE(writeBackMarks(table, {false, true, true, false}), qint16(2));
        QCOMPARE(column(table, Unselected), (QStringList{"0", "1", "0", "0", "0", "0", "0"}));
        QCOMPARE(removeManagedFriend(table, 2), 1); // Bea, on line 1: the lines below move up
        QCOMPARE(column(table, ManagePos), (QStringList{"2", "x", "1", "2", "-1", "8"}));
        QCOMPARE(removeManagedFriend(table, 2), 0); // no line
        QCOMPARE(table.friendCount(), 5);
    }
};

QTEST_GUILESS_MAIN(TestFriendLines)
#include "test_friend_lines.moc"
