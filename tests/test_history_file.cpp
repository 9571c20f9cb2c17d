// The history file's byte layout, its reading (also of older and damaged files), its encoding
// and its safe replacement.
#include "file_faults.h"
#include "store/history_file.h"
#include "store/safe_file.h"
#include "store/text_encoding.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

const QString Open = QStringLiteral(".. .. .. .. ..");
const QString NoLength = QStringLiteral(".. ..");
const QString Mark = QStringLiteral("\u00B2");

struct Friend
{
    Friend(const QString &display, const QString &account, const QString &nameMark = {})
        : displayName(display), accountName(account), mark(nameMark)
    {
    }
    QString displayName;
    QString accountName;
    QString mark;
    QString unselected = QStringLiteral("0");
    QStringList sessions{QStringLiteral("14/10/12 20:15"), Open, NoLength, Open, Open, NoLength};
};

FriendsTable tableOf(const QList<Friend> &friends)
{
    FriendsTable table;
    for (const Friend &f : friends) {
        const int row = table.appendFriend();
        table.setCell(row, DisplayName, f.displayName);
        for (int i = 0; i < 6; ++i)
            table.setCell(row, Start1 + i, f.sessions.at(i));
        table.setCell(row, NameMark, f.mark);
        table.setCell(row, ManagePos, QString::number(row * 3));
        table.setCell(row, Online, QStringLiteral("1"));
        table.setCell(row, Unselected, f.unselected);
        table.setCell(row, AccountName, f.accountName);
    }
    return table;
}

// The two friends of the documented example.
FriendsTable exampleTable()
{
    Friend first{QStringLiteral("Example Friend Name"), QStringLiteral("exampleuser")};
    first.unselected = QStringLiteral("1");
    first.sessions = QStringList{QStringLiteral("14/10/12 20:15"),
                                 Open,
                                 NoLength,
                                 QStringLiteral("13/10/12 18:02"),
                                 QStringLiteral("13/10/12 19:47"),
                                 QStringLiteral("01:45")};
    Friend second{QStringLiteral("usertwo"), QStringLiteral("usertwo"), Mark};
    second.sessions = QStringList{QStringLiteral("12/10/12 09:30"),
                                  QStringLiteral("12/10/12 11:05"),
                                  QStringLiteral("01:35"),
                                  Open,
                                  Open,
                                  NoLength};
    // Table order opposite to the file's order: the file is sorted by display name.
    return tableOf({second, first});
}

const QByteArray ExampleFile =
    "Friends (2)         :     Start      -      End       - Length:     Start      -      End"
    "       - Length: F : User Name (14/10 - 21:05)\r\n"
    "--------------------+-----------------------------------------+---------------------------"
    "--------------+---+--------------------------\r\n"
    "Example Friend Name : 14/10/12 20:15 - .. .. .. .. .. > .. .. : 13/10/12 18:02 - 13/10/12 "
    "19:47 > 01:45 : X : exampleuser\r\n"
    "usertwo\xB2            : 12/10/12 09:30 - 12/10/12 11:05 > 01:35 : .. .. .. .. .. - .. .. .."
    " .. .. > .. .. : - : usertwo\r\n";

// Columns that survive a write and a read: all but ManagePos and Online.
QList<QStringList> keptCells(const FriendsTable &table)
{
    QList<QStringList> rows;
    for (int row = 1; row <= table.friendCount(); ++row) {
        QStringList cells;
        for (int column : {DisplayName, Start1, End1, Length1, Start2, End2, Length2, NameMark,
                           Unselected, AccountName})
            cells << table.cell(row, column);
        rows << cells;
    }
    return rows;
}

FriendsTable readBack(const QByteArray &bytes, history::ReadResult *result = nullptr)
{
    FriendsTable table;
    const history::ReadResult r = history::parseText(decodeFileText(bytes), table);
    if (result)
        *result = r;
    return table;
}

QList<QStringList> sortedRows(const FriendsTable &table)
{
    QList<QStringList> rows = keptCells(table);
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Read, write, read gives the same table; written again, the same bytes.
void checkReadsBackAsWritten(const QByteArray &file)
{
    history::ReadResult first;
    const FriendsTable read = readBack(file, &first);
    const QByteArray written = history::formatFile(read, first.lastScanStamp);
    history::ReadResult second;
    const FriendsTable reread = readBack(written, &second);
    QCOMPARE(sortedRows(reread), sortedRows(read));
    QCOMPARE(second.lastScanStamp, first.lastScanStamp);
    QCOMPARE(history::formatFile(reread, second.lastScanStamp), written);
}

// The header of a file written for names shorter than 17 characters, and the older layout's.
const QByteArray Header17 = "Friends (1)      :     Start      -      End       - Length:     Start"
                            "      -      End       - Length: F : User Name\r\n"
                            "-----------------+-----------------------------------------+--------"
                            "---------------------------------+---+--------------------------\r\n";
const QByteArray OlderHeader17 = "Friends (1)      :     Start      -      End       - Length:    "
                                 " Start      -      End       - Length\r\n-----\r\n";
const QByteArray Sessions = "14/10/12 20:15 - .. .. .. .. .. > .. .. : .. .. .. .. .. - .. .. .."
                            " .. .. > .. ..";

} // namespace

class TestHistoryFile : public QObject
{
    Q_OBJECT

private slots:
    void example_isWrittenByteForByte()
    {
        const QByteArray bytes =
            history::formatFile(exampleTable(), QStringLiteral("14/10 - 21:05"));
        QCOMPARE(bytes, ExampleFile);
    }

    void separators_standUnderTheHeader()
    {
        const QStringList lines =
            history::formatLines(exampleTable(), QStringLiteral("14/10 - 21:05"));
        const int w = 20;
        for (int pos : {w + 1, w + 43, w + 85, w + 89})
            QCOMPARE(lines.at(0).at(pos - 1), u':');
        for (int pos : {w + 18, w + 35, w + 60, w + 77})
            QCOMPARE(lines.at(0).at(pos - 1), u'-');
        for (int pos : {w + 1, w + 43, w + 85, w + 89})
            QCOMPARE(lines.at(1).at(pos - 1), u'+');
        for (int i = 2; i < 4; ++i) {
            const QString &line = lines.at(i);
            for (int pos : {w + 1, w + 43, w + 85, w + 89})
                QCOMPARE(line.at(pos - 1), u':');
            for (int pos : {w + 18, w + 60})
                QCOMPARE(line.at(pos - 1), u'-');
            for (int pos : {w + 35, w + 77})
                QCOMPARE(line.at(pos - 1), u'>');
        }
    }

    void nameWidth_followsTheLongestNameWithAFloorOf17()
    {
        // A name of 19 characters: W = 20, the count header padded to 20.
        QStringList lines = history::formatLines(
            tableOf({{QStringLiteral("Nineteen characters"), QStringLiteral("a")}}), {});
        QCOMPARE(lines.at(0).left(21), QStringLiteral("Friends (1)         :"));
        QCOMPARE(lines.at(1).indexOf(u'+'), 20);
        QCOMPARE(lines.at(2).left(22), QStringLiteral("Nineteen characters : "));

        // Short names: the name column keeps 17 characters, its ":" at position 18.
        lines = history::formatLines(tableOf({{QStringLiteral("Bo"), QStringLiteral("bo")}}), {});
        QCOMPARE(lines.at(0).indexOf(u':'), 17);
        QCOMPARE(lines.at(2).indexOf(u':'), 17);
        QCOMPARE(lines.at(1).indexOf(u'+'), 17);

        // A marked name that is the longest still fits.
        lines = history::formatLines(
            tableOf({{QStringLiteral("A name of twenty ch."), QStringLiteral("x"), Mark}}), {});
        QCOMPARE(lines.at(2).left(22), QStringLiteral("A name of twenty ch.\u00B2:"));
    }

    void emptyTable_writesTheTwoHeaderLines()
    {
        const QByteArray bytes = history::formatFile(FriendsTable{}, {});
        QCOMPARE(bytes.count("\r\n"), 2);
        QVERIFY(bytes.startsWith("Friends (0)      :     Start"));
        QVERIFY(bytes.contains("User Name\r\n"));
        history::ReadResult result;
        QCOMPARE(readBack(bytes, &result).friendCount(), 0);
        QVERIFY(result.intact);
        QVERIFY(result.lastScanStamp.isEmpty());
    }

    void equalDisplayNames_areEachWrittenOnceInTableOrder()
    {
        const FriendsTable table = tableOf({{QStringLiteral("Sam"), QStringLiteral("sam.two")},
                                            {QStringLiteral("abel"), QStringLiteral("abel")},
                                            {QStringLiteral("Sam"), QStringLiteral("sam.one")}});
        const QStringList lines =
            history::formatLines(table, {}, Collation(QLocale(QLocale::English)));
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines.at(2).endsWith(u": abel"));
        QVERIFY(lines.at(3).endsWith(u": sam.two"));
        QVERIFY(lines.at(4).endsWith(u": sam.one"));
    }

    void writeThenRead_givesBackTheKeptColumns()
    {
        Friend marked{QStringLiteral("holder"), QStringLiteral("holder"), Mark};
        Friend blanks{QStringLiteral("Anne  Marie de la Tour"), QStringLiteral("anne.marie")};
        blanks.unselected = QStringLiteral("1");
        blanks.sessions =
            QStringList{QStringLiteral("01/02/13 03:04"), QStringLiteral("01/02/13 05:06"),
                        QStringLiteral("02:02"),          QStringLiteral("31/12/12 23:00"),
                        QStringLiteral("01/01/13 00:30"), QStringLiteral("01:30")};
        Friend longName{QString(120, u'L'), QStringLiteral("long")};
        Friend same1{QStringLiteral("Twin"), QStringLiteral("twin.1")};
        Friend same2{QStringLiteral("Twin"), QStringLiteral("twin.2")};
        Friend colon{QStringLiteral("Odd: name (x)"), QStringLiteral("odd")};
        // Only blanks are trimmed: other spaces belong to the names.
        Friend spaces{QStringLiteral("\tTab\u3000"), QStringLiteral("nbsp\u00A0\t")};
        const FriendsTable table = tableOf({marked, blanks, longName, same1, same2, colon, spaces});

        history::ReadResult result;
        const FriendsTable back =
            readBack(history::formatFile(table, QStringLiteral("01/02 - 03:04")), &result);
        QVERIFY(result.intact);
        QCOMPARE(result.lastScanStamp, QStringLiteral("01/02 - 03:04"));

        // Rows come back in the file's order; compare as sets of rows.
        QList<QStringList> expected = keptCells(table);
        QList<QStringList> actual = keptCells(back);
        std::sort(expected.begin(), expected.end());
        std::sort(actual.begin(), actual.end());
        QCOMPARE(actual, expected);
        for (int row = 1; row <= back.friendCount(); ++row) {
            QCOMPARE(back.cell(row, ManagePos), QStringLiteral("-1"));
            QCOMPARE(back.cell(row, Online), QStringLiteral("0"));
        }
    }

    void nonLatinNames_makeTheWholeFileUtf8()
    {
        const FriendsTable table =
            tableOf({{QStringLiteral("Ёлка"), QStringLiteral("ёлка")},
                     {QStringLiteral("holder"), QStringLiteral("holder"), Mark},
                     {QStringLiteral("Zoë"), QStringLiteral("\U0001F600smile")}});
        const QByteArray bytes = history::formatFile(table, {});
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"
                                 "Friends (3)"));
        QVERIFY(bytes.contains("\xC2\xB2"));    // "²" in UTF-8
        QVERIFY(!bytes.contains("holder\xB2")); // not in Windows-1252
        QVERIFY(bytes.contains("\xF0\x9F\x98\x80smile"));
        const FriendsTable back = readBack(bytes);
        QCOMPARE(back.findByAccountName(QStringLiteral("ёлка")) > 0, true);
        const int zoe = back.findByAccountName(QStringLiteral("\U0001F600smile"));
        QVERIFY(zoe > 0);
        QCOMPARE(back.cell(zoe, DisplayName), QStringLiteral("Zoë"));
        const int holder = back.findByAccountName(QStringLiteral("holder"));
        QCOMPARE(back.cell(holder, NameMark), Mark);
    }

    void windows1252File_keepsEveryByteOfItsNames()
    {
        // Latin names are written in Windows-1252: "é" is E9, "€" is 80, "²" is B2. A name whose
        // bytes happen to form UTF-8 ("JosÃ©" is "José" in UTF-8) stays as it is.
        const FriendsTable table =
            tableOf({{QStringLiteral("José €uro"), QStringLiteral("jose"), Mark}});
        QVERIFY(history::formatFile(table, {}).contains("Jos\xE9 \x80uro\xB2"));
        const FriendsTable utf8Like = tableOf({{QStringLiteral("JosÃ©"), QStringLiteral("josÃ©")}});
        QVERIFY(history::formatFile(utf8Like, {}).contains(": jos\xC3\xA9\r\n"));
        for (const FriendsTable &t : {table, utf8Like})
            QCOMPARE(sortedRows(readBack(history::formatFile(t, {}))), sortedRows(t));
    }

    void olderLayout_isReadWithTheDotAsUnselected()
    {
        // Lines end after the 2nd session's length; no "F" and "User Name" columns.
        const QByteArray file =
            "Friends (2)         :     Start      -      End       - Length:     Start      -   "
            "   End       - Length (14/10 - 21:05)\r\n"
            "--------------------+-----------------------------------------+-------------------"
            "----------------------\r\n"
            "\r\n"
            "Hidden Friend       . 14/10/12 20:15 - 14/10/12 20:45 > 00:30 : .. .. .. .. .. - .."
            " .. .. .. .. > .. ..\r\n"
            "shown\xB2              : 12/10/12 09:30 - .. .. .. .. .. > .. .. : .. .. .. .. .. -"
            " .. .. .. .. .. > .. ..\r\n";
        history::ReadResult result;
        const FriendsTable back = readBack(file, &result);
        QCOMPARE(back.friendCount(), 2);
        QCOMPARE(result.lastScanStamp, QStringLiteral("14/10 - 21:05"));
        QCOMPARE(back.cell(1, DisplayName), QStringLiteral("Hidden Friend"));
        QCOMPARE(back.cell(1, AccountName), QStringLiteral("Hidden Friend"));
        QCOMPARE(back.cell(1, Unselected), QStringLiteral("1"));
        QCOMPARE(back.cell(1, End1), QStringLiteral("14/10/12 20:45"));
        QCOMPARE(back.cell(1, Length1), QStringLiteral("00:30"));
        QCOMPARE(back.cell(1, Length2), NoLength);
        QCOMPARE(back.cell(2, DisplayName), QStringLiteral("shown"));
        QCOMPARE(back.cell(2, NameMark), Mark);
        QCOMPARE(back.cell(2, AccountName), QStringLiteral("shown"));
        QCOMPARE(back.cell(2, Unselected), QStringLiteral("0"));
        QCOMPARE(back.cell(2, End1), Open);
    }

    void narrowHeaderOfAnOlderVersion_isReadFromItsFirstColon()
    {
        // W = 12: the name column's ":" at position 13, before position 18.
        const QByteArray file =
            "Friends (1) :     Start      -      End       - Length:     Start      -      End  "
            "     - Length: F : User Name\r\n"
            "------------+-----------------------------------------+----------------------------"
            "-------------+---+--------------------------\r\n"
            "Al          : 14/10/12 20:15 - 14/10/12 20:45 > 00:30 : 13/10/12 10:00 - 13/10/12 11:"
            "00 > 01:00 : X : al.b\r\n";
        const FriendsTable back = readBack(file);
        QCOMPARE(back.friendCount(), 1);
        QCOMPARE(keptCells(back).at(0),
                 (QStringList{"Al", "14/10/12 20:15", "14/10/12 20:45", "00:30", "13/10/12 10:00",
                              "13/10/12 11:00", "01:00", "", "1", "al.b"}));
    }

    void selectionMark_onlyAnExactXIsUnselected()
    {
        QByteArray file = ExampleFile;
        file.replace(" : X : exampleuser", " : x : exampleuser");
        QCOMPARE(readBack(file).cell(1, Unselected), QStringLiteral("0"));
        QCOMPARE(readBack(ExampleFile).cell(1, Unselected), QStringLiteral("1"));
    }

    void damagedLines_giveEmptyCellsAndStillBecomeFriends()
    {
        QByteArray file = ExampleFile;
        file += "\r\n   \r\nShort One           : 01/01/13 10:00 - 01/01/1\r\nNoSeparators\n";
        history::ReadResult result;
        const FriendsTable back = readBack(file, &result);
        QVERIFY(result.intact);
        QCOMPARE(back.friendCount(), 4); // blank lines are skipped
        QCOMPARE(back.cell(3, DisplayName), QStringLiteral("Short One"));
        QCOMPARE(back.cell(3, Start1), QStringLiteral("01/01/13 10:00"));
        QCOMPARE(back.cell(3, End1), QStringLiteral("01/01/1"));
        QCOMPARE(back.cell(3, Length1), QString());
        QCOMPARE(back.cell(3, Start2), QString());
        QCOMPARE(back.cell(3, AccountName), QStringLiteral("Short One"));
        QCOMPARE(back.cell(4, DisplayName), QStringLiteral("NoSeparators"));
        QCOMPARE(back.cell(4, End2), QString());
        // Written again, the empty cells keep every later column in place.
        checkReadsBackAsWritten(file);
    }

    void notIntact_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("friends");
        QTest::addColumn<bool>("intact");
        QByteArray damaged = ExampleFile;
        damaged.replace(0, damaged.indexOf("\r\n"), "Friends of mine");
        QTest::newRow("damaged header") << damaged << 2 << false;
        // More friends than the table holds: a save would lose the rest.
        const QByteArray line = "f : " + Sessions + " : - : f\r\n";
        QTest::newRow("as many friends as the table holds")
            << Header17 + line.repeated(MaxFriends) << MaxFriends << true;
        QTest::newRow("more friends than the table holds")
            << Header17 + line.repeated(MaxFriends + 1) << MaxFriends << false;
    }

    void notIntact()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, friends);
        QFETCH(bool, intact);
        history::ReadResult result;
        QCOMPARE(readBack(file, &result).friendCount(), friends);
        QCOMPARE(result.intact, intact);
    }

    void stamp_needsBothParenthesesAfterTheNameColumn()
    {
        QByteArray file = ExampleFile;
        file.replace("User Name (14/10 - 21:05)", "User Name (14/10 - 21:05");
        history::ReadResult result;
        readBack(file, &result);
        QVERIFY(result.lastScanStamp.isEmpty());
    }

    void lineEnds_lfAndCrAloneAlsoEndLines()
    {
        QByteArray lf = ExampleFile;
        lf.replace("\r\n", "\n");
        QCOMPARE(keptCells(readBack(lf)), keptCells(readBack(ExampleFile)));
        QByteArray cr = ExampleFile;
        cr.replace("\r\n", "\r");
        QCOMPARE(keptCells(readBack(cr)), keptCells(readBack(ExampleFile)));
    }

    void lineBreakInAName_doesNotSplitTheFriend()
    {
        const FriendsTable table =
            tableOf({{QStringLiteral("Two\r\nLines"), QStringLiteral("two\nlines")}});
        const FriendsTable back = readBack(history::formatFile(table, {}));
        QCOMPARE(back.friendCount(), 1);
        QCOMPARE(back.cell(1, DisplayName), QStringLiteral("Two  Lines"));
        QCOMPARE(back.cell(1, AccountName), QStringLiteral("two lines"));
    }

    void driftingLines_readTheSameAtEverySave_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("account");
        QTest::newRow("start one character too wide")
            << Header17 + "Ann              :x14/10/12 20:15 - .. .. .. .. .. > .. .. : .. .. .. "
                          ".. .. - .. .. .. .. .. > .. .. : - : ann\r\n"
            << Open << "ann";
        QTest::newRow("older layout, a blank before the mark")
            << OlderHeader17 + "bob \xB2            : " + Sessions + "\r\n"
            << "14/10/12 20:15"
            << "bob";
    }

    void driftingLines_readTheSameAtEverySave()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, start);
        QFETCH(QString, account);
        const FriendsTable table = readBack(file);
        QCOMPARE(keptCells(table).at(0).mid(1, 3), (QStringList{start, Open, NoLength}));
        QCOMPARE(table.cell(1, AccountName), account);
        checkReadsBackAsWritten(file);
    }

    void damagedFiles_readBackAsWritten_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray mark = "\xEF\xBB\xBF";
        const auto row = [](const char *name, const QByteArray &file) {
            QTest::newRow(name) << file;
        };
        row("cells too wide", Header17 +
                                  "Al               :x14/10/12 20:15x- .. .. .. .. ..x> ..:..x"
                                  ": 1 - 2 > 123456 : X : al\r\n");
        row("cells with blanks and other spaces",
            Header17 + "\xA0"
                       "Al\t            :\t14/10/12\xA0    - \t              >\t\t   "
                       "  :  x  \r\n");
        row("older layout with marks",
            OlderHeader17 + "a\xB2 \xB2\xB2 \xB2    . " + Sessions + "\r\n \xB2\r\n");
        row("1252 that looks like UTF-8",
            Header17 + "\xC3\xA9 \xD0\x96\xC2\xB2 : " + Sessions + " : - : \xEF\xBB\xBF\r\n");
        row("UTF-8, a character cut by the columns",
            mark + Header17 + "0123456789abcdef\xF0\x9F\x98\x80" + Sessions + " : - :\r\n");
        row("UTF-8, damaged", mark + Header17 + "\xC3(\xF0\x9F : " + Sessions + " : - : \xFF\r\n");
        row("header without columns", "no columns\r\n\r\nname \xB2 x : y\r\n");
        row("wide header", "Friends (1)         :       Start      -          End       -  Len :"
                           "   Start     -    End   - L : F : User Name (a(b) c)\r\n-\r\n" +
                               QByteArray(200, 'x') + "\r\nshort\r\n");
        row("parentheses in the stamp", Header17.left(Header17.indexOf("\r\n")) + " )(a(b)\r\n");
        row("unselected marks",
            Header17 + "a : " + Sessions + " :X: a\r\nb : " + Sessions + " :  X  :\r\n");
    }

    void damagedFiles_readBackAsWritten()
    {
        QFETCH(QByteArray, file);
        checkReadsBackAsWritten(file);
    }

    // Tables of any cells, written and then damaged at random, read back as they were written.
    void generatedFiles_readBackAsWritten()
    {
        // Single units (halves of the smiley included) and whole cells.
        const QStringList pieces = QStringLiteral("aZ \t\u00A0\u00B2:-.X()éЖ\r\n\U0001F600")
                                       .split(QString(), Qt::SkipEmptyParts) +
                                   QStringList{"14/10/12 20:15", Open, NoLength, "\U0001F600"};
        const QByteArray bytes = "\xB2\xC3\xA9\xEF\xBB\xBF\x80 :-.()X\r\n\xF0";
        QRandomGenerator random(2212);
        const auto text = [&](int most) {
            QString t;
            for (int n = int(random.bounded(most + 1)); n > 0; --n)
                t += pieces.at(random.bounded(int(pieces.size())));
            return t;
        };
        for (int i = 0; i < 300; ++i) {
            FriendsTable table;
            for (int n = int(random.bounded(4)); n > 0; --n) {
                const int row = table.appendFriend();
                for (int column = DisplayName; column <= AccountName; ++column)
                    table.setCell(row, column, text(6));
                table.setCell(row, NameMark, random.bounded(2) ? Mark : QString());
                table.setCell(row, Unselected, random.bounded(2) ? "1" : "0");
            }
            QByteArray file = history::formatFile(table, text(3));
            checkReadsBackAsWritten(file);
            for (int n = int(random.bounded(4)); n > 0; --n) {
                const auto at = qsizetype(random.bounded(int(file.size())));
                if (random.bounded(2))
                    file.remove(at, random.bounded(3));
                else
                    file.insert(at, bytes.at(random.bounded(int(bytes.size()))));
            }
            checkReadsBackAsWritten(file);
            if (QTest::currentTestFailed()) {
                qWarning() << "file:" << file.toHex(' ');
                return;
            }
        }
    }

    void writeFile_replacesTheWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.txt"));
        QVERIFY(writeBytes(path, QByteArray(5000, 'z')));
        QVERIFY(history::writeFile(path, exampleTable(), QStringLiteral("14/10 - 21:05")));
        QCOMPARE(fileBytes(path), ExampleFile);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Amiscan.txt"});
    }

    void failedWrite_leavesTheOldFileWhole_data()
    {
        QTest::addColumn<int>("friends");
        QTest::addColumn<int>("sizeLimit");
        QTest::newRow("large") << 2000 << 1024;
        QTest::newRow("small") << 2 << 200;
    }

    void failedWrite_leavesTheOldFileWhole()
    {
        QFETCH(int, friends);
        QFETCH(int, sizeLimit);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.txt"));
        QVERIFY(writeBytes(path, "old"));
        FriendsTable table;
        for (int i = 0; i < friends; ++i)
            table.setCell(table.appendFriend(), DisplayName, QStringLiteral("Friend %1").arg(i));
        bool written = true;
        {
            FileSizeLimit fullDisk{rlim_t(sizeLimit)};
            QVERIFY(fullDisk.active());
            written = history::writeFile(path, table, {});
        }
        QVERIFY(!written);
        QCOMPARE(fileBytes(path), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Amiscan.txt"});
    }

    void unreadableFile_isNotIntact()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.txt"));
        QVERIFY(makeUnreadableEntry(path));
        QVERIFY(fileExists(path));
        FriendsTable table;
        QVERIFY(!history::readFile(path, table).intact);
        QCOMPARE(table.friendCount(), 0);
    }

    void fileExists_answersOnlyForEntriesThatAreNoDirectory()
    {
        QTemporaryDir dir;
        QVERIFY(!fileExists(dir.path()));
        QVERIFY(!fileExists(dir.filePath(QStringLiteral("missing"))));
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("f")), "x"));
        QVERIFY(fileExists(dir.filePath(QStringLiteral("f"))));
    }

    void keepFileAside_movesToAFreeNameBeside()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.txt"));
        QVERIFY(writeBytes(path, "first"));
        const QString one = keepFileAside(path, QStringLiteral("unreadable"));
        QVERIFY(writeBytes(path, "second"));
        const QString two = keepFileAside(path, QStringLiteral("unreadable"));
        QVERIFY(!one.isEmpty() && !two.isEmpty() && one != two);
        QVERIFY(!fileExists(path));
        QCOMPARE(QFileInfo(one).dir(), QDir(dir.path()));
        QVERIFY(QFileInfo(one).fileName().startsWith(u"Amiscan.unreadable-"));
        QVERIFY(one.endsWith(u".txt"));
        QCOMPARE(fileBytes(one), QByteArray("first"));
        QCOMPARE(fileBytes(two), QByteArray("second"));
        QVERIFY(keepFileAside(path, QStringLiteral("unreadable")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHistoryFile)
#include "test_history_file.moc"
