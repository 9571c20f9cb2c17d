// The window's own work on a full table, each measured as one block of its event loop: a scan's
// completion, the list option check boxes, and start-up from a history file to the filled window.
#include "model/main_model.h"
#include "random_friends.h"
#include "store/data_dir.h"
#include "store/history_file.h"
#include "tests/window_controls.h"
#include "ui/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace amiscan;

// What the window waits for before the next run; the history save may still be under way.
void settle(MainModel &model)
{
    model.waitForHistorySave();
    QCoreApplication::processEvents();
}

struct Window
{
    QTemporaryDir dir;
    MainModel model{dir.path()};
    Form1 form{model};

    explicit Window(int friends)
    {
        form.load();
        model.tableForTests() = randomFriends(friends);
        model.stateForTests().dataPresent = true;
        model.stateForTests().scanState = ScanState::PageRead;
        form.showTable();
        form.show();
        QCoreApplication::processEvents();
    }
};

// The end of a scan that read the friends page: sorts, both lists, the stamp, the history save.
void BM_ScanCompletion(benchmark::State &state)
{
    Window w(int(state.range(0)));
    for (auto _ : state) {
        w.model.finishMergedScan();
        state.PauseTiming();
        settle(w.model);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ScanCompletion)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

// A click on one of the three option check boxes: 0 only-selected, 1 hide-offline, 2 user names.
void BM_ToggleOption(benchmark::State &state)
{
    Window w(MaxFriends);
    QCheckBox *boxes[] = {findControl<QCheckBox>(w.form, "CheckFlter"),
                          findControl<QCheckBox>(w.form, "CheckHideOff"),
                          findControl<QCheckBox>(w.form, "CheckUser")};
    QCheckBox *box = boxes[state.range(0)];
    for (auto _ : state) {
        box->click();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ToggleOption)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// From the window's creation to its filled lists, with a history file of the given size.
void BM_StartUp(benchmark::State &state)
{
    QTemporaryDir dir;
    history::writeFile(historyFilePath(dir.path()), randomFriends(int(state.range(0))),
                       QStringLiteral("04/09/12 16:02"));
    for (auto _ : state) {
        auto model = std::make_unique<MainModel>(dir.path());
        auto form = std::make_unique<Form1>(*model);
        form->load();
        QCoreApplication::processEvents();
        // Not the ending: the presence log finishes importing the history before it closes.
        state.PauseTiming();
        if (model->table().friendCount() != state.range(0))
            state.SkipWithError("the history was not read");
        form.reset();
        model.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

} // namespace
