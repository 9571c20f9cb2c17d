// The history file: its bytes, its encoding, its reading (older and damaged files included),
// and its safe replacement.
#include "data_table.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "store/characters.h"
#include "store/file_patcher.h"
#include "store/history_file.h"
#include "store/history_saver.h"
#include "store/safe_file.h"
#include "store/text_encoding.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <sys/stat.h>

using namespace amiscan;
using namespace amiscan::testing;
using friend_rows::Friend;
using friend_rows::tableOf;
const QByteArray &Example = friend_rows::ExampleHistory;

namespace {

const QString Open = QStringLiteral(".. .. .. .. ..");
const QByteArray Sessions =
    "14/10/12 20:15 - .. .. .. .. .. > .. .. : .. .. .. .. .. - .. .. .. .. .. > .. ..";
// The header of a file whose names are shorter than 17 characters, and the older layout's.
const QByteArray Header17 = "Friends (1)      " + history::ColumnHeader.toLatin1() +
                            "\r\n-----------------" + history::RuleTail.toLatin1() + "\r\n";
const QByteArray OlderHeader17 = "Friends (1)      :     Start      -      End       - Length:     "
                                 "Start      -      End       - Length\r\n-----\r\n";

// The cells a file keeps, row by row: all but the management position and the online flag.
QStringList kept(const FriendsTable &table)
{
    QStringList rows;
    for (int row = 1; row <= table.friendCount(); ++row) {
        QStringList cells;
        for (int column : {DisplayName, Start1, End1, Length1, Start2, End2, Length2, NameMark,
                           Unselected, AccountName})
            cells << table.cell(row, column);
        // Shorter to read: "_" for an empty stamp, "=" for an empty length.
        rows << cells.join(u'|').replace(Open, "_").replace(".. ..", "=");
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

// Read, write, read gives the same table; written again, the same bytes.
void checkReadsBackAsWritten(const QByteArray &file)
{
    history::ReadResult first, second;
    const FriendsTable read = readBack(file, &first);
    const QByteArray written = history::formatFile(read, first.lastScanStamp);
    const FriendsTable reread = readBack(written, &second);
    QStringList before = kept(read), after = kept(reread);
    before.sort(), after.sort();
    QCOMPARE(after, before);
    QCOMPARE(second.lastScanStamp, first.lastScanStamp);
    QCOMPARE(history::formatFile(reread, second.lastScanStamp), written);
}

QStringList filesIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
}

// 40 friends whose user names, and so whose lines, differ in length.
FriendsTable fortyFriends()
{
    FriendsTable table;
    for (int i = 0; i < 40; ++i)
        friend_rows::add(table, Friend{QStringLiteral("Friend %1").arg(i, 2, 10, QChar(u'0')),
                                       QString(1 + i % 5, u'a')});
    return table;
}

ino_t inodeOf(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// Lets the first `passing` writes of a save through; the others fail as on a full disk.
struct WritesFailAfter
{
    static inline int passing = 0;
    static ssize_t write(int fd, const void *data, size_t size)
    {
        return passing-- > 0 ? ::write(fd, data, size) : (errno = ENOSPC, -1);
    }
    WritesFailAfter(int n) { passing = n; }
    decltype(FileCalls::write) former = std::exchange(fileCalls().write, write);
    ~WritesFailAfter() { fileCalls().write = former; }
};

} // namespace

class TestHistoryFile : public QObject
{
    Q_OBJECT

private slots:
    void namesReadBackAsWritten_data()
    {
        // bytes: found in the file
        addColumns<Friend, QByteArray>({"f", "bytes"});
        const auto row = [](const char *tag, const Friend &f, const QByteArray &bytes) {
            addRow(tag, f, bytes);
        };
        row("short: the name column at 17", {"Bo", "bo"}, "Friends (2)      :     Start");
        row("blanks inside", {"Anne  Marie de la Tour", "anne.marie"}, "Anne  Marie de la Tour : ");
        row("long", {QString(120, u'L'), "long"}, QByteArray(120, 'L') + " : ");
        row("colon", {"Odd: name (x)", "odd"}, "\nOdd: name (x) ");
        // Only blanks are trimmed: other spaces belong to the names.
        row("other spaces", {"\tTab\u3000", "nbsp\u00A0\t"}, "\xEF\xBB\xBF");
        row("1252", {"José €uro", "jose", false, true, amiscan::SubstitutedNameMark},
            "Jos\xE9 \x80uro\xB2");
        // Bytes that happen to form UTF-8 stay Windows-1252.
        row("1252 like UTF-8", {"JosÃ©", "josÃ©"}, ": jos\xC3\xA9\r\n");
        row("UTF-8 behind its mark",
            {"Zoë Ёлка", "\U0001F600smile", false, true, amiscan::SubstitutedNameMark},
            "\xEF\xBB\xBF"
            "Friends (2)");
    }

    void namesReadBackAsWritten()
    {
        auto [f, bytes] = fetch<Friend, QByteArray>("f", "bytes");
        const FriendsTable table = tableOf({f, {"other", "other"}});
        const QByteArray file = history::formatFile(table, "01/02 - 03:04");
        QVERIFY2(file.contains(bytes), file.constData());
        history::ReadResult result;
        QStringList rows = kept(table), back = kept(readBack(file, &result));
        rows.sort(), back.sort();
        QCOMPARE(back, rows);
        QVERIFY(result.intact);
        QCOMPARE(result.lastScanStamp, QStringLiteral("01/02 - 03:04"));
    }

    void cells_areWrittenOnOneLineOfWholeCharacters()
    {
        FriendsTable table = tableOf({{u"Ann\r\nLee\xD83D"_qs, "a\nb"}, {"bo", "bo"}});
        table.setCell(1, Start2, "14/10/12\r20:15");
        const FriendsTable back = readBack(history::formatFile(table, {}));
        QCOMPARE(QStringList(
                     {back.cell(1, DisplayName), back.cell(1, Start2), back.cell(1, AccountName)}),
                 QStringList({u"Ann  Lee\uFFFD"_qs, "14/10/12 20:15", "a b"}));
    }

    // Files are UTF-8 only behind the byte-order mark; every other file is Windows-1252.
    void encoding_data()
    {
        addColumns<QString, QByteArray>({"text", "bytes"});
        addRow("1252", QStringLiteral("a\u00B2\u20AC\u0081"), QByteArray("a\xB2\x80\x81"));
        addRow("UTF-8", QStringLiteral("\u00B2 \u0416"),
               QByteArray("\xEF\xBB\xBF\xC2\xB2 \xD0\x96"));
        // In Windows-1252 this text would start with the mark's bytes.
        addRow("1252 that looks marked", QStringLiteral("\u00EF\u00BB\u00BFx"),
               QByteArray("\xEF\xBB\xBF\xC3\xAF\xC2\xBB\xC2\xBFx"));
        addRow("a mark in the text", QStringLiteral("\uFEFFx\u0416"),
               QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx\xD0\x96"));
    }

    void encoding()
    {
        auto [text, bytes] = fetch<QString, QByteArray>("text", "bytes");
        QCOMPARE(encodeFileText(text), bytes);
        QCOMPARE(decodeFileText(bytes), text);
        QCOMPARE(decodeFileText("\xC2\xB2\xD0\x96"), QStringLiteral("\u00C2\u00B2\u00D0\u2013"));
        QCOMPARE(decodeFileText("\xEF\xBB\xBF\xC3(\xC0"), QStringLiteral("\uFFFD(\uFFFD"));
    }

    void read_data()
    {
        addColumns<QByteArray, int, bool, QString>({"file", "friends", "intact", "first"});
        const QString example = "Example Friend Name|14/10/12 20:15|_|=|13/10/12 18:02|13/10/12 "
                                "19:47|01:45||1|exampleuser";
        addRow("CR LF", Example, 2, true, example);
        addRow("LF", QByteArray(Example).replace("\r\n", "\n"), 2, true, example);
        addRow("CR", QByteArray(Example).replace("\r\n", "\r"), 2, true, example);
        addRow("only an exact X is unselected", QByteArray(Example).replace(": X :", ": x :"), 2,
               true, QString(example).replace("|1|", "|0|"));
        addRow("damaged header", "Friends of mine" + Example.mid(Example.indexOf("\r\n")), 2, false,
               QString());
        addRow("older layout, a dot for unselected",
               OlderHeader17 + "\r\nHidden Friend    . 14/10/12 20:15 - 14/10/12 20:45 > 00:30 : " +
                   Sessions.mid(42) + "\r\n",
               1, true, "Hidden Friend|14/10/12 20:15|14/10/12 20:45|00:30|_|_|=||1|Hidden Friend");
        addRow("short lines",
               Header17 + "Short One        : 01/01/13 10:00 - 01/01/1\r\nNoSeparators\n", 2, true,
               "Short One|01/01/13 10:00|01/01/1||||||0|Short One");
        // Written again, a cell one character too wide keeps every later column in place.
        addRow("cell too wide", Header17 + "Ann              :x" + Sessions + " : - : ann\r\n", 1,
               true, "Ann|_|_|=|_|_|=||0|ann");
        addRow("a blank before the mark",
               OlderHeader17 + "bob \xB2            : " + Sessions + "\r\n", 1, true,
               "bob|14/10/12 20:15|_|=|_|_|=|²|0|bob");
        const QByteArray line = "f                : " + Sessions + " : - : f\r\n";
        addRow("as many friends as the table holds", Header17 + line.repeated(MaxFriends),
               MaxFriends, true, "f|14/10/12 20:15|_|=|_|_|=||0|f");
        addRow("more than it holds", Header17 + line.repeated(MaxFriends + 1), MaxFriends, false,
               QString());
    }

    void read()
    {
        auto [file, first] = fetch<QByteArray, QString>("file", "first");
        history::ReadResult result;
        const QStringList rows = kept(readBack(file, &result));
        QTEST(int(rows.size()), "friends");
        QTEST(result.intact, "intact");
        if (!first.isEmpty())
            QCOMPARE(rows.value(0), first);
        if (result.intact && rows.size() < 100)
            checkReadsBackAsWritten(file);
    }

    // Read from the disk a piece at a time, a history gives the table its whole text gives.
    void readFile_givesWhatTheWholeTextGives_data()
    {
        addColumns<QByteArray>({"file"});
        const QByteArray line = "f                : " + Sessions + " : - : f\r\n";
        const QByteArray manyLines = Header17 + line.repeated(2000);
        addRow("CR LF, many pieces", manyLines);
        addRow("LF, many pieces", QByteArray(manyLines).replace("\r\n", "\n"));
        addRow("CR, many pieces", QByteArray(manyLines).replace("\r\n", "\r"));
        // The first friend's name is as long as it takes to put the CR of its line end at a
        // piece's last byte, or a little before or after it.
        for (int shift = -2; shift <= 2; ++shift) {
            const qsizetype nameSize =
                history::ReadPieceSize - 1 + shift - Header17.size() - (line.size() - 3);
            addRow(qPrintable(QStringLiteral("a line end %1 from a piece's end").arg(shift)),
                   Header17 + QByteArray(nameSize, 'n') + line.mid(1) + line.repeated(700));
        }
        addRow("a line longer than a piece",
               Header17 + line + QByteArray(3 * history::ReadPieceSize, 'L') + "\r\n" + line);
        addRow("no line end at the end", manyLines + line.chopped(2));
        addRow("UTF-8 behind its mark", "\xEF\xBB\xBF" + manyLines + "\xC3\xA9 : - : \xC3\xA9");
        addRow("empty", QByteArray());
        addRow("a header alone", Header17.first(Header17.indexOf('\n')));
    }

    void readFile_givesWhatTheWholeTextGives()
    {
        auto [file] = fetch<QByteArray>("file");
        QTemporaryDir dir;
        const QString path = dir.filePath("Amiscan.txt");
        QVERIFY(writeBytes(path, file));
        FriendsTable fromDisk;
        const history::ReadResult read = history::readFile(path, fromDisk);
        history::ReadResult whole;
        const FriendsTable fromText = readBack(file, &whole);
        QVERIFY(fromText.friendCount() > 0 || file.size() < 200);
        QCOMPARE(kept(fromDisk), kept(fromText));
        QCOMPARE(read.intact, whole.intact);
        QCOMPARE(read.lastScanStamp, whole.lastScanStamp);
    }

    void saver_writesTheLatestTableLast()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Amiscan.txt");
        FriendsTable table;
        QByteArray expected;
        {
            HistorySaver saver;
            for (int save = 0; save < 30; ++save) {
                for (int i = 0; i < 100; ++i)
                    friend_rows::add(table,
                                     QString::number(QRandomGenerator::global()->generate()));
                const QString stamp = QStringLiteral("14/10 - 21:%1").arg(save, 2, 10, QChar(u'0'));
                saver.save(path, table, stamp);
                expected = history::formatFile(table, stamp);
            }
        }
        QCOMPARE(fileBytes(path), expected);
        QCOMPARE(filesIn(dir), QStringList{"Amiscan.txt"});
    }

    void failedWrite_leavesTheOldFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Amiscan.txt");
        QVERIFY(writeBytes(path, "old"));
        FriendsTable table;
        for (int i = 0; i < 2000; ++i)
            friend_rows::add(table, QStringLiteral("Friend %1").arg(i));
        std::optional<FileSizeLimit> fullDisk(std::in_place, 1024);
        QVERIFY(fullDisk->active() && !history::writeFile(path, table, {}));
        fullDisk.reset();
        QCOMPARE(fileBytes(path), QByteArray("old"));
        QCOMPARE(filesIn(dir), QStringList{"Amiscan.txt"});
    }

    // A save after another changes the file in place when only cells changed, and replaces it
    // otherwise; either way the file holds the bytes a whole new file would.
    void saveAfterSave_data()
    {
        addColumns<int, int, QString, bool>({"row", "column", "value", "inPlace"});
        addRow("a session ended", 5, int(End1), "14/10/12 21:05", true);
        addRow("unselected", 7, int(Unselected), "1", true);
        addRow("marked", 9, int(NameMark), "\u00B2", true);
        addRow("only the stamp", 1, int(Start2), Open, true);
        addRow("one friend more", 41, int(DisplayName), "Friend 40", false);
        addRow("a wider name column", 3, int(DisplayName), "Friend with a much longer name", false);
        addRow("another order", 1, int(DisplayName), "Friend 99", false);
        addRow("the file replaced meanwhile", 1, -1, "", false);
    }

    void saveAfterSave()
    {
        auto [row, column, value, inPlace] =
            fetch<int, int, QString, bool>("row", "column", "value", "inPlace");
        QTemporaryDir dir;
        const QString path = dir.filePath("Amiscan.txt");
        FriendsTable table = fortyFriends();
        FilePatcher file;
        QVERIFY(file.write(path, history::formatFile(table, "14/10 - 20:15")));
        if (row > table.friendCount())
            friend_rows::add(table, value);
        if (column >= 0)
            table.setCell(row, column, value);
        const QByteArray expected = history::formatFile(table, "14/10 - 21:05");
        // Someone else's file of the same length: what this save last wrote is no longer there.
        if (column < 0)
            QVERIFY(replaceFileSafely(path, QByteArray(expected.size(), 'x')));
        const ino_t before = inodeOf(path);
        QVERIFY(file.write(path, expected));
        QCOMPARE(fileBytes(path), expected);
        QCOMPARE(file.lastWasInPlace(), inPlace);
        QCOMPARE(inodeOf(path) == before, inPlace);
        QVERIFY(file.lastBytesWritten() < (inPlace ? 1000 : expected.size() + 1));
        QCOMPARE(filesIn(dir), QStringList{"Amiscan.txt"});
    }

    // Bytes changed in place wherever they fall among the patcher's blocks of 64: at a block's
    // first or last byte, across two blocks, in the short last block, several blocks apart.
    void changesInPlace_data()
    {
        addColumns<QList<int>, bool>({"changed", "inPlace"});
        addRow("first byte", QList<int>{0}, true);
        addRow("a block's last byte", QList<int>{127}, true);
        addRow("a block's first byte", QList<int>{128}, true);
        addRow("across two blocks", QList<int>{190, 191, 192, 193}, true);
        addRow("blocks apart", QList<int>{5, 700, 701, 1900, 4000}, true);
        addRow("the short last block", QList<int>{4097, 4098}, true);
        addRow("a line end moved", QList<int>{79}, false);
    }
    void changesInPlace()
    {
        auto [changed, inPlace] = fetch<QList<int>, bool>("changed", "inPlace");
        QTemporaryDir dir;
        const QString path = dir.filePath("Amiscan.txt");
        // 4100 bytes: lines of 79 letters and a line end.
        QByteArray before;
        for (int i = 0; before.size() < 4100; ++i)
            before += i % 80 == 79 ? '\n' : char('a' + i % 26);
        before.truncate(4100);
        QByteArray after = before;
        for (const int at : changed)
            after[at] = after.at(at) == '\n' ? 'x' : after.at(at) == 'Z' ? 'Y' : 'Z';
        FilePatcher file;
        QVERIFY(file.write(path, before));
        QVERIFY(file.write(path, after));
        QCOMPARE(fileBytes(path), after);
        QCOMPARE(file.lastWasInPlace(), inPlace);
    }

    // A change in place cut short: its journal completes it, unless the journal itself was cut
    // short or the file was replaced since; the file is then left as it is.
    void interruptedChange_data()
    {
        addColumns<int, int, bool, QString>({"writes", "journalCut", "replaced", "left"});
        addRow("journal written, file half changed", 2, 0, false, "new");
        addRow("journal written, file not changed", 1, 0, false, "new");
        addRow("journal cut short", 1, 1, false, "old");
        addRow("journal of a replaced file", 1, 0, true, "other");
    }

    void interruptedChange()
    {
        auto [writes, journalCut, replaced, left] =
            fetch<int, int, bool, QString>("writes", "journalCut", "replaced", "left");
        QTemporaryDir dir;
        const QString path = dir.filePath("Amiscan.txt");
        FriendsTable table = fortyFriends();
        const QByteArray old = history::formatFile(table, "14/10 - 20:15");
        for (int r : {3, 20, 38})
            table.setCell(r, End1, "14/10/12 21:05");
        const QByteArray changed = history::formatFile(table, "14/10 - 21:05");
        QByteArray other = changed;
        other.replace("Friend 00", "Friend XX");
        FilePatcher file;
        QVERIFY(file.write(path, old));
        {
            const WritesFailAfter crash(writes);
            QVERIFY(!file.write(path, changed));
        }
        const QString journal = journalPath(path);
        QVERIFY(QFile::exists(journal));
        QVERIFY(QFile::resize(journal, QFileInfo(journal).size() - journalCut));
        if (replaced)
            QVERIFY(replaceFileSafely(path, other));
        QVERIFY(finishInterruptedChange(path));
        QCOMPARE(fileBytes(path), left == "new" ? changed : left == "old" ? old : other);
        QCOMPARE(filesIn(dir), QStringList{"Amiscan.txt"});
    }

    // A save has a side file of its own and leaves another's alone; the leftovers of saves cut
    // short go once no other copy can be saving. The file is its owner's alone whatever the
    // umask, and a link in its place is replaced, never written through.
    void save_ownSideFile_ownerOnly_replacesALink()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Amiscan.txt"), elsewhere = dir.filePath("elsewhere");
        QVERIFY(writeBytes(path + ".saving", "older") && writeBytes(path + ".1f.saving", "other"));
        QVERIFY(writeBytes(elsewhere, "kept") && QFile::link(elsewhere, path));
        const mode_t umask = ::umask(0);
        QVERIFY(history::writeFile(path, tableOf({{"Bo", "bo"}}), {}));
        ::umask(umask);
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(fileBytes(elsewhere), QByteArray("kept"));
        QCOMPARE(int(QFileInfo(path).permissions() & 0xF0FF),
                 int(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(filesIn(dir), (QStringList{"Amiscan.txt", "Amiscan.txt.1f.saving",
                                            "Amiscan.txt.saving", "elsewhere"}));
        removeLeftoverSideFiles(path);
        QCOMPARE(filesIn(dir), (QStringList{"Amiscan.txt", "elsewhere"}));
    }

    void unreadableFile_isNotIntact_andIsKeptAside()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Amiscan.txt");
        QVERIFY(makeUnreadableEntry(path));
        FriendsTable table;
        QVERIFY(fileExists(path) && !history::readFile(path, table).intact);
        const QString aside = keepFileAside(path, "unreadable");
        QVERIFY(QFileInfo(aside).fileName().startsWith("Amiscan.unreadable-") &&
                aside.endsWith(".txt"));
        QVERIFY(writeBytes(path, "second"));
        const QString again = keepFileAside(path, "unreadable");
        QVERIFY(again != aside && fileBytes(again) == "second" && !fileExists(path));
        QVERIFY(keepFileAside(path, "unreadable").isEmpty()); // nothing left to move
    }
};

QTEST_GUILESS_MAIN(TestHistoryFile)
#include "test_history_file.moc"
