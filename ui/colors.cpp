#include "ui/colors.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QWidget>

namespace amiscan {

namespace {

// Text boxes and lists paint with the Text/Base roles, buttons with ButtonText/Button,
// everything else with WindowText/Window.
QPalette::ColorRole foreRole(const QWidget *widget)
{
    if (qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QAbstractItemView *>(widget))
        return QPalette::Text;
    if (qobject_cast<const QAbstractButton *>(widget))
        return QPalette::ButtonText;
    return QPalette::WindowText;
}

QPalette::ColorRole backRole(const QWidget *widget)
{
    if (qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QAbstractItemView *>(widget))
        return QPalette::Base;
    if (qobject_cast<const QAbstractButton *>(widget))
        return QPalette::Button;
    return QPalette::Window;
}

} // namespace

QColor foreColor(const QWidget *widget)
{
    return widget->palette().color(foreRole(widget));
}

void setForeColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(foreRole(widget), color);
    widget->setPalette(palette);
}

QColor backColor(const QWidget *widget)
{
    return widget->palette().color(backRole(widget));
}

void setBackColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(backRole(widget), color);
    widget->setPalette(palette);
    if (backRole(widget) == QPalette::Window)
        widget->setAutoFillBackground(true);
}

void setTransparentBack(QWidget *widget)
{
    widget->setAutoFillBackground(false);
}

bool hasOpaqueBack(const QWidget *widget)
{
    return widget->autoFillBackground();
}

} // namespace amiscan
