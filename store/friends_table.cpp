#include "store/friends_table.h"

#include <atomic>

namespace amiscan {

quint64 FriendsTable::newVersion()
{
    // Shared by every table, so no two contents ever get the same number.
    static std::atomic<quint64> last{0};
    return ++last;
}

int FriendsTable::appendFriend()
{
    if (m_friendCount >= MaxFriends)
        return -1;
    changed();
    ++m_friendCount;
    // The capacity becomes exactly friendCount + 1, keeping the rows that remain.
    m_rows.resize(m_friendCount + 1);
    m_rows[m_friendCount] = Row{};
    m_lengthMarks.resize(m_friendCount + 1);
    m_lengthMarks[m_friendCount] = 0;
    m_ids.resize(m_friendCount + 1);
    m_ids[m_friendCount] = ++m_lastId;
    m_rowOfId.append(m_friendCount);
    return m_friendCount;
}

void FriendsTable::reserveRows(int rows)
{
    if (rows > capacity()) {
        changed();
        m_rows.resize(rows);
        m_lengthMarks.resize(rows);
        m_ids.resize(rows);
    }
}

QString FriendsTable::cell(int row, int column) const
{
    if (row < 0 || row >= capacity() || column < 0 || column >= ColumnCount)
        return {};
    return m_rows.at(row).at(column);
}

const QString &FriendsTable::emptyCell()
{
    static const QString empty;
    return empty;
}

void FriendsTable::setCell(int row, int column, const QString &text)
{
    if (!isFriendRow(row) || column < 1 || column >= ColumnCount)
        return;
    if (column == DisplayName || column == AccountName || column == Online)
        changed();
    m_rows[row][column] = text;
    m_lengthMarks[row] &= quint8(~markOfColumn(column));
}

int FriendsTable::findByAccountName(const QString &accountName) const
{
    if (accountName.isEmpty())
        return 0;
    for (int row = 1; row <= m_friendCount; ++row) {
        if (m_rows.at(row).at(AccountName) == accountName)
            return row;
    }
    return -1;
}

void FriendsTable::removeFriend(int row)
{
    if (!isFriendRow(row))
        return;
    changed();
    m_rowOfId[m_ids.at(row)] = -1;
    for (int r = row; r < m_friendCount; ++r) {
        for (int column = 1; column < ColumnCount; ++column)
            m_rows[r][column] = m_rows.at(r + 1).at(column);
        m_lengthMarks[r] = m_lengthMarks.at(r + 1);
        m_ids[r] = m_ids.at(r + 1);
        m_rowOfId[m_ids.at(r)] = r;
    }
    --m_friendCount;
}

bool FriendsTable::rebuild(const QList<int> &order)
{
    if (order.size() != m_friendCount)
        return false;
    QList<bool> seen(m_friendCount + 1, false);
    for (int old : order) {
        if (!isFriendRow(old) || seen.at(old))
            return false;
        seen[old] = true;
    }
    QList<Row> rows(m_friendCount + 1);
    QList<quint8> marks(m_friendCount + 1, 0);
    QList<RowId> ids(m_friendCount + 1, 0);
    for (int i = 0; i < m_friendCount; ++i) {
        rows[i + 1] = std::move(m_rows[order.at(i)]);
        rows[i + 1][0].clear();
        marks[i + 1] = m_lengthMarks.at(order.at(i));
        ids[i + 1] = m_ids.at(order.at(i));
        m_rowOfId[ids.at(i + 1)] = i + 1;
    }
    changed();
    m_rows = std::move(rows);
    m_lengthMarks = std::move(marks);
    m_ids = std::move(ids);
    return true;
}

void FriendsTable::clear()
{
    changed();
    m_rows.clear();
    m_lengthMarks.clear();
    // The numbers go on counting: a friend of the old table is never taken for a new one.
    m_ids.clear();
    m_rowOfId.fill(-1);
    m_friendCount = 0;
}

} // namespace amiscan
