#pragma once

#include "ui/mouse_events.h"

namespace amiscan {

// Events of the lists that have no signal of their own. Unlike the mouse handlers, the first two
// take the event: the list does not handle it afterwards.

// The right button pressed on the control; the control does not make the line under it current.
void onRightPress(QWidget *control, ClickHandler handler);
// The key pressed while the control has the keyboard focus.
void onKeyPress(QWidget *control, Qt::Key key, ClickHandler handler);
// The control losing the keyboard focus; the control handles the event as usual.
void onFocusOut(QWidget *control, ClickHandler handler);

} // namespace amiscan
