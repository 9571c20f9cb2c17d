#include "ui/online_announcer.h"

#include "desktop/desktop_notifier.h"
#include "model/main_model.h"

#include <QWidget>

namespace amiscan {

OnlineAnnouncer::OnlineAnnouncer(MainModel &model, QWidget *window, std::function<void()> bringBack)
    : m_model(model), m_window(window), m_bringBack(std::move(bringBack))
{
    QObject::connect(&model, &MainModel::notificationDue, window,
                     [this](const Notification &notification) {
                         notifier().notify(m_window->windowIcon(), notification.title,
                                           notification.body, notification.category);
                     });
}

OnlineAnnouncer::~OnlineAnnouncer() = default;

Notifier &OnlineAnnouncer::notifier()
{
    if (!m_notifier)
        setNotifier(std::make_unique<DesktopNotifier>());
    return *m_notifier;
}

void OnlineAnnouncer::setNotifier(std::unique_ptr<Notifier> notifier)
{
    m_notifier = std::move(notifier);
    QObject::connect(m_notifier.get(), &Notifier::activated, m_notifier.get(),
                     [this] { m_bringBack(); });
    QObject::connect(m_notifier.get(), &Notifier::historyAsked, m_notifier.get(),
                     [this] { m_model.requestHistory(); });
}

} // namespace amiscan
