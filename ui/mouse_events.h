#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QWidget;

namespace amiscan {

// Mouse handling for controls that have no signal of their own (labels, lists): the handler
// runs when the event arrives, and the control handles the event as usual afterwards.
using ClickHandler = std::function<void()>;
using PressHandler = std::function<void(Qt::MouseButton)>;
using MoveHandler = std::function<void(const QPoint &)>;

// A click: the left button pressed and released over the control.
void onClick(QWidget *control, ClickHandler handler);
// Any button pressed on the control.
void onMousePress(QWidget *control, PressHandler handler);
void onDoubleClick(QWidget *control, ClickHandler handler);
// The mouse moving over the control (mouse tracking is switched on for it).
void onMouseMove(QWidget *control, MoveHandler handler);

} // namespace amiscan
