#pragma once

#include "store/friends_table.h"

#include <QList>
#include <QStringList>

namespace amiscan {

// The names of the selected friends among the given ones (those the merge found coming online),
// in the table's order, as the main list names them: the user name in user-name mode, otherwise
// the display name with its substituted-name mark.
QStringList selectedNames(const FriendsTable &table, const QList<FriendsTable::RowId> &friends,
                          bool userNames);

// The text that tells who came online: up to three names in full ("Ann and bob are online"),
// more than three summed up after the first two ("Ann, bob and 3 more are online"). Empty when
// there are no names. Each name is cut to 40 characters at most, without control or invisible
// characters, and cannot reorder the rest of the text.
QString onlineAnnouncement(const QStringList &names);

} // namespace amiscan
