#pragma once

#include <QRect>

#include <cmath>

class QWidget;

namespace amiscan {

// The window design is measured in twips; the screen shows 15 twips per pixel.
inline constexpr int TwipsPerPixel = 15;

inline int toPixels(int twips)
{
    return int(std::lround(double(twips) / TwipsPerPixel));
}

inline QRect toPixels(const QRect &twips)
{
    // Convert the edges, not the sizes, so neighbouring controls keep touching.
    const int left = toPixels(twips.x());
    const int top = toPixels(twips.y());
    return QRect(left, top, toPixels(twips.x() + twips.width()) - left,
                 toPixels(twips.y() + twips.height()) - top);
}

// Each control keeps its design rectangle in twips; the program moves and sizes controls in twips
// and the pixel geometry follows, so repeated moves never accumulate rounding.
QRect twipsGeometry(const QWidget *widget);
void setTwipsGeometry(QWidget *widget, const QRect &twips);
void setTwipsTop(QWidget *widget, int top);
void setTwipsHeight(QWidget *widget, int height);
void setTwipsWidth(QWidget *widget, int width);

} // namespace amiscan
