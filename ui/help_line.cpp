// The help line at the bottom of the main window explains whatever control the mouse is over.
#include "ui/help_line.h"

#include "ui/form1.h"
#include "ui/line_list.h"
#include "ui/mouse_events.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

namespace amiscan {

void writeHelp(Form1 &form, const QString &text, HelpSwitch switching)
{
    form.LabHelp->setText(text);
    if (switching == HelpSwitch::ToHelp)
        showHelpLine(form);
}

void showHelpLine(Form1 &form)
{
    form.LabHelp->show();
    form.LabHelpNom->hide();
}

void showCompanionLine(Form1 &form)
{
    form.LabHelp->hide();
    form.LabHelpNom->show();
}

namespace {

// A control's help text, kept as its description for screen readers.
class HelpDescription final : public QObject
{
public:
    HelpDescription(QWidget *control, HelpText text)
        : QObject(control), m_control(control), m_text(std::move(text))
    {
        update();
    }
    void update() const { m_control->setAccessibleDescription(m_text()); }

private:
    QWidget *m_control;
    HelpText m_text;
};

} // namespace

void describeControls(Form1 &form)
{
    for (const QObject *child : form.findChildren<QObject *>()) {
        if (const auto *description = dynamic_cast<const HelpDescription *>(child))
            description->update();
    }
}

void addHelp(Form1 &form, std::initializer_list<QWidget *> controls, const HelpText &text,
             HelpSwitch switching)
{
    for (QWidget *control : controls) {
        onMouseMove(control, [&form, text, switching](const QPoint &) {
            writeHelp(form, text(), switching);
        });
        if (!text().isEmpty())
            new HelpDescription(control, text);
    }
}

void addHelp(Form1 &form, std::initializer_list<QWidget *> controls, const QString &text,
             HelpSwitch switching)
{
    addHelp(form, controls, HelpText([text] { return text; }), switching);
}

HelpText byCheck(const QCheckBox *box, const QString &checked, const QString &unchecked)
{
    return [box, checked, unchecked] { return box->isChecked() ? checked : unchecked; };
}

void connectHelpLine(Form1 &f)
{
    using enum HelpSwitch;
    addHelp(f, {f.LabelProg1, f.LabelProg2},
            [&f] { return texts::TitleHelpPrefix + f.state.versionText; });
    addHelp(f, {f.ButHidePanel}, [&f] {
        return f.state.panelState != PanelState::Shown ? texts::ShowPanelHelp
                                                       : texts::HidePanelHelp;
    });
    addHelp(f, {f.TextLogin}, texts::UserNameHelp);
    addHelp(f, {f.TextPw}, texts::PasswordHelp);
    addHelp(f, {f.LabCheckAutoStart, f.CheckAutoStart}, texts::AutoStartHelp);
    addHelp(f, {f.ButGo}, texts::StartScanHelp);
    addHelp(f, {f.LabTextTimerScan1, f.TextTimerScan, f.LabTextTimerScan2}, texts::IntervalHelp);
    addHelp(f, {f.ButTimerOnOff}, texts::TimerHelp);
    addHelp(f, {f.LabCheckFlter, f.CheckFlter}, texts::FilterHelp);
    addHelp(f, {f.LabCheckHideOff, f.CheckHideOff}, texts::OfflineHelp);
    addHelp(f, {f.LabCheckUser, f.CheckUser}, texts::UserHelp);
    addHelp(f, {f.LabCheckTray, f.CheckTray}, texts::TrayHelp);
    addHelp(f, {f.ButAbout}, texts::AboutHelp);
    addHelp(f, {f.ButExit}, texts::ExitHelp);
    addHelp(f, {f.ButHideCheckFlter},
            byCheck(f.CheckFlter, texts::FilterOnHelp, texts::FilterOffHelp));
    addHelp(f, {f.ButHideCheckHideOff},
            byCheck(f.CheckHideOff, texts::HideOfflineOnHelp, texts::HideOfflineOffHelp));
    addHelp(f, {f.ButHideCheckUser},
            byCheck(f.CheckUser, texts::NameUserHelp, texts::NameDisplayHelp));
    addHelp(f, {f.LabScanLast}, texts::ScanLastHelp, ToHelp);
    addHelp(f, {f.LabScanNext}, texts::ScanNextHelp, ToHelp);
    addHelp(f, {f.CheckList2All}, texts::CheckAllHelp, ToHelp);
    addHelp(f, {f.LabInfo}, QString(), ToHelp);
    addHelp(f, {f.LabHelp, f.LabHelpNom}, QString());

    // The bare window: the move arrives here from no control, or passed on by one that
    // did not take it.
    onMouseMove(&f, [&f](const QPoint &at) {
        if (!f.childAt(at))
            writeHelp(f, QString(), ToHelp);
    });

    onClick(f.LabHelp, [&f] { f.parkFocus(); });

    const auto sessionHelp = [&f] {
        return f.state.sessionShown != Session::First ? texts::SessionHelpToFirst
                                                      : texts::SessionHelpToSecond;
    };
    addHelp(f, {f.LabTitList1, f.LabSession}, sessionHelp, ToHelp);
    const HelpText mainListHelp = [&f] {
        return f.state.sessionShown != Session::First ? texts::MainListHelpSelectsFirst
                                                      : texts::MainListHelpSelectsSecond;
    };
    // Over the main list a selected friend keeps its companion line in view.
    onMouseMove(f.List1, [&f, mainListHelp](const QPoint &) {
        if (f.List1->currentRow() >= 0)
            showCompanionLine(f);
        else
            writeHelp(f, mainListHelp(), ToHelp);
    });
    new HelpDescription(f.List1, mainListHelp);
    // The management list only words the help line; which label shows is left as it is.
    onMouseMove(f.List2, [&f](const QPoint &) {
        if (f.List2->currentRow() < 0)
            writeHelp(f, texts::ManageListHelp);
    });
    new HelpDescription(f.List2, [] { return texts::ManageListHelp; });

    // The top row's toggles word what their check box now does.
    for (QCheckBox *box : {f.CheckFlter, f.CheckHideOff, f.CheckUser})
        QObject::connect(box, &QCheckBox::toggled, &f, [&f] { describeControls(f); });
}

} // namespace amiscan
