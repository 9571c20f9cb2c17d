#pragma once

#include <QString>

namespace amiscan {

// The counters the list title reports.
struct ListCounters
{
    qint16 onlineCount = 0;
    qint16 shownOnlineCount = 0;
    qint16 selectedCount = 0;
    qint16 listedCount = 0;
};

struct ListTitle
{
    // The summary above the list and its tooltip, worded for the mode code.
    QString caption;
    QString tooltip;
    QString windowCaption;
};

// Three digits: "0" before the first scan of the run, else "1"; then the only-selected filter;
// then hide-offline.
QString listModeCode(bool scanStarted, bool onlySelected, bool hideOffline);

ListTitle listTitle(bool scanStarted, bool onlySelected, bool hideOffline,
                    const ListCounters &counters);

} // namespace amiscan
