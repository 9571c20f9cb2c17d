// The main list, its title and the list heights as the window shows them, and the handling of
// the list option check boxes. The lines, sorts, wording and heights come from the pure builders.
#include "ui/main_list_view.h"

#include "lists/list_layout.h"
#include "lists/list_title.h"
#include "lists/main_list.h"
#include "lists/table_sort.h"
#include "store/collation.h"
#include "ui/form1.h"
#include "ui/line_list.h"
#include "ui/mouse_events.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace amiscan {

// A table whose order, names and online flags are as the last sort left them is in that order
// already: sorting it again would give the same table.
bool Form1::sortedAlready(TableOrder order) const
{
    return m_tableOrder == order && m_sortedVersion == table.orderVersion() &&
           m_sortedNameMode == state.sortNameMode;
}

void Form1::sortedAs(TableOrder order)
{
    m_tableOrder = order;
    m_sortedVersion = table.orderVersion();
    m_sortedNameMode = state.sortNameMode;
}

void Form1::sortByKey()
{
    if (sortedAlready(TableOrder::ByKey))
        return;
    amiscan::sortByKey(table, state.sortNameMode, m_collation, &m_keyOrder);
    sortedAs(TableOrder::ByKey);
}

void Form1::sortOnlineFirst()
{
    if (sortedAlready(TableOrder::OnlineFirst))
        return;
    // In key order, the online friends need only be taken out first.
    if (sortedAlready(TableOrder::ByKey))
        partitionOnlineFirst(table);
    else
        amiscan::sortOnlineFirst(table, state.sortNameMode, m_collation, &m_keyOrder);
    sortedAs(TableOrder::OnlineFirst);
}

void Form1::fillMainList()
{
    if (!mainListHasContent(state.scanState == ScanState::PageRead, state.dataPresent))
        return;
    MainListSwitches switches;
    switches.scanStarted = state.scanState != ScanState::NotStarted;
    switches.modes = LineModes{CheckUser->isChecked(), state.sessionShown != Session::First};
    switches.filter = LineFilter{CheckFlter->isChecked(), CheckHideOff->isChecked()};
    switches.minListLines = state.minListLines;
    // The friends' lines are built as the list shows them.
    const MainListContent content = buildMainList(table, switches, false);
    state.onlineCount = content.onlineCount;
    state.shownOnlineCount = content.shownOnlineCount;
    QList<ListLine> lines(content.lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        lines[i] = ListLine{table.rowId(content.rows.at(i)), content.lines.at(i)};
    List1->setFriendLines(table, switches.modes, std::move(lines));

    updateListTitle();
}

void Form1::updateListTitle()
{
    const ListCounters counters{state.onlineCount, state.shownOnlineCount, state.selectedCount,
                                state.listedCount};
    const ListTitle title = listTitle(state.scanState != ScanState::NotStarted,
                                      CheckFlter->isChecked(), CheckHideOff->isChecked(), counters);
    LabInfo->setText(title.caption);
    LabInfo->setToolTip(title.tooltip);
    setWindowTitle(title.windowCaption);
}

void Form1::layoutLists()
{
    LayoutInput input;
    input.mainLines = int(List1->count());
    input.manageLines = int(List2->count());
    input.manageMode = state.manageMode;
    input.panelHidden = state.panelState == PanelState::Hidden;
    // The list's own visibility, whether or not the window is on screen.
    input.mainListVisible = !List1->isHidden();
    input.windowReady = state.windowReady;
    input.minListLines = state.minListLines;
    input.maxListLines = state.maxListLines;
    const ListLayout layout = layoutFor(input);

    setTwipsHeight(List1, layout.mainHeight);
    setTwipsHeight(List2, layout.manageHeight);
    setTwipsTop(LabHelp, layout.helpTop);
    setTwipsTop(LabHelpNom, layout.helpTop);
    // A minimised window keeps its size until it comes back (the restore lays the lists out
    // again): some desktops bring a minimised window back when its size changes.
    if (windowHeightTwips() != layout.windowHeight && !isMinimized())
        setWindowHeightTwips(layout.windowHeight);
}

namespace {

// A click on a label or a top-row button flips its check box, like a click on the box itself.
void flip(QCheckBox *box)
{
    box->setChecked(!box->isChecked());
}

// The only-selected filter and hide-offline: the top-row button follows, and the main list, when
// shown, is rebuilt in online-first order.
void connectFilter(Form1 &form, QCheckBox *box, QPushButton *topRowButton, const QString &onText,
                   const QString &offText)
{
    QObject::connect(box, &QCheckBox::toggled, &form,
                     [&form, topRowButton, onText, offText](bool checked) {
                         topRowButton->setText(checked ? onText : offText);
                         if (!form.List1->isHidden()) {
                             form.sortOnlineFirst();
                             form.fillMainList();
                             form.layoutLists();
                         }
                     });
}

} // namespace

void connectListOptions(Form1 &form)
{
    connectFilter(form, form.CheckFlter, form.ButHideCheckFlter, texts::FilterOn, texts::FilterOff);
    connectFilter(form, form.CheckHideOff, form.ButHideCheckHideOff, texts::HideOfflineOn,
                  texts::HideOfflineOff);

    // The name mode changes the names shown, never the order.
    QObject::connect(form.CheckUser, &QCheckBox::toggled, &form, [&form](bool checked) {
        form.ButHideCheckUser->setText(checked ? texts::NameUser : texts::NameDisplay);
        if (!form.List1->isHidden())
            form.fillMainList();
        else
            form.fillManageList();
        form.layoutLists();
        if (!form.List2->isHidden())
            form.List2->setCurrentRow(-1);
    });

    const auto flipper = [&form](QCheckBox *box) {
        return [&form, box] {
            form.parkFocus();
            flip(box);
        };
    };
    onClick(form.LabCheckHideOff, flipper(form.CheckHideOff));
    onClick(form.LabCheckUser, flipper(form.CheckUser));
    QObject::connect(form.ButHideCheckFlter, &QPushButton::clicked, &form,
                     flipper(form.CheckFlter));
    QObject::connect(form.ButHideCheckHideOff, &QPushButton::clicked, &form,
                     flipper(form.CheckHideOff));
    QObject::connect(form.ButHideCheckUser, &QPushButton::clicked, &form, flipper(form.CheckUser));

    // The label beside the only-selected filter turns it on but never off: with the filter on,
    // the list is rebuilt twice and the filter stays on.
    onClick(form.LabCheckFlter, [&form] {
        form.parkFocus();
        flip(form.CheckFlter);
        if (!form.CheckFlter->isChecked())
            form.CheckFlter->setChecked(true);
    });
}

} // namespace amiscan
