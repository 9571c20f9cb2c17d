#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

class QWidget;

namespace amiscan {

class MainModel;
class Notifier;

// The desktop notification that tells which selected friends came online in a scan, when the
// option is on; a click on it brings the window back, from the notification area or not.
class OnlineAnnouncer final
{
    Q_DISABLE_COPY_MOVE(OnlineAnnouncer)

public:
    // The notifications carry the window's icon.
    OnlineAnnouncer(MainModel &model, QWidget *window, std::function<void()> bringBack);
    ~OnlineAnnouncer();

    // The system's own notifications unless a test set others.
    void setNotifier(std::unique_ptr<Notifier> notifier);

private:
    Notifier &notifier();
    void announce(const QStringList &names);

    const MainModel &m_model;
    QWidget *m_window;
    std::function<void()> m_bringBack;
    std::unique_ptr<Notifier> m_notifier;
};

} // namespace amiscan
