// The start-up's list build on the real window: sortByKey, fillManageList, sortOnlineFirst,
// fillMainList and layoutLists, for a typical and for the largest friends table.
#include "random_friends.h"
#include "store/friends_table.h"
#include "ui/form1.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace amiscan;

void BM_StartUpListBuild(benchmark::State &state)
{
    QTemporaryDir dir;
    Form1 form(dir.path());
    form.load();
    form.state.dataPresent = true;
    form.state.scanState = ScanState::PageRead;
    const FriendsTable unsorted = randomFriends(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        form.table = unsorted;
        state.ResumeTiming();
        form.sortByKey();
        form.fillManageList();
        form.sortOnlineFirst();
        form.fillMainList();
        form.layoutLists();
    }
    state.counters["friends"] = double(form.table.friendCount());
}
BENCHMARK(BM_StartUpListBuild)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The two parts of the build apart: the table's reordering, and the main list's refill.
void BM_SortsOnly(benchmark::State &state)
{
    QTemporaryDir dir;
    Form1 form(dir.path());
    const FriendsTable unsorted = randomFriends(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        form.table = unsorted;
        state.ResumeTiming();
        form.sortByKey();
        form.sortOnlineFirst();
    }
}
BENCHMARK(BM_SortsOnly)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

void BM_FillMainList(benchmark::State &state)
{
    QTemporaryDir dir;
    Form1 form(dir.path());
    form.load();
    form.state.dataPresent = true;
    form.state.scanState = ScanState::PageRead;
    form.table = randomFriends(int(state.range(0)));
    form.sortOnlineFirst();
    for (auto _ : state)
        form.fillMainList();
}
BENCHMARK(BM_FillMainList)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

} // namespace
