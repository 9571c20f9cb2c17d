#pragma once
#include "ui/line_list.h"
#include <QStringList>

namespace amiscan::list_lines {

// Every line of the list, in order.
inline QStringList all(const LineList *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->lineText(i);
    return texts;
}

// Where the line is drawn, in the list's viewport.
inline QRect rect(const LineList *list, int line)
{
    return list->visualRect(list->model()->index(line, 0));
}

} // namespace amiscan::list_lines
