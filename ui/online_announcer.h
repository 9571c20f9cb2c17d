#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

class QWidget;

namespace amiscan {

class MainModel;
class Notifier;

// The desktop notifications the model's rules ask for: who came online, went offline or stayed
// online long, the scans' health, the preferences' test. A click on one, or its action "Show",
// brings the window back, from the notification area or not; its action "History" asks for the
// history.
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

    MainModel &m_model;
    QWidget *m_window;
    std::function<void()> m_bringBack;
    std::unique_ptr<Notifier> m_notifier;
};

} // namespace amiscan
