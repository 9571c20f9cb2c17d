#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace amiscan {

// One running copy per data directory, held by two locks. One lives in the user's own runtime
// directory (which only the user can enter, so no one else can take the name first), named after
// the data directory. The other, "Amiscan.lock", lives in the data directory itself, so that a
// copy that reaches the directory by another path (a bind mount, a link) or with another runtime
// directory (a copy started from cron) is refused as well. A copy that was killed leaves locks
// whose process is gone; the next copy takes them over.
class SingleInstance final
{
public:
    explicit SingleInstance(const QString &dataDir);
    ~SingleInstance();

    // True when this process now holds both locks (or already held them). A lock that cannot be
    // made at all does not refuse: when the user has no runtime directory of their own, a lock
    // anyone could take would let others keep the program from starting.
    bool tryAcquire();

    // A file of the copy for `dataDir` in the user's runtime directory, named after the data
    // directory ("amiscan-<hash><suffix>"); empty when the user has no runtime directory.
    static QString runtimePathFor(const QString &dataDir, const QString &suffix);
    // What names the data directory in those files (16 hexadecimal digits), and on the bus.
    static QString dataDirKey(const QString &dataDir);
    static QString lockPathFor(const QString &dataDir);
    static QString dataDirLockPathFor(const QString &dataDir);

private:
    QString m_lockPath;
    QString m_dataDirLockPath;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLockFile> m_dataDirLock;
};

} // namespace amiscan
