// The main list, the management list, their title and heights as the window shows them.
#include "ui/lists_view.h"

#include "lists/list_layout.h"
#include "lists/main_list.h"
#include "model/main_model.h"
#include "ui/form1_texts.h"
#include "ui/line_list.h"
#include "ui/main_controls.h"
#include "ui/status_label.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QLabel>

namespace amiscan {

ListsView::ListsView(const MainControls &controls, MainModel &model) : m_c(controls), m_model(model)
{
}

void ListsView::fillInstructions()
{
    QStringList mainLines{QString()};
    for (const QString &line : texts::MainListInstructions)
        mainLines << line;
    for (int i = 0; i < 12; ++i)
        mainLines << QString();
    m_c.List1->setLines(mainLines);

    m_c.List2->setLines(
        {QString(), texts::ManageListInstructions[0], texts::ManageListInstructions[1]},
        {false, true, true});
}

void ListsView::fillMainList()
{
    const MainState &state = m_model.state();
    if (!mainListHasContent(state.scanState == ScanState::PageRead, state.dataPresent))
        return;
    // The friends' lines are built as the list shows them.
    const MainListContent content = m_model.mainList();
    const FriendsTable &table = m_model.table();
    QList<ListLine> lines(content.lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        lines[i] = ListLine{table.rowId(content.rows.at(i)), content.lines.at(i)};
    m_c.List1->setFriendLines(table, m_model.lineModes(), std::move(lines));

    updateListTitle();
}

void ListsView::fillManageList()
{
    fillManageList(allRows(m_model.table()));
}

void ListsView::fillManageList(const QList<int> &rowsByKey)
{
    // The lines are built as the list shows them.
    ManageListContent content = m_model.manageList(rowsByKey);
    QList<ListLine> lines(content.friends.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        lines[i].friendId = content.friends.at(i);
    m_c.List2->setFriendLines(m_model.table(), m_model.lineModes(), std::move(lines),
                              content.checked);
    updateListTitle();
}

void ListsView::refillManageList(const QList<int> &rowsByKey)
{
    // The marks reach the table only on the return to the main list: until then the list keeps
    // them through a scan's refill, new friends taking the table's.
    const QHash<FriendsTable::RowId, bool> unsaved =
        m_model.state().manageMode ? m_c.List2->friendMarks() : QHash<FriendsTable::RowId, bool>();
    fillManageList(rowsByKey);
    m_c.List2->setFriendMarks(unsaved);
}

void ListsView::updateListTitle()
{
    const ListTitle title = m_model.listTitle();
    m_c.LabInfo->setText(title.caption);
    m_c.LabInfo->setToolTip(title.tooltip);
    m_c.window->setWindowTitle(title.windowCaption);
}

void ListsView::layoutLists()
{
    const MainState &state = m_model.state();
    LayoutInput input;
    input.mainLines = int(m_c.List1->count());
    input.manageLines = int(m_c.List2->count());
    input.manageMode = state.manageMode;
    input.panelHidden = state.panelState == PanelState::Hidden;
    // The list's own visibility, whether or not the window is on screen.
    input.mainListVisible = !m_c.List1->isHidden();
    input.windowReady = state.windowReady;
    input.minListLines = state.minListLines;
    input.maxListLines = state.maxListLines;
    const ListLayout layout = layoutFor(input);

    setTwipsHeight(m_c.List1, layout.mainHeight);
    setTwipsHeight(m_c.List2, layout.manageHeight);
    setTwipsTop(m_c.LabHelp, layout.helpTop);
    setTwipsTop(m_c.LabHelpNom, layout.helpTop);
    // A minimised window keeps its size until it comes back (the restore lays the lists out
    // again): some desktops bring a minimised window back when its size changes.
    QWidget *window = m_c.window;
    if (twipsGeometry(window).height() != layout.windowHeight && !window->isMinimized())
        setTwipsHeight(window, layout.windowHeight);
}

} // namespace amiscan
