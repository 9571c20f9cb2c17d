#include "lists/table_sort.h"

#include "store/collation.h"
#include "store/friends_table.h"

namespace amiscan {

namespace {

// The given rows in ascending order of their keys.
QList<int> sortedRows(const FriendsTable &table, const QList<int> &rows, int keyColumn,
                      const Collation &collation)
{
    QStringList keys;
    keys.reserve(rows.size());
    for (int row : rows)
        keys << table.cell(row, keyColumn);
    QList<int> sorted;
    sorted.reserve(rows.size());
    for (int position : collation.order(keys))
        sorted << rows.at(position);
    return sorted;
}

} // namespace

int sortKeyColumn(int sortNameMode)
{
    return sortNameMode == 1 ? AccountName : DisplayName;
}

bool isOnlineRow(const FriendsTable &table, int row)
{
    return table.cell(row, Online).toInt() == 1;
}

void sortByKey(FriendsTable &table, int sortNameMode, const Collation &collation)
{
    QList<int> rows;
    rows.reserve(table.friendCount());
    for (int row = 1; row <= table.friendCount(); ++row)
        rows << row;
    table.rebuild(sortedRows(table, rows, sortKeyColumn(sortNameMode), collation));
}

void sortOnlineFirst(FriendsTable &table, int sortNameMode, const Collation &collation)
{
    QList<int> online;
    QList<int> others;
    for (int row = 1; row <= table.friendCount(); ++row)
        (isOnlineRow(table, row) ? online : others) << row;
    const int keyColumn = sortKeyColumn(sortNameMode);
    QList<int> order = sortedRows(table, online, keyColumn, collation);
    order << sortedRows(table, others, keyColumn, collation);
    table.rebuild(order);
}

void partitionOnlineFirst(FriendsTable &table)
{
    QList<int> order;
    QList<int> others;
    order.reserve(table.friendCount());
    for (int row = 1; row <= table.friendCount(); ++row)
        (isOnlineRow(table, row) ? order : others) << row;
    order << others;
    table.rebuild(order);
}

} // namespace amiscan
