// Focus parking: the end of an edit or a selection. The keyboard focus goes to the hidden sorted
// list, outside the window's visible area, so no control shows it and no line stays selected.
#include "ui/park_focus.h"

#include "ui/form1.h"
#include "ui/line_list.h"

#include <QListWidget>

namespace amiscan {

void clearCurrentLine(QAbstractItemView *list)
{
    list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    list->clearSelection();
}

void Form1::parkFocus()
{
    // Hidden in the notification area: leave everything as it is for the user's return.
    if (!isVisible())
        return;
    ListTri->setFocus(Qt::OtherFocusReason);
    clearCurrentLine(List1);
    clearCurrentLine(List2);
}

} // namespace amiscan
