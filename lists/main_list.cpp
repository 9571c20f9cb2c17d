#include "lists/main_list.h"

#include "lists/table_sort.h"
#include "store/friends_table.h"

namespace amiscan {

MainListContent buildMainList(const FriendsTable &table, const MainListSwitches &switches,
                              bool friendTexts)
{
    MainListContent content;
    const int friends = table.friendCount();
    int online = 0;
    for (int row = 1; row <= friends; ++row) {
        if (isOnlineRow(table, row))
            ++online;
    }
    content.onlineCount = qint16(online);

    const QString separator = switches.filter.hideOffline ? QString() : separatorLine();
    content.lines.reserve(friends + switches.minListLines + 3);
    content.rows.reserve(friends + switches.minListLines + 3);
    int shownOnline = 0;
    for (int row = 1; row <= friends; ++row) {
        // In online-first order this row is the first offline friend.
        if (switches.scanStarted && online != 0 && row == online + 1) {
            content.lines << separator;
            content.rows << 0;
        }
        if (switches.filter.leavesOut(table, row))
            continue;
        content.lines << (friendTexts ? friendLine(table, row, switches.modes) : QString());
        content.rows << row;
        if (isOnlineRow(table, row))
            ++shownOnline;
    }
    content.shownOnlineCount = qint16(shownOnline);

    const qsizetype shown = content.lines.size();
    if (switches.minListLines > shown) {
        if (shown == 0)
            content.lines << EmptyListLine;
        for (qsizetype i = shown; i <= switches.minListLines; ++i)
            content.lines << QString();
        content.rows.resize(content.lines.size(), 0);
    }
    return content;
}

} // namespace amiscan
