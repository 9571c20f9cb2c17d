// Which of a friend's two sessions the lists show, and the companion line that shows the other.
#include "ui/session_switch.h"

#include "lists/friend_line.h"
#include "ui/colors.h"
#include "ui/control_events.h"
#include "ui/form1.h"
#include "ui/form1_texts.h"
#include "ui/help_line.h"
#include "ui/line_list.h"
#include "ui/park_focus.h"

#include <QCheckBox>
#include <QLabel>

namespace amiscan {

namespace {

// The column title keeps the other session's title as its tag (set by the design and start-up).
const char *const TitleTag = "tag";

// The separator, blank lines and the instructions are no friend's line.
bool holdsNoFriend(const QString &line)
{
    return !line.contains(u':');
}

// The friend of the main list's current line, in the help line; anything else empties it.
void showSelectedFriend(Form1 &form)
{
    if (form.table.friendCount() == 0) {
        form.parkFocus();
        return;
    }
    const QString line = form.List1->lineText(form.List1->currentRow());
    if (holdsNoFriend(line)) {
        form.LabHelpNom->clear();
        showHelpLine(form);
        form.parkFocus();
        return;
    }
    const LineModes modes{form.CheckUser->isChecked(), form.state.sessionShown != Session::First};
    const int nameColumn = modes.userNames ? AccountName : DisplayName;
    const QString name = nameFromLine(line);
    // Of friends with the same name the last in table order is shown.
    for (int row = form.table.friendCount(); row >= 1; --row) {
        if (form.table.cellText(row, nameColumn) != name)
            continue;
        setForeColor(form.LabHelpNom, modes.secondSession ? colors::Black : colors::Green);
        form.LabHelpNom->setText(companionLine(form.table, row, modes));
        showCompanionLine(form);
        return;
    }
}

} // namespace

void Form1::switchSession()
{
    const bool toSecond = state.sessionShown == Session::First;
    state.sessionShown = toSecond ? Session::Second : Session::First;
    LabSession->setText(toSecond ? texts::SessionMarkSecond : texts::SessionMarkFirst);
    const QString shownTitle = LabTitList1->text();
    LabTitList1->setText(LabTitList1->property(TitleTag).toString());
    LabTitList1->setProperty(TitleTag, shownTitle);
    if (toSecond) {
        for (QWidget *control : {static_cast<QWidget *>(LabTitList1), static_cast<QWidget *>(List1),
                                 static_cast<QWidget *>(List2)})
            setForeColor(control, colors::GreyGreen);
    } else {
        setForeColor(LabTitList1, colors::Black);
        setForeColor(List1,
                     state.scanState != ScanState::NotStarted ? colors::Blue : colors::Black);
        setForeColor(List2, colors::Black);
    }
    // Same lines in the same order, with the other session's fields.
    fillManageList();
    fillMainList();
    clearCurrentLine(List2);
    describeControls(*this);
}

void connectSessionSwitch(Form1 &form)
{
    const auto switchLists = [&form] {
        form.parkFocus();
        form.switchSession();
    };
    onMousePress(form.LabTitList1, [switchLists](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            switchLists();
    });
    onClick(form.LabSession, switchLists);

    QObject::connect(form.List1, &LineList::currentRowChanged, &form,
                     [&form] { showSelectedFriend(form); });
    // The keyboard reaches the offline friends past the separator; a click on it parks the focus.
    form.List1->passOverWithKeys(holdsNoFriend);
    onFocusOut(form.List1, [&form] { showHelpLine(form); });
    onKeyPress(form.List1, Qt::Key_Escape, [&form] { form.parkFocus(); });
}

} // namespace amiscan
