#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

#include <sys/types.h>

namespace amiscan {

// The largest data file read: far above the largest history the table can hold (32767 friends
// on lines of at most 2 KiB), so that a file that keeps growing or a device read as a file
// cannot take the memory.
inline constexpr qint64 MaxDataFileSize = qint64(64) << 20;

// True when the path names an existing entry that is not a directory (a link counts as the link
// itself, whatever it leads to); false for a directory, a missing path or a path that cannot
// be examined.
bool fileExists(const QString &path);

// Reads a whole regular file of at most MaxDataFileSize bytes. False when it cannot be opened or
// a read fails, and for anything but a regular file: a link (never followed), a FIFO (which
// would wait for a writer forever), a device or a socket.
bool readWholeFile(const QString &path, QByteArray &bytes);
// The same a piece at a time, so that a large file is never held whole: take() is given pieces of
// pieceSize bytes in order (the last one may be shorter; none for an empty file) with the file's
// size as it was opened, until it returns false. False as readWholeFile() is, when take() may have
// had some of the file.
bool readFileInPieces(const QString &path, qsizetype pieceSize,
                      const std::function<bool(QByteArrayView piece, qint64 fileSize)> &take);

// A file that could not be written, and why.
struct SaveFailure
{
    QString path;
    QString reason;
};

// Writes the bytes to a side file beside the path and puts it in the path's place only once it
// is complete and on the disk, so a crash, a power cut, a full disk or any other failure leaves
// the old file or the new one whole. The file is readable and writable by its owner alone,
// whatever the umask; a link at the path is replaced, never written through. A directory that
// has gone meanwhile is made again, open to its owner only. On failure `*error` says why.
bool replaceFileSafely(const QString &path, const QByteArray &bytes, QString *error = nullptr);
// Removes the side files that saves cut short left beside the path ("Amiscan.txt.<id>.saving",
// and "Amiscan.txt.saving" of older versions). Only while no other copy can be saving there.
void removeLeftoverSideFiles(const QString &path);

// Makes the directory and any missing parents, each open to its owner only (0700). True when the
// directory exists then.
bool makeDirectoryPath(const QString &dir);

// Moves the entry at the path (a link moves itself) to a free name of its own in the same
// directory ("Amiscan.txt" becomes "Amiscan.<reason>-<date>-<time>.txt"). Returns the new path,
// or an empty text when it could not be moved, with `*error` saying why.
QString keepFileAside(const QString &path, const QString &reason, QString *error = nullptr);

// Writes all the bytes at the file's offset, through fileCalls(); false with errno set otherwise.
bool writeAll(int fd, const QByteArray &bytes);
// Makes the directory's changed entries last through a power cut as well.
void syncDirectory(const QString &path);

// The system calls the saves write through. Tests put failing ones in their place, while no
// save runs, to make a disk fail in ways a test cannot cause for real.
struct FileCalls
{
    int (*open)(const char *path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void *data, size_t size);
};
FileCalls &fileCalls();

} // namespace amiscan
