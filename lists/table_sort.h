#pragma once

#include "store/friends_table.h"
#include "store/key_order.h"

#include <QList>
#include <QString>

namespace amiscan {

class Collation;

// The column whose text is a row's sort key: AccountName when the program started with user
// names shown (sortNameMode 1), otherwise DisplayName (without its name mark).
int sortKeyColumn(int sortNameMode);

// A friend's Online cell read as the number it holds.
bool isOnlineRow(const FriendsTable &table, int row);

// Reorders the friend rows in ascending order of their sort keys (the management list's order).
// Every row keeps all its cells. With a kept order, only rows whose key changed since are sorted.
void sortByKey(FriendsTable &table, int sortNameMode, const Collation &collation,
               KeyOrder *kept = nullptr);

// Reorders the rows with the online friends first, each group in ascending key order (the main
// list's order). Every row keeps all its cells, its management list position included.
void sortOnlineFirst(FriendsTable &table, int sortNameMode, const Collation &collation,
                     KeyOrder *kept = nullptr);

// The rows with the online friends first, each group keeping its order.
QList<int> onlineFirst(const FriendsTable &table, const QList<int> &rows);

// The same order as sortOnlineFirst for a table in the order sortByKey leaves: the online friends
// taken out first, each group keeping its order, so no key is compared. O(n).
void partitionOnlineFirst(FriendsTable &table);

} // namespace amiscan
