// The table's orders and the lists' contents, with the counters the list title reports.
#include "lists/manage_links.h"
#include "model/main_model.h"

#include <QStringView>

#include <charconv>
#include <iterator>

namespace amiscan {

namespace {

// Whether the text is the number written in decimal, without making a string of the number.
bool holdsNumber(QStringView text, int number)
{
    char digits[16];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), number);
    return text == QLatin1StringView(digits, written.ptr - digits);
}

} // namespace

// A table whose order, names and online flags are as the last sort left them is in that order
// already: sorting it again would give the same table.
bool MainModel::sortedAlready(TableOrder order) const
{
    return m_tableOrder == order && m_sortedVersion == m_table.orderVersion() &&
           m_sortedNameMode == m_state.sortNameMode;
}

void MainModel::sortedAs(TableOrder order)
{
    m_tableOrder = order;
    m_sortedVersion = m_table.orderVersion();
    m_sortedNameMode = m_state.sortNameMode;
}

void MainModel::sortByKey()
{
    if (sortedAlready(TableOrder::ByKey))
        return;
    amiscan::sortByKey(m_table, m_state.sortNameMode, m_collation, &m_keyOrder);
    sortedAs(TableOrder::ByKey);
}

void MainModel::sortOnlineFirst()
{
    if (sortedAlready(TableOrder::OnlineFirst))
        return;
    // In key order, the online friends need only be taken out first.
    if (sortedAlready(TableOrder::ByKey))
        partitionOnlineFirst(m_table);
    else
        amiscan::sortOnlineFirst(m_table, m_state.sortNameMode, m_collation, &m_keyOrder);
    sortedAs(TableOrder::OnlineFirst);
}

LineModes MainModel::lineModes() const
{
    return LineModes{m_state.userNames, m_state.sessionShown != Session::First};
}

MainListContent MainModel::mainList()
{
    MainListSwitches switches;
    switches.scanStarted = m_state.scanState != ScanState::NotStarted;
    switches.modes = lineModes();
    switches.filter = LineFilter{m_state.onlySelected, m_state.hideOffline};
    switches.minListLines = m_state.minListLines;
    MainListContent content = buildMainList(m_table, switches, false);
    m_state.onlineCount = content.onlineCount;
    m_state.shownOnlineCount = content.shownOnlineCount;
    return content;
}

ManageListContent MainModel::manageList()
{
    return manageList(allRows(m_table));
}

ManageListContent MainModel::manageList(const QList<int> &rowsByKey)
{
    ManageListContent content;
    content.friends.resize(rowsByKey.size());
    // A line is checked unless its friend is marked unselected.
    content.checked = QList<bool>(rowsByKey.size(), true);
    qint16 selected = 0;
    for (qsizetype i = 0; i < rowsByKey.size(); ++i) {
        const int row = rowsByKey.at(i);
        const int position = int(i) + 1;
        content.friends[i] = m_table.rowId(row);
        // The line's place links it to its friend through every later reordering. A refill in
        // the same order finds the links in place.
        if (!holdsNumber(m_table.cellText(row, ManagePos), position))
            m_table.setCell(row, ManagePos, QString::number(position));
        if (m_table.cellText(row, Unselected) == QLatin1StringView("1"))
            content.checked[i] = false;
        else
            ++selected;
    }
    m_state.listedCount = qint16(rowsByKey.size());
    m_state.selectedCount = selected;
    return content;
}

ListTitle MainModel::listTitle() const
{
    const ListCounters counters{m_state.onlineCount, m_state.shownOnlineCount,
                                m_state.selectedCount, m_state.listedCount};
    return amiscan::listTitle(m_state.scanState != ScanState::NotStarted, m_state.onlySelected,
                              m_state.hideOffline, counters);
}

void MainModel::writeBackMarks(const QList<bool> &checked)
{
    m_state.selectedCount = amiscan::writeBackMarks(m_table, checked);
}

int MainModel::removeFriend(FriendsTable::RowId friendId)
{
    const int row = m_table.findRow(friendId);
    if (row < 0)
        return 0;
    if (m_table.cell(row, Unselected).toInt() == 0 && m_state.selectedCount > 0)
        --m_state.selectedCount;
    if (m_state.listedCount > 0)
        --m_state.listedCount;
    return removeManagedFriend(m_table, row);
}

} // namespace amiscan
