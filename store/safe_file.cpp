#include "store/safe_file.h"

#include "store/clock.h"
#include "store/files_log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace amiscan {

namespace {

constexpr mode_t OwnerOnly = 0600;
const QString SideSuffix = QStringLiteral(".saving");

int openFile(const char *path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

QByteArray nativeName(const QString &path)
{
    return QFile::encodeName(path);
}

bool entryExists(const QString &path)
{
    struct stat info = {};
    return ::lstat(nativeName(path).constData(), &info) == 0;
}

// Sets the reason from errno and answers false.
bool failed(QString *error, int number, const char *doing, const QString &path)
{
    qCInfo(filesLog, "Cannot %s %s: %s", doing, qPrintable(path), std::strerror(number));
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(number));
    return false;
}

bool closeFile(int fd)
{
    return ::close(fd) == 0 || errno == EINTR;
}

// A side file of the path: its own name, so that no other save, of this copy or of another,
// ever removes or writes it.
QString newSideFilePath(const QString &path)
{
    return path + u'.' + QString::number(QRandomGenerator::global()->generate(), 16) + SideSuffix;
}

bool isSideFileOf(const QString &name, const QString &fileName)
{
    return name.startsWith(fileName + u'.') && name.endsWith(SideSuffix) && !name.contains(u'/');
}

} // namespace

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = fileCalls().write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

void syncDirectory(const QString &path)
{
    const int fd = ::open(nativeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

FileCalls &fileCalls()
{
    static FileCalls calls{openFile, ::write};
    return calls;
}

bool fileExists(const QString &path)
{
    struct stat info = {};
    return ::lstat(nativeName(path).constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}

namespace {

// Opens a regular file of at most MaxDataFileSize bytes to read, without following a link and
// without waiting should the entry be a FIFO; -1 otherwise, said in the log.
int openDataFile(const QString &path, qint64 *size)
{
    const int fd = ::open(nativeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        qCInfo(filesLog, "Cannot read %s: %s", qPrintable(path), std::strerror(errno));
        return -1;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > MaxDataFileSize) {
        qCInfo(filesLog, "Cannot read %s: not a regular file of at most %lld bytes",
               qPrintable(path), qlonglong(MaxDataFileSize));
        ::close(fd);
        return -1;
    }
    *size = info.st_size;
    return fd;
}

// Reads into the room until it is full or the file ends: the bytes read, or -1 when a read
// fails or the file grows past the bound while it is read (said in the log).
qsizetype readInto(int fd, char *room, qsizetype roomSize, qint64 readBefore, const QString &path)
{
    qsizetype have = 0;
    while (have < roomSize) {
        const ssize_t n = ::read(fd, room + have, size_t(roomSize - have));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || readBefore + have + n > MaxDataFileSize) {
            qCInfo(filesLog, "Cannot read %s: %s", qPrintable(path),
                   n < 0 ? std::strerror(errno) : "it grew too large while read");
            return -1;
        }
        if (n == 0)
            break;
        have += n;
    }
    return have;
}

} // namespace

bool readWholeFile(const QString &path, QByteArray &bytes)
{
    qint64 size = 0;
    const int fd = openDataFile(path, &size);
    if (fd < 0)
        return false;
    // One byte more than the file's size, to see whether it grew meanwhile (never past the
    // bound).
    QByteArray data(qsizetype(size) + 1, Qt::Uninitialized);
    qsizetype have = 0;
    bool read = true;
    while (read) {
        const qsizetype n = readInto(fd, data.data() + have, data.size() - have, have, path);
        read = n >= 0;
        if (n < 0 || have + n < data.size()) {
            have += std::max<qsizetype>(n, 0);
            break;
        }
        have += n;
        data.resize(std::min<qsizetype>(2 * data.size(), MaxDataFileSize + 1));
    }
    ::close(fd);
    if (!read)
        return false;
    data.truncate(have);
    bytes = std::move(data);
    return true;
}

bool readFileInPieces(const QString &path, qsizetype pieceSize,
                      const std::function<bool(QByteArrayView piece, qint64 fileSize)> &take)
{
    qint64 size = 0;
    const int fd = openDataFile(path, &size);
    if (fd < 0)
        return false;
    QByteArray piece(pieceSize, Qt::Uninitialized);
    qint64 have = 0;
    bool read = true;
    for (;;) {
        const qsizetype n = readInto(fd, piece.data(), piece.size(), have, path);
        read = n >= 0;
        if (n <= 0 || !take(QByteArrayView(piece.constData(), n), size) || n < piece.size())
            break;
        have += n;
    }
    ::close(fd);
    return read;
}

bool makeDirectoryPath(const QString &dir)
{
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(dir));
    QStringList missing;
    for (QString p = path; !entryExists(p); p = QFileInfo(p).path()) {
        missing.prepend(p);
        if (QFileInfo(p).path() == p)
            break;
    }
    for (const QString &p : std::as_const(missing)) {
        if (::mkdir(nativeName(p).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return QFileInfo(path).isDir();
}

bool replaceFileSafely(const QString &path, const QByteArray &bytes, QString *error)
{
    // The entry itself is replaced: a link there is never followed.
    const QString target = QFileInfo(path).absoluteFilePath();
    const QString dir = QFileInfo(target).absolutePath();
    QString side;
    int fd = -1;
    bool dirMade = false;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        side = newSideFilePath(target);
        fd = fileCalls().open(nativeName(side).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, OwnerOnly);
        if (fd >= 0 || errno == EEXIST)
            continue;
        // The directory was deleted while the program ran: made again, once.
        if (errno != ENOENT || dirMade)
            break;
        const int openError = errno;
        dirMade = true;
        if (!makeDirectoryPath(dir)) {
            errno = openError;
            break;
        }
    }
    if (fd < 0)
        return failed(error, errno, "save", target);
    // The umask may have taken the owner's rights as well.
    bool whole = ::fchmod(fd, OwnerOnly) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int number = errno;
    whole = closeFile(fd) && whole;
    if (whole && ::rename(nativeName(side).constData(), nativeName(target).constData()) != 0) {
        whole = false;
        number = errno;
    }
    if (!whole) {
        ::unlink(nativeName(side).constData());
        return failed(error, number, "save", target);
    }
    syncDirectory(dir);
    return true;
}

void removeLeftoverSideFiles(const QString &path)
{
    const QFileInfo info(path);
    const QDir dir = info.dir();
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (isSideFileOf(name, info.fileName()))
            ::unlink(nativeName(dir.filePath(name)).constData());
    }
}

QString keepFileAside(const QString &path, const QString &reason, QString *error)
{
    const QFileInfo info(path);
    const QString stem = info.completeBaseName() + u'.' + reason + u'-' +
                         Clock::now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QDir dir = info.dir();
    QString aside = dir.filePath(stem + suffix);
    for (int n = 2; entryExists(aside); ++n)
        aside = dir.filePath(stem + u'-' + QString::number(n) + suffix);
    // The entry as it is: a link is moved, not what it leads to.
    if (::rename(nativeName(path).constData(), nativeName(aside).constData()) != 0) {
        failed(error, errno, "move aside", path);
        return {};
    }
    qCInfo(filesLog, "%s is kept as %s", qPrintable(path), qPrintable(aside));
    return aside;
}

} // namespace amiscan
