#pragma once

#include "lists/friend_line.h"
#include "lists/line_filter.h"

#include <QStringList>

namespace amiscan {

class FriendsTable;

// What the main list is built from besides the table, which is in online-first order.
struct MainListSwitches
{
    bool scanStarted = false; // a scan has been started in this run
    LineModes modes;
    LineFilter filter;
    int minListLines = 15;
};

struct MainListContent
{
    QStringList lines;
    // Per line, the row of its friend, or 0 for the separator and the lines below the friends.
    QList<int> rows;
    qint16 onlineCount = 0;      // friends online at the last scan
    qint16 shownOnlineCount = 0; // online friends whose line is in the list
};

// The line shown in place of the friends when none is listed.
inline const QString EmptyListLine = QStringLiteral("(empty list)");

// Before any data exists the main list keeps what start-up placed in it.
inline bool mainListHasContent(bool pageRead, bool dataPresent)
{
    return pageRead || dataPresent;
}

// The main list: a line per friend that passes the filter, the separator (an empty line when
// offline friends are hidden) before the first offline friend once a scan has started, and blank
// lines up to one more than the fewest rows the list shows.
// Without friendTexts the friends' lines are left empty, for a list that builds them as it
// shows them (from rows).
MainListContent buildMainList(const FriendsTable &table, const MainListSwitches &switches,
                              bool friendTexts = true);

} // namespace amiscan
