#include "store/friends_table.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>

namespace {

amiscan::FriendsTable makeTable(int friends)
{
    amiscan::FriendsTable table;
    for (int i = 0; i < friends; ++i) {
        const int row = table.appendFriend();
        table.setCell(row, amiscan::DisplayName, QStringLiteral("Friend %1").arg(i));
        table.setCell(row, amiscan::AccountName, QStringLiteral("friend.%1").arg(i));
    }
    return table;
}

// Rebuilding the whole table in a new order, as every list rebuild does.
void BM_RebuildReversed(benchmark::State &state)
{
    amiscan::FriendsTable table = makeTable(int(state.range(0)));
    QList<int> order(table.friendCount());
    std::iota(order.begin(), order.end(), 1);
    std::reverse(order.begin(), order.end());
    for (auto _ : state)
        benchmark::DoNotOptimize(table.rebuild(order));
}
BENCHMARK(BM_RebuildReversed)->Arg(1024)->Arg(32767)->Unit(benchmark::kMillisecond);

} // namespace
