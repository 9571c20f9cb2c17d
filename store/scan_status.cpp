#include "store/scan_status.h"

#include "store/presence_query.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace amiscan {

namespace {

// The columns of a scan, in the order scanAt reads them; a log of the first version has no
// details.
QString scanColumns(bool withDetail)
{
    return QStringLiteral("start_ms, end_ms, offset_s, route, outcome, entries, interval_min, %1")
        .arg(withDetail ? QStringLiteral("coalesce(detail, 0)") : QStringLiteral("0"));
}

LoggedScan scanAt(const QSqlQuery &q)
{
    const int offset = q.value(2).toInt();
    return {logTime(q.value(0).toLongLong(), offset),
            logTime(q.value(1).toLongLong(), offset),
            q.value(3).toString() == u"browser" ? ScanRoute::Browser : ScanRoute::Direct,
            outcomeFromCode(q.value(4).toString()),
            q.value(5).toInt(),
            q.value(7).toInt(),
            q.value(6).toInt()};
}

} // namespace

CurrentStretch currentStretch(const std::optional<LoggedScan> &latestRead,
                              const QList<LoggedScan> &after, bool runEndedSince,
                              const QDateTime &now)
{
    CurrentStretch stretch;
    for (const LoggedScan &scan : after) {
        if (scan.outcome == ScanOutcome::Read || scan.outcome == ScanOutcome::Aborted)
            continue;
        if (!stretch.failure)
            stretch.since = latestRead ? latestRead->end : scan.start;
        stretch.failure = scan;
    }
    if (stretch.failure) {
        stretch.cause = unobservedFor(stretch.failure->outcome);
        return stretch;
    }
    if (!latestRead)
        return stretch;
    stretch.since = latestRead->end;
    const qint64 intervalMs = qint64(latestRead->intervalMinutes) * 60000;
    if (runEndedSince)
        stretch.cause = Unobserved::NotRunning;
    else if (intervalMs <= 0 || latestRead->end.msecsTo(now) > intervalMs * 3 / 2)
        stretch.cause = Unobserved::Gap;
    return stretch;
}

bool readScanStatus(QSqlDatabase &db, int count, const QDateTime &now, ScanStatus *status,
                    QString *error)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const auto fail = [&] {
        if (error)
            *error = q.lastError().text();
        return false;
    };
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return fail();
    const QString columns = scanColumns(q.value(0).toInt() >= 2);
    *status = {};
    if (!q.exec(QStringLiteral("SELECT %1 FROM scans ORDER BY id DESC LIMIT %2")
                    .arg(columns)
                    .arg(count)))
        return fail();
    while (q.next())
        status->latest << scanAt(q);

    std::optional<LoggedScan> latestRead;
    qint64 readId = 0, readRun = 0;
    if (!q.exec(QStringLiteral("SELECT %1, id, run_id FROM scans WHERE outcome = 'read'"
                               " ORDER BY id DESC LIMIT 1")
                    .arg(columns)))
        return fail();
    if (q.next()) {
        latestRead = scanAt(q);
        readId = q.value(8).toLongLong();
        readRun = q.value(9).toLongLong();
    }
    // Of the failures since, the first and the latest tell the stretch.
    QList<LoggedScan> after;
    for (const char *order : {"", " DESC"}) {
        if (!q.exec(QStringLiteral("SELECT %1 FROM scans WHERE id > %2 AND outcome NOT IN"
                                   " ('read', 'aborted') ORDER BY id%3 LIMIT 1")
                        .arg(columns)
                        .arg(readId)
                        .arg(QLatin1String(order))))
            return fail();
        if (q.next())
            after << scanAt(q);
    }
    // The run of the latest read scan has ended, or another one started since.
    if (!q.exec(QStringLiteral("SELECT count(*) FROM runs WHERE (id = %1 AND end_ms IS NOT NULL)"
                               " OR id > %1")
                    .arg(readRun)) ||
        !q.next())
        return fail();
    status->stretch =
        currentStretch(latestRead, after, readRun != 0 && q.value(0).toInt() > 0, now);
    return true;
}

} // namespace amiscan
