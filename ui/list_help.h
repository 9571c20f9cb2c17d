#pragma once

class QString;

namespace amiscan {

class Form1;

// The help line at the bottom of the window is two labels in one place: LabHelp with the help
// texts and LabHelpNom with the companion line of the friend selected in the main list.

// Shows the help text, in place of the companion line.
void showHelpText(Form1 &form, const QString &text);
// Shows the help line as it stands, in place of the companion line.
void showHelpLine(Form1 &form);
// Shows the companion line as it stands, in place of the help line.
void showCompanionLine(Form1 &form);

// The help texts of the column title, the session mark and both lists, which follow the session
// shown and the list's current line. Called once by the window's constructor.
void connectListHelp(Form1 &form);

} // namespace amiscan
