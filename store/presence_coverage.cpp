#include "store/presence_coverage.h"

#include "store/presence_query.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <limits>

namespace amiscan {

std::pair<qint64, qint64> span(const UnobservedStretch &stretch)
{
    const qint64 a = stretch.from.toMSecsSinceEpoch(), b = stretch.to.toMSecsSinceEpoch();
    return std::minmax(a, b);
}

bool readCoverage(QSqlDatabase &db, const QDateTime &from, const QDateTime &to,
                  LogCoverage *coverage, QString *error)
{
    *coverage = {};
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const auto failed = [&] {
        if (error)
            *error = q.lastError().text();
        return false;
    };
    const auto scanAt = [&](const char *order, QDateTime *time) {
        if (!q.exec(QStringLiteral("SELECT end_ms, offset_s FROM scans WHERE outcome = 'read'"
                                   " ORDER BY id %1 LIMIT 1")
                        .arg(QLatin1StringView(order))))
            return false;
        if (q.next())
            *time = logTime(q.value(0).toLongLong(), q.value(1).toInt());
        return true;
    };
    if (!scanAt("", &coverage->firstScan) || !scanAt("DESC", &coverage->latestScan))
        return failed();
    // The first scan's own mark ("start") is the time before the log, told by firstScan.
    q.prepare(QStringLiteral("SELECT s.end_ms, s.offset_s, s.unobserved, p.end_ms, p.offset_s"
                             " FROM scans s JOIN scans p ON p.id = s.prev_id"
                             " WHERE s.unobserved IS NOT NULL AND s.unobserved <> 'start'"
                             " AND max(s.end_ms, p.end_ms) >= ? AND min(s.end_ms, p.end_ms) <= ?"
                             " ORDER BY s.id"));
    q.addBindValue(from.isValid() ? from.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min());
    q.addBindValue(to.isValid() ? to.toMSecsSinceEpoch() : std::numeric_limits<qint64>::max());
    if (!q.exec())
        return failed();
    while (q.next()) {
        coverage->stretches.append({logTime(q.value(3).toLongLong(), q.value(4).toInt()),
                                    logTime(q.value(0).toLongLong(), q.value(1).toInt()),
                                    unobservedFromCode(q.value(2).toString())});
    }
    return true;
}

QList<std::pair<qint64, qint64>> observedSpans(const LogCoverage &coverage, qint64 from, qint64 to)
{
    QList<std::pair<qint64, qint64>> observed;
    if (!coverage.firstScan.isValid())
        return observed;
    from = std::max(from, coverage.firstScan.toMSecsSinceEpoch());
    to = std::min(to, coverage.latestScan.toMSecsSinceEpoch());
    QList<std::pair<qint64, qint64>> gaps;
    for (const UnobservedStretch &stretch : coverage.stretches)
        gaps << span(stretch);
    std::sort(gaps.begin(), gaps.end());
    qint64 at = from;
    for (const auto &[gapFrom, gapTo] : std::as_const(gaps)) {
        if (gapFrom > at && at < to)
            observed.append({at, std::min(gapFrom, to)});
        at = std::max(at, gapTo);
    }
    if (at < to)
        observed.append({at, to});
    return observed;
}

} // namespace amiscan
