#include "lists/manage_links.h"

#include "store/friends_table.h"

namespace amiscan {

namespace {

// The position a row's ManagePos holds, or 0 when it holds none.
int managePos(const FriendsTable &table, int row)
{
    bool ok = false;
    const int position = QStringView(table.cellText(row, ManagePos)).toInt(&ok);
    return ok && position > 0 ? position : 0;
}

} // namespace

int rowOfManageLine(const FriendsTable &table, int position)
{
    if (position < 1)
        return -1;
    for (int row = 1; row <= table.friendCount(); ++row) {
        if (managePos(table, row) == position)
            return row;
    }
    return -1;
}

QList<int> rowsOfManageLines(const FriendsTable &table, int lineCount)
{
    QList<int> rows(qMax(lineCount, 0), -1);
    for (int row = 1; row <= table.friendCount(); ++row) {
        const int position = managePos(table, row);
        // Ascending rows: the first row holding a position keeps it.
        if (position >= 1 && position <= lineCount && rows.at(position - 1) < 0)
            rows[position - 1] = row;
    }
    return rows;
}

qint16 writeBackMarks(FriendsTable &table, const QList<bool> &checked)
{
    const QList<int> rows = rowsOfManageLines(table, int(checked.size()));
    qint16 selected = 0;
    for (qsizetype i = 0; i < checked.size(); ++i) {
        const int row = rows.at(i);
        if (row < 0)
            continue;
        table.setCell(row, Unselected, checked.at(i) ? QStringLiteral("0") : QStringLiteral("1"));
        if (checked.at(i))
            ++selected;
    }
    return selected;
}

int removeManagedFriend(FriendsTable &table, int row)
{
    if (row < 1 || row > table.friendCount())
        return 0;
    const int position = managePos(table, row);
    table.removeFriend(row);
    if (position == 0)
        return 0;
    for (int r = 1; r <= table.friendCount(); ++r) {
        const int later = managePos(table, r);
        if (later > position)
            table.setCell(r, ManagePos, QString::number(later - 1));
    }
    return position;
}

} // namespace amiscan
