#include "store/key_order.h"

#include "store/collation.h"

#include <algorithm>
#include <numeric>

namespace amiscan {

namespace {

bool sameText(const QString &a, const QString &b)
{
    return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

// Per place of the order, the first place of the rows whose keys are equal as text to its own.
QList<int> runsOf(const FriendsTable &table, const QList<int> &order, int keyColumn)
{
    QList<int> runs(order.size());
    for (qsizetype i = 0; i < order.size(); ++i) {
        const bool tied = i > 0 && sameText(table.cellText(order.at(i), keyColumn),
                                            table.cellText(order.at(i - 1), keyColumn));
        runs[i] = tied ? runs.at(i - 1) : int(i);
    }
    return runs;
}

} // namespace

QList<int> allRows(const FriendsTable &table)
{
    QList<int> rows(table.friendCount());
    std::iota(rows.begin(), rows.end(), 1);
    return rows;
}

QList<int> rowsInKeyOrder(const FriendsTable &table, const QList<int> &rows, int keyColumn,
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

QList<int> KeyOrder::rows(const FriendsTable &table, int keyColumn, const Collation &collation)
{
    const int friends = table.friendCount();
    if (keyColumn != m_keyColumn) {
        m_ids.clear();
        m_tiedBefore.clear();
        m_stamps.clear();
        m_keyColumn = keyColumn;
    }
    FriendsTable::RowId lastId = 0;
    for (int row = 1; row <= friends; ++row)
        lastId = std::max(lastId, table.rowId(row));
    if (m_stamps.size() <= size_t(lastId)) {
        // A few friends more at a time, not twice as many.
        m_stamps.reserve(size_t(lastId) + 1 + 256);
        m_stamps.resize(size_t(lastId) + 1, NoStamp);
    }

    // The rows whose key is the one of the last order keep their places among themselves; the
    // others are placed anew.
    QList<int> rowOfId(qsizetype(lastId) + 1, 0);
    QList<bool> placed(friends + 1, false);
    QList<int> moved;
    for (int row = 1; row <= friends; ++row) {
        const FriendsTable::RowId id = table.rowId(row);
        rowOfId[id] = row;
        if (m_stamps.at(id) == table.nameStamp(row))
            placed[row] = true;
        else
            moved << row;
    }
    QList<int> kept;
    QList<int> keptRuns;
    kept.reserve(friends);
    keptRuns.reserve(friends);
    int runStart = 0;
    for (size_t i = 0; i < m_ids.size(); ++i) {
        const FriendsTable::RowId id = m_ids.at(i);
        const int row = id <= lastId ? rowOfId.at(id) : 0;
        if (!m_tiedBefore.at(i))
            runStart = int(i);
        if (row == 0) {
            m_stamps[id] = NoStamp; // gone
        } else if (placed.at(row)) {
            kept << row;
            keptRuns << runStart;
        }
    }

    QList<int> order;
    QList<int> runs;
    // A great many changes, or a table the last order does not cover: sort every row.
    if (kept.size() + moved.size() != friends || moved.size() > friends / 4) {
        QList<int> all = allRows(table);
        order = rowsInKeyOrder(table, all, keyColumn, collation);
        runs = runsOf(table, order, keyColumn);
        moved = std::move(all);
    } else {
        // Among rows with keys equal as text the table order holds.
        for (qsizetype start = 0; start < kept.size();) {
            qsizetype end = start + 1;
            while (end < kept.size() && keptRuns.at(end) == keptRuns.at(start))
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
        runs.reserve(friends);
        // Two kept rows side by side are tied as they were; a placed row's ties are read.
        int lastRun = -1;
        const auto append = [&](int row, int oldRun) {
            const bool tied =
                !order.isEmpty() && (oldRun >= 0 && lastRun >= 0
                                         ? oldRun == lastRun
                                         : sameText(table.cellText(row, keyColumn),
                                                    table.cellText(order.constLast(), keyColumn)));
            runs << (tied ? runs.constLast() : int(order.size()));
            order << row;
            lastRun = oldRun;
        };
        qsizetype next = 0;
        // Sorted by the kept sort keys alone: a sort of the few moved rows through order() would
        // drop the keys of all the others.
        std::stable_sort(moved.begin(), moved.end(), before);
        for (const int row : std::as_const(moved)) {
            const qsizetype place =
                std::lower_bound(kept.cbegin() + next, kept.cend(), row, before) - kept.cbegin();
            for (; next < place; ++next)
                append(kept.at(next), keptRuns.at(next));
            append(row, -1);
        }
        for (; next < kept.size(); ++next)
            append(kept.at(next), keptRuns.at(next));
    }

    m_ids.assign(size_t(order.size()), 0);
    m_ids.shrink_to_fit();
    m_tiedBefore.assign(size_t(order.size()), false);
    for (qsizetype i = 0; i < order.size(); ++i) {
        m_ids[size_t(i)] = table.rowId(order.at(i));
        m_tiedBefore[size_t(i)] = runs.at(i) != int(i);
    }
    for (const int row : std::as_const(moved))
        m_stamps[table.rowId(row)] = table.nameStamp(row);
    return order;
}

} // namespace amiscan
