// The management list's lines: every friend with a check mark for "selected".
#include "lists/friend_line.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QListWidget>

namespace amiscan {

void Form1::fillManageList()
{
    const LineModes modes{CheckUser->isChecked(), state.sessionShown != 0};
    QStringList lines;
    lines.reserve(table.friendCount());
    for (int row = 1; row <= table.friendCount(); ++row) {
        lines << friendLine(table, row, modes);
        // The line's place links it to its friend through every later reordering.
        table.setCell(row, ManagePos, QString::number(row));
    }
    List2->clear();
    List2->addItems(lines);
    state.listedCount = qint16(lines.size());
    for (int i = 0; i < List2->count(); ++i) {
        QListWidgetItem *item = List2->item(i);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    applySelectionMarks();
}

void Form1::applySelectionMarks()
{
    qint16 selected = 0;
    for (int i = 0; i < List2->count(); ++i) {
        if (table.cell(i + 1, Unselected) == QLatin1StringView("1"))
            List2->item(i)->setCheckState(Qt::Unchecked);
        else
            ++selected;
    }
    state.selectedCount = selected;
    updateListTitle();
}

} // namespace amiscan
