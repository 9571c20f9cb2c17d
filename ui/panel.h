#pragma once

namespace amiscan {

class Form1;

// The panel button and the double click on the main list toggle the panel. Called once by the
// window's constructor.
void connectPanel(Form1 &form);

} // namespace amiscan
