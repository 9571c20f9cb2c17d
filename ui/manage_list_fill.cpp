// The management list's lines: every friend with a check mark for "selected".
#include "lists/friend_line.h"
#include "lists/table_sort.h"
#include "ui/form1.h"
#include "ui/line_list.h"

#include <QCheckBox>
#include <QStringView>

#include <charconv>
#include <iterator>

namespace amiscan {

namespace {

// Whether the text is the number written in decimal, without making a string of the number.
bool holdsNumber(QStringView text, int number)
{
    char digits[16];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), number);
    return text == QLatin1StringView(digits, written.ptr - digits);
}

} // namespace

void Form1::fillManageList()
{
    fillManageList(allRows(table));
}

void Form1::fillManageList(const QList<int> &rowsByKey)
{
    // The lines are built as the list shows them.
    QList<ListLine> lines(rowsByKey.size());
    // A line is checked unless its friend is marked unselected.
    QList<bool> checked(lines.size(), true);
    qint16 selected = 0;
    for (qsizetype i = 0; i < rowsByKey.size(); ++i) {
        const int row = rowsByKey.at(i);
        const int position = int(i) + 1;
        lines[i].friendId = table.rowId(row);
        // The line's place links it to its friend through every later reordering. A refill in
        // the same order finds the links in place.
        if (!holdsNumber(table.cellText(row, ManagePos), position))
            table.setCell(row, ManagePos, QString::number(position));
        if (table.cellText(row, Unselected) == QLatin1StringView("1"))
            checked[i] = false;
        else
            ++selected;
    }
    state.listedCount = qint16(lines.size());
    state.selectedCount = selected;
    List2->setFriendLines(table,
                          LineModes{CheckUser->isChecked(), state.sessionShown != Session::First},
                          std::move(lines), checked);
    updateListTitle();
}

void Form1::refillManageList(const QList<int> &rowsByKey)
{
    // The marks reach the table only on the return to the main list: until then the list keeps
    // them through a scan's refill, new friends taking the table's.
    const QHash<FriendsTable::RowId, bool> unsaved =
        state.manageMode ? List2->friendMarks() : QHash<FriendsTable::RowId, bool>();
    fillManageList(rowsByKey);
    List2->setFriendMarks(unsaved);
}

} // namespace amiscan
