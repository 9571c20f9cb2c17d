#pragma once

// The status row's wordings between scans.
#include <QString>

namespace amiscan::texts {

inline const QString NoScan = QStringLiteral(" No scan");
inline const QString LastScanPrefix = QStringLiteral(" Last Scan : ");
inline const QString ScanNotStarted = QStringLiteral("Scan not started ");
inline const QString TimerOff = QStringLiteral("Timer OFF ");
inline const QString TimerStopped = QStringLiteral("Timer stopped ");
inline const QString NextScanPrefix = QStringLiteral("Next scan in ");
inline const QString NextScanSuffix = QStringLiteral(" mn ");

} // namespace amiscan::texts
