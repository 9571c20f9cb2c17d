// Focus parking: the end of an edit or a selection. The keyboard focus goes to the hidden sorted
// list, outside the window's visible area, so no control shows it and no line stays selected.
#include "ui/park_focus.h"

#include "ui/line_list.h"
#include "ui/main_controls.h"

#include <QListWidget>

namespace amiscan {

void clearCurrentLine(QAbstractItemView *list)
{
    // Through the list itself: a list gaining the focus makes its first line current unless its
    // current line was set through it since its last fill, and the returns between the two
    // lists give it the focus.
    list->setCurrentIndex(QModelIndex());
    list->clearSelection();
}

void parkFocus(const MainControls &c)
{
    // Hidden in the notification area: leave everything as it is for the user's return.
    if (!c.window->isVisible())
        return;
    c.ListTri->setFocus(Qt::OtherFocusReason);
    clearCurrentLine(c.List1);
    clearCurrentLine(c.List2);
}

} // namespace amiscan
