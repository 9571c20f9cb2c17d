#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace amiscan {

namespace {

// False only when another live process holds the lock.
bool takeLock(std::unique_ptr<QLockFile> &lock, const QString &path)
{
    if (path.isEmpty() || (lock && lock->isLocked()))
        return true;
    lock = std::make_unique<QLockFile>(path);
    // Never stale by age: only a lock whose process is gone is taken over.
    lock->setStaleLockTime(0);
    return lock->tryLock(0) || lock->error() != QLockFile::LockFailedError;
}

} // namespace

SingleInstance::SingleInstance(const QString &dataDir)
    : m_lockPath(lockPathFor(dataDir)), m_dataDirLockPath(dataDirLockPathFor(dataDir))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockPathFor(const QString &dataDir)
{
    return runtimePathFor(dataDir, QStringLiteral(".lock"));
}

QString SingleInstance::dataDirKey(const QString &dataDir)
{
    const QString canonical = QFileInfo(dataDir).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? QDir::cleanPath(dataDir) : canonical).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

QString SingleInstance::runtimePathFor(const QString &dataDir, const QString &suffix)
{
    const QString hash = dataDirKey(dataDir);
    // Qt answers only with a directory that the user owns and that is closed to everyone else.
    const QString runtimeDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtimeDir.isEmpty())
        return {};
    return QDir(runtimeDir).filePath(QStringLiteral("amiscan-") + hash + suffix);
}

QString SingleInstance::dataDirLockPathFor(const QString &dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("Amiscan.lock"));
}

bool SingleInstance::tryAcquire()
{
    if (!takeLock(m_lock, m_lockPath))
        return false;
    if (takeLock(m_dataDirLock, m_dataDirLockPath))
        return true;
    m_lock.reset();
    return false;
}

} // namespace amiscan
