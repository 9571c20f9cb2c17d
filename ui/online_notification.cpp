// The desktop notification that tells which selected friends came online, and the click on it
// that brings the window back, from the notification area or not.
#include "desktop/desktop_notifier.h"
#include "scan/online_notice.h"
#include "ui/form1.h"
#include "ui/form1_texts.h"

namespace amiscan {

Notifier &Form1::notifier()
{
    if (!m_notifier)
        setNotifier(std::make_unique<DesktopNotifier>());
    return *m_notifier;
}

void Form1::setNotifier(std::unique_ptr<Notifier> notifier)
{
    m_notifier = std::move(notifier);
    connect(m_notifier.get(), &Notifier::activated, this, &Form1::bringBack);
}

void Form1::announceOnline(const QStringList &names)
{
    if (state.notifyOnline && !names.isEmpty())
        notifier().notify(windowIcon(), texts::ProgramName, onlineAnnouncement(names));
}

} // namespace amiscan
