#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace amiscan::sim {

// One friend of the simulated account. An empty userName gives an entry without parentheses.
struct RosterFriend
{
    QString displayName;
    QString userName;

    bool operator==(const RosterFriend &) const = default;
};

// About forty friends with the variety of names the service shows: plain names, accented
// letters, dots, an apostrophe, a one-letter name, long names, a repeated display name and an
// entry without user name. No name needs HTML escaping or holds the service's domain word.
QList<RosterFriend> builtInRoster();

// One friend a line: display name, a tab, user name (no tab: no user name). Blank lines are
// skipped; the file is UTF-8. Gives nothing and sets error when the file cannot be read.
std::optional<QList<RosterFriend>> readRosterFile(const QString &path, QString *error);

// Whether friend number `index` of a roster is online at a simulated time. Each friend
// alternates between online periods of 2 to 10 minutes and offline periods of 2 to 15
// minutes, in a pattern fixed by the seed and the friend's position.
bool isOnline(quint64 seed, int index, qint64 simSeconds);

// The roster's friends online at a simulated time, in roster order.
QList<RosterFriend> onlineFriends(const QList<RosterFriend> &roster, quint64 seed,
                                  qint64 simSeconds);

} // namespace amiscan::sim
