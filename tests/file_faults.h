#pragma once
// Ways to make the disk fail in tests, also when the tests run with full rights (a read-only
// directory stops no one then).
#include "store/safe_file.h"
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace amiscan::testing {

// While it lives, no file of this process can grow beyond the given size: a write past it fails
// as on a full disk.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    bool m_active = false;
};

// While it lives, every write of a save fails as on a full disk.
struct FullDisk
{
    static ssize_t noRoom(int, const void *, size_t) { return errno = ENOSPC, -1; }
    decltype(FileCalls::write) former = std::exchange(fileCalls().write, noRoom);
    ~FullDisk() { fileCalls().write = former; }
};

// While it lives, `from` is also found at `to` (which may be `from`), read-only if asked. Only a
// process with full rights may mount: `active` says whether it did.
struct BindMount
{
    BindMount(const QString &from, const QString &at, bool readOnly = false)
        : name(QFile::encodeName(at)),
          mounted(::mount(QFile::encodeName(from).constData(), to, nullptr, MS_BIND, nullptr) == 0),
          active(mounted && (!readOnly || ::mount(nullptr, to, nullptr,
                                                  MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0))
    {
    }
    ~BindMount() { mounted && ::umount2(to, MNT_DETACH); }
    const QByteArray name;
    const char *const to = name.constData();
    const bool mounted, active;
};

// Puts a local socket at the path: an entry that exists and is no directory, but that no one
// can open as a file.
inline bool makeUnreadableEntry(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (size_t(name.size()) >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace amiscan::testing
