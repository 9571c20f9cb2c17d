#pragma once

#include <QDir>
#include <QString>

namespace amiscan {

// The files live in the data directory: the directory of the program's executable.
inline QString historyFilePath(const QString &dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("Amiscan.txt"));
}

inline QString settingsFilePath(const QString &dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("Amiscan.ini"));
}

// The presence log: every scan, in SQLite.
inline QString presenceLogPath(const QString &dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("Amiscan.db"));
}

} // namespace amiscan
