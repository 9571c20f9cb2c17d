// Which of a friend's two sessions the lists show, and the companion line that shows the other.
#include "ui/session_switch.h"

#include "lists/friend_line.h"
#include "model/main_model.h"
#include "ui/colors.h"
#include "ui/control_events.h"
#include "ui/form1_texts.h"
#include "ui/help_line.h"
#include "ui/line_list.h"
#include "ui/lists_view.h"
#include "ui/main_controls.h"
#include "ui/mouse_events.h"
#include "ui/park_focus.h"

#include <QCheckBox>
#include <QLabel>

namespace amiscan {

namespace {

// The separator, blank lines and the instructions are no friend's line.
bool holdsNoFriend(const QString &line)
{
    return !line.contains(u':');
}

} // namespace

SessionSwitch::SessionSwitch(const MainControls &controls, MainModel &model, ListsView &lists,
                             HelpLine &helpLine)
    : m_c(controls), m_model(model), m_lists(lists), m_helpLine(helpLine)
{
    const auto switchLists = [this] {
        parkFocus(m_c);
        switchSession();
    };
    onMousePress(m_c.LabTitList1, [switchLists](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            switchLists();
    });
    onClick(m_c.LabSession, switchLists);

    QObject::connect(m_c.List1, &LineList::currentRowChanged, m_c.window,
                     [this] { showSelectedFriend(); });
    // The keyboard reaches the offline friends past the separator; a click on it parks the focus.
    m_c.List1->passOverWithKeys(holdsNoFriend);
    onFocusOut(m_c.List1, [this] { m_helpLine.showHelp(); });
    onKeyPress(m_c.List1, Qt::Key_Escape, [this] { parkFocus(m_c); });
}

// The friend of the main list's current line, in the help line; anything else empties it.
void SessionSwitch::showSelectedFriend()
{
    const FriendsTable &table = m_model.table();
    if (table.friendCount() == 0) {
        parkFocus(m_c);
        return;
    }
    const QString line = m_c.List1->lineText(m_c.List1->currentRow());
    if (holdsNoFriend(line)) {
        m_c.LabHelpNom->clear();
        m_helpLine.showHelp();
        parkFocus(m_c);
        return;
    }
    const LineModes modes = m_model.lineModes();
    const int nameColumn = modes.userNames ? AccountName : DisplayName;
    const QString name = nameFromLine(line);
    // Of friends with the same name the last in table order is shown.
    for (int row = table.friendCount(); row >= 1; --row) {
        if (table.cellText(row, nameColumn) != name)
            continue;
        setForeColor(m_c.LabHelpNom, modes.secondSession ? colors::Black : colors::Green);
        m_c.LabHelpNom->setText(companionLine(table, row, modes));
        m_helpLine.showCompanion();
        return;
    }
}

void SessionSwitch::switchSession()
{
    const bool toSecond = m_model.state().sessionShown == Session::First;
    m_model.setSessionShown(toSecond ? Session::Second : Session::First);
    QLabel *title = m_c.LabTitList1;
    m_c.LabSession->setText(toSecond ? texts::SessionMarkSecond : texts::SessionMarkFirst);
    title->setText(toSecond ? texts::SecondSessionTitle : texts::FirstSessionTitle);
    if (toSecond) {
        for (QWidget *control : {static_cast<QWidget *>(title), static_cast<QWidget *>(m_c.List1),
                                 static_cast<QWidget *>(m_c.List2)})
            setForeColor(control, colors::GreyGreen);
    } else {
        setForeColor(title, colors::Black);
        setForeColor(m_c.List1, m_model.state().scanState != ScanState::NotStarted ? colors::Blue
                                                                                   : colors::Black);
        setForeColor(m_c.List2, colors::Black);
    }
    // Same lines in the same order, with the other session's fields.
    m_lists.fillManageList();
    m_lists.fillMainList();
    clearCurrentLine(m_c.List2);
    m_helpLine.describeControls();
}

} // namespace amiscan
