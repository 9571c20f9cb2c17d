#include "store/safe_file.h"

#include "store/clock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace amiscan {

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool readWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

namespace {

// Puts the side file in the target's place in one step, replacing the target.
bool renameOver(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(from).toStdString(),
                            QFile::encodeName(to).toStdString(), error);
    return !error;
}

bool syncToDisk(QFile &file)
{
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

// Makes the directory's new entry last through a power cut as well.
void syncDirectory(const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path)
#endif
}

} // namespace

QString sideFilePath(const QString &path)
{
    return path + QStringLiteral(".saving");
}

bool replaceFileSafely(const QString &path, const QByteArray &bytes, bool ownerOnly)
{
    // A link is followed: the file it leads to is replaced, and the link stays.
    const QFileInfo info(path);
    const QString target =
        info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    // The side file has a fixed name, so a save cut short by a crash leaves at most this one
    // file, which the next save replaces; it is made anew, never written through a link.
    const QString side = sideFilePath(target);
    QFile::remove(side);
    QFile file(side);
    // Unbuffered: every failing write is seen here, before the old file is touched. The side
    // file starts as its owner's alone and gets the old file's permissions before it is written.
    constexpr QIODevice::OpenMode Mode =
        QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered;
    const bool setPermissions = ownerOnly || QFileInfo::exists(target);
    const QFileDevice::Permissions ownerAlone = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!(setPermissions ? file.open(Mode, ownerAlone) : file.open(Mode)))
        return false;
    if (setPermissions &&
        !file.setPermissions(ownerOnly ? ownerAlone : QFileInfo(target).permissions())) {
        file.remove();
        return false;
    }
    bool whole = file.write(bytes) == bytes.size() && syncToDisk(file);
    file.close();
    whole = whole && file.error() == QFileDevice::NoError && renameOver(side, target);
    if (!whole) {
        QFile::remove(side);
        return false;
    }
    syncDirectory(QFileInfo(target).absolutePath());
    return true;
}

QString keepFileAside(const QString &path, const QString &reason)
{
    const QFileInfo info(path);
    const QString stem = info.completeBaseName() + u'.' + reason + u'-' +
                         Clock::now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QDir dir = info.dir();
    QString aside = dir.filePath(stem + suffix);
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = dir.filePath(stem + u'-' + QString::number(n) + suffix);
    if (!QFile::rename(path, aside))
        return {};
    return aside;
}

} // namespace amiscan
