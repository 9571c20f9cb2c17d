#include "store/presence_recorder.h"

#include "store/files_log.h"
#include "store/time_text.h"

#include <QSqlError>
#include <QVariant>

namespace amiscan {

namespace {

constexpr qint64 MsPerDay = 24 * 60 * 60 * 1000;

// A stamp of the history file as a time: its local wall-clock reading.
std::optional<QDateTime> stampTime(const QString &stamp)
{
    const std::optional<WallSeconds> wall = readStamp(stamp);
    if (!wall)
        return std::nullopt;
    static const QDate firstDay(2000, 1, 1);
    static const WallSeconds first = wallSeconds(QDateTime(firstDay, QTime(0, 0)));
    const qint64 seconds = *wall - first;
    return QDateTime(firstDay.addDays(seconds / 86400), QTime(0, 0).addSecs(int(seconds % 86400)));
}

QVariant nullable(qint64 value, bool isNull)
{
    return isNull ? QVariant(QMetaType::fromType<qint64>()) : QVariant(value);
}

} // namespace

PresenceRecorder::PresenceRecorder(const QString &path)
    : m_db(std::make_unique<PresenceDb>(path, PresenceDb::Mode::Write))
{
}

PresenceRecorder::~PresenceRecorder() = default;

bool PresenceRecorder::open()
{
    return ready();
}

bool PresenceRecorder::ready()
{
    if (m_ready)
        return true;
    if (m_db->open(!m_checked) != PresenceDb::State::Ready)
        return false;
    m_checked = true;
    m_ready = load();
    m_db->releaseCache();
    return m_ready;
}

qint64 PresenceRecorder::dataVersion()
{
    QSqlQuery query(m_db->db());
    return query.exec(QStringLiteral("PRAGMA data_version")) && query.next()
               ? query.value(0).toLongLong()
               : -1;
}

bool PresenceRecorder::load()
{
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    m_recent.clear();
    m_online.clear();
    m_lastRead.reset();
    if (!query.exec(QStringLiteral("SELECT f.id, f.user_name, (SELECT display_name FROM names n"
                                   " WHERE n.friend_id = f.id ORDER BY since_ms DESC LIMIT 1)"
                                   " FROM online o JOIN friends f ON f.id = o.friend_id")))
        return failed(query);
    while (query.next()) {
        m_online.insert(query.value(0).toLongLong());
        m_recent.insert(query.value(1).toString(),
                        Known{query.value(0).toLongLong(), query.value(2).toString()});
    }
    if (!query.exec(QStringLiteral("SELECT id, start_ms, end_ms, offset_s, steady_ms, run_id,"
                                   " interval_min FROM scans WHERE outcome = 'read'"
                                   " ORDER BY id DESC LIMIT 1")))
        return failed(query);
    if (query.next()) {
        m_lastRead = LastRead{query.value(0).toLongLong(),
                              {logTime(query.value(1).toLongLong(), query.value(3).toInt()),
                               logTime(query.value(2).toLongLong(), query.value(3).toInt()),
                               query.value(4).toLongLong(), query.value(5).toLongLong(),
                               query.value(6).toInt()}};
    }
    m_failedSince = ScanOutcome::Failed;
    if (!query.exec(QStringLiteral("SELECT outcome FROM scans WHERE id > %1 AND outcome NOT IN"
                                   " ('read', 'aborted') ORDER BY id DESC LIMIT 1")
                        .arg(m_lastRead ? m_lastRead->id : 0)))
        return failed(query);
    if (query.next())
        m_failedSince = outcomeFromCode(query.value(0).toString());
    m_dataVersion = dataVersion();
    return true;
}

bool PresenceRecorder::findFriend(const QString &userName, std::optional<Known> *found)
{
    if (const auto recent = m_recent.constFind(userName); recent != m_recent.cend()) {
        *found = *recent;
        return true;
    }
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT f.id, (SELECT display_name FROM names n"
                                 " WHERE n.friend_id = f.id ORDER BY since_ms DESC LIMIT 1)"
                                 " FROM friends f WHERE f.user_name = ?"));
    query.addBindValue(userName);
    if (!query.exec())
        return failed(query);
    if (query.next())
        *found = Known{query.value(0).toLongLong(), query.value(1).toString()};
    else
        found->reset();
    return true;
}

void PresenceRecorder::reloadIfChangedElsewhere()
{
    // Another process changed the log (amiscan --forget): what is held here is read again.
    if (dataVersion() != m_dataVersion && !load())
        m_ready = false;
}

bool PresenceRecorder::failed(const QSqlQuery &query)
{
    qCInfo(filesLog, "The presence log %s was not written: %s", qPrintable(m_db->path()),
           qPrintable(query.lastError().text()));
    return false;
}

bool PresenceRecorder::begin()
{
    if (m_inBatch)
        return true;
    QSqlQuery query(m_db->db());
    return query.exec(QStringLiteral("BEGIN IMMEDIATE")) || failed(query);
}

bool PresenceRecorder::commit()
{
    if (m_inBatch)
        return true;
    QSqlQuery query(m_db->db());
    if (query.exec(QStringLiteral("COMMIT"))) {
        m_db->releaseCache();
        return true;
    }
    failed(query);
    m_db->db().rollback();
    return false;
}

void PresenceRecorder::beginBatch()
{
    if (ready() && begin())
        m_inBatch = true;
}

void PresenceRecorder::endBatch()
{
    m_inBatch = false;
    commit();
}

bool PresenceRecorder::insertRun(QSqlQuery &query)
{
    if (m_run->id != 0)
        return true;
    query.prepare(QStringLiteral("INSERT INTO runs(start_ms, offset_s) VALUES(?, ?)"));
    query.addBindValue(m_run->start.toMSecsSinceEpoch());
    query.addBindValue(m_run->start.offsetFromUtc());
    if (!query.exec())
        return failed(query);
    m_run->id = query.lastInsertId().toLongLong();
    return true;
}

void PresenceRecorder::runStarted(const QDateTime &now, qint64 steadyMs)
{
    m_run = Run{now, steadyMs, 0};
    if (!ready())
        return;
    QSqlQuery query(m_db->db());
    if (!begin())
        return;
    if (!insertRun(query) || !commit()) {
        m_db->db().rollback();
        m_run->id = 0;
    }
}

void PresenceRecorder::runEnded(const QDateTime &now)
{
    if (!m_run || m_run->id == 0 || !ready())
        return;
    QSqlQuery query(m_db->db());
    query.prepare(QStringLiteral("UPDATE runs SET end_ms = ? WHERE id = ?"));
    query.addBindValue(now.toMSecsSinceEpoch());
    query.addBindValue(m_run->id);
    if (!query.exec())
        failed(query);
}

bool PresenceRecorder::record(const ScanRecord &scan)
{
    const bool read = scan.outcome == ScanOutcome::Read;
    if (!ready()) {
        m_lost = m_lost || read;
        return false;
    }
    if (!m_inBatch)
        reloadIfChangedElsewhere();
    // A scan without a run started: the run is taken to start with it.
    if (!m_run)
        m_run = Run{scan.start, scan.steadyMsAtEnd - scan.start.msecsTo(scan.end), 0};
    const bool runWasLogged = m_run->id != 0;
    QSqlQuery query(m_db->db());
    bool written = begin() && insertRun(query);
    const ScanClock clock{scan.start, scan.end, scan.steadyMsAtEnd, m_run->id,
                          scan.intervalMinutes};
    Unobserved before = Unobserved::None;
    if (read) {
        before = !m_lastRead ? Unobserved::Start
                 : m_lost    ? Unobserved::Lost
                             : stretchBefore(m_lastRead->clock, clock, m_failedSince);
    }
    if (written) {
        query.prepare(QStringLiteral(
            "INSERT INTO scans(run_id, start_ms, end_ms, offset_s, steady_ms, route, outcome,"
            " entries, interval_min, prev_id, unobserved, detail)"
            " VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const QVariant &value :
             {QVariant(m_run->id), QVariant(scan.start.toMSecsSinceEpoch()),
              QVariant(scan.end.toMSecsSinceEpoch()), QVariant(scan.end.offsetFromUtc()),
              QVariant(scan.steadyMsAtEnd), QVariant(routeCode(scan.route)),
              QVariant(outcomeCode(scan.outcome)), QVariant(scan.entryCount),
              QVariant(scan.intervalMinutes),
              nullable(m_lastRead ? m_lastRead->id : 0, !read || !m_lastRead),
              before == Unobserved::None ? QVariant(QMetaType::fromType<QString>())
                                         : QVariant(unobservedCode(before)),
              QVariant(scan.detail)})
            query.addBindValue(value);
        written = query.exec() || failed(query);
    }
    const qint64 scanId = written ? query.lastInsertId().toLongLong() : 0;
    QHash<QString, Known> seen;
    QSet<qint64> online;
    if (written && read)
        written = recordChanges(query, scan, scanId, seen, online);
    written = written && commit();
    if (!written) {
        if (!m_inBatch)
            m_db->db().rollback();
        if (!runWasLogged)
            m_run->id = 0;
        m_lost = m_lost || read;
        return false;
    }
    if (read) {
        m_recent = std::move(seen);
        m_online = std::move(online);
        m_lastRead = LastRead{scanId, clock};
        m_lost = false;
        m_failedSince = ScanOutcome::Failed;
    } else if (scan.outcome != ScanOutcome::Aborted) {
        m_failedSince = scan.outcome;
    }
    return true;
}

bool PresenceRecorder::recordChanges(QSqlQuery &query, const ScanRecord &scan, qint64 scanId,
                                     QHash<QString, Known> &seen, QSet<qint64> &online)
{
    QSqlQuery change(m_db->db());
    change.prepare(QStringLiteral("INSERT OR REPLACE INTO changes(friend_id, scan_id, online)"
                                  " VALUES(?, ?, ?)"));
    QSqlQuery cameOnline(m_db->db()), wentOffline(m_db->db());
    cameOnline.prepare(QStringLiteral("INSERT OR IGNORE INTO online(friend_id) VALUES(?)"));
    wentOffline.prepare(QStringLiteral("DELETE FROM online WHERE friend_id = ?"));
    const auto changed = [&](qint64 id, bool on) {
        change.addBindValue(id);
        change.addBindValue(scanId);
        change.addBindValue(on ? 1 : 0);
        QSqlQuery &flag = on ? cameOnline : wentOffline;
        flag.addBindValue(id);
        return (change.exec() || failed(change)) && (flag.exec() || failed(flag));
    };
    QSqlQuery name(m_db->db());
    name.prepare(QStringLiteral(
        "INSERT OR REPLACE INTO names(friend_id, since_ms, display_name) VALUES(?, ?, ?)"));
    const auto named = [&](qint64 id, const QString &displayName) {
        name.addBindValue(id);
        name.addBindValue(scan.end.toMSecsSinceEpoch());
        name.addBindValue(displayName);
        return name.exec();
    };
    for (const LoggedFriend &f : scan.online) {
        // A friend is known by the user name alone: one without it cannot be followed. A user
        // name shown twice counts once, with its first display name.
        if (f.userName.isEmpty() || seen.contains(f.userName))
            continue;
        std::optional<Known> known;
        if (!findFriend(f.userName, &known))
            return false;
        if (!known) {
            query.prepare(QStringLiteral("INSERT INTO friends(user_name) VALUES(?)"));
            query.addBindValue(f.userName);
            if (!query.exec())
                return failed(query);
            known = Known{query.lastInsertId().toLongLong(), f.displayName};
            if (!named(known->id, f.displayName))
                return failed(name);
        } else if (known->displayName != f.displayName) {
            if (!named(known->id, f.displayName))
                return failed(name);
            known->displayName = f.displayName;
        }
        seen.insert(f.userName, *known);
        if (online.contains(known->id))
            continue;
        online.insert(known->id);
        if (!m_online.contains(known->id) && !changed(known->id, true))
            return false;
    }
    for (const qint64 id : std::as_const(m_online)) {
        if (!online.contains(id) && !changed(id, false))
            return false;
    }
    return true;
}

bool PresenceRecorder::importHistory(const FriendsTable &table, const QDateTime &now)
{
    if (!ready())
        return false;
    QSqlQuery query(m_db->db());
    if (!query.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'history_imported'")))
        return failed(query);
    // Nothing is imported twice.
    if (query.next())
        return false;
    if (!begin())
        return false;
    QSqlQuery session(m_db->db());
    session.prepare(QStringLiteral("INSERT OR IGNORE INTO imported(friend_id, start_ms,"
                                   " start_offset_s, end_ms, end_offset_s) VALUES(?, ?, ?, ?, ?)"));
    QSqlQuery name(m_db->db());
    name.prepare(QStringLiteral(
        "INSERT OR IGNORE INTO names(friend_id, since_ms, display_name) VALUES(?, ?, ?)"));
    bool ok = true;
    for (int row = 1; ok && row <= table.friendCount(); ++row) {
        const QString userName = table.cell(row, AccountName);
        if (userName.isEmpty())
            continue;
        QList<std::pair<QDateTime, QDateTime>> sessions;
        for (const auto &[start, end] : {std::pair{Start1, End1}, std::pair{Start2, End2}}) {
            if (const std::optional<QDateTime> from = stampTime(table.cell(row, start)))
                sessions.append({*from, stampTime(table.cell(row, end)).value_or(QDateTime())});
        }
        // A user name the file has twice is taken at its first row.
        std::optional<Known> found;
        ok = findFriend(userName, &found);
        Known known = found.value_or(Known{});
        if (ok && known.id == 0) {
            query.prepare(QStringLiteral("INSERT INTO friends(user_name) VALUES(?)"));
            query.addBindValue(userName);
            ok = query.exec();
            known = Known{query.lastInsertId().toLongLong(), table.cell(row, DisplayName)};
            // The name as the file has it, from its earliest session on.
            QDateTime since = now;
            for (const auto &s : std::as_const(sessions))
                since = std::min(since, s.first);
            name.addBindValue(known.id);
            name.addBindValue(since.toMSecsSinceEpoch());
            name.addBindValue(known.displayName);
            ok = ok && name.exec();
        }
        for (const auto &[from, to] : std::as_const(sessions)) {
            session.addBindValue(known.id);
            session.addBindValue(from.toMSecsSinceEpoch());
            session.addBindValue(from.offsetFromUtc());
            session.addBindValue(nullable(to.toMSecsSinceEpoch(), !to.isValid()));
            session.addBindValue(nullable(to.offsetFromUtc(), !to.isValid()));
            ok = ok && session.exec();
        }
    }
    query.prepare(QStringLiteral("INSERT INTO meta(key, value) VALUES('history_imported', ?)"));
    query.addBindValue(now.toMSecsSinceEpoch());
    ok = ok && query.exec();
    if (!ok || !commit()) {
        failed(query.lastError().isValid()     ? query
               : session.lastError().isValid() ? session
                                               : name);
        m_db->db().rollback();
        return false;
    }
    return true;
}

bool PresenceRecorder::applyRetention(int days, const QDateTime &now)
{
    if (days <= 0 || !ready())
        return false;
    const qint64 cutoff = now.toMSecsSinceEpoch() - days * MsPerDay;
    QSqlQuery query(m_db->db());
    if (!begin())
        return false;
    // The first read scan kept; every scan before it goes.
    bool ok =
        query.exec(
            QStringLiteral(
                "SELECT coalesce((SELECT id FROM scans WHERE outcome = 'read' AND end_ms >= %1"
                " ORDER BY id LIMIT 1), (SELECT coalesce(max(id), 0) + 1 FROM scans))")
                .arg(cutoff)) &&
        query.next();
    const qint64 first = ok ? query.value(0).toLongLong() : 0;
    for (const QString &sql : {
             // Who was online across the cut comes online at it.
             QStringLiteral("INSERT OR IGNORE INTO changes(friend_id, scan_id, online)"
                            " SELECT f.id, %1, 1 FROM friends f WHERE (SELECT c.online FROM"
                            " changes c WHERE c.friend_id = f.id AND c.scan_id < %1"
                            " ORDER BY c.scan_id DESC LIMIT 1) = 1 AND EXISTS"
                            " (SELECT 1 FROM scans WHERE id = %1)"),
             QStringLiteral("DELETE FROM changes WHERE scan_id < %1"),
             QStringLiteral("DELETE FROM scans WHERE id < %1"),
             QStringLiteral("UPDATE scans SET unobserved = 'start', prev_id = NULL WHERE id = %1"),
             QStringLiteral("DELETE FROM imported WHERE coalesce(end_ms, start_ms) < %2"),
             QStringLiteral("DELETE FROM runs WHERE end_ms < %2"),
         }) {
        ok = ok && query.exec(QString(sql)
                                  .replace(QStringLiteral("%1"), QString::number(first))
                                  .replace(QStringLiteral("%2"), QString::number(cutoff)));
    }
    if (!ok || !commit()) {
        failed(query);
        m_db->db().rollback();
        return false;
    }
    query.exec(QStringLiteral("PRAGMA incremental_vacuum"));
    return true;
}

bool PresenceRecorder::forget(const QString &userName)
{
    if (!ready())
        return false;
    if (!m_inBatch)
        reloadIfChangedElsewhere();
    std::optional<Known> known;
    if (!findFriend(userName, &known) || !known)
        return false;
    const qint64 id = known->id;
    QSqlQuery query(m_db->db());
    // What is forgotten is overwritten, in the log and in its journal.
    query.exec(QStringLiteral("PRAGMA secure_delete = ON"));
    bool ok = begin();
    for (const char *table : {"changes", "names", "imported", "online"}) {
        ok = ok && query.exec(QStringLiteral("DELETE FROM %1 WHERE friend_id = %2")
                                  .arg(QLatin1String(table))
                                  .arg(id));
    }
    ok = ok && query.exec(QStringLiteral("DELETE FROM friends WHERE id = %1").arg(id));
    if (!ok || !commit()) {
        failed(query);
        m_db->db().rollback();
        return false;
    }
    m_recent.remove(userName);
    m_online.remove(id);
    query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    query.exec(QStringLiteral("PRAGMA incremental_vacuum"));
    return true;
}

bool PresenceRecorder::forgetAll()
{
    if (!ready())
        return false;
    QSqlQuery query(m_db->db());
    query.exec(QStringLiteral("PRAGMA secure_delete = ON"));
    bool ok = begin();
    for (const char *table : {"changes", "names", "imported", "online", "friends", "scans"})
        ok = ok && query.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
    const qint64 run = m_run ? m_run->id : 0;
    ok = ok && query.exec(QStringLiteral("DELETE FROM runs WHERE id <> %1").arg(run));
    if (!ok || !commit()) {
        failed(query);
        m_db->db().rollback();
        return false;
    }
    m_recent.clear();
    m_online.clear();
    m_lastRead.reset();
    query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    query.exec(QStringLiteral("PRAGMA incremental_vacuum"));
    return true;
}

QList<Period> PresenceRecorder::periods(const PeriodQuery &query)
{
    if (!ready())
        return {};
    QString error;
    const QList<Period> periods = readPeriods(m_db->db(), query, &error);
    if (!error.isEmpty())
        qCInfo(filesLog, "The presence log %s was not read: %s", qPrintable(m_db->path()),
               qPrintable(error));
    return periods;
}

} // namespace amiscan
