// The history file's byte layout, its reading (also of older and damaged files), its encoding
// and its safe replacement.
#include "file_faults.h"
#include "store/history_file.h"
#include "store/safe_file.h"
#include "store/text_encoding.h"

#include <QDir>
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
        const FriendsTable table = tableOf({marked, blanks, longName, same1, same2, colon});

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
        // Latin names are written in Windows-1252: "é" is E9, "€" is 80, "²" is B2.
        const FriendsTable table =
            tableOf({{QStringLiteral("José €uro"), QStringLiteral("jose"), Mark}});
        const QByteArray bytes = history::formatFile(table, {});
        QVERIFY(bytes.contains("Jos\xE9 \x80uro\xB2"));
        const FriendsTable back = readBack(bytes);
        QCOMPARE(back.cell(1, DisplayName), QStringLiteral("José €uro"));
        QCOMPARE(back.cell(1, NameMark), Mark);
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
        const FriendsTable again = readBack(history::formatFile(back, {}));
        QCOMPARE(keptCells(again).size(), 4);
        const int shortRow = again.findByAccountName(QStringLiteral("Short One"));
        QCOMPARE(again.cell(shortRow, Length1), QString());
        QCOMPARE(again.cell(shortRow, Unselected), QStringLiteral("0"));
        QCOMPARE(again.cell(shortRow, AccountName), QStringLiteral("Short One"));
    }

    void damagedHeader_isNotIntactButLinesStillBecomeFriends()
    {
        QByteArray file = ExampleFile;
        file.replace(0, file.indexOf("\r\n"), "Friends of mine");
        history::ReadResult result;
        const FriendsTable back = readBack(file, &result);
        QVERIFY(!result.intact);
        QCOMPARE(back.friendCount(), 2);
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

    void writeFile_replacesTheWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.txt"));
        QVERIFY(writeBytes(path, QByteArray(5000, 'z')));
        QVERIFY(history::writeFile(path, exampleTable(), QStringLiteral("14/10 - 21:05")));
        QCOMPARE(fileBytes(path), ExampleFile);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Amiscan.txt"});
    }

    void failedWrite_leavesTheOldFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.txt"));
        QVERIFY(writeBytes(path, ExampleFile));
        FriendsTable big;
        for (int i = 0; i < 2000; ++i) {
            const int row = big.appendFriend();
            big.setCell(row, DisplayName, QStringLiteral("Friend %1").arg(i));
        }
        bool written = true;
        {
            FileSizeLimit fullDisk(1024);
            QVERIFY(fullDisk.active());
            written = history::writeFile(path, big, {});
        }
        QVERIFY(!written);
        QCOMPARE(fileBytes(path), ExampleFile);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Amiscan.txt"});
    }

    void failedWriteOfASmallFile_leavesTheOldFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.txt"));
        QVERIFY(writeBytes(path, "old"));
        bool written = true;
        {
            FileSizeLimit fullDisk(200);
            QVERIFY(fullDisk.active());
            written = history::writeFile(path, exampleTable(), {});
        }
        QVERIFY(!written);
        QCOMPARE(fileBytes(path), QByteArray("old"));
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
