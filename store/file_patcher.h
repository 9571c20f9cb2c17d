#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

struct stat;

namespace amiscan {

// The journal beside the path ("Amiscan.txt.journal"): the bytes of a change being written in
// the file itself.
QString journalPath(const QString &path);

// Completes the change a journal beside the path describes, when the journal is whole and the
// file is still the one it was written for; drops the journal otherwise (then the change had not
// begun). Leaves the journal only when writing the change fails, to be tried again. Runs before
// the file is read at start-up and before every save; false when a journal was left.
bool finishInterruptedChange(const QString &path);

// Writes a file again and again, each time whole or not at all. When the file is still the one
// it wrote last and the new bytes have its length and line ends, only the 64-byte blocks that
// differ from the file's are written, in the file itself: first to a journal, synced, then in
// place, so that a crash at any moment leaves the old file or, once the journal is replayed by
// finishInterruptedChange(), the new one. Otherwise the file is replaced safely
// (replaceFileSafely()). Either way the file then holds exactly the new bytes.
class FilePatcher final
{
public:
    bool write(const QString &path, const QByteArray &bytes, QString *error = nullptr);

    // What the last write put on the disk, journal included, and whether it was in place.
    qint64 lastBytesWritten() const { return m_lastBytesWritten; }
    bool lastWasInPlace() const { return m_lastWasInPlace; }

private:
    struct Identity
    {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        qint64 modified = 0;
        bool operator==(const Identity &) const = default;
    };
    static Identity identityOf(const struct stat &info);
    bool writeInPlace(const QString &path, const QByteArray &bytes, QString *error);
    void forget();

    QString m_path;
    // How many bytes were last written to m_path, and the file they were written to. The bytes
    // themselves are read back from it: keeping them, or a hash of each block, held megabytes.
    qsizetype m_size = -1;
    Identity m_identity;
    qint64 m_lastBytesWritten = 0;
    bool m_lastWasInPlace = false;
};

} // namespace amiscan
