#pragma once

#include "store/scan_record.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace amiscan {

// A desktop notification about the scans: its title and text.
struct HealthNotice
{
    QString title;
    QString text;
    bool worksAgain = false; // the scans work again after a failing episode
    friend bool operator==(const HealthNotice &, const HealthNotice &) = default;
};

// Tells the user once when scans go wrong, and once when they work again: per episode, from the
// first scan that fails after a read one to the next read one, never per scan. An episode is told
// at its first failure that the user can act on (logged out, page not understood, certificate
// refused), or once it has lasted longer than three repeat intervals on the steady clock (the
// time asleep not counted), whatever the cause; its end is told only when its start was.
// Aborted scans change nothing.
class ScanHealth final
{
public:
    // A scan ended at `end` (`steadyMs` on the steady clock). `intervalMinutes`: the repeat
    // interval entered. `messagesOn`: the user wants these messages; while off, nothing is told.
    std::optional<HealthNotice> scanEnded(ScanOutcome outcome, int detail, const QDateTime &end,
                                          qint64 steadyMs, double intervalMinutes, bool messagesOn);

private:
    // Steady time of the episode's first failure.
    std::optional<qint64> m_failingSinceMs;
    bool m_told = false;
    QDateTime m_lastRead;
    QDateTime m_lastReadBeforeEpisode;
};

// The notification for a failing episode: what happened in plain words and what to do.
HealthNotice failureNotice(ScanOutcome outcome, int detail, int minutesFailing);
// The notification that scans work again; `unseenFrom` is the last read scan before the episode,
// when there was one.
HealthNotice recoveryNotice(const QDateTime &readAt, const QDateTime &unseenFrom);

} // namespace amiscan
