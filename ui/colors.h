#pragma once

#include <QColor>

class QWidget;

namespace amiscan {

namespace colors {
inline const QColor Black(0, 0, 0);
inline const QColor White(255, 255, 255);
inline const QColor Blue(0, 0, 255);
inline const QColor Red(255, 0, 0);
inline const QColor Green(0, 128, 0);
inline const QColor Grey(192, 192, 192);
inline const QColor LineGrey(128, 128, 128);
inline const QColor DarkGrey(64, 64, 64);
inline const QColor LightGreen(192, 255, 192);
inline const QColor LightRed(255, 192, 192);
inline const QColor PaleYellow(255, 255, 241);
inline const QColor Purple(192, 0, 192);
inline const QColor Magenta(255, 0, 255);
inline const QColor GreyGreen(87, 149, 125);
inline const QColor TitleGrey(224, 224, 224);
inline const QColor WindowBack(225, 236, 235);
inline const QColor DialogBack(221, 221, 221);
// The face of the buttons the design gives no colour of their own.
inline const QColor ButtonFace(240, 240, 240);
} // namespace colors

// A window's background, and every other colour of its controls with it: the desktop's theme
// colours nothing of the window.
void setWindowColors(QWidget *window, const QColor &back);
// A control's text and background colours, whatever kind of control it is.
void setForeColor(QWidget *widget, const QColor &color);
void setBackColor(QWidget *widget, const QColor &color);
// A label whose background shows the window behind it.
void setTransparentBack(QWidget *widget);

} // namespace amiscan
