#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

namespace amiscan {

// Stands for a missing start or an end that has not come yet; as wide as a stamp.
inline const QString EmptyStamp = QStringLiteral(".. .. .. .. ..");
// Stands for a missing session length; as wide as a length.
inline const QString EmptyLength = QStringLiteral(".. ..");

// A time on the local wall clock in seconds from a fixed day. Differences between two such values
// are what the stamps show: daylight-saving shifts are ignored, as a stamp cannot show them.
using WallSeconds = qint64;

// "dd/mm/yy hh:mm": the stamp of a session's start or end, always with "/" and ":".
QString formatStamp(const QDateTime &time);

// "dd/mm - hh:mm": the stamp of a completed scan.
QString formatScanStamp(const QDateTime &time);

// "hh:mm" for a duration in minutes; whole days are dropped (25 hours 5 minutes give 01:05).
// A negative duration gives the empty length.
QString formatLength(qint64 minutes);
// The same as a shared text, for code that formats the lengths of whole tables.
const QString &lengthText(qint64 minutes);

// Reads a stamp back as day/month/year hour:minute, the two-digit year taken as 20yy.
// Blanks around it are ignored, and the date may also be separated by "." or "-" and the time by
// "." as some systems wrote them. Nothing is returned for any other text or an impossible date.
std::optional<WallSeconds> readStamp(QStringView text);

// The wall-clock time of a point in time, seconds included, on the same scale as readStamp.
WallSeconds wallSeconds(const QDateTime &time);

} // namespace amiscan
