#pragma once

#include "store/presence_periods.h"

#include <QColor>
#include <QDateTime>
#include <QString>

namespace amiscan {

// How the history window draws and words what it shows.
namespace history_look {

// Each friend shown together gets a colour of their own, in this order.
inline constexpr int MaxFriendsTogether = 6;
inline const QColor FriendColours[MaxFriendsTogether] = {
    QColor(31, 119, 180),  QColor(214, 39, 40),  QColor(44, 160, 44),
    QColor(148, 103, 189), QColor(255, 127, 14), QColor(23, 190, 207)};
// Observed time, time not observed (hatched over its background), and time to come.
inline const QColor Observed(255, 255, 255);
inline const QColor UnobservedBack(244, 244, 244);
inline const QColor Hatch(140, 140, 140);
inline const QColor Future(226, 226, 226);
inline const QColor GridLine(208, 208, 208);
inline const QColor Highlight(255, 214, 0, 70);
// The stretch between a period's outer and inner bounds: its colour this opaque.
inline constexpr int FaintAlpha = 80;

// A colour drawn at FaintAlpha over the observed background.
QColor faint(const QColor &colour);

// Why a stretch was not observed, in words: "Amiscan was not running".
QString unobservedCause(Unobserved cause);
// "19:02" on the day given, "06/12 19:02" on another.
QString timeOn(const QDateTime &time, const QDate &day);
// "dd/mm/yy hh:mm" in local time; empty for no time.
QString stamp(const QDateTime &time);
// Hours and minutes, "26:05" past a day.
QString duration(qint64 ms);

} // namespace history_look

} // namespace amiscan
