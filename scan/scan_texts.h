#pragma once

// The texts a scan shows in the window: the login placeholders, the Start Scan button and the
// scan's progress in the status row.
#include <QString>

namespace amiscan::texts {

// The login boxes stand empty with these in place.
inline const QString UserPlaceholder = QStringLiteral("Vey Username");
inline const QString PasswordPlaceholder = QStringLiteral("Vey Password");

inline const QString StartCaption = QStringLiteral("Start Scan");
inline const QString AbortCaption = QStringLiteral("Abort Scan");

inline const QString NextScanNow = QStringLiteral("Next scan now ");
inline const QString ScanRunning = QStringLiteral("        Scan running ...");
inline const QString CheckingFriends = QStringLiteral("  Check Friends online ...");
inline const QString ScanStopped = QStringLiteral(" Scan stopped");

} // namespace amiscan::texts
