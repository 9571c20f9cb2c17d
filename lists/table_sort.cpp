#include "lists/table_sort.h"

#include "store/collation.h"

#include <algorithm>

namespace amiscan {

namespace {

// The given rows in ascending order of their keys; rows with keys equal as text keep their order.
QList<int> sortedRows(const FriendsTable &table, const QList<int> &rows, int keyColumn,
                      const Collation &collation)
{
    QStringList keys;
    keys.reserve(rows.size());
    for (int row : rows)
        keys << table.cellText(row, keyColumn);
    QList<int> sorted;
    sorted.reserve(rows.size());
    for (int position : collation.order(keys))
        sorted << rows.at(position);
    return sorted;
}

bool sameText(const QString &a, const QString &b)
{
    return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

// The online rows first, each group keeping its order.
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

QList<int> allRows(const FriendsTable &table)
{
    QList<int> rows;
    rows.reserve(table.friendCount());
    for (int row = 1; row <= table.friendCount(); ++row)
        rows << row;
    return rows;
}

} // namespace

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

QList<int> KeyOrder::rows(const FriendsTable &table, int keyColumn, const Collation &collation)
{
    const int friends = table.friendCount();
    if (keyColumn != m_keyColumn) {
        m_ids.clear();
        m_keys.clear();
        m_keyColumn = keyColumn;
    }
    FriendsTable::RowId lastId = 0;
    for (int row = 1; row <= friends; ++row)
        lastId = std::max(lastId, table.rowId(row));

    // The rows whose key is the one of the last order keep their places among themselves; the
    // others are placed anew.
    QList<int> rowOfId(qsizetype(lastId) + 1, 0);
    QList<bool> placed(friends + 1, false);
    QList<int> moved;
    for (int row = 1; row <= friends; ++row) {
        const FriendsTable::RowId id = table.rowId(row);
        rowOfId[id] = row;
        const bool known = id < FriendsTable::RowId(m_keys.size()) && !m_keys.at(id).isNull();
        if (known && sameText(m_keys.at(id), table.cellText(row, keyColumn)))
            placed[row] = true;
        else
            moved << row;
    }
    QList<int> kept;
    kept.reserve(friends);
    for (const FriendsTable::RowId id : std::as_const(m_ids)) {
        const int row = id <= lastId ? rowOfId.at(id) : 0;
        if (row > 0 && placed.at(row))
            kept << row;
    }

    QList<int> order;
    // A great many changes, or a table the last order does not cover: sort every row.
    if (kept.size() + moved.size() != friends || moved.size() > friends / 4) {
        order = sortedRows(table, allRows(table), keyColumn, collation);
    } else {
        // Rows with keys equal as text follow each other; among them the table order holds.
        for (qsizetype start = 0; start < kept.size();) {
            qsizetype end = start + 1;
            const QString &key = table.cellText(kept.at(start), keyColumn);
            while (end < kept.size() && sameText(table.cellText(kept.at(end), keyColumn), key))
                ++end;
            if (end - start > 1)
                std::sort(kept.begin() + start, kept.begin() + end);
            start = end;
        }
        const auto before = [&](int a, int b) {
            const QString &keyA = table.cellText(a, keyColumn);
            const QString &keyB = table.cellText(b, keyColumn);
            if (collation.before(keyA, keyB))
                return true;
            if (collation.before(keyB, keyA))
                return false;
            return a < b;
        };
        order.reserve(friends);
        auto next = kept.cbegin();
        for (const int row : sortedRows(table, moved, keyColumn, collation)) {
            const auto place = std::lower_bound(next, kept.cend(), row, before);
            order.append(next, place);
            order << row;
            next = place;
        }
        order.append(next, kept.cend());
    }

    m_ids.resize(order.size());
    m_keys = QList<QString>(qsizetype(lastId) + 1);
    for (qsizetype i = 0; i < order.size(); ++i) {
        const FriendsTable::RowId id = table.rowId(order.at(i));
        m_ids[i] = id;
        m_keys[id] = table.cellText(order.at(i), keyColumn);
    }
    return order;
}

void sortByKey(FriendsTable &table, int sortNameMode, const Collation &collation, KeyOrder *kept)
{
    const int keyColumn = sortKeyColumn(sortNameMode);
    table.rebuild(kept ? kept->rows(table, keyColumn, collation)
                       : sortedRows(table, allRows(table), keyColumn, collation));
}

void sortOnlineFirst(FriendsTable &table, int sortNameMode, const Collation &collation,
                     KeyOrder *kept)
{
    // Taking the online friends out of the key order keeps each group in key order.
    const int keyColumn = sortKeyColumn(sortNameMode);
    table.rebuild(
        onlineFirst(table, kept ? kept->rows(table, keyColumn, collation)
                                : sortedRows(table, allRows(table), keyColumn, collation)));
}

void partitionOnlineFirst(FriendsTable &table)
{
    table.rebuild(onlineFirst(table, allRows(table)));
}

} // namespace amiscan
