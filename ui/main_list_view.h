#pragma once

namespace amiscan {

class Form1;

// Connects the three list option check boxes, the labels beside them and the top-row buttons
// that stand for them while the panel is hidden. Called once by the window's constructor.
void connectListOptions(Form1 &form);

} // namespace amiscan
