#pragma once

#include "store/friends_table.h"

#include <QList>
#include <QString>

#include <vector>

namespace amiscan {

class Collation;

// Rows 1 to friendCount(), in table order.
QList<int> allRows(const FriendsTable &table);

// The rows in ascending order of their texts in the column; rows whose texts are equal keep the
// order they are given in. O(n log n).
QList<int> rowsInKeyOrder(const FriendsTable &table, const QList<int> &rows, int keyColumn,
                          const Collation &collation);

// The key order of a table's rows, kept from one call to the next so that an order re-places only
// the rows whose key changed or that are new since the last one. The order is always the one a
// full sort gives: ascending keys, and rows whose keys are equal as text in their table order.
class KeyOrder final
{
public:
    // Rows 1 to friendCount() in ascending order of their texts in the column.
    QList<int> rows(const FriendsTable &table, int keyColumn, const Collation &collation);

private:
    int m_keyColumn = 0;
    // The friends of the last order, in it, and per place whether its key is equal as text to
    // the one of the place before (such friends follow each other): the ties among the friends
    // that keep their keys are known without reading a key again.
    std::vector<FriendsTable::RowId> m_ids;
    std::vector<bool> m_tiedBefore;
    // Per friend number, the stamp of its names in the last order (FriendsTable::nameStamp):
    // four bytes a friend where a copy of its key took twenty-four. NoStamp for a friend not in
    // it.
    std::vector<quint32> m_stamps;
};

} // namespace amiscan
