#include "ui/health_announcer.h"

#include "desktop/desktop_notifier.h"
#include "model/main_model.h"

#include <QWidget>

namespace amiscan {

HealthAnnouncer::HealthAnnouncer(MainModel &model, QWidget *window, std::function<void()> bringBack)
    : m_window(window), m_bringBack(std::move(bringBack))
{
    QObject::connect(&model, &MainModel::scanHealthNotice, window,
                     [this](const QString &title, const QString &text) {
                         notifier().notify(m_window->windowIcon(), title, text);
                     });
}

HealthAnnouncer::~HealthAnnouncer() = default;

Notifier &HealthAnnouncer::notifier()
{
    if (!m_notifier)
        setNotifier(std::make_unique<DesktopNotifier>());
    return *m_notifier;
}

void HealthAnnouncer::setNotifier(std::unique_ptr<Notifier> notifier)
{
    m_notifier = std::move(notifier);
    QObject::connect(m_notifier.get(), &Notifier::activated, m_notifier.get(),
                     [this] { m_bringBack(); });
}

} // namespace amiscan
