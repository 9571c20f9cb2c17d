#pragma once

#include "store/presence_periods.h"

#include <QDate>
#include <QList>
#include <QString>

#include <array>
#include <utility>

namespace amiscan {

// One hour of the week: how long Amiscan observed it, and how much of that the friend was online.
struct PatternCell
{
    qint64 observedMs = 0;
    qint64 onlineMs = 0;
    // Never observed: unknown, which is not offline.
    bool known() const { return observedMs > 0; }
    double share() const { return known() ? double(onlineMs) / double(observedMs) : 0.0; }
};

// A friend's usual hours: for each hour of the week (local time), the share of the time Amiscan
// observed in which they were online. Only observed time counts: an hour never observed is
// unknown, not offline.
struct WeeklyPattern
{
    static constexpr int Days = 7;
    static constexpr int Hours = 24;
    // Monday first: cells[day * Hours + hour].
    std::array<PatternCell, Days * Hours> cells{};
    const PatternCell &cell(int day, int hour) const { return cells[size_t(day * Hours + hour)]; }
    // Every observed hour added up: what the pattern rests on.
    qint64 observedMs = 0;
    QDate firstDay;
    QDate lastDay;
};

// The pattern of the friend's periods over the observed time (`observed`: UTC milliseconds, in
// order, as observedSpans gives them) between `from` and `to`. Each change is taken half way
// between the scans that bound it; imported periods were not observed and do not count.
WeeklyPattern weeklyPattern(const QList<Period> &periods,
                            const QList<std::pair<qint64, qint64>> &observed, qint64 from,
                            qint64 to);

// The pattern in plain words: "usually online on weekdays 19–23", "usually online every day
// 20–1", "not usually online at any hour", or that too little was observed.
QString patternSummary(const WeeklyPattern &pattern);
// What it rests on: "based on 312 hours observed from 14/09/26 to 07/12/26".
QString patternBasis(const WeeklyPattern &pattern);

} // namespace amiscan
