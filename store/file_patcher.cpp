#include "store/file_patcher.h"

#include "store/files_log.h"
#include "store/safe_file.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace amiscan {

namespace {

const QByteArray JournalMagic = QByteArrayLiteral("amiscan change 1");
constexpr auto JournalHash = QCryptographicHash::Sha256;

// Bytes to write at an offset of a file with the given device, inode and size.
struct Change
{
    qint64 device = 0;
    qint64 inode = 0;
    qint64 size = 0;
    std::vector<std::pair<qint64, QByteArray>> pieces;
};

void appendNumber(QByteArray &bytes, qint64 n)
{
    bytes.append(reinterpret_cast<const char *>(&n), sizeof n);
}

bool takeNumber(const QByteArray &bytes, qsizetype &at, qsizetype end, qint64 &n)
{
    if (end - at < qsizetype(sizeof n))
        return false;
    std::memcpy(&n, bytes.constData() + at, sizeof n);
    at += sizeof n;
    return true;
}

// The journal: the change after a mark, closed by a hash of both, so that a journal cut short is
// known as such.
QByteArray encode(const Change &change)
{
    QByteArray bytes = JournalMagic;
    appendNumber(bytes, change.device);
    appendNumber(bytes, change.inode);
    appendNumber(bytes, change.size);
    for (const auto &[at, piece] : change.pieces) {
        appendNumber(bytes, at);
        appendNumber(bytes, piece.size());
        bytes += piece;
    }
    return bytes + QCryptographicHash::hash(bytes, JournalHash);
}

std::optional<Change> decode(const QByteArray &bytes)
{
    const qsizetype end = bytes.size() - QCryptographicHash::hashLength(JournalHash);
    if (end < JournalMagic.size() || !bytes.startsWith(JournalMagic) ||
        QCryptographicHash::hash(bytes.first(end), JournalHash) != bytes.sliced(end))
        return std::nullopt;
    Change change;
    qsizetype at = JournalMagic.size();
    if (!takeNumber(bytes, at, end, change.device) || !takeNumber(bytes, at, end, change.inode) ||
        !takeNumber(bytes, at, end, change.size))
        return std::nullopt;
    while (at < end) {
        qint64 offset = 0, length = 0;
        if (!takeNumber(bytes, at, end, offset) || !takeNumber(bytes, at, end, length) ||
            length < 0 || length > end - at || offset < 0 || offset + length > change.size)
            return std::nullopt;
        change.pieces.emplace_back(offset, bytes.sliced(at, length));
        at += length;
    }
    return change;
}

// The pieces of the new bytes that differ from the file's, by blocks of 64 bytes, both of the
// same length; none when a line end moved or so much changed that writing the file anew costs
// about as much.
std::optional<Change> changeBetween(const QByteArray &before, const QByteArray &after)
{
    constexpr qsizetype BlockSize = 64;
    if (before.size() != after.size())
        return std::nullopt;
    const qsizetype blocks = (after.size() + BlockSize - 1) / BlockSize;
    const auto span = [&](qsizetype block) {
        return std::pair{block * BlockSize, std::min(BlockSize, after.size() - block * BlockSize)};
    };
    const auto differs = [&](qsizetype block) {
        const auto [from, length] = span(block);
        return std::memcmp(before.constData() + from, after.constData() + from, size_t(length)) !=
               0;
    };
    const auto keepsLineEnds = [&](qsizetype block) {
        const auto [from, length] = span(block);
        for (qsizetype i = from; i < from + length; ++i) {
            if ((before.at(i) == '\n') != (after.at(i) == '\n'))
                return false;
        }
        return true;
    };
    Change change;
    qsizetype changed = 0;
    for (qsizetype block = 0; block < blocks;) {
        if (!differs(block)) {
            ++block;
            continue;
        }
        qsizetype end = block;
        for (; end < blocks && differs(end); ++end) {
            if (!keepsLineEnds(end))
                return std::nullopt;
        }
        const qsizetype from = block * BlockSize;
        const qsizetype length = std::min(end * BlockSize, after.size()) - from;
        change.pieces.emplace_back(from, after.sliced(from, length));
        changed += length;
        block = end;
    }
    if (changed > after.size() / 4)
        return std::nullopt;
    return change;
}

enum class Applied
{
    Yes,
    NotThisFile,
    Failed
};

// Writes the change in the file itself when it is still the file the change was made for.
Applied apply(const QString &path, const Change &change, struct stat *after = nullptr)
{
    const int fd =
        fileCalls().open(QFile::encodeName(path).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0)
        return errno == ENOENT || errno == ELOOP ? Applied::NotThisFile : Applied::Failed;
    struct stat info = {};
    Applied applied = Applied::Failed;
    if (::fstat(fd, &info) == 0) {
        applied = S_ISREG(info.st_mode) && qint64(info.st_dev) == change.device &&
                          qint64(info.st_ino) == change.inode && info.st_size == change.size
                      ? Applied::Yes
                      : Applied::NotThisFile;
    }
    for (const auto &[at, piece] : change.pieces) {
        if (applied == Applied::Yes &&
            (::lseek(fd, off_t(at), SEEK_SET) != off_t(at) || !writeAll(fd, piece)))
            applied = Applied::Failed;
    }
    if (applied == Applied::Yes && (::fsync(fd) != 0 || (after && ::fstat(fd, after) != 0)))
        applied = Applied::Failed;
    const int number = errno;
    ::close(fd);
    errno = number;
    return applied;
}

bool statOf(const QString &path, struct stat &info)
{
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// Without syncing the directory: a journal that a power cut brings back is harmless, since it
// holds the bytes the file already has, or names a file since replaced.
void removeJournal(const QString &path)
{
    ::unlink(QFile::encodeName(journalPath(path)).constData());
}

bool failed(QString *error, const QString &path)
{
    const int number = errno;
    qCInfo(filesLog, "Cannot change %s in place: %s", qPrintable(path), std::strerror(number));
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(number));
    return false;
}

} // namespace

QString journalPath(const QString &path)
{
    return path + QStringLiteral(".journal");
}

bool finishInterruptedChange(const QString &path)
{
    const QString journal = journalPath(path);
    struct stat info = {};
    if (::lstat(QFile::encodeName(journal).constData(), &info) != 0)
        return true;
    QByteArray bytes;
    const std::optional<Change> change =
        readWholeFile(journal, bytes) ? decode(bytes) : std::nullopt;
    const Applied applied = change ? apply(path, *change) : Applied::NotThisFile;
    if (applied == Applied::Failed) {
        failed(nullptr, path);
        return false;
    }
    qCInfo(filesLog, "%s: the change cut short was %s", qPrintable(path),
           applied == Applied::Yes ? "completed" : "not begun; its journal goes");
    removeJournal(path);
    return true;
}

bool FilePatcher::write(const QString &path, const QByteArray &bytes, QString *error)
{
    m_lastBytesWritten = 0;
    m_lastWasInPlace = false;
    finishInterruptedChange(path);
    if (path == m_path && bytes.size() == m_size && writeInPlace(path, bytes, error))
        return true;
    forget();
    if (!replaceFileSafely(path, bytes, error))
        return false;
    // A journal left by a failed change belongs to the file just replaced.
    removeJournal(path);
    struct stat info = {};
    if (statOf(path, info)) {
        m_path = path;
        m_size = bytes.size();
        m_identity = identityOf(info);
    }
    m_lastBytesWritten = bytes.size();
    return true;
}

bool FilePatcher::writeInPlace(const QString &path, const QByteArray &bytes, QString *error)
{
    struct stat info = {};
    // Only the file as this patcher left it: anything else may have changed it since.
    if (!statOf(path, info) || identityOf(info) != m_identity)
        return false;
    QByteArray before;
    if (!readWholeFile(path, before))
        return false;
    std::optional<Change> change = changeBetween(before, bytes);
    before = QByteArray();
    if (!change)
        return false;
    m_lastWasInPlace = true;
    if (change->pieces.empty())
        return true;
    change->device = qint64(info.st_dev);
    change->inode = qint64(info.st_ino);
    change->size = qint64(info.st_size);
    // The journal is on the disk before the file changes.
    const QByteArray journal = encode(*change);
    const QByteArray journalName = QFile::encodeName(journalPath(path));
    const int fd = fileCalls().open(journalName.constData(),
                                    O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return failed(error, path);
    const bool journaled = writeAll(fd, journal) && ::fsync(fd) == 0;
    ::close(fd);
    if (!journaled) {
        ::unlink(journalName.constData());
        return failed(error, path);
    }
    syncDirectory(QFileInfo(path).absolutePath());
    if (apply(path, *change, &info) != Applied::Yes)
        return failed(error, path);
    removeJournal(path);
    m_identity = identityOf(info);
    m_lastBytesWritten = journal.size();
    for (const auto &piece : change->pieces)
        m_lastBytesWritten += piece.second.size();
    return true;
}

FilePatcher::Identity FilePatcher::identityOf(const struct stat &info)
{
    return {info.st_dev, info.st_ino, info.st_size,
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

void FilePatcher::forget()
{
    m_path.clear();
    m_size = -1;
    m_identity = {};
}

} // namespace amiscan
