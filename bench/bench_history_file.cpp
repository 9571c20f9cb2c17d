// Saving and loading the largest history the table can hold.
#include "store/file_patcher.h"
#include "store/history_file.h"
#include "store/safe_file.h"
#include "store/text_encoding.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace amiscan;

FriendsTable fullTable()
{
    FriendsTable table;
    for (int i = 0; i < MaxFriends; ++i) {
        const int row = table.appendFriend();
        // Names in no particular order, some marked, some unselected, some with accents.
        const int key = int((quint32(i) * 2654435761u) % 100000u);
        table.setCell(row, DisplayName, QStringLiteral("Friend \u00E9 %1 name").arg(key));
        table.setCell(row, Start1, QStringLiteral("14/10/12 20:15"));
        table.setCell(row, End1, QStringLiteral(".. .. .. .. .."));
        table.setCell(row, Length1, QStringLiteral(".. .."));
        table.setCell(row, Start2, QStringLiteral("13/10/12 18:02"));
        table.setCell(row, End2, QStringLiteral("13/10/12 19:47"));
        table.setCell(row, Length2, QStringLiteral("01:45"));
        table.setCell(row, NameMark, i % 7 == 0 ? QStringLiteral("\u00B2") : QString());
        table.setCell(row, ManagePos, QStringLiteral("-1"));
        table.setCell(row, Online, QStringLiteral("0"));
        table.setCell(row, Unselected, i % 3 == 0 ? QStringLiteral("1") : QStringLiteral("0"));
        table.setCell(row, AccountName, QStringLiteral("friend.%1").arg(i));
    }
    return table;
}

// As the saving thread saves: formatted with the names' order of the last save, then replaced.
void BM_SaveHistory(benchmark::State &state)
{
    const FriendsTable table = fullTable();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Amiscan.txt"));
    history::Formatter formatter;
    for (auto _ : state) {
        if (!replaceFileSafely(path, formatter.format(table, QStringLiteral("14/10 - 21:05"))))
            state.SkipWithError("history not written");
    }
}
BENCHMARK(BM_SaveHistory)->Unit(benchmark::kMillisecond);

// The writing of a save after a scan in which both sessions of 200 friends changed (the formatting
// before it is BM_FormatHistory's): written whole (0) or only what changed, in place through the
// journal (1). Reports the bytes that reach the disk per save.
void BM_SaveChangedHistory(benchmark::State &state)
{
    FriendsTable table = fullTable();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Amiscan.txt"));
    const QString stamp = QStringLiteral("14/10 - 21:05");
    history::Formatter formatter;
    FilePatcher file;
    const bool inPlace = state.range(0) == 1;
    if (!file.write(path, formatter.format(table, stamp)))
        state.SkipWithError("history not written");
    int next = 1, round = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Both sessions of each, as when a friend comes online again: their whole lines change.
        const QString day = QStringLiteral("%1/10/12 ").arg(1 + ++round % 28, 2, 10, QChar(u'0'));
        for (int i = 0; i < 200; ++i, next = next % MaxFriends + 1) {
            table.setCell(next, Start1, day + QStringLiteral("21:05"));
            table.setCell(next, End1, QStringLiteral(".. .. .. .. .."));
            table.setCell(next, Length1, QStringLiteral(".. .."));
            table.setCell(next, Start2, day + QStringLiteral("18:02"));
            table.setCell(next, End2, day + QStringLiteral("19:47"));
            table.setCell(next, Length2, QStringLiteral("01:45"));
        }
        const QByteArray formatted = formatter.format(table, stamp);
        state.ResumeTiming();
        if (inPlace ? !file.write(path, formatted) : !replaceFileSafely(path, formatted))
            state.SkipWithError("history not written");
        bytes += inPlace ? file.lastBytesWritten() : formatted.size();
    }
    state.counters["bytes_per_save"] =
        benchmark::Counter(double(bytes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SaveChangedHistory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LoadHistory(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Amiscan.txt"));
    if (!history::writeFile(path, fullTable(), QStringLiteral("14/10 - 21:05")))
        state.SkipWithError("history not written");
    for (auto _ : state) {
        FriendsTable table;
        history::readFile(path, table);
        if (table.friendCount() != MaxFriends)
            state.SkipWithError("history not read whole");
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_LoadHistory)->Unit(benchmark::kMillisecond);

} // namespace
namespace {
// As the saving thread formats it after a scan: the names' order kept from the last save, the
// sessions of 200 friends changed since.
void BM_FormatHistory(benchmark::State &state)
{
    amiscan::FriendsTable table = fullTable();
    amiscan::history::Formatter formatter;
    formatter.format(table, {});
    int next = 1;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 200; ++i, next = next % amiscan::MaxFriends + 1)
            table.setCell(next, amiscan::End1, QStringLiteral("14/10/12 21:05"));
        state.ResumeTiming();
        benchmark::DoNotOptimize(formatter.format(table, {}));
    }
}
BENCHMARK(BM_FormatHistory)->Unit(benchmark::kMillisecond);
void BM_OrderNames(benchmark::State &state)
{
    const amiscan::FriendsTable table = fullTable();
    QStringList names;
    for (int r = 1; r <= table.friendCount(); ++r)
        names << table.cell(r, amiscan::DisplayName);
    const amiscan::Collation collation;
    for (auto _ : state)
        benchmark::DoNotOptimize(collation.order(names));
}
BENCHMARK(BM_OrderNames)->Unit(benchmark::kMillisecond);
void BM_ParseHistory(benchmark::State &state)
{
    const QString text = amiscan::decodeFileText(amiscan::history::formatFile(fullTable(), {}));
    for (auto _ : state) {
        amiscan::FriendsTable table;
        amiscan::history::parseText(text, table);
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_ParseHistory)->Unit(benchmark::kMillisecond);
} // namespace
