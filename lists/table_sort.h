#pragma once

#include "store/friends_table.h"

#include <QList>
#include <QString>

namespace amiscan {

class Collation;

// The column whose text is a row's sort key: AccountName when the program started with user
// names shown (sortNameMode 1), otherwise DisplayName (without its name mark).
int sortKeyColumn(int sortNameMode);

// A friend's Online cell read as the number it holds.
bool isOnlineRow(const FriendsTable &table, int row);

// The key order of a table's rows, kept from one sort to the next so that a sort re-places only
// the rows whose key changed or that are new since the last one. The order is always the one a
// full sort gives: ascending keys, and rows whose keys are equal as text in their table order.
class KeyOrder final
{
public:
    // Rows 1 to friendCount() in ascending key order.
    QList<int> rows(const FriendsTable &table, int keyColumn, const Collation &collation);

private:
    int m_keyColumn = 0;
    // The friends of the last order, in it.
    QList<FriendsTable::RowId> m_ids;
    // Per friend number, its key in the last order; a null text for a friend not in it.
    QList<QString> m_keys;
};

// Reorders the friend rows in ascending order of their sort keys (the management list's order).
// Every row keeps all its cells. With a kept order, only rows whose key changed since are sorted.
void sortByKey(FriendsTable &table, int sortNameMode, const Collation &collation,
               KeyOrder *kept = nullptr);

// Reorders the rows with the online friends first, each group in ascending key order (the main
// list's order). Every row keeps all its cells, its management list position included.
void sortOnlineFirst(FriendsTable &table, int sortNameMode, const Collation &collation,
                     KeyOrder *kept = nullptr);

// The same order as sortOnlineFirst for a table in the order sortByKey leaves: the online friends
// taken out first, each group keeping its order, so no key is compared. O(n).
void partitionOnlineFirst(FriendsTable &table);

} // namespace amiscan
