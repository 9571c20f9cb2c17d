#pragma once

#include <QHash>
#include <QHashSeed>
#include <QList>
#include <QString>

#include <array>
#include <deque>
#include <unordered_map>
#include <vector>

namespace amiscan {

// Column numbers of the friends table. Columns 0, 13, 14 and 15 exist but stay empty.
enum Column : int
{
    DisplayName = 1,
    Start1 = 2,
    End1 = 3,
    Length1 = 4,
    Start2 = 5,
    End2 = 6,
    Length2 = 7,
    NameMark = 8,
    ManagePos = 9,
    Online = 10,
    Unselected = 11,
    AccountName = 12,
};

inline constexpr int ColumnCount = 16;

// The two sessions a friend row keeps: the latest (Start1, End1, Length1) and the one before it
// (Start2, End2, Length2).
enum class Session : int
{
    First = 1,
    Second = 2,
};
// No friend row's names have this stamp (FriendsTable::nameStamp).
inline constexpr quint32 NoStamp = ~0u;
// The friend count is a signed 16-bit number, so the table holds at most this many friends.
inline constexpr int MaxFriends = 32767;

// The one in-memory store of the user's friends: a grid of text cells, one row per friend.
// Rows 1 to friendCount() are the friends; row 0 exists, never holds a friend and stays empty.
// Rows above friendCount() (up to capacity()) may hold stale text and are never read.
class FriendsTable final
{
public:
    // A friend's cells (columns 1 to 12, the only ones that hold text): the names and the
    // management list's position as texts of their own, the nine others, whose texts repeat from
    // friend to friend (stamps, lengths, marks, flags), as numbers of the table's shared texts.
    // 112 bytes, where twelve texts took 288.
    struct Row
    {
        QString displayName;
        QString accountName;
        QString managePos;
        std::array<quint32, 9> shared{};
        quint32 nameStamp = 0;
    };
    // Names one friend row for as long as it lives, wherever sorts and removals move it. Numbers
    // are never given twice by one table; 0 names no friend.
    using RowId = quint32;

    int friendCount() const { return m_friendCount; }
    // Rows allocated, row 0 included; always at least friendCount() + 1.
    int capacity() const { return int(m_rows.size()); }

    // Appends an empty friend row and returns its number. At MaxFriends nothing is added and
    // -1 is returned, so a caller's writes to that row go nowhere.
    int appendFriend();

    // Makes room for at least this many rows, so that appending that many moves none (the
    // history reader makes room for as many as the file may hold).
    void reserveRows(int rows);

    // Any cell of any allocated row; an empty text outside the grid.
    QString cell(int row, int column) const;
    // The same without copying the text, for code that reads whole tables; the reference is valid
    // until the table next changes.
    const QString &cellText(int row, int column) const
    {
        if (row < 0 || row >= capacity() || !isHeldColumn(column))
            return emptyCell();
        const Row &cells = m_rows.at(row);
        if (const int slot = sharedSlot(column); slot >= 0)
            return m_sharedTexts.at(cells.shared.at(size_t(slot)));
        return column == DisplayName   ? cells.displayName
               : column == AccountName ? cells.accountName
                                       : cells.managePos;
    }
    // Writes a friend's cell (rows 1 to friendCount(), columns 1 to 12); other writes are ignored
    // so that row 0 and columns 0, 13, 14 and 15 stay empty.
    void setCell(int row, int column, const QString &text);
    // The same; a stamp, length, mark or flag already in the table costs no copy of the text.
    void setCell(int row, int column, QStringView text);

    // First row from 0 to friendCount() whose AccountName equals the name exactly, or -1.
    // Row 0 holds an empty AccountName, so only an empty name can match it.
    int findByAccountName(const QString &accountName) const;

    // Whether a session's length was computed from its stamps (markLengthCurrent) and none of the
    // session's three cells has been written since; a scan skips recomputing such lengths. New
    // rows start with both lengths not current, and the marks travel with the rows.
    bool isLengthCurrent(int row, Session session) const
    {
        return isFriendRow(row) && (m_lengthMarks.at(row) & markBit(session)) != 0;
    }
    void markLengthCurrent(int row, Session session)
    {
        if (isFriendRow(row))
            m_lengthMarks[row] |= markBit(session);
    }

    // Friend rows whose session cells or online flag were written since they were last settled,
    // each once, in no particular order. A scan need visit no other row beside those it lists.
    QList<int> unsettledRows();
    // The friend row is at rest until its session cells or online flag are written again.
    // Settled rows leave the list kept for unsettledRows() at the next forgetSettled().
    void settle(int row)
    {
        if (isFriendRow(row))
            m_lengthMarks[row] &= quint8(~UnsettledMark);
    }

    void forgetSettled() { unsettledRows(); }

    // The friends whose DisplayName or AccountName (the column) holds exactly the text, in no
    // particular order. The index behind it is built at the first call and kept up to date.
    QList<RowId> friendsNamed(int column, const QString &text);
    // Builds that index now, if it is not built yet.
    void indexNames();

    // Changes whenever a name of the friend row (rows 1 to friendCount()) changes, and is never
    // the same for two different changes, whichever table makes them: a row that keeps its
    // number and its stamp, in this table or a copy of it, has the names it had. 0 for names
    // never written but empty; never NoStamp.
    quint32 nameStamp(int row) const { return isFriendRow(row) ? m_rows.at(row).nameStamp : 0; }

    // The number of a friend row (rows 1 to friendCount()), 0 for any other row.
    RowId rowId(int row) const { return isFriendRow(row) ? m_ids.at(row) : 0; }
    // The row that holds the friend with this number now, or -1 once that friend is gone. O(1).
    int findRow(RowId id) const
    {
        return id != 0 && id < RowId(m_rowOfId.size()) ? m_rowOfId.at(id) : -1;
    }

    // Removes a friend by moving every later row up one place; the capacity is kept and the old
    // last row is left as it was.
    void removeFriend(int row);

    // Replaces the table by its friend rows in the given order (old row numbers, each of
    // 1..friendCount() exactly once). The result has exactly friendCount() + 1 rows.
    // An order that is not such a permutation leaves the table unchanged and returns false.
    bool rebuild(const QList<int> &order);

    // Empties the table: no friends, no rows.
    void clear();

    // Changes with every change to the rows' order, their number, or the cells the sorts read
    // (names and the online flag), and is never the same for two different such contents,
    // whichever table holds them; a copy has its original's version until either changes.
    // Lets a caller tell that the table is still in the order it last sorted it in.
    quint64 orderVersion() const { return m_orderVersion; }

private:
    static const QString &emptyCell();
    static constexpr bool isHeldColumn(int column) { return column >= 1 && column <= AccountName; }
    // The place of a column among a row's shared texts, -1 for the names and the position.
    static constexpr int sharedSlot(int column)
    {
        if (column >= Start1 && column <= NameMark)
            return column - Start1;
        if (column == Online || column == Unselected)
            return column - Online + NameMark - Start1 + 1;
        return -1;
    }
    const QString &name(int row, int column) const
    {
        return column == DisplayName ? m_rows.at(row).displayName : m_rows.at(row).accountName;
    }
    bool isFriendRow(int row) const { return row >= 1 && row <= m_friendCount; }
    static constexpr quint8 markBit(Session session) { return quint8(1u << int(session)); }
    static constexpr quint8 UnsettledMark = 1;
    void unsettle(int row)
    {
        if ((m_lengthMarks.at(row) & UnsettledMark) == 0) {
            m_lengthMarks[row] |= UnsettledMark;
            m_unsettled << m_ids.at(row);
        }
    }
    void placeRow(int place, Row &&row, quint8 marks, RowId id);
    // What a write to a friend's cell changes besides the cell.
    void written(int row, int column);
    void indexName(int column, const QString &text, RowId id);
    void unindexName(int column, const QString &text, RowId id);
    // The session whose length the column takes part in; 0 for the other columns.
    static constexpr quint8 markOfColumn(int column)
    {
        if (column >= Start1 && column <= Length1)
            return markBit(Session::First);
        if (column >= Start2 && column <= Length2)
            return markBit(Session::Second);
        return 0;
    }

    // The texts of the shared cells, by number, and the number of each; 0 is the empty text.
    // Their places never move while the table changes (a deque keeps them), so that a text read
    // from one cell can be written to another. Texts no row holds any more leave them when the
    // rows are reordered, once the texts have doubled since.
    quint32 sharedNumber(QStringView text);
    void forgetUnusedTexts();
    // Found by a text's characters wherever they are, without making a text of them first.
    struct SharedTextHash
    {
        using is_transparent = void;
        size_t operator()(QStringView text) const { return qHash(text, QHashSeed::globalSeed()); }
    };
    struct SharedTextEqual
    {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const { return a == b; }
    };
    using SharedNumbers = std::unordered_map<QString, quint32, SharedTextHash, SharedTextEqual>;
    // A copy of the table (the saver's, the presence log's) starts without the numbers of the
    // texts and builds them only if it is written to: copying them would cost the window's
    // thread a node per text at every save.
    struct SharedNumbersOfOwnTable
    {
        SharedNumbers numbers;
        SharedNumbersOfOwnTable() = default;
        SharedNumbersOfOwnTable(const SharedNumbersOfOwnTable &) {}
        SharedNumbersOfOwnTable(SharedNumbersOfOwnTable &&) = default;
        SharedNumbersOfOwnTable &operator=(const SharedNumbersOfOwnTable &)
        {
            numbers.clear();
            return *this;
        }
        SharedNumbersOfOwnTable &operator=(SharedNumbersOfOwnTable &&) = default;
        ~SharedNumbersOfOwnTable() = default;
    };
    std::deque<QString> m_sharedTexts{QString()};
    SharedNumbersOfOwnTable m_sharedNumbers;
    quint32 m_lastShared = 0;
    size_t m_sharedAfterSweep = 1;

    QList<Row> m_rows;
    // Per row, the sessions whose length is current and the unsettled mark; as many as m_rows.
    QList<quint8> m_lengthMarks;
    // Per row, its number; always as many as m_rows.
    QList<RowId> m_ids;
    // Per number given, the row of its friend, -1 once gone; index 0 names no friend.
    QList<int> m_rowOfId{-1};
    RowId m_lastId = 0;
    // Friends that may be unsettled (some are settled since, or listed twice).
    QList<RowId> m_unsettled;
    // The friends by display name and by user name, once asked for: per friend the hash of its
    // name and its number, ordered by both. The friends of a name are found by a binary search;
    // their names are read to tell apart names whose hashes are equal. A hash and a number take
    // 8 bytes a friend, where a hash table of the names took about 100.
    struct NamedFriend
    {
        quint32 hash;
        RowId id;
        bool operator==(const NamedFriend &) const = default;
        bool operator<(const NamedFriend &other) const
        {
            return hash != other.hash ? hash < other.hash : id < other.id;
        }
    };
    using NameIndex = std::vector<NamedFriend>;
    quint32 nameHash(const QString &text) const { return quint32(qHash(text, m_nameSeed)); }
    size_t m_nameSeed = QHashSeed::globalSeed();
    bool m_namesIndexed = false;
    NameIndex m_byDisplayName;
    NameIndex m_byAccountName;
    int m_friendCount = 0;
    quint64 m_orderVersion = newVersion();

    static quint64 newVersion();
    static quint32 newNameStamp();
    void changed() { m_orderVersion = newVersion(); }
};

} // namespace amiscan
