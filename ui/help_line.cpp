// The help line at the bottom of the main window explains whatever control the mouse is over.
#include "ui/help_line.h"

#include "model/main_model.h"
#include "ui/form1_texts.h"
#include "ui/line_list.h"
#include "ui/main_controls.h"
#include "ui/mouse_events.h"
#include "ui/status_label.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

namespace amiscan {

void HelpLine::write(const QString &text, HelpSwitch switching)
{
    m_c.LabHelp->setText(text);
    if (switching == HelpSwitch::ToHelp)
        showHelp();
}

void HelpLine::showHelp()
{
    m_c.LabHelp->show();
    m_c.LabHelpNom->hide();
}

void HelpLine::showCompanion()
{
    m_c.LabHelp->hide();
    m_c.LabHelpNom->show();
}

namespace {

// A control's help text, kept as its description for screen readers.
class HelpDescription final : public QObject
{
public:
    HelpDescription(QWidget *control, std::function<QString()> text)
        : QObject(control), m_control(control), m_text(std::move(text))
    {
        update();
    }
    void update() const { m_control->setAccessibleDescription(m_text()); }

private:
    QWidget *m_control;
    std::function<QString()> m_text;
};

// One of two texts by the value of a check box.
std::function<QString()> byCheck(const QCheckBox *box, const QString &checked,
                                 const QString &unchecked)
{
    return [box, checked, unchecked] { return box->isChecked() ? checked : unchecked; };
}

} // namespace

void HelpLine::describeControls()
{
    for (const QObject *child : m_c.window->findChildren<QObject *>()) {
        if (const auto *description = dynamic_cast<const HelpDescription *>(child))
            description->update();
    }
}

void HelpLine::add(std::initializer_list<QWidget *> controls, const HelpText &text,
                   HelpSwitch switching)
{
    for (QWidget *control : controls) {
        onMouseMove(control, [this, text, switching](const QPoint &) { write(text(), switching); });
        if (!text().isEmpty())
            new HelpDescription(control, text);
    }
}

void HelpLine::add(std::initializer_list<QWidget *> controls, const QString &text,
                   HelpSwitch switching)
{
    add(controls, HelpText([text] { return text; }), switching);
}

HelpLine::HelpLine(const MainControls &c, const MainModel &model) : m_c(c)
{
    using enum HelpSwitch;
    const MainControls &f = c;
    const MainState &state = model.state();
    add({f.LabelProg1, f.LabelProg2},
        [&state] { return texts::TitleHelpPrefix + state.versionText; });
    add({f.ButHidePanel}, [&state] {
        return state.panelState != PanelState::Shown ? texts::ShowPanelHelp : texts::HidePanelHelp;
    });
    add({f.TextLogin}, texts::UserNameHelp);
    add({f.TextPw}, texts::PasswordHelp);
    add({f.LabCheckAutoStart, f.CheckAutoStart}, texts::AutoStartHelp);
    add({f.ButGo}, texts::StartScanHelp);
    add({f.LabTextTimerScan1, f.TextTimerScan, f.LabTextTimerScan2}, texts::IntervalHelp);
    add({f.ButTimerOnOff}, texts::TimerHelp);
    add({f.LabCheckFlter, f.CheckFlter}, texts::FilterHelp);
    add({f.LabCheckHideOff, f.CheckHideOff}, texts::OfflineHelp);
    add({f.LabCheckUser, f.CheckUser}, texts::UserHelp);
    add({f.LabCheckTray, f.CheckTray}, texts::TrayHelp);
    add({f.ButAbout}, texts::AboutHelp);
    add({f.ButExit}, texts::ExitHelp);
    add({f.ButHideCheckFlter}, byCheck(f.CheckFlter, texts::FilterOnHelp, texts::FilterOffHelp));
    add({f.ButHideCheckHideOff},
        byCheck(f.CheckHideOff, texts::HideOfflineOnHelp, texts::HideOfflineOffHelp));
    add({f.ButHideCheckUser}, byCheck(f.CheckUser, texts::NameUserHelp, texts::NameDisplayHelp));
    add({f.LabScanLast}, texts::ScanLastHelp, ToHelp);
    add({f.LabScanNext}, texts::ScanNextHelp, ToHelp);
    add({f.CheckList2All}, texts::CheckAllHelp, ToHelp);
    add({f.LabInfo}, QString(), ToHelp);
    add({f.LabHelp, f.LabHelpNom}, QString());

    // The bare window: the move arrives here from no control, or passed on by one that
    // did not take it.
    onMouseMove(f.window, [this](const QPoint &at) {
        if (!m_c.window->childAt(at))
            write(QString(), ToHelp);
    });

    onClick(f.LabHelp, [this] { parkFocus(m_c); });

    const auto sessionHelp = [&state] {
        return state.sessionShown != Session::First ? texts::SessionHelpToFirst
                                                    : texts::SessionHelpToSecond;
    };
    add({f.LabTitList1, f.LabSession}, sessionHelp, ToHelp);
    const HelpText mainListHelp = [&state] {
        return state.sessionShown != Session::First ? texts::MainListHelpSelectsFirst
                                                    : texts::MainListHelpSelectsSecond;
    };
    // Over the main list a selected friend keeps its companion line in view.
    onMouseMove(f.List1, [this, mainListHelp](const QPoint &) {
        if (m_c.List1->currentRow() >= 0)
            showCompanion();
        else
            write(mainListHelp(), ToHelp);
    });
    new HelpDescription(f.List1, mainListHelp);
    // The management list only words the help line; which label shows is left as it is.
    onMouseMove(f.List2, [this](const QPoint &) {
        if (m_c.List2->currentRow() < 0)
            write(texts::ManageListHelp);
    });
    new HelpDescription(f.List2, [] { return texts::ManageListHelp; });

    // The top row's toggles word what their check box now does.
    for (QCheckBox *box : {f.CheckFlter, f.CheckHideOff, f.CheckUser})
        QObject::connect(box, &QCheckBox::toggled, f.window, [this] { describeControls(); });
}

} // namespace amiscan
