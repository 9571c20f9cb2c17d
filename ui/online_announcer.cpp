#include "ui/online_announcer.h"

#include "desktop/desktop_notifier.h"
#include "model/main_model.h"
#include "scan/online_notice.h"
#include "ui/form1_texts.h"

#include <QWidget>

namespace amiscan {

OnlineAnnouncer::OnlineAnnouncer(MainModel &model, QWidget *window, std::function<void()> bringBack)
    : m_model(model), m_window(window), m_bringBack(std::move(bringBack))
{
    QObject::connect(&model, &MainModel::friendsCameOnline, window,
                     [this](const QStringList &names) { announce(names); });
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
}

void OnlineAnnouncer::announce(const QStringList &names)
{
    if (m_model.state().notifyOnline && !names.isEmpty())
        notifier().notify(m_window->windowIcon(), texts::ProgramName, onlineAnnouncement(names));
}

} // namespace amiscan
