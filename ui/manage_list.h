#pragma once

namespace amiscan {

class Form1;

// The management list in the main list's place: the right button and Escape go back and forth,
// check marks choose the friends the main list shows, and Delete removes a friend after asking.
// Called once by the window's constructor.
void connectManageList(Form1 &form);

} // namespace amiscan
