// The panel that hides: its controls slide up out of sight, the lower part of the window slides up
// under a thin row of buttons, and the window loses height. Showing the panel reverses it.
#include "ui/panel.h"

#include "model/main_model.h"
#include "ui/form1_texts.h"
#include "ui/help_line.h"
#include "ui/line_list.h"
#include "ui/lists_view.h"
#include "ui/main_controls.h"
#include "ui/mouse_events.h"
#include "ui/panel_slide.h"
#include "ui/status_label.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace amiscan {

namespace {

// Everything above the status row except the two buttons that stay in the top row.
QList<QWidget *> upperGroup(const MainControls &f)
{
    return {f.LineHoriz,
            f.LineV1,
            f.LabelProg1,
            f.LabelProg2,
            f.LineV2,
            f.TextLogin,
            f.TextPw,
            f.CheckAutoStart,
            f.LabCheckAutoStart,
            f.LineV3,
            f.ButGo,
            f.LabTextTimerScan1,
            f.TextTimerScan,
            f.LabTextTimerScan2,
            f.ButTimerOnOff,
            f.LabTimerOn,
            f.LabTimerOff,
            f.LineV4,
            f.LabCheckHideOff,
            f.CheckHideOff,
            f.LabCheckFlter,
            f.CheckFlter,
            f.LabCheckUser,
            f.CheckUser,
            f.LineV5,
            f.LabCheckTray,
            f.CheckTray,
            f.ButAbout,
            f.LineV6};
}

QList<QWidget *> lowerGroup(const MainControls &f)
{
    return {f.LabScanLast, f.LabInfo, f.LabScanNext, f.LabTitList1, f.CheckList2All,
            f.LabSession,  f.List1,   f.List2,       f.LabHelp,     f.LabHelpNom};
}

QList<QPushButton *> topRowToggles(const MainControls &f)
{
    return {f.ButHideCheckFlter, f.ButHideCheckHideOff, f.ButHideCheckUser};
}

int top(const QWidget *control)
{
    return twipsGeometry(control).top();
}

void moveBy(const QList<QWidget *> &controls, int shift)
{
    for (QWidget *control : controls)
        setTwipsTop(control, top(control) + shift);
}

void shape(QWidget *button, const ButtonShape &to)
{
    QRect r = twipsGeometry(button);
    if (to.left >= 0)
        r.moveLeft(to.left);
    r.setWidth(to.width);
    r.setHeight(to.height);
    setTwipsGeometry(button, r);
}

// The slide's steps run one after another with nothing in between, so the controls go straight
// to where the last step leaves them.
void slide(const MainControls &f, SlidePositions (*slideFrom)(SlidePositions))
{
    const SlidePositions from{top(f.LineHoriz), top(f.ButAbout), top(f.ButHidePanel),
                              top(f.ButExit), top(f.LabScanLast)};
    const SlidePositions to = slideFrom(from);
    moveBy(upperGroup(f), to.about - from.about);
    setTwipsTop(f.ButHidePanel, to.panelButton);
    setTwipsTop(f.ButExit, to.exitButton);
    moveBy(lowerGroup(f), to.statusRow - from.statusRow);
}

void changeWindowHeight(QWidget *window, int change)
{
    setTwipsHeight(window, twipsGeometry(window).height() + change);
}

} // namespace

Panel::Panel(const MainControls &controls, MainModel &model, ListsView &lists, HelpLine &helpLine)
    : m_c(controls), m_model(model), m_lists(lists), m_helpLine(helpLine)
{
    QObject::connect(m_c.ButHidePanel, &QPushButton::clicked, m_c.window, [this] { toggle(); });
    onDoubleClick(m_c.List1, [this] {
        parkFocus(m_c);
        toggle();
    });
}

void Panel::hide()
{
    const MainControls &f = m_c;
    m_model.setPanelState(PanelState::Sliding);
    slide(f, hideSlide);
    changeWindowHeight(f.window, -PanelHeightChange);
    f.ButHidePanel->setText(texts::ShowPanelCaption);
    shape(f.ButHidePanel, PanelButtonHidden);
    shape(f.ButExit, ExitButtonHidden);
    for (QPushButton *toggle : topRowToggles(f)) {
        setTwipsTop(toggle, top(f.ButHidePanel));
        toggle->show();
    }
    m_model.setPanelState(PanelState::Hidden);
}

void Panel::show()
{
    const MainControls &f = m_c;
    m_model.setPanelState(PanelState::Sliding);
    for (QPushButton *toggle : topRowToggles(f))
        toggle->hide();
    changeWindowHeight(f.window, PanelHeightChange);
    f.ButHidePanel->setText(texts::HidePanelCaption);
    shape(f.ButHidePanel, PanelButtonShown);
    shape(f.ButExit, ExitButtonShown);
    slide(f, showSlide);
    m_model.setPanelState(PanelState::Shown);
}

void Panel::toggle()
{
    parkFocus(m_c);
    if (m_model.state().panelState == PanelState::Shown)
        hide();
    else
        show();
    m_lists.layoutLists();
    m_helpLine.describeControls();
}

} // namespace amiscan
