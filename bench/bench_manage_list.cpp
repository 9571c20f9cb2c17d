// The management list and the session switch on the real window, for a typical and for the
// largest friends table: opening the management list, returning from it with the marks written
// back, deleting one friend (answered Yes), and switching the session shown.
#include "model/main_model.h"
#include "random_friends.h"
#include "tests/window_controls.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/line_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

using namespace amiscan;

// A shown window with the lists as start-up builds them from a read history.
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
    }
};

void BM_OpenManageList(benchmark::State &state)
{
    Window w(int(state.range(0)));
    for (auto _ : state) {
        w.form.showManageList();
        state.PauseTiming();
        w.form.showMainList();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenManageList)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

void BM_ReturnWithMarks(benchmark::State &state)
{
    Window w(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        w.form.showManageList();
        // One mark changed, so that each return writes something new.
        LineList *list = findControl<LineList>(w.form, "List2");
        const int line = list->count() / 2;
        list->setCheckState(line,
                            list->checkState(line) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        state.ResumeTiming();
        w.form.showMainList();
    }
}
BENCHMARK(BM_ReturnWithMarks)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

// The Delete key on a line in the middle of the list, the question answered Yes as soon as it
// is shown. Each run removes one friend, so the runs are few.
void BM_DeleteOneFriend(benchmark::State &state)
{
    Window w(int(state.range(0)));
    w.form.showManageList();
    for (auto _ : state) {
        state.PauseTiming();
        findControl<LineList>(w.form, "List2")
            ->setCurrentRow(findControl<LineList>(w.form, "List2")->count() / 2);
        QTimer::singleShot(0, &w.form, [&w] {
            if (Form2 *dialog = w.form.dialog())
                dialog->ButYes->click();
        });
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        const int before = w.model.table().friendCount();
        state.ResumeTiming();
        QApplication::sendEvent(findControl<LineList>(w.form, "List2"), &del);
        state.PauseTiming();
        if (w.model.table().friendCount() != before - 1)
            state.SkipWithError("no friend was deleted");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteOneFriend)
    ->Arg(1024)
    ->Arg(MaxFriends)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

void BM_SwitchSession(benchmark::State &state)
{
    Window w(int(state.range(0)));
    for (auto _ : state)
        w.form.switchSession();
}
BENCHMARK(BM_SwitchSession)->Arg(1024)->Arg(MaxFriends)->Unit(benchmark::kMillisecond);

} // namespace
