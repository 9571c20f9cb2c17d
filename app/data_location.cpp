#include "app/data_location.h"

#include "store/safe_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace amiscan {

QString chooseDataDir(const DataLocationFacts &facts)
{
    if (!facts.requestedDir.isEmpty())
        return facts.requestedDir;
    if (!facts.installed && facts.executableDirWritable)
        return facts.executableDir;
    return facts.userDataDir;
}

DataLocationFacts probeDataLocation(const QString &requestedDir)
{
    DataLocationFacts facts;
    facts.requestedDir = requestedDir;
    facts.executableDir = QCoreApplication::applicationDirPath();
    facts.executableDirWritable = QFileInfo(facts.executableDir).isWritable();
    // Installing puts the desktop entry at this place relative to the executable.
    facts.installed = QFileInfo::exists(
        QDir(facts.executableDir).filePath(QStringLiteral(AMISCAN_INSTALLED_MARKER)));
    facts.userDataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return facts;
}

bool prepareDataDir(const QString &dir, QString *error)
{
    const QString path = QDir::cleanPath(dir);
    if (!makeDirectoryPath(path) && !QFileInfo(path).exists()) {
        *error = QStringLiteral("Cannot create the data directory %1.").arg(path);
        return false;
    }
    const QFileInfo info(path);
    if (!info.isDir()) {
        *error = QStringLiteral("The data directory %1 is not a directory.").arg(path);
        return false;
    }
    if (!info.isWritable()) {
        *error = QStringLiteral("The data directory %1 is not writable.").arg(path);
        return false;
    }
    return true;
}

} // namespace amiscan
