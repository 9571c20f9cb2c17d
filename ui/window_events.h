#pragma once

namespace amiscan {

class Form1;

// The main window's own resizing and minimising. Called once by the window's constructor.
void connectWindowEvents(Form1 &form);

} // namespace amiscan
