// The start-up sequence: the model's first values and the two files, then the window's first
// look, the lists, and the two start-up options. Every step that fails is skipped and the next
// one runs.
#include "model/main_model.h"
#include "ui/colors.h"
#include "ui/form1.h"
#include "ui/form1_texts.h"
#include "ui/help_line.h"
#include "ui/line_list.h"
#include "ui/list_options.h"
#include "ui/lists_view.h"
#include "ui/login_controls.h"
#include "ui/panel.h"
#include "ui/scan_controls.h"
#include "ui/status_label.h"
#include "ui/tray.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace amiscan {

void Form1::load(bool minimised)
{
    const MainControls &c = m_controls;
    m_model.setWindowReady(false);
    c.LabTitList1->setText(texts::FirstSessionTitle);

    m_model.startRun();
    // The settings' options, in the order the file keeps them.
    m_loginBoxes->showLogin();
    m_listOptions->showOptions();
    m_tray->showOption();
    m_model.applyStoredRepeat();
    m_model.loadHistory();
    m_model.prepareTimers();

    // Window and list sizes for the fewest list lines.
    const MainState &state = m_model.state();
    setTwipsWidth(this, 7905);
    setWindowTitle(texts::ProgramName);
    const int listHeight = (state.minListLines - 1) * 195 + 255;
    setTwipsHeight(c.List1, listHeight);
    setTwipsHeight(c.List2, listHeight);
    setTwipsTop(c.LabHelp, listHeight + 1610);
    setTwipsTop(c.LabHelpNom, listHeight + 1610);
    setTwipsHeight(this, listHeight + 1610 + 700);

    // Status row and controls.
    m_scanControls->showFirstStatus();
    c.LabHelp->clear();
    c.LabHelp->show();
    c.LabHelpNom->clear();
    c.LabHelpNom->hide();
    for (QPushButton *toggle : {c.ButHideCheckFlter, c.ButHideCheckHideOff, c.ButHideCheckUser})
        toggle->hide();
    setForeColor(c.List1, colors::Black);
    c.List2->hide();
    c.LabSession->setText(QStringLiteral("1"));
    c.CheckList2All->hide();

    if (state.dataPresent) {
        showTable();
    } else {
        m_lists->fillInstructions();
    }

    m_helpLine->describeControls();
    if (!minimised)
        show();
    else if (!m_tray->hidesWhenMinimised())
        showMinimized();
    m_model.setWindowReady(true);

    // AutoHide: the settings asked for a hidden panel.
    if (state.panelState == PanelState::Hidden) {
        m_model.setPanelState(PanelState::Shown);
        m_panel->toggle();
    }
    // Auto Start.
    if (state.autoStart && !state.userName.isEmpty())
        m_model.startScanOnceLoginKnown();
}

} // namespace amiscan
