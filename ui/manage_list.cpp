// The management list: every friend with a check mark for "shown when the filter is on".
#include "ui/manage_list.h"

#include "lists/manage_links.h"
#include "model/main_model.h"
#include "ui/control_events.h"
#include "ui/dialog.h"
#include "ui/form1_texts.h"
#include "ui/help_line.h"
#include "ui/line_list.h"
#include "ui/lists_view.h"
#include "ui/main_controls.h"
#include "ui/mouse_events.h"
#include "ui/park_focus.h"

#include <QCheckBox>
#include <QListWidget>

namespace amiscan {

namespace {

void invertMark(LineList *list, int row)
{
    list->setCheckState(row, list->checkState(row) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
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

} // namespace

ManageList::ManageList(const MainControls &controls, MainModel &model, ListsView &lists,
                       HelpLine &helpLine, Dialogs &dialogs)
    : m_c(controls), m_model(model), m_lists(lists), m_helpLine(helpLine), m_dialogs(dialogs)
{
    LineList *list = m_c.List2;
    onRightPress(m_c.List1, [this] { show(); });
    onRightPress(list, [this] { showMainList(); });
    onKeyPress(list, Qt::Key_Escape, [this] { showMainList(); });
    onKeyPress(list, Qt::Key_Delete, [this] { deleteCurrentFriend(); });
    onDoubleClick(list, [list] {
        if (list->currentRow() >= 0)
            invertMark(list, list->currentRow());
    });
    QObject::connect(m_c.CheckList2All, &QCheckBox::toggled, m_c.window, [list](bool checked) {
        list->setAllChecked(checked);
        clearCurrentLine(list);
    });
}

void ManageList::show()
{
    m_model.setManageMode(true);
    clearCurrentLine(m_c.List1);
    m_helpLine.showHelp();
    // The management list keeps the lines of its last fill; the table takes their key order.
    m_model.sortByKey();
    m_c.CheckList2All->show();
    m_c.List2->show();
    m_lists.updateListTitle();
    m_c.List1->hide();
    m_lists.layoutLists();
    clearCurrentLine(m_c.List2);
    m_c.List2->setFocus(Qt::OtherFocusReason);
    m_c.ListTri->setFocus(Qt::OtherFocusReason);
}

void ManageList::writeBackSelection()
{
    m_model.writeBackMarks(m_c.List2->checkedLines());
    m_lists.updateListTitle();
}

void ManageList::showMainList()
{
    m_model.setManageMode(false);
    writeBackSelection();
    m_c.CheckList2All->hide();
    m_c.List1->show();
    m_c.List2->hide();
    if (m_model.state().dataPresent) {
        m_model.sortOnlineFirst();
        m_lists.fillMainList();
        m_lists.layoutLists();
    }
    clearCurrentLine(m_c.List1);
    m_c.List1->setFocus(Qt::OtherFocusReason);
    m_c.ListTri->setFocus(Qt::OtherFocusReason);
}

// The Delete key: the friend of the current line goes, once the user has said Yes.
void ManageList::deleteCurrentFriend()
{
    const FriendsTable &table = m_model.table();
    const int row = rowOfManageLine(table, m_c.List2->currentRow() + 1);
    if (row < 0)
        return;
    const FriendsTable::RowId friendId = table.rowId(row);
    if (!m_dialogs.confirm(deleteQuestion(table, row)))
        return;

    // The timers ran while the question was open: a scan may have reordered the table, refilled
    // both lists or gone back to the main list. Remove the friend the question named, found by
    // its row's number, and the line it has now.
    if (table.findRow(friendId) < 0)
        return;
    // A list not refilled below keeps showing the friend's line as it was.
    m_c.List1->keepTextOf(friendId);
    m_c.List2->keepTextOf(friendId);
    const int position = m_model.removeFriend(friendId);
    if (position >= 1 && position <= m_c.List2->count())
        m_c.List2->removeLine(position - 1);
    if (!m_model.state().manageMode)
        m_lists.fillMainList();

    m_lists.updateListTitle();
    clearCurrentLine(m_c.List2);
    m_c.ListTri->setFocus(Qt::OtherFocusReason);
    m_lists.layoutLists();
}

} // namespace amiscan
