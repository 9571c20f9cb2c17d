#pragma once

#include "store/presence_periods.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>

#include <functional>

namespace amiscan {

// Which periods to read: those that may overlap the time from `from` to `to` (either may be
// invalid: no bound), of the friends named by user name (none named: every friend).
struct PeriodQuery
{
    QDateTime from;
    QDateTime to;
    QStringList friends;
};

// Reads the periods from a connection to the log, friend by friend in order of user name, and
// hands each friend's periods, in order of start, to `take`: a whole log need not be in memory.
// False with `*error` when the log cannot be read.
bool readPeriods(QSqlDatabase &db, const PeriodQuery &query,
                 const std::function<void(QList<Period> &&)> &take, QString *error = nullptr);
QList<Period> readPeriods(QSqlDatabase &db, const PeriodQuery &query, QString *error = nullptr);

// A time of the log: UTC milliseconds shown with the local offset of its moment.
QDateTime logTime(qint64 ms, int offsetSeconds);

} // namespace amiscan
