// The start-up's list build on the real window: sortByKey, fillManageList, sortOnlineFirst,
// fillMainList and layoutLists, for a typical and for the largest friends table.
#include "store/friends_table.h"
#include "ui/form1.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace amiscan;

// Friends in no particular order, about one in five online and one in ten unselected.
FriendsTable randomFriends(int count)
{
    std::mt19937 random(20121014);
    std::uniform_int_distribution<int> letter(0, 25);
    std::uniform_int_distribution<int> percent(0, 99);
    FriendsTable table;
    for (int i = 0; i < count; ++i) {
        QString name;
        for (int c = 0; c < 10; ++c)
            name += QChar(u'a' + letter(random));
        name[0] = name[0].toUpper();
        const int row = table.appendFriend();
        table.setCell(row, DisplayName, name + QStringLiteral(" Example"));
        table.setCell(row, Start1, QStringLiteral("04/09/12 14:19"));
        table.setCell(row, End1, QStringLiteral("04/09/12 16:02"));
        table.setCell(row, Length1, QStringLiteral("01:43"));
        table.setCell(row, Start2, QStringLiteral(".. .. .. .. .."));
        table.setCell(row, End2, QStringLiteral(".. .. .. .. .."));
        table.setCell(row, Length2, QStringLiteral(".. .."));
        table.setCell(row, ManagePos, QStringLiteral("-1"));
        table.setCell(row, Online,
                      percent(random) < 20 ? QStringLiteral("1") : QStringLiteral("0"));
        table.setCell(row, Unselected,
                      percent(random) < 10 ? QStringLiteral("1") : QStringLiteral("0"));
        table.setCell(row, AccountName, name.toLower() + QString::number(i));
    }
    return table;
}

void BM_StartUpListBuild(benchmark::State &state)
{
    QTemporaryDir dir;
    Form1 form(dir.path());
    form.load();
    form.state.dataPresent = true;
    form.state.scanState = 2;
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
    form.state.scanState = 2;
    form.table = randomFriends(int(state.range(0)));
    form.sortOnlineFirst();
    for (auto _ : state)
        form.fillMainList();
}
BENCHMARK(BM_FillMainList)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

} // namespace
