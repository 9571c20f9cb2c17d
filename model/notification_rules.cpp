#include "model/notification_rules.h"

#include "lists/table_sort.h"
#include "scan/online_notice.h"
#include "store/time_text.h"

namespace amiscan {

namespace {

const QString Title = QStringLiteral("Amiscan");

// The names of the changes of one kind that the rules let through, in their order.
QStringList namesOf(const NotificationRules &rules, const QList<FriendChange> &changes,
                    FriendChange::Kind kind)
{
    QStringList names;
    for (const FriendChange &change : changes) {
        if (change.kind == kind && (rules.allFriends || change.chosen))
            names << change.name;
    }
    return names;
}

} // namespace

bool isQuietTime(const NotificationRules &rules, const QTime &time)
{
    if (!rules.quietHours || rules.quietFrom == rules.quietTo)
        return false;
    const QTime at(time.hour(), time.minute());
    if (rules.quietFrom < rules.quietTo)
        return at >= rules.quietFrom && at < rules.quietTo;
    return at >= rules.quietFrom || at < rules.quietTo;
}

std::optional<Notification> scanNotification(const NotificationRules &rules,
                                             const QList<FriendChange> &changes,
                                             std::optional<bool> failing, const QDateTime &now)
{
    if (isQuietTime(rules, now.time()))
        return std::nullopt;
    QStringList lines;
    QStringList categories;
    if (rules.scanHealth && failing) {
        lines << (*failing ? QStringLiteral("Scans fail: the friends page cannot be read")
                           : QStringLiteral("Scans work again"));
        categories << (*failing ? QStringLiteral("network.error")
                                : QStringLiteral("network.connected"));
    }
    const auto add = [&](bool on, FriendChange::Kind kind, const QString &one, const QString &many,
                         const QString &category) {
        const QStringList names = on ? namesOf(rules, changes, kind) : QStringList();
        if (!names.isEmpty())
            lines << namesAnnouncement(names, one, many), categories << category;
    };
    add(rules.comingOnline, FriendChange::CameOnline, QStringLiteral("is online"),
        QStringLiteral("are online"), QStringLiteral("presence.online"));
    add(rules.goingOffline, FriendChange::WentOffline, QStringLiteral("went offline"),
        QStringLiteral("went offline"), QStringLiteral("presence.offline"));
    const QString longer =
        QStringLiteral("online for over %1 minutes").arg(rules.longOnlineMinutes);
    add(rules.longOnline, FriendChange::LongOnline, QStringLiteral("has been ") + longer,
        QStringLiteral("have been ") + longer, QStringLiteral("presence"));
    if (lines.isEmpty())
        return std::nullopt;
    // Several kinds together are told as presence, the most general of theirs.
    const QString category =
        categories.size() == 1 ? categories.constFirst() : QStringLiteral("presence");
    return Notification{Title, lines.join(u'\n'), category};
}

Notification testNotification()
{
    return {Title,
            QStringLiteral("Notifications work: this is how Amiscan tells you who comes online"),
            QStringLiteral("presence")};
}

QList<FriendsTable::RowId> newlyLongOnline(const FriendsTable &table, const QDateTime &now,
                                           int minutes, QHash<FriendsTable::RowId, QString> &told)
{
    QList<FriendsTable::RowId> friends;
    QHash<FriendsTable::RowId, QString> stillOnline;
    const WallSeconds at = wallSeconds(now);
    for (int row = 1; row <= table.friendCount(); ++row) {
        if (!isOnlineRow(table, row))
            continue;
        const FriendsTable::RowId id = table.rowId(row);
        const QString &start = table.cellText(row, Start1);
        const std::optional<WallSeconds> since = readStamp(start);
        if (told.value(id) == start) {
            stillOnline.insert(id, start);
        } else if (since && at - *since > qint64(minutes) * 60) {
            friends << id;
            stillOnline.insert(id, start);
        }
    }
    told = stillOnline;
    return friends;
}

} // namespace amiscan
