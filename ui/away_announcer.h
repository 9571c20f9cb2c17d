#pragma once

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

namespace amiscan {

class AwayReport;
class AwayWatch;
class MainModel;
class Notifier;

// "While you were away": when the desktop tells that the user is back after more than ten
// minutes away, one notification names the chosen friends who were online meanwhile, with their
// times; a click on it opens the history on that stretch. Nothing when nobody was.
class AwayAnnouncer final
{
    Q_DISABLE_COPY_MOVE(AwayAnnouncer)

public:
    using OpenHistory =
        std::function<void(const QDateTime &from, const QDateTime &to, const QStringList &friends)>;
    // The notifications carry the window's icon.
    AwayAnnouncer(MainModel &model, QWidget *window, OpenHistory openHistory);
    ~AwayAnnouncer();

    // The desktop's screen saver and session, and its notifications, unless a test set others
    // before the window's events run.
    void setWatch(std::unique_ptr<AwayWatch> watch);
    void setNotifier(std::unique_ptr<Notifier> notifier);

private:
    QWidget *m_window;
    OpenHistory m_openHistory;
    AwayReport *m_report; // the window's child
    std::unique_ptr<AwayWatch> m_watch;
    std::unique_ptr<Notifier> m_notifier;
    // The stretch of the latest notice, which its click opens.
    QDateTime m_from;
    QDateTime m_to;
    QStringList m_friends;
};

} // namespace amiscan
