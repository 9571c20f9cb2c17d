#pragma once

namespace amiscan {

class Form1;

// The user name and password boxes with their placeholders and the password mask, and the
// Auto Start option with its label.
void connectLoginControls(Form1 &form);

} // namespace amiscan
