#pragma once

#include <QString>

#include <functional>
#include <initializer_list>

class QCheckBox;
class QWidget;

namespace amiscan {

class Form1;

// Whether a help text also brings the help line back in place of the companion line of the
// selected friend. Otherwise a text written while the companion line shows waits behind it.
enum class HelpSwitch : bool
{
    Keep,
    ToHelp,
};

// The help line at the bottom of the window is two labels in one place: LabHelp with the help
// texts and LabHelpNom with the companion line of the friend selected in the main list.

// Writes a text into the help line.
void writeHelp(Form1 &form, const QString &text, HelpSwitch switching = HelpSwitch::Keep);
// Shows the help line as it stands, in place of the companion line.
void showHelpLine(Form1 &form);
// Shows the companion line as it stands, in place of the help line.
void showCompanionLine(Form1 &form);

// The help line shows the text while the mouse moves over any of the controls, and screen
// readers give it as their description. A text chosen by the window's state is given as a
// function, asked at each move and by describeControls.
using HelpText = std::function<QString()>;
void addHelp(Form1 &form, std::initializer_list<QWidget *> controls, const HelpText &text,
             HelpSwitch switching = HelpSwitch::Keep);
void addHelp(Form1 &form, std::initializer_list<QWidget *> controls, const QString &text,
             HelpSwitch switching = HelpSwitch::Keep);
// One of two texts by the value of a check box.
HelpText byCheck(const QCheckBox *box, const QString &checked, const QString &unchecked);

// Each control's description for screen readers becomes its help text in the window's present
// state: called whenever a state that chooses a text changes.
void describeControls(Form1 &form);

// Every control's help text, the bare window clearing the line, and a click on the line parking
// the focus. The texts of the column title, the session mark and both lists follow the session
// shown and the list's current line. Called once by the window's constructor.
void connectHelpLine(Form1 &form);

} // namespace amiscan
