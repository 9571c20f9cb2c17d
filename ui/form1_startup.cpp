// The start-up sequence: the main window's first values, the two files, the lists, and the
// two start-up options. Every step that fails is skipped and the next one runs.
#include "schedule/interval.h"
#include "ui/colors.h"
#include "ui/form1.h"
#include "ui/help_line.h"
#include "ui/line_list.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace amiscan {

void Form1::load()
{
    // First values of the state, in the order the program has always set them.
    state = MainState{};
    state.versionText = programVersionText();
    state.windowReady = false;
    LabTitList1->setText(texts::FirstSessionTitle);
    LabTitList1->setProperty("tag", texts::SecondSessionTitle);

    readSettings();

    // The login boxes show the stored values, the password as its mask.
    if (!state.userName.isEmpty() && state.userName != texts::UserPlaceholder)
        TextLogin->setText(state.userName);
    else
        TextLogin->setText(texts::UserPlaceholder);
    if (!state.password.isEmpty() && state.password != texts::PasswordPlaceholder) {
        TextPw->setText(QString(state.password.size(), u'*'));
        state.savedPassword = state.password;
    } else {
        TextPw->setText(texts::PasswordPlaceholder);
    }

    // The sort key follows the name mode in force at start-up, for the whole run.
    state.sortNameMode = CheckUser->isChecked() ? 1 : 0;

    ButHideCheckFlter->setText(CheckFlter->isChecked() ? texts::FilterOn : texts::FilterOff);
    ButHideCheckHideOff->setText(CheckHideOff->isChecked() ? texts::HideOfflineOn
                                                           : texts::HideOfflineOff);
    ButHideCheckUser->setText(CheckUser->isChecked() ? texts::NameUser : texts::NameDisplay);

    // Settings that switched repetition off: switch it on, then let the toggle turn it off
    // with everything that goes with it.
    if (!state.repeatOn) {
        state.repeatOn = true;
        toggleRepeat();
    }

    loadHistory();

    Timer1->stop();
    Timer1->setInterval(3000);
    TimerScan->stop();
    TimerScan->setInterval(60000);
    // The count-down always holds a number: a stored interval goes through the box's checks.
    TextTimerScan->setText(validatedInterval(TextTimerScan->text()));
    state.minutesLeft = TextTimerScan->text();

    // Window and list sizes for the fewest list lines.
    setTwipsWidth(this, 7905);
    setWindowTitle(texts::ProgramName);
    const int listHeight = (state.minListLines - 1) * 195 + 255;
    setTwipsHeight(List1, listHeight);
    setTwipsHeight(List2, listHeight);
    setTwipsTop(LabHelp, listHeight + 1610);
    setTwipsTop(LabHelpNom, listHeight + 1610);
    setWindowHeightTwips(listHeight + 1610 + 700);

    // Status row and controls.
    ButGo->setText(texts::StartCaption);
    setBackColor(ButGo, colors::LightGreen);
    setForeColor(LabInfo, colors::Black);
    LabInfo->setText(texts::ProgramName);
    setForeColor(LabScanLast, colors::Black);
    LabScanLast->setText(state.lastScanStamp.isEmpty()
                             ? texts::NoScan
                             : texts::LastScanPrefix + state.lastScanStamp);
    if (state.repeatOn) {
        setForeColor(LabScanNext, colors::Black);
        LabScanNext->setText(texts::ScanNotStarted);
    } else {
        setForeColor(LabScanNext, colors::Red);
        LabScanNext->setText(texts::TimerOff);
    }
    LabHelp->clear();
    LabHelp->show();
    LabHelpNom->clear();
    LabHelpNom->hide();
    for (QPushButton *toggle : {ButHideCheckFlter, ButHideCheckHideOff, ButHideCheckUser})
        toggle->hide();
    setForeColor(List1, colors::Black);
    List2->hide();
    LabSession->setText(QStringLiteral("1"));
    CheckList2All->hide();

    if (state.dataPresent) {
        sortByKey();
        fillManageList();
        sortOnlineFirst();
        fillMainList();
        layoutLists();
    } else {
        fillInstructions();
    }

    describeControls(*this);
    show();
    state.windowReady = true;

    // AutoHide: the settings asked for a hidden panel.
    if (state.panelState == PanelState::Hidden) {
        state.panelState = PanelState::Shown;
        togglePanel();
    }
    // Auto Start.
    if (CheckAutoStart->isChecked() && !state.userName.isEmpty())
        startScanButton();
}

} // namespace amiscan
