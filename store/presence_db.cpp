#include "store/presence_db.h"

#include "store/files_log.h"
#include "store/safe_file.h"

#include <QAtomicInteger>
#include <QFile>
#include <QSqlQuery>
#include <QVariant>

#include <iterator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace amiscan {

namespace {

constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteNoMem = 7;
constexpr int SqliteReadOnly = 8;
constexpr int SqliteIoErr = 10;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteFull = 13;
constexpr int SqliteNotADb = 26;

// The tables. A scan in which nothing changed is one row of `scans`; a friend coming online or
// going offline is one row of `changes`, kept in the order of the friend's scans so that a
// friend's periods are read in one sweep.
constexpr const char *Schema[] = {
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value) WITHOUT ROWID",
    // The program's runs: the stretches between them were not observed.
    "CREATE TABLE runs(id INTEGER PRIMARY KEY, start_ms INTEGER NOT NULL,"
    " offset_s INTEGER NOT NULL, end_ms INTEGER)",
    // Times are UTC milliseconds with the local offset of the scan's end in seconds. For a read
    // scan, prev_id is the read scan before it, and unobserved why the stretch since was not.
    "CREATE TABLE scans(id INTEGER PRIMARY KEY, run_id INTEGER NOT NULL,"
    " start_ms INTEGER NOT NULL, end_ms INTEGER NOT NULL, offset_s INTEGER NOT NULL,"
    " steady_ms INTEGER NOT NULL, route TEXT NOT NULL, outcome TEXT NOT NULL,"
    " entries INTEGER NOT NULL, interval_min INTEGER NOT NULL, prev_id INTEGER,"
    " unobserved TEXT, detail INTEGER)",
    "CREATE INDEX scans_unobserved ON scans(id) WHERE unobserved IS NOT NULL",
    // Friends by user name, and those online at the latest read scan: a few rows, so that a
    // scan's changes touch few pages beside their own.
    "CREATE TABLE friends(id INTEGER PRIMARY KEY, user_name TEXT NOT NULL UNIQUE)",
    "CREATE TABLE online(friend_id INTEGER PRIMARY KEY)",
    "CREATE TABLE names(friend_id INTEGER NOT NULL, since_ms INTEGER NOT NULL,"
    " display_name TEXT NOT NULL, PRIMARY KEY(friend_id, since_ms)) WITHOUT ROWID",
    "CREATE TABLE changes(friend_id INTEGER NOT NULL, scan_id INTEGER NOT NULL,"
    " online INTEGER NOT NULL, PRIMARY KEY(friend_id, scan_id)) WITHOUT ROWID",
    // The history file's sessions, imported once; end_ms is null for a session left open.
    "CREATE TABLE imported(friend_id INTEGER NOT NULL, start_ms INTEGER NOT NULL,"
    " start_offset_s INTEGER NOT NULL, end_ms INTEGER, end_offset_s INTEGER,"
    " PRIMARY KEY(friend_id, start_ms)) WITHOUT ROWID",
};

// What each version changes in the one before it, from version 1 on: the statements that
// bring a log of version N - 1 to version N are at index N - 2.
constexpr const char *Migrations[] = {
    // 2: the details of a scan's outcome (an HTTP status, the page's own count).
    "ALTER TABLE scans ADD COLUMN detail INTEGER",
};
static_assert(std::size(Migrations) == PresenceLogVersion - 1);

QAtomicInteger<quint64> &connectionCount()
{
    static QAtomicInteger<quint64> count;
    return count;
}

bool isDamage(int code)
{
    return code == SqliteCorrupt || code == SqliteNotADb;
}

// Runs a statement; on failure the reason and SQLite's code.
bool run(QSqlDatabase &db, const QString &sql, QString *reason, int *code,
         QVariant *value = nullptr)
{
    QSqlQuery query(db);
    if (query.exec(sql)) {
        if (value)
            *value = query.next() ? query.value(0) : QVariant();
        return true;
    }
    *reason = query.lastError().text();
    *code = sqliteCode(query.lastError());
    return false;
}

} // namespace

void loadDatabaseLibrary()
{
    // A connection opened and used once: the driver's plug-in is loaded and the library's
    // globals made, which exit() destroys in the reverse order of their making.
    const QString name = QStringLiteral("amiscan-library-load");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            const QSqlQuery query(QStringLiteral("SELECT 1"), db);
            Q_UNUSED(query)
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

int sqliteCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xFF : 0;
}

bool isPassingFailure(int code)
{
    return code == SqliteBusy || code == SqliteLocked || code == SqliteIoErr ||
           code == SqliteFull || code == SqliteNoMem || code == SqliteReadOnly;
}

PresenceDb::PresenceDb(const QString &path, Mode mode)
    : m_path(path), m_mode(mode),
      m_name(QStringLiteral("amiscan-log-%1").arg(connectionCount().fetchAndAddRelaxed(1)))
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(mode == Mode::Read
                               ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000")
                               : QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
}

PresenceDb::~PresenceDb()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

PresenceDb::State PresenceDb::open(bool check, QString *error)
{
    QString reason, aside;
    State state = tryOpen(check, &reason, &aside);
    // A log kept aside is followed by a fresh one, once.
    if (state != State::Ready && !aside.isEmpty()) {
        qCInfo(filesLog, "The presence log %s %s", qPrintable(m_path), qPrintable(reason));
        if (!keepAside(aside))
            return State::Unusable;
        state = tryOpen(false, &reason, &aside);
    }
    if (state != State::Ready) {
        qCInfo(filesLog, "The presence log %s is not used for now: %s", qPrintable(m_path),
               qPrintable(reason));
        if (error)
            *error = reason;
    }
    return state;
}

bool PresenceDb::prepareFile(QString *reason)
{
    const QByteArray name = QFile::encodeName(m_path);
    struct stat info = {};
    if (::lstat(name.constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            *reason = QStringLiteral("is not a regular file");
            return false;
        }
        // Whatever made it, it is its owner's alone.
        ::chmod(name.constData(), 0600);
        return true;
    }
    // Made here, not by SQLite, so that it and its companions are open to their owner only.
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
    return true;
}

PresenceDb::State PresenceDb::tryOpen(bool check, QString *reason, QString *keepAsideAs)
{
    keepAsideAs->clear();
    if (m_mode == Mode::Read) {
        if (!fileExists(m_path)) {
            *reason = QStringLiteral("There is no presence log %1.").arg(m_path);
            return State::Unusable;
        }
    } else if (!prepareFile(reason)) {
        *keepAsideAs = QStringLiteral("unreadable");
        return State::Unusable;
    }
    m_db.close();
    if (!m_db.open()) {
        *reason = m_db.lastError().text();
        if (m_mode == Mode::Write)
            *keepAsideAs = QStringLiteral("unreadable");
        return State::Unusable;
    }
    int code = 0;
    QVariant version;
    bool ok = run(m_db, QStringLiteral("PRAGMA user_version"), reason, &code, &version);
    if (ok && m_mode == Mode::Write && version.toInt() == 0) {
        // New: vacuumed a little after forgetting and retention, written ahead, then the tables.
        ok = run(m_db, QStringLiteral("PRAGMA auto_vacuum=INCREMENTAL"), reason, &code) &&
             run(m_db, QStringLiteral("PRAGMA journal_mode=WAL"), reason, &code) &&
             run(m_db, QStringLiteral("BEGIN IMMEDIATE"), reason, &code);
        for (const char *sql : Schema)
            ok = ok && run(m_db, QString::fromLatin1(sql), reason, &code);
        ok = ok &&
             run(m_db, QStringLiteral("PRAGMA user_version=%1").arg(PresenceLogVersion), reason,
                 &code) &&
             run(m_db, QStringLiteral("COMMIT"), reason, &code);
        if (!ok)
            m_db.rollback();
        version = PresenceLogVersion;
    }
    if (ok && version.toInt() > PresenceLogVersion) {
        *reason = QStringLiteral("was written by a newer version of Amiscan");
        return State::Unusable;
    }
    // A log of an earlier version is brought up to this one, all at once or not at all; read
    // only, it is read as it is.
    if (ok && m_mode == Mode::Write && version.toInt() < PresenceLogVersion) {
        ok = run(m_db, QStringLiteral("BEGIN IMMEDIATE"), reason, &code);
        for (int from = version.toInt(); ok && from < PresenceLogVersion; ++from)
            ok = run(m_db, QString::fromLatin1(Migrations[from - 1]), reason, &code);
        ok = ok &&
             run(m_db, QStringLiteral("PRAGMA user_version=%1").arg(PresenceLogVersion), reason,
                 &code) &&
             run(m_db, QStringLiteral("COMMIT"), reason, &code);
        if (!ok)
            m_db.rollback();
        else
            version = PresenceLogVersion;
    }
    m_version = version.toInt();
    if (ok && check) {
        QVariant result;
        ok = run(m_db, QStringLiteral("PRAGMA quick_check"), reason, &code, &result);
        if (ok && result.toString() != u"ok") {
            *reason = QStringLiteral("failed its check: %1").arg(result.toString());
            *keepAsideAs = QStringLiteral("damaged");
            return State::Unusable;
        }
    }
    if (ok && m_mode == Mode::Write) {
        // Written ahead: an export reads while the program writes, and a kill loses at most the
        // scan being written. Each scan is not synced to the disk: a power cut may lose the
        // latest few, never the log. The journal is copied back (and synced) every 32 MB rather
        // than every 4: a scan in which hundreds changed writes as many pages.
        ok = run(m_db, QStringLiteral("PRAGMA journal_mode=WAL"), reason, &code) &&
             run(m_db, QStringLiteral("PRAGMA synchronous=NORMAL"), reason, &code) &&
             run(m_db, QStringLiteral("PRAGMA wal_autocheckpoint=8000"), reason, &code);
    }
    if (ok)
        return State::Ready;
    if (isDamage(code) && m_mode == Mode::Write) {
        *keepAsideAs = QStringLiteral("damaged");
        return State::Unusable;
    }
    return isPassingFailure(code) ? State::Busy : State::Unusable;
}

void PresenceDb::releaseCache()
{
    QSqlQuery query(m_db);
    query.exec(QStringLiteral("PRAGMA shrink_memory"));
}

bool PresenceDb::keepAside(const QString &reason)
{
    m_db.close();
    QString error;
    const QString aside = keepFileAside(m_path, reason, &error);
    if (aside.isEmpty())
        return false;
    // Its journal goes with it, under its new name, where SQLite looks for it: a fresh log must
    // never take it up.
    for (const char *companion : {"-wal", "-shm"}) {
        const QString from = m_path + QLatin1String(companion);
        if (fileExists(from) &&
            ::rename(QFile::encodeName(from).constData(),
                     QFile::encodeName(aside + QLatin1String(companion)).constData()) != 0)
            ::unlink(QFile::encodeName(from).constData());
    }
    return true;
}

} // namespace amiscan
