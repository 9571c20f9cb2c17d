// The history reader on any file, in both layouts and both encodings: a file read and written
// back reads back to the same table. (Writing that table again then gives the same bytes: the
// writer uses only the cells compared here.)
#include "store/history_file.h"
#include "store/text_encoding.h"
#include "tests/fuzz/fuzz_check.h"

#include <QLocale>

#include <cstdint>

using namespace amiscan;

namespace {

// The columns a file keeps; the management position and the online flag start afresh.
constexpr Column KeptColumns[] = {DisplayName, Start1,  End1,     Length1,    Start2,
                                  End2,        Length2, NameMark, Unselected, AccountName};

const Collation &collation()
{
    static const Collation c{QLocale::c()};
    return c;
}

// The table's rows in the order the file writes them.
FriendsTable inFileOrder(const FriendsTable &table)
{
    QStringList names;
    for (int row = 1; row <= table.friendCount(); ++row)
        names << table.cell(row, DisplayName);
    QList<int> order;
    for (const int index : collation().order(names))
        order << index + 1;
    FriendsTable ordered = table;
    FUZZ_CHECK(ordered.rebuild(order));
    return ordered;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    FriendsTable table;
    const history::ReadResult read = history::parseText(decodeFileText(bytes), table);
    // A file whose header gives no columns is kept aside, never written back.
    if (!read.intact)
        return 0;

    const QByteArray written = history::formatFile(table, read.lastScanStamp, collation());
    FriendsTable reread;
    const history::ReadResult again = history::parseText(decodeFileText(written), reread);
    FUZZ_CHECK(again.intact);
    FUZZ_CHECK_EQUAL(again.lastScanStamp, read.lastScanStamp);
    FUZZ_CHECK_EQUAL(reread.friendCount(), table.friendCount());
    const FriendsTable expected = inFileOrder(table);
    for (int row = 1; row <= expected.friendCount(); ++row) {
        for (const Column column : KeptColumns)
            FUZZ_CHECK_EQUAL(reread.cell(row, column), expected.cell(row, column));
    }
    return 0;
}
