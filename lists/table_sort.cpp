#include "lists/table_sort.h"

#include "store/collation.h"

#include <algorithm>

namespace amiscan {

QList<int> onlineFirst(const FriendsTable &table, const QList<int> &rows)
{
    QList<int> order;
    QList<int> others;
    order.reserve(rows.size());
    for (int row : rows)
        (isOnlineRow(table, row) ? order : others) << row;
    order << others;
    return order;
}

int sortKeyColumn(int sortNameMode)
{
    return sortNameMode == 1 ? AccountName : DisplayName;
}

bool isOnlineRow(const FriendsTable &table, int row)
{
    const QString &online = table.cellText(row, Online);
    // Nearly always the one character the program writes.
    if (online.size() == 1)
        return online.front() == u'1';
    return online.toInt() == 1;
}

void sortByKey(FriendsTable &table, int sortNameMode, const Collation &collation, KeyOrder *kept)
{
    const int keyColumn = sortKeyColumn(sortNameMode);
    table.rebuild(kept ? kept->rows(table, keyColumn, collation)
                       : rowsInKeyOrder(table, allRows(table), keyColumn, collation));
}

void sortOnlineFirst(FriendsTable &table, int sortNameMode, const Collation &collation,
                     KeyOrder *kept)
{
    // Taking the online friends out of the key order keeps each group in key order.
    const int keyColumn = sortKeyColumn(sortNameMode);
    table.rebuild(
        onlineFirst(table, kept ? kept->rows(table, keyColumn, collation)
                                : rowsInKeyOrder(table, allRows(table), keyColumn, collation)));
}

void partitionOnlineFirst(FriendsTable &table)
{
    table.rebuild(onlineFirst(table, allRows(table)));
}

} // namespace amiscan
