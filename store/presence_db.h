#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace amiscan {

// The version of the log's tables; a log of an earlier one is changed to it on opening.
inline constexpr int PresenceLogVersion = 2;

// A connection to the presence log ("Amiscan.db"), of the thread that makes it: a connection
// never crosses threads. Closed with the object.
class PresenceDb final
{
    Q_DISABLE_COPY_MOVE(PresenceDb)

public:
    enum class Mode
    {
        Write, // the program's writer: creates, checks and keeps aside
        Read,  // another process reading the log while the program writes it
    };
    enum class State
    {
        Ready,
        Busy,     // locked by another process, or its disk failing: tried again later
        Unusable, // it cannot be written, nor kept aside; or a newer version's
    };

    PresenceDb(const QString &path, Mode mode);
    ~PresenceDb();

    // Write: opens the log, made open to its owner only when missing. A log that cannot be opened
    // or fails its check is kept aside under a dated name and a fresh one started; the check
    // runs only when asked, as it reads the whole file. Read: opens an existing log read-only.
    // `*error` says why it is not ready.
    State open(bool check, QString *error = nullptr);
    QSqlDatabase &db() { return m_db; }
    // Gives back the pages the connection keeps cached: a writer between scans holds none, and
    // the next scan reads its few pages from the system's cache again.
    void releaseCache();
    const QString &path() const { return m_path; }
    // The version of the log's tables, once open: an earlier one when read only.
    int version() const { return m_version; }

private:
    State tryOpen(bool check, QString *reason, QString *keepAsideAs);
    bool keepAside(const QString &reason);
    bool prepareFile(QString *reason);

    QString m_path;
    Mode m_mode;
    QString m_name;
    QSqlDatabase m_db;
    int m_version = 0;
};

// Loads the database library and its SQLite driver on the calling thread and leaves them ready.
// What a program registers with atexit() after this runs before they are torn down at exit().
void loadDatabaseLibrary();

// SQLite's primary result code behind an error of the driver; 0 for none.
int sqliteCode(const QSqlError &error);
// The codes that say that the log is locked or its disk failing for now, not damaged.
bool isPassingFailure(int sqliteCode);

} // namespace amiscan
