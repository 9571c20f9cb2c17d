// The end of a scan that read the friends page: the lists show the merged table again, the
// scan is stamped, the history is kept, and the repeat count-down goes on.
#include "lists/table_sort.h"
#include "schedule/countdown.h"
#include "schedule/interval.h"
#include "store/clock.h"
#include "store/time_text.h"
#include "ui/colors.h"
#include "ui/form1.h"
#include "ui/line_list.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace amiscan {

void Form1::finishMergedScan()
{
    state.scanState = ScanState::PageRead;
    // The table is reordered once, online friends first; the management list takes its places
    // from the key order that this starts from.
    const QList<int> rowsByKey =
        m_keyOrder.rows(table, sortKeyColumn(state.sortNameMode), m_collation);
    refillManageList(rowsByKey);
    table.rebuild(onlineFirst(table, rowsByKey));
    sortedAs(TableOrder::OnlineFirst);
    fillMainList();
    layoutLists();
    completeScan();
}

void Form1::completeScan()
{
    Timer1->stop();
    const QString stamp = formatScanStamp(Clock::now());
    LabScanLast->setText(texts::LastScanPrefix + stamp);
    state.lastScanStamp = stamp;
    setForeColor(List1, state.sessionShown == Session::First ? colors::Blue : colors::Green);
    // While the management list is shown the history waits for the next save.
    if (List1->isVisibleTo(this))
        saveHistory();
    ButGo->setText(texts::StartCaption);
    setBackColor(ButGo, colors::LightGreen);
    // The box may be in the middle of an edit: the count takes the interval the box will hold
    // once it is left, so it always holds a number.
    if (minutesValue(state.minutesLeft) <= 0)
        state.minutesLeft = validatedInterval(TextTimerScan->text());
    // A running count-down keeps its minute: restarting the timer would delay the next scan.
    if (state.repeatOn && !TimerScan->isActive())
        TimerScan->start();
    state.scanCompleted = true;
    refreshScanStatus();
}

} // namespace amiscan
