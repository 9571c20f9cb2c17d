#include "ui/twips.h"

#include <QVariant>
#include <QWidget>

namespace amiscan {

namespace {
constexpr const char *TwipsProperty = "twipsGeometry";
}

QRect twipsGeometry(const QWidget *widget)
{
    const QVariant stored = widget->property(TwipsProperty);
    if (stored.isValid())
        return stored.toRect();
    const QRect px = widget->geometry();
    return QRect(px.x() * TwipsPerPixel, px.y() * TwipsPerPixel, px.width() * TwipsPerPixel,
                 px.height() * TwipsPerPixel);
}

void setTwipsGeometry(QWidget *widget, const QRect &twips)
{
    widget->setProperty(TwipsProperty, twips);
    if (widget->isWindow())
        widget->setFixedSize(toPixels(twips).size());
    else
        widget->setGeometry(toPixels(twips));
}

void setTwipsTop(QWidget *widget, int top)
{
    QRect r = twipsGeometry(widget);
    r.moveTop(top);
    setTwipsGeometry(widget, r);
}

void setTwipsHeight(QWidget *widget, int height)
{
    QRect r = twipsGeometry(widget);
    r.setHeight(height);
    setTwipsGeometry(widget, r);
}

void setTwipsWidth(QWidget *widget, int width)
{
    QRect r = twipsGeometry(widget);
    r.setWidth(width);
    setTwipsGeometry(widget, r);
}

} // namespace amiscan
