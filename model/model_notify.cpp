// What a scan changed, told through the notification rules: at most one notification a scan.
#include "lists/line_filter.h"
#include "model/main_model.h"
#include "scan/online_notice.h"
#include "store/clock.h"

namespace amiscan {

void MainModel::setNotificationRules(const NotificationRules &rules)
{
    m_state.notify = rules;
    saveSettings();
}

void MainModel::announceChanges(const QList<FriendsTable::RowId> &cameOnline,
                                const QList<FriendsTable::RowId> &wentOffline)
{
    const NotificationRules &rules = m_state.notify;
    const QDateTime now = Clock::now();
    const LineFilter chosenOnly{.onlySelected = true};
    QList<FriendChange> changes;
    // Named as the main list names them, in its order.
    const auto add = [&](const QList<FriendsTable::RowId> &friends, FriendChange::Kind kind) {
        for (const int row : rowsInTableOrder(m_table, friends))
            changes << FriendChange{kind, listedName(m_table, row, m_state.userNames),
                                    !chosenOnly.leavesOut(m_table, row)};
    };
    add(cameOnline, FriendChange::CameOnline);
    add(wentOffline, FriendChange::WentOffline);
    if (rules.longOnline)
        add(newlyLongOnline(m_table, now, rules.longOnlineMinutes, m_toldLongOnline),
            FriendChange::LongOnline);
    else
        m_toldLongOnline.clear();
    const std::optional<bool> health =
        std::exchange(m_scansFailing, false) ? std::optional<bool>(false) : std::nullopt;
    if (const auto notification = scanNotification(rules, changes, health, now))
        emit notificationDue(*notification);
}

void MainModel::announceHealth(bool failing)
{
    if (std::exchange(m_scansFailing, failing) == failing)
        return;
    if (const auto notification = scanNotification(m_state.notify, {}, failing, Clock::now()))
        emit notificationDue(*notification);
}

} // namespace amiscan
