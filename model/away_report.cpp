#include "model/away_report.h"

#include "model/history_model.h"
#include "model/main_model.h"
#include "scan/online_notice.h"
#include "store/clock.h"

#include <algorithm>

namespace amiscan {

namespace {

// At most this many friends are named; the rest are counted.
constexpr qsizetype FriendsNamed = 5;

QString timeText(const QDateTime &time, const QDateTime &back)
{
    const QDateTime local = time.toLocalTime();
    return local.toString(local.date() == back.toLocalTime().date()
                              ? QStringLiteral("hh:mm")
                              : QStringLiteral("dd/MM hh:mm"));
}

} // namespace

QString awayNotice(const QList<AwayFriend> &friends, const QDateTime &latestScan,
                   const QDateTime &back)
{
    QList<const AwayFriend *> online;
    for (const AwayFriend &f : friends) {
        if (!f.periods.isEmpty())
            online << &f;
    }
    if (online.isEmpty())
        return {};
    std::stable_sort(online.begin(), online.end(), [](const AwayFriend *a, const AwayFriend *b) {
        return a->periods.constFirst().innerStart < b->periods.constFirst().innerStart;
    });
    QStringList parts;
    for (const AwayFriend *f : online.first(std::min(online.size(), FriendsNamed))) {
        QStringList times;
        for (const Period &p : f->periods) {
            const bool still = !p.endSeen && p.innerEnd == latestScan;
            times << timeText(p.innerStart, back) + u'\u2013' +
                         (still ? QStringLiteral("now") : timeText(p.innerEnd, back));
        }
        parts << notifiedName(f->name) + u' ' + times.join(QLatin1StringView(" and "));
    }
    if (online.size() > FriendsNamed)
        parts << QStringLiteral("%1 more").arg(online.size() - FriendsNamed);
    return QStringLiteral("While you were away: ") + parts.join(QLatin1StringView(", "));
}

AwayReport::AwayReport(MainModel &model, QObject *parent) : QObject(parent), m_model(model) {}

AwayReport::~AwayReport() = default;

void AwayReport::wentAway()
{
    if (!m_awaySince)
        m_awaySince = Clock::now();
}

void AwayReport::cameBack()
{
    if (!m_awaySince || m_reader)
        return;
    m_from = *std::exchange(m_awaySince, std::nullopt);
    m_to = Clock::now();
    if (!askLog())
        emit returnHandled();
}

bool AwayReport::askLog()
{
    // The notification rules decide, as for the friends who come online: on, not in the quiet
    // hours, for the chosen friends or for all.
    const NotificationRules &rules = m_model.state().notify;
    if (m_from.msecsTo(m_to) <= AwayMinimumMs || !rules.comingOnline ||
        isQuietTime(rules, m_to.toLocalTime().time()))
        return false;
    const FriendsTable &table = m_model.table();
    const bool userNames = m_model.state().userNames;
    m_names.clear();
    for (int row = 1; row <= table.friendCount(); ++row) {
        if (!rules.allFriends && table.cellText(row, Unselected) == QLatin1StringView("1"))
            continue;
        m_names.insert(table.cellText(row, AccountName),
                       userNames
                           ? table.cellText(row, AccountName)
                           : table.cellText(row, DisplayName) + table.cellText(row, NameMark));
    }
    if (m_names.isEmpty())
        return false;
    m_reader = std::make_unique<HistoryModel>(m_model.dataDir());
    connect(m_reader.get(), &HistoryModel::periodsReady, this, &AwayReport::report);
    m_reader->askPeriods({m_from, m_to, m_names.keys()});
    return true;
}

void AwayReport::report(const QList<Period> &periods, const LogCoverage &coverage)
{
    // Its thread ends once this signal has been delivered.
    m_reader.release()->deleteLater();
    QList<AwayFriend> friends;
    QStringList userNames;
    for (const Period &p : periods) {
        // Seen online in the stretch, not only possibly so.
        if (p.imported || p.innerEnd < m_from || p.innerStart > m_to)
            continue;
        if (userNames.isEmpty() || userNames.constLast() != p.userName) {
            userNames << p.userName;
            friends << AwayFriend{m_names.value(p.userName), {}};
        }
        friends.last().periods << p;
    }
    const QString text = awayNotice(friends, coverage.latestScan, m_to);
    if (!text.isEmpty())
        emit noticeDue(text, m_from, m_to, userNames);
    emit returnHandled();
}

} // namespace amiscan
