#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace amiscan {

// One running copy per data directory. The lock lives in the user's own runtime directory (which
// only the user can enter, so no one else can take the name first), named after the data
// directory, so the program adds no file beside its own two. A copy that was killed leaves a
// lock whose process is gone; the next copy takes it over.
class SingleInstance final
{
public:
    explicit SingleInstance(const QString &dataDir);
    ~SingleInstance();

    // True when this process now holds the lock (or already held it), and also when the user
    // has no runtime directory of their own: a lock anyone could take would let others keep
    // the program from starting.
    bool tryAcquire();

    // Empty when the user has no runtime directory.
    static QString lockPathFor(const QString &dataDir);

private:
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace amiscan
