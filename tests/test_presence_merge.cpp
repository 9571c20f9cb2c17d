// The scan's pure steps: the friends page reader (both written forms, the names it substitutes,
// its reach and limits), and the presence merge with the stamps and lengths it writes.
#include "data_table.h"
#include "friend_rows.h"
#include "scan/page_reader.h"
#include "scan/presence_merge.h"
#include "scan_pages.h"
#include "store/clock.h"
#include "store/history_file.h"
#include "store/text_encoding.h"
#include "store/time_text.h"

#include <QTest>

using namespace amiscan;
using namespace amiscan::testing;
using friend_rows::column;

namespace {

const QString Mark = QStringLiteral("\u00B2");

QDateTime at(const QString &time)
{
    return QDateTime(QDate(2012, 10, 14),
                     QTime::fromString(time, time.size() > 5 ? "hh:mm:ss" : "hh:mm"));
}

// Session cells written shortly: "hh:mm" in a stamp's place is that time on the test's day,
// "_" an empty stamp, "=" an empty length; anything else stands for itself.
QStringList cells(const QString &text)
{
    QStringList cells = text.split(u'|');
    for (int i = 0; i < cells.size(); ++i) {
        const bool stamp = i % 3 != 2;
        if (cells[i] == "_" || cells[i] == "=")
            cells[i] = stamp ? EmptyStamp : EmptyLength;
        else if (stamp && cells[i].size() == 5)
            cells[i] = formatStamp(at(cells[i]));
    }
    return cells + QStringList{EmptyStamp, EmptyStamp, EmptyLength}.mid(cells.size() - 3);
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

const QString Tag = QStringLiteral("<li style=\"list-style:none;padding:5px\">");
const QString BrowserTag =
    QStringLiteral("<LI style=\"PADDING-RIGHT: 5px; PADDING-LEFT: 5px; PADDING-BOTTOM: 5px\">");

QString entry(const QString &text, const QString &userName, const QString &tag = Tag)
{
    return tag + text + "<small>(" + userName + ")</small></li>\n";
}

QList<FriendEntry> readPage(const QString &page, int route = 1)
{
    return readFriendsPage("<h2>Friends Online Now:</h2><ul>\n" + page, route);
}

QStringList read(const QString &page, int route = 1)
{
    return entryTexts(readPage(page, route));
}

// Each row as "display name|user name|mark|online".
QStringList rowNames(const FriendsTable &table)
{
    QStringList rows;
    for (int row = 1; row <= table.friendCount(); ++row)
        rows << QStringList{table.cell(row, DisplayName), table.cell(row, AccountName),
                            table.cell(row, NameMark), table.cell(row, Online)}
                    .join(u'|');
    return rows;
}

} // namespace

class TestPresenceMerge : public QObject
{
    Q_OBJECT

private slots:
    void eachFormIsReadOnlyByItsOwnRoute()
    {
        const QString direct = entry("Ann Lee", "ann.lee") + entry("Bob", "bob_1");
        const QString browser =
            entry("Ann Lee", "ann.lee", BrowserTag) + entry("Bob", "bob_1", BrowserTag);
        const QStringList both{"Ann Lee|ann.lee|", "Bob|bob_1|"};
        QCOMPARE(read(direct, 1), both);
        QCOMPARE(read(browser, 0), both);
        QCOMPARE(read(browser, 9), both);
        QVERIFY(read(direct, 0).isEmpty() && read(browser, 1).isEmpty() && read({}).isEmpty());
    }

    void names_data()
    {
        addColumns<QString, QStringList>({"page", "entries"});
        const auto row = [](const char *tag, const QString &page, const QStringList &entries) {
            addRow(tag, page, entries);
        };
        row("plain, blanks trimmed", entry("  Ann Lee 2 ", " ann.lee "), {"Ann Lee 2|ann.lee|"});
        row("two characters", entry("Al", "al"), {"Al|al|"});
        for (const char *odd : {"Jos\u00E9", "Dr. Who", "Ann-Lee", "Ann\nLee", "A", "", "   "})
            row(qPrintable(QString::fromUtf8(odd).toHtmlEscaped().replace(u'\n', u'/')),
                entry(QString::fromUtf8(odd), "u"), {"u|u|²"});
        row("no user name", entry("Ann Lee", ""), {"Ann Lee||"});
        row("nothing usable", entry("A", ""), {"unknown-1||²"});
        row("parentheses across a tag", entry("Ann Lee", "ann</small><small>lee"),
            {"Ann Lee|Ann Lee|"});
        row("user name kept raw", entry("Ann Lee", "a.b-c d"), {"Ann Lee|a.b-c d|"});
        const QString pad(60, u' ');
        row("no parentheses in reach",
            Tag + "Bob Smith</li>" + pad + Tag + "b.smith</li>" + pad + Tag + "</li>" + pad,
            {"Bob Smith|Bob Smith|", "b.smith|b.smith|²", "unknown-3||²"});
        // The "(" may stand at most 48 characters after the "<" that ends the text.
        row("48 to the parenthesis", Tag + "Ann<" + QString(47, u'x') + "(ann)</li>" + pad,
            {"Ann|ann|"});
        row("49 to the parenthesis", Tag + "Ann<" + QString(48, u'x') + "(ann)</li>" + pad,
            {"Ann|Ann|"});
        row("short entries at the end", Tag + "Al</li>" + Tag + "Bo</li>", {"Al|Al|", "Bo|Bo|"});
        // The next search starts ten characters after the entry's ")".
        row("next marker 10 on",
            Tag + "Ann<b>(ann)" + QString(9, u'x') + Tag.mid(11) + "Bob<i>(bob)</i>",
            {"Ann|ann|", "Bob|bob|"});
        row("next marker 9 on",
            Tag + "Ann<b>(ann)" + QString(8, u'x') + Tag.mid(11) + "Bob<i>(bob)</i>", {"Ann|ann|"});
        for (const QString &cut : {Tag.chopped(2), Tag + "Bob Day", Tag + "Bob Day<small>(bob"})
            row(qPrintable("cut: " + cut.right(12)), entry("Ann", "ann") + cut, {"Ann|ann|"});
        // Names as a browser shows them: character references decoded.
        row("named references", entry("Zo&amp;e", "zo&quot;e&lt;&apos;&eacute;&nbsp;&euro;"),
            {"zo\"e<'\u00E9\u00A0\u20AC|zo\"e<'\u00E9\u00A0\u20AC|²"});
        row("numeric references", entry("Ann&#32;Lee", "ann&#x2E;lee&#039;&#X1F600;"),
            {"Ann Lee|ann.lee'\U0001F600|"});
        row("no references", entry("Al", "a&bogus;&#;&#x;& b&"), {"Al|a&bogus;&#;&#x;& b&|"});
        row("numbers of no character", entry("Al", "&#0;&#1114112;&#xD800;&#150;&#x81;"),
            {"Al|\uFFFD\uFFFD\uFFFD\u2013|"});
        // Names on one line, as the history file keeps them.
        row("line breaks", entry("Ann Lee", "\r\n  john\r\ndoe\n\nx\ty"),
            {"Ann Lee|john doe x y|"});
        row("pretty-printed", Tag + "Ann Lee<br>\r\n<small>(\r\n  john.doe\r\n)</small></li>",
            {"Ann Lee|john.doe|"});
        row("break in the text", Tag + "Ann\r\nLee</li>", {"Ann Lee|Ann Lee|²"});
        // Nothing unseen in a name, nothing that turns the rest of a line around.
        row("controls and invisible characters",
            entry("Ann Lee", "ev\u202Eil\u200B\u2066\u200F\u0007\u00AD&#8238;1"),
            {"Ann Lee|evil1|"});
        row("only invisible characters", entry("\u200B\u200B", "&zwj;"), {"unknown-1||²"});
    }

    // Read, merged, kept in the history file and read back, a name is the same name: the page
    // read again finds each friend's row, still online.
    void names()
    {
        QFETCH(QString, page);
        QTEST(read(page), "entries");
        const QList<FriendEntry> entries = readPage(page);
        FriendsTable table;
        mergePresence(table, entries, at("10:00"));
        FriendsTable reread;
        history::parseText(decodeFileText(history::formatFile(table, {})), reread);
        QVERIFY(mergePresence(reread, entries, at("10:05")).isEmpty());
        QStringList rows = rowNames(table), rowsReread = rowNames(reread);
        rows.sort();
        rowsReread.sort();
        QCOMPARE(rowsReread, rows);
    }

    void atMostTwoHundredEntries()
    {
        QString page;
        for (int i = 1; i <= 250; ++i)
            page += i % 50
                        ? entry(QStringLiteral("Friend %1").arg(i), QStringLiteral("f.%1").arg(i))
                        : entry("?", "");
        const QStringList entries = read(page);
        QCOMPARE(entries.size(), MaxPageEntries);
        QCOMPARE(entries.at(49), QStringLiteral("unknown-50||²"));
        QCOMPARE(entries.last(), QStringLiteral("unknown-200||²"));
    }
    void stampsAndLengths()
    {
        QCOMPARE(formatStamp(QDateTime(QDate(2100, 1, 31), QTime(7, 3, 59))), "31/01/00 07:03");
        QCOMPARE(formatScanStamp(QDateTime(QDate(2012, 12, 5), QTime(14, 7))), "05/12 - 14:07");
        QCOMPARE(QStringList({formatLength(59), formatLength(24 * 60), formatLength(25 * 60 + 5),
                              formatLength(-1)}),
                 QStringList({"00:59", "00:00", "01:05", EmptyLength}));
        // Other separators some systems wrote, and blanks around.
        for (const char16_t *same : {u"03.04.12 10.00", u"03-04-12 10:00", u" 3/4/12 10:00  "})
            QCOMPARE(readStamp(same), readStamp(u"03/04/12 10:00"));
        for (const char16_t *bad :
             {u"", u".. .. .. .. ..", u"32/01/12 10:00", u"29/02/13 10:00", u"01/13/12 10:00",
              u"01/01/12 24:00", u"01/01/2012 10:00", u"01/01/12 10:00:30", u"01/01/12 1:0"})
            QVERIFY2(!readStamp(bad), qPrintable(QString::fromUtf16(bad)));
        QVERIFY(readStamp(u"29/02/12 10:00"));
    }

    void oneFriend_data()
    {
        // steppedFrom: the wall clock set since the scan at
        addColumns<QString, bool, QString, QString, bool, QString>(
            {"before", "listed", "time", "after", "cameOnline", "steppedFrom"});
        const auto row = [](const char *tag, const char *before, bool listed, const char *time,
                            const char *after, bool came = false, const char *steppedFrom = "") {
            addRow(tag, before, listed, time, after, came, steppedFrom);
        };
        row("back after 10 min: a new session", "08:00|09:00|01:00|07:00|07:30|00:30", true,
            "09:10:00", "09:10|_|=|08:00|09:00|01:00", true);
        row("back within 10 min: resumed", "08:00|09:00|01:00|07:00|07:30|00:30", true, "09:09:59",
            "08:00|_|=|07:00|07:30|00:30");
        row("clock set back: a new session", "08:00|09:00|01:00", true, "08:00",
            "08:00|_|=|08:00|09:00|01:00", true);
        row("starts after now, online: ends at its start", "11:00|_|=", true, "10:00",
            "10:00|_|=|11:00|11:00|=", true);
        row("clock stepped: ends at the last good scan", "09:00|_|=", true, "10:30",
            "10:30|_|=|09:00|09:50|00:50", true, "09:50");
        row("clock stepped: no resumption", "08:00|09:00|01:00", true, "09:05",
            "09:05|_|=|08:00|09:00|01:00", true, "09:00");
        row("end of summer time, offline", "02:30|_|=", false, "02:05", "02:30|02:57|00:27", false,
            "02:57");
        row("unreadable end: a new session", "09:00|14/1x/12 09:59|00:59", true, "10:00",
            "10:00|_|=|09:00|14/1x/12 09:59|00:59", true);
        row("still online", "09:00|_|=", true, "10:00", "09:00|_|=");
        row("gone: ends once", "09:15|_|00:07", false, "10:00:40", "09:15|10:00|00:45");
        row("gone in the same minute", "10:00|_|=", false, "10:00:40", "10:00|10:00|=");
        row("over a day", "13/10/12 08:00|_|=", false, "10:00", "13/10/12 08:00|10:00|02:00");
        row("starts after now: ends at its start", "11:00|_|00:07", false, "10:00",
            "11:00|11:00|00:07");
        row("unreadable start keeps", "someday|_|00:07", false, "10:00", "someday|10:00|00:07");
        row("never started", "_|_|=", false, "10:00", "_|10:00|=");
        row("ended stays", "08:00|09:00|01:00", false, "10:00", "08:00|09:00|01:00");
        row("2nd session's length", "09:00|09:30|00:30|07:00|08:10|=", false, "10:00",
            "09:00|09:30|00:30|07:00|08:10|01:10");
        row("2nd session reversed", "09:00|09:30|00:30|08:10|07:00|=", false, "10:00",
            "09:00|09:30|00:30|08:10|07:00|=");
    }

    void oneFriend()
    {
        auto [before, listed, time, steppedFrom, after] =
            fetch<QString, bool, QString, QString, QString>("before", "listed", "time",
                                                            "steppedFrom", "after");
        FriendsTable table;
        const QStringList c = cells(before);
        friend_rows::add(table,
                         {"ANN", "ann", false, true, {}, c[0], c[1], c[2], c[3], c[4], c[5]});
        // The previous scan, then the wall clock set, or time passing, until this one.
        ClockStepWatch watch;
        Clock::set(at(steppedFrom.isEmpty() ? "07:00" : steppedFrom));
        watch.stepSince(Clock::now(), Clock::steadyMs());
        steppedFrom.isEmpty() ? Clock::set(at(time)) : Clock::step(at(time));
        const QDateTime step = watch.stepSince(Clock::now(), Clock::steadyMs());
        Clock::set({});
        QCOMPARE(step, steppedFrom.isEmpty() ? QDateTime() : at(steppedFrom));
        const QList<int> cameOnline =
            mergePresence(table, page({listed ? "ann" : "bob"}), at(time), step);
        QCOMPARE(sessions(table, 1), cells(after));
        QTEST(cameOnline.contains(1), "cameOnline");
        QCOMPARE(table.cell(1, Online), QString::number(listed));
    }

    // The history reader marks the lengths its stamps confirm; a wrong one is still mended.
    void markedLengths_wrongOnesStillMended()
    {
        FriendsTable table;
        for (const char *length : {"01:30", "00:05"}) {
            friend_rows::Friend f{"A", "a"};
            f.start1 = "01/02/26 10:00", f.end1 = "01/02/26 11:30", f.length1 = length;
            friend_rows::add(table, f);
        }
        markCurrentLengths(table);
        QVERIFY(table.isLengthCurrent(1, Session::First) &&
                !table.isLengthCurrent(2, Session::First));
        QCOMPARE(table.cell(2, Length1), QStringLiteral("00:05"));
        mergePresence(table, page({"c"}), QDateTime(QDate(2026, 2, 1), QTime(12, 0)));
        QCOMPARE(column(table, Length1).mid(0, 2), (QStringList{"01:30", "01:30"}));
    }

    // New friends get a full row and came online, except in the first scan of an empty history.
    void newFriends()
    {
        FriendsTable table;
        QVERIFY(mergePresence(table, page({"old"}), at("09:00")).isEmpty());
        QCOMPARE(mergePresence(table, {{"a.b", "a.b", Mark}}, at("09:05:30")), QList<int>{2});
        QStringList row;
        for (int column = 0; column < ColumnCount; ++column)
            row << table.cell(2, column);
        const QStringList expected = QStringList{"", "a.b"} + cells("09:05|_|=") +
                                     QStringList{Mark, "-1", "1", "0", "a.b", "", "", ""};
        QCOMPARE(row, expected);
        QCOMPARE(column(table, Online), (QStringList{"0", "1"}));
        // An empty page changes only the online flags.
        const FriendsTable before = table;
        QVERIFY(mergePresence(table, {}, at("10:00")).isEmpty());
        QCOMPARE(sessions(table, 2), sessions(before, 2));
        QCOMPARE(column(table, Online), (QStringList{"0", "0"}));
    }

    // Names shared by several entries or rows: the user name finds the rows and the last entry
    // names them, mark included. Only a row without a user name of its own (read from the older
    // layout) takes one by its display name, and a user name goes to one row at most.
    void sharedNames_data()
    {
        // Rows and entries "display name|user name|mark"; after: rows and "|online".
        addColumns<QStringList, QStringList, QStringList>({"rows", "entries", "after"});
        addRow("user names lead", QStringList{"One|ann", "Two|ann", "Sam|sam.old", "Cy|cy"},
               QStringList{"First|ann", "Sam|sam.a", "Sam|sam.b", "Bo|cy", "Bo|bo", "Ann Lee|ann"},
               QStringList{"Ann Lee|ann||1", "Ann Lee|ann||1", "Sam|sam.old||0", "Bo|cy||1",
                           "Sam|sam.a||1", "Sam|sam.b||1", "Bo|bo||1"});
        addRow("namesakes online", QStringList{"Sam Taylor|sam.taylor", "Sam Taylor|sam.taylor2"},
               QStringList{"Sam Taylor|sam.taylor", "Sam Taylor|sam.taylor2"},
               QStringList{"Sam Taylor|sam.taylor||1", "Sam Taylor|sam.taylor2||1"});
        addRow("one namesake online",
               QStringList{"Sam Taylor|sam.taylor", "Sam Taylor|sam.taylor2"},
               QStringList{"Sam Taylor|sam.taylor2"},
               QStringList{"Sam Taylor|sam.taylor||0", "Sam Taylor|sam.taylor2||1"});
        addRow("older layout: one user name each", QStringList{"Sam|Sam", "Sam|Sam", "Al|Al"},
               QStringList{"Sam|sam.a", "Sam|sam.b", "Al|al|²"},
               QStringList{"Sam|sam.a||1", "Sam|sam.b||1", "Al|al|²|1"});
        addRow("older layout: user name held", QStringList{"Sam|Sam", "Sam|sam.a"},
               QStringList{"Sam|sam.a"}, QStringList{"Sam|Sam||0", "Sam|sam.a||1"});
        addRow("mark follows a usable name", QStringList{"ann.lee|ann.lee|²"},
               QStringList{"Ann Lee|ann.lee"}, QStringList{"Ann Lee|ann.lee||1"});
        addRow("mark follows an unusable one", QStringList{"Ann Lee|ann.lee"},
               QStringList{"ann.lee|ann.lee|²"}, QStringList{"ann.lee|ann.lee|²|1"});
        // An entry without a user name matches the empty row 0 when the table holds friends.
        addRow("no user name", QStringList{"Cy|cy"}, QStringList{"unknown-1||²"},
               QStringList{"Cy|cy||0"});
    }
    void sharedNames()
    {
        auto [rows, entries] = fetch<QStringList, QStringList>("rows", "entries");
        FriendsTable table;
        for (const QString &row : rows) {
            const QStringList names = row.split(u'|');
            friend_rows::add(table, {names.at(0), names.at(1), false, true, names.value(2)});
        }
        QList<FriendEntry> listed;
        for (const QString &entry : entries) {
            const QStringList names = entry.split(u'|');
            listed.append({names.at(0), names.at(1), names.value(2)});
        }
        FriendsTable everyRow = table;
        mergePresence(table, listed, at("10:00"));
        mergePresenceEveryRow(everyRow, listed, at("10:00"));
        QTEST(rowNames(table), "after");
        QCOMPARE(friend_rows::cells(everyRow), friend_rows::cells(table));
        // A full table takes no more.
        for (int i = table.friendCount(); i < MaxFriends; ++i)
            table.appendFriend();
        mergePresence(table, page({"new.one"}), at("10:05"));
        QCOMPARE(table.friendCount(), MaxFriends);
    }
};

QTEST_APPLESS_MAIN(TestPresenceMerge)
#include "test_presence_merge.moc"
