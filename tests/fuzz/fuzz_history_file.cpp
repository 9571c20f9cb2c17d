// The history reader on any file, in both layouts and both encodings: a file read and written
// back reads back to the same table, in the file's order of names; the saving thread's formatter
// writes what the plain one writes.
#include "store/history_file.h"
#include "store/text_encoding.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>

using namespace amiscan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FriendsTable table;
    const history::ReadResult read =
        history::parseText(decodeFileText(QByteArrayView(data, qsizetype(size))), table);
    // A file whose header gives no columns is kept aside, never written back.
    if (!read.intact)
        return 0;
    static const Collation collation{QLocale::c()};
    FriendsTable reread;
    const history::ReadResult again = history::parseText(
        decodeFileText(history::formatFile(table, read.lastScanStamp, collation)), reread);
    FUZZ_CHECK(again.intact);
    FUZZ_CHECK_EQUAL(again.lastScanStamp, read.lastScanStamp);
    FUZZ_CHECK_EQUAL(reread.friendCount(), table.friendCount());
    QStringList names;
    for (int row = 1; row <= table.friendCount(); ++row)
        names << table.cell(row, DisplayName);
    const QList<int> order = collation.order(names);
    for (int row = 1; row <= reread.friendCount(); ++row) {
        // Every column the file keeps; the management position and the online flag start afresh.
        for (const Column column : {DisplayName, Start1, End1, Length1, Start2, End2, Length2,
                                    NameMark, Unselected, AccountName})
            FUZZ_CHECK_EQUAL(reread.cell(row, column), table.cell(order.at(row - 1) + 1, column));
    }

    // The saving thread's formatter, which keeps the names' order from save to save, writes the
    // same bytes, also once the rows are reordered and a friend takes another's name.
    history::Formatter formatter;
    FUZZ_CHECK(formatter.format(table, read.lastScanStamp) ==
               history::formatFile(table, read.lastScanStamp));
    QList<int> reversed;
    for (int row = table.friendCount(); row >= 1; --row)
        reversed << row;
    table.rebuild(reversed);
    table.setCell(1, DisplayName, table.cell(table.friendCount(), DisplayName));
    FUZZ_CHECK(formatter.format(table, read.lastScanStamp) ==
               history::formatFile(table, read.lastScanStamp));
    return 0;
}
