#include "store/file_patcher.h"

#include "store/files_log.h"
#include "store/safe_file.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>

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

// The pieces of the new bytes that differ from those written last, known by their blocks, both
// of the same length; none when a line end moved or so much changed that writing the file anew
// costs about as much.
std::optional<Change> changeBetween(const FileBlocks &before, const QByteArray &after,
                                    const FileBlocks &now)
{
    if (before.hashes.size() != now.hashes.size() || before.lineEnds != now.lineEnds)
        return std::nullopt;
    Change change;
    qsizetype changed = 0;
    const std::vector<quint64> &was = before.hashes;
    const std::vector<quint64> &is = now.hashes;
    for (size_t block = 0; block < is.size();) {
        if (is.at(block) == was.at(block)) {
            ++block;
            continue;
        }
        size_t end = block;
        while (end < is.size() && is.at(end) != was.at(end))
            ++end;
        const qsizetype from = qsizetype(block) * FileBlocks::Size;
        const qsizetype length = std::min(qsizetype(end) * FileBlocks::Size, after.size()) - from;
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
        m_blocks = blocksOf(bytes);
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
    FileBlocks blocks = blocksOf(bytes);
    std::optional<Change> change = changeBetween(m_blocks, bytes, blocks);
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
    m_blocks = std::move(blocks);
    m_identity = identityOf(info);
    m_lastBytesWritten = journal.size();
    for (const auto &piece : change->pieces)
        m_lastBytesWritten += piece.second.size();
    return true;
}

FileBlocks FilePatcher::blocksOf(const QByteArray &bytes)
{
    // Keyed by a number chosen anew each run, so that no text can be made to match another's.
    static const size_t seed = QHashSeed::globalSeed();
    FileBlocks blocks;
    blocks.hashes.reserve(size_t((bytes.size() + FileBlocks::Size - 1) / FileBlocks::Size));
    blocks.lineEnds = seed;
    for (qsizetype at = 0; at < bytes.size(); at += FileBlocks::Size) {
        const QByteArrayView block =
            QByteArrayView(bytes).sliced(at, std::min(FileBlocks::Size, bytes.size() - at));
        quint64 lineEnds = 0;
        for (qsizetype i = 0; i < block.size(); ++i)
            lineEnds |= quint64(block.at(i) == '\n') << i;
        blocks.lineEnds = quint64(qHash(lineEnds, size_t(blocks.lineEnds)));
        blocks.hashes.push_back(quint64(qHashBits(block.data(), size_t(block.size()), seed)));
    }
    return blocks;
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
    m_blocks = {};
    m_identity = {};
}

} // namespace amiscan
