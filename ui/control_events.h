#pragma once

#include "ui/mouse_events.h"

namespace amiscan {

// Events of the lists and text boxes that have no signal of their own. Unlike the mouse handlers,
// the key handlers take the event: the control does not handle it afterwards.

// The right button pressed on the control; the control does not make the line under it current.
void onRightPress(QWidget *control, ClickHandler handler);
// The key pressed while the control has the keyboard focus.
void onKeyPress(QWidget *control, Qt::Key key, ClickHandler handler);
// The control losing the keyboard focus; the control handles the event as usual.
void onFocusOut(QWidget *control, ClickHandler handler);
// Enter or Escape pressed in a text box: the edit ends, nothing is typed.
void onEditEnd(QWidget *box, ClickHandler handler);
// A text box gaining (true) or losing (false) the keyboard focus. The box's own context menu
// takes the focus only for a moment: the edit goes on, and the handler does not run.
void onEditFocus(QWidget *box, const std::function<void(bool gotFocus)> &handler);
// The focus leaving a text box for another control of the program. Another program taking it
// (the window deactivated, minimised or hidden in the notification area) and the box's own
// context menu leave the edit going on: the handler does not run.
void onEditLeft(QWidget *box, ClickHandler handler);

} // namespace amiscan
