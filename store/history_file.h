#pragma once

#include "store/collation.h"
#include "store/friends_table.h"
#include "store/key_order.h"

#include <QByteArray>
#include <QString>

namespace amiscan {

// The history file: the friends table as a fixed-column text, one line per friend in the order
// of their display names, under a header with the friend count and the last scan's stamp.
namespace history {

// The name column is never narrower than this, so that older versions, which look for the
// header's first ":" from position 18 on, read our files as we do.
inline constexpr int MinNameWidth = 17;
inline const QString ColumnHeader =
    QStringLiteral(":     Start      -      End       - Length:     Start      -      End       "
                   "- Length: F : User Name");
inline const QString RuleTail =
    QStringLiteral("+-----------------------------------------+-----------------------------------"
                   "------+---+--------------------------");

// What reading a history file found besides the friends.
struct ReadResult
{
    // False when the file could not be read, its header gave no usable columns, or it holds
    // more friends than the table: the table then does not stand for the file, and the file
    // must be kept before it is replaced.
    bool intact = true;
    QString lastScanStamp;
};

// The whole file: one line per friend, each ended by CR LF, in the files' encoding.
QByteArray formatFile(const FriendsTable &table, const QString &lastScanStamp,
                      const Collation &collation = Collation());

// Formats the file again and again as one table changes: the order of the names is kept from one
// file to the next, so that only the friends whose names changed are placed anew. Gives the bytes
// formatFile() gives.
class Formatter final
{
public:
    QByteArray format(const FriendsTable &table, const QString &lastScanStamp);

private:
    Collation m_collation;
    KeyOrder m_order;
};

// Appends one friend per line from the third on (empty lines are skipped) to the table.
// Whatever the text, the table it gives is written so that it reads back as the same table.
ReadResult parseText(const QString &text, FriendsTable &table);

// A Windows-1252 history (nearly every one) is read this many bytes at a time, never held whole.
inline constexpr qsizetype ReadPieceSize = 64 * 1024;
// Reads the file at the path into the table, which is empty (and stays so when the file cannot
// be read). The file must exist.
ReadResult readFile(const QString &path, FriendsTable &table);
// Replaces the file at the path by the table; on failure the old file stays as it was.
bool writeFile(const QString &path, const FriendsTable &table, const QString &lastScanStamp);

} // namespace history
} // namespace amiscan
