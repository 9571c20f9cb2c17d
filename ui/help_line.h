#pragma once

#include <QString>

#include <functional>
#include <initializer_list>

class QCheckBox;
class QWidget;

namespace amiscan {

class MainModel;
struct MainControls;

// Whether a help text also brings the help line back in place of the companion line of the
// selected friend. Otherwise a text written while the companion line shows waits behind it.
enum class HelpSwitch : bool
{
    Keep,
    ToHelp,
};

// The help line at the bottom of the window is two labels in one place: LabHelp with the help
// texts and LabHelpNom with the companion line of the friend selected in the main list. The help
// line shows a control's text while the mouse moves over it, and screen readers give the same
// text as the control's description.
class HelpLine final
{
    Q_DISABLE_COPY_MOVE(HelpLine)

public:
    // Every control's help text, the bare window clearing the line, and a click on the line
    // parking the focus. The texts of the column title, the session mark and both lists follow
    // the session shown and the list's current line.
    HelpLine(const MainControls &controls, const MainModel &model);
    ~HelpLine() = default;

    void write(const QString &text, HelpSwitch switching = HelpSwitch::Keep);
    // Shows the help line as it stands, in place of the companion line.
    void showHelp();
    // Shows the companion line as it stands, in place of the help line.
    void showCompanion();
    // Each control's description for screen readers becomes its help text in the window's
    // present state: called whenever a state that chooses a text changes.
    void describeControls();

private:
    // A text chosen by the window's state is asked at each move and by describeControls.
    using HelpText = std::function<QString()>;
    void add(std::initializer_list<QWidget *> controls, const HelpText &text,
             HelpSwitch switching = HelpSwitch::Keep);
    void add(std::initializer_list<QWidget *> controls, const QString &text,
             HelpSwitch switching = HelpSwitch::Keep);

    const MainControls &m_c;
};

} // namespace amiscan
