#include "store/friends_table.h"

#include "store/position_text.h"

#include <algorithm>
#include <atomic>

namespace amiscan {

quint64 FriendsTable::newVersion()
{
    // Shared by every table, so no two contents ever get the same number.
    static std::atomic<quint64> last{0};
    return ++last;
}

quint32 FriendsTable::newNameStamp()
{
    // Shared by every table; past 2^32 - 1 renames they would start again.
    static std::atomic<quint32> last{0};
    quint32 stamp = ++last;
    while (stamp == 0 || stamp == NoStamp)
        stamp = ++last;
    return stamp;
}

int FriendsTable::appendFriend()
{
    if (m_friendCount >= MaxFriends)
        return -1;
    changed();
    ++m_friendCount;
    // Room grows by halves, so that appending one friend after another is not quadratic.
    if (m_rows.capacity() <= m_friendCount) {
        const qsizetype room = m_friendCount + 1 + m_friendCount / 2;
        m_rows.reserve(room);
        m_lengthMarks.reserve(room);
        m_ids.reserve(room);
    }
    // The capacity becomes exactly friendCount + 1, keeping the rows that remain.
    m_rows.resize(m_friendCount + 1);
    m_rows[m_friendCount] = Row{};
    m_lengthMarks.resize(m_friendCount + 1);
    m_lengthMarks[m_friendCount] = 0;
    m_ids.resize(m_friendCount + 1);
    m_ids[m_friendCount] = ++m_lastId;
    m_rowOfId.append(m_friendCount);
    // Its empty cells still wait for the scan's first look.
    unsettle(m_friendCount);
    indexName(DisplayName, QString(), m_lastId);
    indexName(AccountName, QString(), m_lastId);
    return m_friendCount;
}

void FriendsTable::reserveRows(int rows)
{
    // Room only: a row's memory is first touched when its friend is appended.
    m_rows.reserve(rows);
    m_lengthMarks.reserve(rows);
    m_ids.reserve(rows);
}

QString FriendsTable::cell(int row, int column) const
{
    return cellText(row, column);
}

const QString &FriendsTable::emptyCell()
{
    static const QString empty;
    return empty;
}

void FriendsTable::setCell(int row, int column, const QString &text)
{
    if (!isFriendRow(row) || !isHeldColumn(column))
        return;
    Row &cells = m_rows[row];
    if (column == DisplayName || column == AccountName) {
        QString &cell = column == DisplayName ? cells.displayName : cells.accountName;
        if (cell != text)
            cells.nameStamp = newNameStamp();
        unindexName(column, cell, m_ids.at(row));
        indexName(column, text, m_ids.at(row));
        cell = text;
    } else if (const int slot = sharedSlot(column); slot >= 0) {
        cells.shared[size_t(slot)] = sharedNumber(text);
    } else {
        cells.managePos = positionText(text);
    }
    written(row, column);
}

void FriendsTable::setCell(int row, int column, QStringView text)
{
    if (const int slot = sharedSlot(column); slot >= 0 && isFriendRow(row)) {
        m_rows[row].shared[size_t(slot)] = sharedNumber(text);
        written(row, column);
    } else {
        setCell(row, column, text.toString());
    }
}

void FriendsTable::written(int row, int column)
{
    if (column == DisplayName || column == AccountName || column == Online)
        changed();
    m_lengthMarks[row] &= quint8(~markOfColumn(column));
    if (column == Online || markOfColumn(column) != 0)
        unsettle(row);
}

quint32 FriendsTable::sharedNumber(QStringView text)
{
    // The text of the cell written last is often the next one's too.
    if (m_sharedTexts.at(m_lastShared) == text)
        return m_lastShared;
    SharedNumbers &numbers = m_sharedNumbers.numbers;
    if (numbers.empty()) {
        for (size_t number = 0; number < m_sharedTexts.size(); ++number)
            numbers.emplace(m_sharedTexts.at(number), quint32(number));
    }
    if (const auto known = numbers.find(text); known != numbers.end())
        return m_lastShared = known->second;
    m_lastShared = quint32(m_sharedTexts.size());
    m_sharedTexts.push_back(text.toString());
    numbers.emplace(m_sharedTexts.back(), m_lastShared);
    return m_lastShared;
}

void FriendsTable::forgetUnusedTexts()
{
    if (m_sharedTexts.size() < 2 * m_sharedAfterSweep + 256)
        return;
    // Numbered anew in the order of their first use; stale rows above the friends count too.
    std::vector<quint32> renumbered(m_sharedTexts.size(), 0);
    std::deque<QString> texts{QString()};
    for (Row &cells : m_rows) {
        for (quint32 &number : cells.shared) {
            if (number != 0 && renumbered.at(number) == 0) {
                renumbered[number] = quint32(texts.size());
                texts.push_back(m_sharedTexts.at(number));
            }
            number = renumbered.at(number);
        }
    }
    m_sharedTexts = std::move(texts);
    m_sharedNumbers.numbers.clear();
    m_lastShared = 0;
    m_sharedAfterSweep = m_sharedTexts.size();
}

QList<int> FriendsTable::unsettledRows()
{
    // Each friend once: the mark is taken off while listing and put back after.
    QList<int> rows;
    QList<RowId> ids;
    for (const RowId id : std::as_const(m_unsettled)) {
        const int row = findRow(id);
        if (row > 0 && (m_lengthMarks.at(row) & UnsettledMark) != 0) {
            m_lengthMarks[row] &= quint8(~UnsettledMark);
            rows << row;
            ids << id;
        }
    }
    for (const int row : std::as_const(rows))
        m_lengthMarks[row] |= UnsettledMark;
    m_unsettled = ids;
    return rows;
}

void FriendsTable::indexName(int column, const QString &text, RowId id)
{
    if (!m_namesIndexed)
        return;
    NameIndex &index = column == DisplayName ? m_byDisplayName : m_byAccountName;
    const NamedFriend named{nameHash(text), id};
    index.insert(std::lower_bound(index.begin(), index.end(), named), named);
}

void FriendsTable::unindexName(int column, const QString &text, RowId id)
{
    if (!m_namesIndexed)
        return;
    NameIndex &index = column == DisplayName ? m_byDisplayName : m_byAccountName;
    const NamedFriend named{nameHash(text), id};
    const auto found = std::lower_bound(index.begin(), index.end(), named);
    if (found != index.end() && *found == named)
        index.erase(found);
}

QList<FriendsTable::RowId> FriendsTable::friendsNamed(int column, const QString &text)
{
    indexNames();
    const NameIndex &index = column == DisplayName ? m_byDisplayName : m_byAccountName;
    const quint32 hash = nameHash(text);
    QList<RowId> friends;
    for (auto named = std::lower_bound(index.cbegin(), index.cend(), NamedFriend{hash, 0});
         named != index.cend() && named->hash == hash; ++named) {
        if (const int row = findRow(named->id); row > 0 && name(row, column) == text)
            friends << named->id;
    }
    return friends;
}

void FriendsTable::indexNames()
{
    if (m_namesIndexed)
        return;
    m_namesIndexed = true;
    for (NameIndex *index : {&m_byDisplayName, &m_byAccountName}) {
        index->clear();
        // Room for the friends yet to come, so that a scan seldom grows the index.
        index->reserve(size_t(m_friendCount) + 256);
    }
    for (int row = 1; row <= m_friendCount; ++row) {
        m_byDisplayName.push_back({nameHash(m_rows.at(row).displayName), m_ids.at(row)});
        m_byAccountName.push_back({nameHash(m_rows.at(row).accountName), m_ids.at(row)});
    }
    std::sort(m_byDisplayName.begin(), m_byDisplayName.end());
    std::sort(m_byAccountName.begin(), m_byAccountName.end());
}

int FriendsTable::findByAccountName(const QString &accountName) const
{
    if (accountName.isEmpty())
        return 0;
    for (int row = 1; row <= m_friendCount; ++row) {
        if (m_rows.at(row).accountName == accountName)
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
    unindexName(DisplayName, m_rows.at(row).displayName, m_ids.at(row));
    unindexName(AccountName, m_rows.at(row).accountName, m_ids.at(row));
    for (int r = row; r < m_friendCount; ++r) {
        m_rows[r] = m_rows.at(r + 1);
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
    // Already in that order: nothing moves, and rows shared with a copy stay shared.
    if (m_rows.size() == m_friendCount + 1 && m_lengthMarks.size() == m_rows.size() &&
        m_ids.size() == m_rows.size() &&
        std::adjacent_find(order.cbegin(), order.cend(), [](int a, int b) { return b != a + 1; }) ==
            order.cend() &&
        (order.isEmpty() || order.constFirst() == 1))
        return true;
    // Moved in place, cycle by cycle: a new grid of rows would be as large as the table.
    m_rows.resize(m_friendCount + 1);
    m_lengthMarks.resize(m_friendCount + 1);
    m_ids.resize(m_friendCount + 1);
    QList<bool> placed(m_friendCount + 1, false);
    for (int start = 1; start <= m_friendCount; ++start) {
        if (placed.at(start))
            continue;
        Row row = std::move(m_rows[start]);
        const quint8 marks = m_lengthMarks.at(start);
        const RowId id = m_ids.at(start);
        // Each place takes the row that the order puts there, until the cycle comes back.
        int place = start;
        for (int from = order.at(start - 1); from != start; from = order.at(place - 1)) {
            placeRow(place, std::move(m_rows[from]), m_lengthMarks.at(from), m_ids.at(from));
            placed[place] = true;
            place = from;
        }
        placeRow(place, std::move(row), marks, id);
        placed[place] = true;
    }
    forgetUnusedTexts();
    changed();
    return true;
}

void FriendsTable::placeRow(int place, Row &&row, quint8 marks, RowId id)
{
    m_rows[place] = std::move(row);
    m_lengthMarks[place] = marks;
    m_ids[place] = id;
    m_rowOfId[id] = place;
}

void FriendsTable::clear()
{
    changed();
    m_rows.clear();
    m_lengthMarks.clear();
    // The numbers go on counting: a friend of the old table is never taken for a new one.
    m_ids.clear();
    m_rowOfId.fill(-1);
    m_unsettled.clear();
    m_namesIndexed = false;
    m_byDisplayName = {};
    m_byAccountName = {};
    m_sharedTexts = {QString()};
    m_sharedNumbers.numbers.clear();
    m_sharedAfterSweep = 1;
    m_lastShared = 0;
    m_friendCount = 0;
}

} // namespace amiscan
