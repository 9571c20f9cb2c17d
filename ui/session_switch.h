#pragma once

namespace amiscan {

class Form1;

// The column title and the session mark switch the lists between the two sessions; selecting a
// friend in the main list shows its companion line in the help line. Called once by the window's
// constructor.
void connectSessionSwitch(Form1 &form);

} // namespace amiscan
