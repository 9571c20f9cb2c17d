#include "scan/online_notice.h"

#include "lists/line_filter.h"

#include <algorithm>

namespace amiscan {

namespace {

// At most this many names are given in full; a longer list names the first ones and counts the
// rest, never fewer than two of them.
constexpr qsizetype NamesInFull = 3;
constexpr qsizetype NamesBeforeCount = 2;

} // namespace

QStringList selectedNames(const FriendsTable &table, const QList<FriendsTable::RowId> &friends,
                          bool userNames)
{
    // In table order, without walking the table.
    QList<int> rows;
    rows.reserve(friends.size());
    for (const FriendsTable::RowId id : friends) {
        if (const int row = table.findRow(id); row > 0)
            rows << row;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const LineFilter selectedOnly{.onlySelected = true};
    QStringList names;
    for (const int row : std::as_const(rows)) {
        if (selectedOnly.leavesOut(table, row))
            continue;
        names << (userNames ? table.cellText(row, AccountName)
                            : table.cellText(row, DisplayName) + table.cellText(row, NameMark));
    }
    return names;
}

QString onlineAnnouncement(const QStringList &names)
{
    switch (names.size()) {
    case 0:
        return {};
    case 1:
        return QStringLiteral("%1 is online").arg(names.constFirst());
    default:
        break;
    }
    // One pass of arg(): a "%2" in a name stays as it is.
    if (names.size() > NamesInFull) {
        return QStringLiteral("%1 and %2 more are online")
            .arg(names.first(NamesBeforeCount).join(QLatin1StringView(", ")),
                 QString::number(names.size() - NamesBeforeCount));
    }
    return QStringLiteral("%1 and %2 are online")
        .arg(names.first(names.size() - 1).join(QLatin1StringView(", ")), names.constLast());
}

} // namespace amiscan
