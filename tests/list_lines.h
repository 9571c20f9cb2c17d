#pragma once
#include "ui/line_list.h"
#include <QStringList>
#include <QStyle>
#include <QStyleOptionViewItem>

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

// The middle of the line's check box, in the list's viewport.
inline QPoint box(const LineList *list, int line)
{
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = rect(list, line);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = list->lineText(line);
    return list->style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list)
        .center();
}

} // namespace amiscan::list_lines
