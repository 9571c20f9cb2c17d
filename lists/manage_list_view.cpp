// The management list's lines: every friend with a check mark for "selected".
#include "lists/friend_line.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QListWidget>
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

void Form1::fillManageList(const QStringList *rowLines)
{
    const QStringList lines =
        rowLines ? *rowLines
                 : friendLines(table, LineModes{CheckUser->isChecked(), state.sessionShown != 0});
    for (int row = 1; row <= table.friendCount(); ++row) {
        // The line's place links it to its friend through every later reordering. A refill in
        // the same order finds the links in place.
        if (!holdsNumber(table.cellText(row, ManagePos), row))
            table.setCell(row, ManagePos, QString::number(row));
    }
    List2->clear();
    List2->addItems(lines);
    state.listedCount = qint16(lines.size());
    // New items can be checked by the user already; setting the state shows their box.
    for (int i = 0; i < List2->count(); ++i)
        List2->item(i)->setCheckState(Qt::Checked);
    applySelectionMarks();
}

void Form1::applySelectionMarks()
{
    qint16 selected = 0;
    for (int i = 0; i < List2->count(); ++i) {
        if (table.cellText(i + 1, Unselected) == QLatin1StringView("1"))
            List2->item(i)->setCheckState(Qt::Unchecked);
        else
            ++selected;
    }
    state.selectedCount = selected;
    updateListTitle();
}

} // namespace amiscan
