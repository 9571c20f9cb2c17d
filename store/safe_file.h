#pragma once

#include <QByteArray>
#include <QString>

namespace amiscan {

// True when the path names an existing entry that is not a directory; false for a directory,
// a missing path or a path that cannot be examined.
bool fileExists(const QString &path);

// Reads a whole file. False when it cannot be opened or a read fails.
bool readWholeFile(const QString &path, QByteArray &bytes);

// Writes the bytes to a side file beside the path and puts it in the path's place only once it
// is complete and on the disk, so a crash, a power cut, a full disk or any other failure leaves
// the old file or the new one whole. ownerOnly makes the file readable and writable by its owner
// alone; otherwise an existing file keeps its permissions.
bool replaceFileSafely(const QString &path, const QByteArray &bytes, bool ownerOnly = false);
// The side file of a path ("Amiscan.txt.saving"): at most one is ever left, by a save cut short.
QString sideFilePath(const QString &path);

// Moves the file at the path to a free name of its own in the same directory
// ("Amiscan.txt" becomes "Amiscan.<reason>-<date>-<time>.txt"). Returns the new path, or an
// empty text when it could not be moved.
QString keepFileAside(const QString &path, const QString &reason);

} // namespace amiscan
