#pragma once

#include "store/friends_table.h"

#include <QList>
#include <QStringList>

namespace amiscan {

// A friend as the main list names them: the user name in user-name mode, otherwise the display
// name with its substituted-name mark.
QString listedName(const FriendsTable &table, int row, bool userNames);

// The rows of the given friends still in the table, in the table's order, each once.
QList<int> rowsInTableOrder(const FriendsTable &table, const QList<FriendsTable::RowId> &friends);

// A name as a notification shows it: cut to 40 characters at most, without control or invisible
// characters, and unable to reorder the rest of the text.
QString notifiedName(const QString &name);

// The text that tells who came online: up to three names in full ("Ann and bob are online"),
// more than three summed up after the first two ("Ann, bob and 3 more are online"). Empty when
// there are no names. Each name is cut to 40 characters at most, without control or invisible
// characters, and cannot reorder the rest of the text.
QString onlineAnnouncement(const QStringList &names);
// The same with other words after the names, for one name and for more.
QString namesAnnouncement(const QStringList &names, const QString &one, const QString &many);

} // namespace amiscan
