#include "store/presence_query.h"

#include "store/clock.h"
#include "store/scan_status.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <optional>

namespace amiscan {

namespace {

// Beyond this many friends, every read scan is read once rather than joined friend by friend.
constexpr qsizetype FriendsJoinedOneByOne = 16;

QDateTime optionalTime(const QVariant &ms, const QVariant &offset)
{
    return ms.isNull() ? QDateTime() : logTime(ms.toLongLong(), offset.toInt());
}

// The read scans by id, for reading many friends: ids are dense, so each is found at once.
class ReadScans
{
public:
    bool load(QSqlQuery &query)
    {
        if (!query.exec(QStringLiteral("SELECT id, end_ms, offset_s, prev_id FROM scans"
                                       " WHERE outcome = 'read' ORDER BY id")))
            return false;
        while (query.next()) {
            const qint64 id = query.value(0).toLongLong();
            if (m_scans.empty())
                m_first = id;
            m_scans.resize(size_t(id - m_first + 1));
            m_scans.back() = {query.value(1).toLongLong(), query.value(2).toInt(),
                              query.value(3).isNull() ? 0 : query.value(3).toLongLong(), true};
        }
        return true;
    }

    ScanMark mark(qint64 id) const
    {
        const Scan *scan = find(id);
        if (!scan)
            return {id, {}, {}, Unobserved::None};
        const Scan *previous = find(scan->previousId);
        return {id, logTime(scan->ms, scan->offset),
                previous ? logTime(previous->ms, previous->offset) : QDateTime(), Unobserved::None};
    }

private:
    struct Scan
    {
        qint64 ms = 0;
        int offset = 0;
        qint64 previousId = 0;
        bool read = false;
    };
    const Scan *find(qint64 id) const
    {
        const qint64 index = id - m_first;
        return index >= 0 && index < qint64(m_scans.size()) && m_scans[size_t(index)].read
                   ? &m_scans[size_t(index)]
                   : nullptr;
    }
    qint64 m_first = 0;
    std::vector<Scan> m_scans;
};

class Reader
{
public:
    explicit Reader(QSqlDatabase &db) : m_db(db) {}

    bool read(const PeriodQuery &query, const std::function<void(QList<Period> &&)> &take)
    {
        QList<std::pair<qint64, QString>> friends;
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (query.friends.isEmpty()) {
            if (!exec(q, QStringLiteral("SELECT id, user_name FROM friends ORDER BY user_name")))
                return false;
            while (q.next())
                friends.append({q.value(0).toLongLong(), q.value(1).toString()});
        } else {
            QStringList names = query.friends;
            names.sort();
            names.removeDuplicates();
            q.prepare(QStringLiteral("SELECT id FROM friends WHERE user_name = ?"));
            for (const QString &name : std::as_const(names)) {
                q.addBindValue(name);
                if (!exec(q))
                    return false;
                if (q.next())
                    friends.append({q.value(0).toLongLong(), name});
            }
        }
        if (!readLatestAndBreaks())
            return false;
        // A period still open at the latest read scan runs into the stretch since, if any.
        ScanStatus status;
        if (!readScanStatus(m_db, 0, Clock::now(), &status, &error))
            return false;
        m_openEnd = status.stretch.cause;
        m_joined = friends.size() <= FriendsJoinedOneByOne;
        if (!m_joined) {
            m_all.emplace();
            if (!m_all->load(q))
                return fail(q);
        }
        for (const auto &[id, userName] : std::as_const(friends)) {
            QList<Period> periods;
            if (!readFriend(id, userName, periods))
                return false;
            periods.removeIf([&](const Period &p) {
                const QDateTime &start = p.outerStart.isValid() ? p.outerStart : p.innerStart;
                const QDateTime &end = p.outerEnd.isValid() ? p.outerEnd : p.innerEnd;
                return (query.to.isValid() && start > query.to) ||
                       (query.from.isValid() && end < query.from);
            });
            if (!periods.isEmpty())
                take(std::move(periods));
        }
        return true;
    }

    QString error;

private:
    bool exec(QSqlQuery &q, const QString &sql = {})
    {
        return (sql.isEmpty() ? q.exec() : q.exec(sql)) || fail(q);
    }
    bool fail(const QSqlQuery &q)
    {
        error = q.lastError().text();
        return false;
    }

    bool readLatestAndBreaks()
    {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (!exec(q, QStringLiteral("SELECT id, end_ms, offset_s FROM scans WHERE outcome = 'read'"
                                    " ORDER BY id DESC LIMIT 1")))
            return false;
        if (q.next())
            m_latest = {q.value(0).toLongLong(),
                        logTime(q.value(1).toLongLong(), q.value(2).toInt()),
                        {},
                        Unobserved::None};
        if (!exec(q, QStringLiteral(
                         "SELECT s.id, s.end_ms, s.offset_s, s.unobserved, p.end_ms, p.offset_s"
                         " FROM scans s LEFT JOIN scans p ON p.id = s.prev_id"
                         " WHERE s.unobserved IS NOT NULL ORDER BY s.id")))
            return false;
        while (q.next()) {
            m_breaks.append(
                {q.value(0).toLongLong(), logTime(q.value(1).toLongLong(), q.value(2).toInt()),
                 optionalTime(q.value(4), q.value(5)), unobservedFromCode(q.value(3).toString())});
        }
        return true;
    }

    bool readFriend(qint64 id, const QString &userName, QList<Period> &periods)
    {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        QList<PresenceChange> changes;
        if (m_joined) {
            q.prepare(QStringLiteral(
                "SELECT c.scan_id, c.online, s.end_ms, s.offset_s, p.end_ms, p.offset_s"
                " FROM changes c JOIN scans s ON s.id = c.scan_id"
                " LEFT JOIN scans p ON p.id = s.prev_id WHERE c.friend_id = ? ORDER BY c.scan_id"));
        } else {
            q.prepare(QStringLiteral(
                "SELECT scan_id, online FROM changes WHERE friend_id = ? ORDER BY scan_id"));
        }
        q.addBindValue(id);
        if (!exec(q))
            return false;
        while (q.next()) {
            const qint64 scan = q.value(0).toLongLong();
            changes.append(
                {m_joined ? ScanMark{scan, logTime(q.value(2).toLongLong(), q.value(3).toInt()),
                                     optionalTime(q.value(4), q.value(5)), Unobserved::None}
                          : m_all->mark(scan),
                 q.value(1).toInt() != 0});
        }
        // The history file's sessions first: they come from before the log, in order of start.
        q.prepare(QStringLiteral("SELECT start_ms, start_offset_s, end_ms, end_offset_s"
                                 " FROM imported WHERE friend_id = ? ORDER BY start_ms"));
        q.addBindValue(id);
        if (!exec(q))
            return false;
        while (q.next()) {
            Period p;
            p.innerStart = logTime(q.value(0).toLongLong(), q.value(1).toInt());
            p.innerEnd = q.value(2).isNull() ? p.innerStart : optionalTime(q.value(2), q.value(3));
            p.imported = true;
            periods.append(p);
        }
        // Then the log's, in the order of its scans, whatever the wall clock did.
        periods.append(friendPeriods(changes, m_breaks, m_latest));

        q.prepare(QStringLiteral(
            "SELECT since_ms, display_name FROM names WHERE friend_id = ? ORDER BY since_ms"));
        q.addBindValue(id);
        if (!exec(q))
            return false;
        QList<std::pair<QDateTime, QString>> names;
        while (q.next())
            names.append({QDateTime::fromMSecsSinceEpoch(q.value(0).toLongLong(), Qt::UTC),
                          q.value(1).toString()});
        for (Period &p : periods) {
            p.userName = userName;
            p.displayName = nameAt(names, p.innerStart);
            if (!p.imported && !p.endSeen && p.endUnseen == Unobserved::None)
                p.endUnseen = m_openEnd;
        }
        return true;
    }

    QSqlDatabase &m_db;
    ScanMark m_latest;
    Unobserved m_openEnd = Unobserved::None;
    QList<ScanMark> m_breaks;
    bool m_joined = true;
    std::optional<ReadScans> m_all;
};

} // namespace

QDateTime logTime(qint64 ms, int offsetSeconds)
{
    return offsetSeconds == 0
               ? QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC)
               : QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offsetSeconds);
}

bool readPeriods(QSqlDatabase &db, const PeriodQuery &query,
                 const std::function<void(QList<Period> &&)> &take, QString *error)
{
    Reader reader(db);
    // One snapshot of the log throughout, while the program may be writing it.
    QSqlQuery(db).exec(QStringLiteral("BEGIN"));
    const bool read = reader.read(query, take);
    QSqlQuery(db).exec(QStringLiteral("COMMIT"));
    if (!read && error)
        *error = reader.error;
    return read;
}

QList<Period> readPeriods(QSqlDatabase &db, const PeriodQuery &query, QString *error)
{
    QList<Period> all;
    const bool read = readPeriods(
        db, query, [&all](QList<Period> &&periods) { all.append(std::move(periods)); }, error);
    return read ? all : QList<Period>();
}

} // namespace amiscan
