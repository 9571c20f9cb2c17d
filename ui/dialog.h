#pragma once

namespace amiscan {

class Form1;

// The main window's side of the dialog: the About entry points (ButAbout and the title labels)
// and the closing of the About box when the user returns to the main window.
void connectDialogControls(Form1 &form);

} // namespace amiscan
