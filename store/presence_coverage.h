#pragma once

#include "store/presence_periods.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>

#include <utility>

namespace amiscan {

// A stretch between two read scans that the log did not observe, and why: from the end of the
// read scan before it to the end of the one after. A clock set back gives a stretch whose times
// run backwards; it is kept so, and `span` orders them.
struct UnobservedStretch
{
    QDateTime from;
    QDateTime to;
    Unobserved cause = Unobserved::Gap;
    friend bool operator==(const UnobservedStretch &, const UnobservedStretch &) = default;
};

// What the log observed: from its first read scan to its latest, but for the stretches between.
// Before the first and after the latest nothing was observed either.
struct LogCoverage
{
    QDateTime firstScan; // invalid while the log holds no read scan
    QDateTime latestScan;
    QList<UnobservedStretch> stretches; // in the order of their scans
};

// UTC milliseconds from the earlier to the later of the two times.
std::pair<qint64, qint64> span(const UnobservedStretch &stretch);

// The coverage, with the stretches that reach into the time from `from` to `to` (either may be
// invalid: no bound). False with `*error` when the log cannot be read.
bool readCoverage(QSqlDatabase &db, const QDateTime &from, const QDateTime &to,
                  LogCoverage *coverage, QString *error = nullptr);

// The observed parts of the time from `from` to `to`, in order, as UTC milliseconds.
QList<std::pair<qint64, qint64>> observedSpans(const LogCoverage &coverage, qint64 from, qint64 to);

} // namespace amiscan
