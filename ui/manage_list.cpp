// The management list: every friend with a check mark for "shown when the filter is on". The
// marks reach the friends table on the return to the main list; a deletion reaches it at once.
#include "ui/manage_list.h"

#include "lists/manage_links.h"
#include "ui/control_events.h"
#include "ui/form1.h"
#include "ui/form1_texts.h"
#include "ui/help_line.h"
#include "ui/line_list.h"
#include "ui/park_focus.h"

#include <QCheckBox>
#include <QListWidget>

namespace amiscan {

namespace {

void invertMark(LineList *list, int row)
{
    list->setCheckState(row, list->checkState(row) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void markAll(Form1 &form, bool checked)
{
    form.List2->setAllChecked(checked);
    clearCurrentLine(form.List2);
}

// The question names the friend by display name, and by user name too when that differs.
QStringList deleteQuestion(const FriendsTable &table, int row)
{
    const QString displayName = table.cell(row, DisplayName);
    const QString accountName = table.cell(row, AccountName);
    if (accountName == displayName)
        return {leftCharacters(displayName, 18).toString(), texts::DeleteQuestion};
    return {leftCharacters(displayName, 18).toString(), texts::deleteUserNameLine(accountName),
            texts::DeleteQuestionAfterUserName};
}

// The Delete key: the friend of the current line goes, once the user has said Yes.
void deleteCurrentFriend(Form1 &form)
{
    const int row = rowOfManageLine(form.table, form.List2->currentRow() + 1);
    if (row < 0)
        return;
    const FriendsTable::RowId friendId = form.table.rowId(row);
    const bool yes = form.confirm(deleteQuestion(form.table, row));
    form.state.dialogAnswer = false;
    if (!yes)
        return;

    // The timers ran while the question was open: a scan may have reordered the table, refilled
    // both lists or gone back to the main list. Remove the friend the question named, found by
    // its row's number, and the line it has now.
    const int current = form.table.findRow(friendId);
    if (current < 0)
        return;
    if (form.table.cell(current, Unselected).toInt() == 0 && form.state.selectedCount > 0)
        --form.state.selectedCount;
    if (form.state.listedCount > 0)
        --form.state.listedCount;
    // A list not refilled below keeps showing the friend's line as it was.
    form.List1->keepTextOf(friendId);
    form.List2->keepTextOf(friendId);
    const int position = removeManagedFriend(form.table, current);
    if (position >= 1 && position <= form.List2->count())
        form.List2->removeLine(position - 1);
    if (!form.state.manageMode)
        form.fillMainList();

    form.updateListTitle();
    clearCurrentLine(form.List2);
    form.ListTri->setFocus(Qt::OtherFocusReason);
    form.layoutLists();
}

} // namespace

void Form1::showManageList()
{
    state.manageMode = true;
    clearCurrentLine(List1);
    showHelpLine(*this);
    // The management list keeps the lines of its last fill; the table takes their key order.
    sortByKey();
    CheckList2All->show();
    List2->show();
    updateListTitle();
    List1->hide();
    layoutLists();
    clearCurrentLine(List2);
    List2->setFocus(Qt::OtherFocusReason);
    ListTri->setFocus(Qt::OtherFocusReason);
}

void Form1::writeBackSelection()
{
    state.selectedCount = writeBackMarks(table, List2->checkedLines());
    updateListTitle();
}

void Form1::showMainList()
{
    state.manageMode = false;
    writeBackSelection();
    CheckList2All->hide();
    List1->show();
    List2->hide();
    if (state.dataPresent) {
        sortOnlineFirst();
        fillMainList();
        layoutLists();
    }
    clearCurrentLine(List1);
    List1->setFocus(Qt::OtherFocusReason);
    ListTri->setFocus(Qt::OtherFocusReason);
}

void connectManageList(Form1 &form)
{
    onRightPress(form.List1, [&form] { form.showManageList(); });
    onRightPress(form.List2, [&form] { form.showMainList(); });
    onKeyPress(form.List2, Qt::Key_Escape, [&form] { form.showMainList(); });
    onKeyPress(form.List2, Qt::Key_Delete, [&form] { deleteCurrentFriend(form); });
    onDoubleClick(form.List2, [&form] {
        if (form.List2->currentRow() >= 0)
            invertMark(form.List2, form.List2->currentRow());
    });
    QObject::connect(form.CheckList2All, &QCheckBox::toggled, &form,
                     [&form](bool checked) { markAll(form, checked); });
}

} // namespace amiscan
