#include "scan/presence_merge.h"
#include "store/time_text.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

const QDate Today(2012, 10, 14);

// A table as a day of scanning leaves it: every friend with two closed sessions, and the first
// 200 still in an open session.
amiscan::FriendsTable makeTable(int friends)
{
    using namespace amiscan;
    FriendsTable table;
    for (int i = 1; i <= friends; ++i) {
        const int row = table.appendFriend();
        const QDateTime start(Today.addDays(-1), QTime(i % 20, i % 60));
        table.setCell(row, DisplayName, QStringLiteral("Friend %1").arg(i));
        table.setCell(row, Start1, formatStamp(start));
        table.setCell(row, End1, i <= 200 ? EmptyStamp : formatStamp(start.addSecs(3000)));
        table.setCell(row, Length1, i <= 200 ? EmptyLength : QStringLiteral("00:50"));
        table.setCell(row, Start2, formatStamp(start.addDays(-1)));
        table.setCell(row, End2, formatStamp(start.addDays(-1).addSecs(600)));
        table.setCell(row, Length2, QStringLiteral("00:10"));
        table.setCell(row, NameMark, QString());
        table.setCell(row, ManagePos, QString::number(i - 1));
        table.setCell(row, Online, i <= 200 ? QStringLiteral("1") : QStringLiteral("0"));
        table.setCell(row, Unselected, QStringLiteral("0"));
        table.setCell(row, AccountName, QStringLiteral("friend.%1").arg(i));
    }
    return table;
}

// A full page: 100 friends still online, 50 back online from anywhere in the table, 50 new.
QList<amiscan::FriendEntry> makeEntries(int friends)
{
    QList<amiscan::FriendEntry> entries;
    auto add = [&](int i) {
        entries.append(
            {QStringLiteral("Friend %1").arg(i), QStringLiteral("friend.%1").arg(i), {}});
    };
    for (int i = 1; i <= 100; ++i)
        add(i);
    for (int k = 0; k < 50; ++k)
        add(201 + int(qint64(friends - 201) * k / 50));
    for (int i = 1; i <= 50; ++i)
        add(friends + i);
    return entries;
}

// A page listing the friends whose session is open in makeTable, as the previous scan saw it.
QList<amiscan::FriendEntry> previousEntries()
{
    QList<amiscan::FriendEntry> entries;
    for (int i = 1; i <= 200; ++i)
        entries.append(
            {QStringLiteral("Friend %1").arg(i), QStringLiteral("friend.%1").arg(i), {}});
    return entries;
}

const QDateTime Now(Today, QTime(21, 5, 30));

// Merges the page into fresh copies of the table, made and released outside the measured time.
void measureMerges(benchmark::State &state, const amiscan::FriendsTable &original)
{
    const QList<amiscan::FriendEntry> entries = makeEntries(int(state.range(0)));
    amiscan::FriendsTable table;
    for (auto _ : state) {
        table = original;
        // The copy takes its own cells, marks and name index now, outside the measured time.
        for (const int column : {amiscan::Unselected, amiscan::DisplayName, amiscan::AccountName})
            table.setCell(1, column, table.cell(1, column));
        const auto start = std::chrono::steady_clock::now();
        amiscan::mergePresence(table, entries, Now);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        benchmark::DoNotOptimize(table);
    }
}

// A scan during the day: the previous scan, a few minutes earlier, left the table.
void BM_MergePresence(benchmark::State &state)
{
    amiscan::FriendsTable original = makeTable(int(state.range(0)));
    amiscan::mergePresence(original, previousEntries(), Now.addSecs(-5 * 60));
    measureMerges(state, original);
}
BENCHMARK(BM_MergePresence)
    ->Arg(1024)
    ->Arg(8192)
    ->Arg(32767)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The first scan after start-up: the loader has checked the stored lengths, and the window has
// built the index of names a moment after start-up.
void BM_MergePresenceFirstScan(benchmark::State &state)
{
    amiscan::FriendsTable table = makeTable(int(state.range(0)));
    amiscan::markCurrentLengths(table);
    table.indexNames();
    measureMerges(state, std::move(table));
}
BENCHMARK(BM_MergePresenceFirstScan)
    ->Arg(1024)
    ->Arg(8192)
    ->Arg(32767)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The length check the loader adds to reading the history.
void BM_MarkCurrentLengths(benchmark::State &state)
{
    const amiscan::FriendsTable loaded = makeTable(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        amiscan::FriendsTable table = loaded;
        state.ResumeTiming();
        amiscan::markCurrentLengths(table);
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_MarkCurrentLengths)->Arg(32767)->Unit(benchmark::kMillisecond);

} // namespace
