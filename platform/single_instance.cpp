#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace amiscan {

SingleInstance::SingleInstance(const QString &dataDir) : m_lockPath(lockPathFor(dataDir)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockPathFor(const QString &dataDir)
{
    const QString canonical = QFileInfo(dataDir).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? QDir::cleanPath(dataDir) : canonical).toUtf8();
    const QByteArray hash =
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    // Qt answers only with a directory that the user owns and that is closed to everyone else.
    const QString runtimeDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtimeDir.isEmpty())
        return {};
    return QDir(runtimeDir)
        .filePath(QStringLiteral("amiscan-%1.lock").arg(QLatin1StringView(hash)));
}

bool SingleInstance::tryAcquire()
{
    if (m_lockPath.isEmpty())
        return true;
    if (m_lock && m_lock->isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Never stale by age: only a lock whose process is gone is taken over.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

} // namespace amiscan
