#pragma once

#include <QList>

namespace amiscan {

class FriendsTable;

// The links between the management list's lines and the friends: a friend's ManagePos holds the
// 1-based position of its line, whatever order the table is in.

// The first row in table order whose ManagePos holds the position, or -1.
int rowOfManageLine(const FriendsTable &table, int position);

// For each position from 1 to lineCount, at index position - 1, the first row in table order
// whose ManagePos holds it, or -1. One pass over the table.
QList<int> rowsOfManageLines(const FriendsTable &table, int lineCount);

// Copies the check marks of the lines (checked[i] for the line at position i + 1) into the
// Unselected cells of their friends; lines without a friend are passed over. Returns the number
// of friends marked selected.
qint16 writeBackMarks(FriendsTable &table, const QList<bool> &checked);

// Removes the friend of the row and moves the links of the lines below its line up one place,
// so that each keeps naming its own line once that line is gone. Returns the position of the
// removed friend's line, or 0 when its ManagePos named none (then no link changes).
int removeManagedFriend(FriendsTable &table, int row);

} // namespace amiscan
