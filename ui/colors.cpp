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

void setWindowColors(QWidget *window, const QColor &back)
{
    // The design fixes the backgrounds, all light, and the text on them is black: a dark theme's
    // light text must not reach them. From the two faces Qt derives the whole palette, disabled
    // controls' grey text included: black on the window and the buttons, white text boxes and
    // lists. Only the selection keeps the theme's colours, which go together.
    window->setPalette(QPalette(colors::ButtonFace, back));
    window->setAutoFillBackground(true);
}

void setForeColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(foreRole(widget), color);
    widget->setPalette(palette);
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

} // namespace amiscan
