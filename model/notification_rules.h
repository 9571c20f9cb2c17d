#pragma once

#include "store/friends_table.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QTime>

#include <optional>

namespace amiscan {

// When the desktop's notifications speak: the user's preferences.
struct NotificationRules
{
    bool comingOnline = false;
    bool goingOffline = false;
    // Friends online for longer than the minutes, told once per online period.
    bool longOnline = false;
    int longOnlineMinutes = 60;
    // All friends, or only those chosen (checked in the management list).
    bool allFriends = false;
    // Nothing is shown from `quietFrom` up to `quietTo`, over midnight when `quietTo` comes first.
    bool quietHours = false;
    QTime quietFrom{22, 0};
    QTime quietTo{7, 0};
    // Scans that start failing, and work again.
    bool scanHealth = false;
};

inline constexpr int MaxLongOnlineMinutes = 24 * 60;

// What a scan changed for one friend, named as the lists name them.
struct FriendChange
{
    enum Kind
    {
        CameOnline,
        WentOffline,
        LongOnline,
    };
    Kind kind;
    QString name;
    bool chosen;
};

// One notification: the desktop is told its category ("presence.online", "network.error"...).
struct Notification
{
    QString title;
    QString body;
    QString category;

    bool operator==(const Notification &) const = default;
};

// Whether the time falls within the quiet hours (equal ends make none).
bool isQuietTime(const NotificationRules &rules, const QTime &time);

// The one notification a scan gives at most, from the friends it changed, and the scans' health
// when it changed with it (std::nullopt: unchanged; true: scans fail; false: work again). None
// in the quiet hours, nor when the rules want none of the changes.
std::optional<Notification> scanNotification(const NotificationRules &rules,
                                             const QList<FriendChange> &changes,
                                             std::optional<bool> failing, const QDateTime &now);

// The notification the preferences send to try the desktop's notifications out.
Notification testNotification();

// Which friends online at `now` have been so for longer than the minutes since their 1st
// session's start, and were not told of yet in this online period. `told` keeps, per friend, the
// start of the period told about; friends no longer online leave it.
QList<FriendsTable::RowId> newlyLongOnline(const FriendsTable &table, const QDateTime &now,
                                           int minutes, QHash<FriendsTable::RowId, QString> &told);

} // namespace amiscan
