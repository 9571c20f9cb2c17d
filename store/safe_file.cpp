#include "store/safe_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

bool replaceFileSafely(const QString &path, const QByteArray &bytes, bool ownerOnly)
{
    QSaveFile file(path);
    // Unbuffered: a write that fails when the buffer is flushed on commit would not be noticed,
    // and a cut-off file would replace the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (ownerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString keepFileAside(const QString &path, const QString &reason)
{
    const QFileInfo info(path);
    const QString stem = info.completeBaseName() + u'.' + reason + u'-' +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
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
