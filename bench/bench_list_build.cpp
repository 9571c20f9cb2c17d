// The start-up's list build on the real window: both sorts, both lists and their heights, for a
// typical and for the largest friends table.
#include "model/main_model.h"
#include "random_friends.h"
#include "store/friends_table.h"
#include "tests/window_controls.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace amiscan;

void BM_StartUpListBuild(benchmark::State &state)
{
    QTemporaryDir dir;
    MainModel model(dir.path());
    Form1 form(model);
    form.load();
    model.stateForTests().dataPresent = true;
    model.stateForTests().scanState = ScanState::PageRead;
    const FriendsTable unsorted = randomFriends(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        model.tableForTests() = unsorted;
        state.ResumeTiming();
        form.showTable();
    }
    state.counters["friends"] = double(model.table().friendCount());
}
BENCHMARK(BM_StartUpListBuild)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The two parts of the build apart: the table's reordering, and the main list's refill (as the
// name mode refills it).
void BM_SortsOnly(benchmark::State &state)
{
    QTemporaryDir dir;
    MainModel model(dir.path());
    Form1 form(model);
    const FriendsTable unsorted = randomFriends(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        model.tableForTests() = unsorted;
        state.ResumeTiming();
        model.sortByKey();
        model.sortOnlineFirst();
    }
}
BENCHMARK(BM_SortsOnly)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

void BM_FillMainList(benchmark::State &state)
{
    QTemporaryDir dir;
    MainModel model(dir.path());
    Form1 form(model);
    form.load();
    model.stateForTests().dataPresent = true;
    model.stateForTests().scanState = ScanState::PageRead;
    model.tableForTests() = randomFriends(int(state.range(0)));
    form.showTable();
    // The name mode refills the main list in the order it has.
    QCheckBox *userNames = findControl<QCheckBox>(form, "CheckUser");
    for (auto _ : state)
        userNames->toggle();
}
BENCHMARK(BM_FillMainList)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

} // namespace
