#pragma once

#include "store/presence_coverage.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

namespace amiscan {

class HistoryModel;
class MainModel;

// Away this long or less, the user is told nothing on coming back.
inline constexpr qint64 AwayMinimumMs = 10 * 60 * 1000;

// A friend's periods while the user was away, under the name the lists give them.
struct AwayFriend
{
    QString name;
    QList<Period> periods;
};

// "While you were away: Ann 19:02–19:40, Bob 19:30–now": each friend's periods, from the first to
// come online, "now" for one still online at the latest scan. A time on another day than `back`
// carries its date. Empty when nobody was online.
QString awayNotice(const QList<AwayFriend> &friends, const QDateTime &latestScan,
                   const QDateTime &back);

// While you were away: when the user comes back after more than ten minutes with the screen
// locked or idle, which of the chosen friends (the management list's marks; all of them when the
// rules say so) were online meanwhile, when the notifications of friends coming online are on
// and it is not in the quiet hours. The log is read off the window's thread.
class AwayReport final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AwayReport)

public:
    explicit AwayReport(MainModel &model, QObject *parent = nullptr);
    ~AwayReport() override;

    // The screen was locked or went idle; the user is back. Times from the program's clock.
    void wentAway();
    void cameBack();

signals:
    // Who was online from `from` to `to`: the notice's text and their user names.
    void noticeDue(const QString &text, const QDateTime &from, const QDateTime &to,
                   const QStringList &friends);
    // A return was looked into, whether it was told or not.
    void returnHandled();

private:
    void report(const QList<Period> &periods, const LogCoverage &coverage);
    bool askLog();

    MainModel &m_model;
    std::optional<QDateTime> m_awaySince;
    // The stretch being read, with the chosen friends' names by user name.
    QDateTime m_from;
    QDateTime m_to;
    QHash<QString, QString> m_names;
    std::unique_ptr<HistoryModel> m_reader;
};

} // namespace amiscan
