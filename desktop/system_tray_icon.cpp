#include "desktop/system_tray_icon.h"

#include "desktop/desktop_log.h"

namespace amiscan {

SystemTrayIcon::SystemTrayIcon(QObject *parent) : TrayIcon(parent)
{
    connect(&m_icon, &QSystemTrayIcon::activated, this, &SystemTrayIcon::activated);
}

SystemTrayIcon::~SystemTrayIcon() = default;

bool SystemTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayIcon::add(const QIcon &icon, const QString &toolTip)
{
    if (!isAvailable())
        qCInfo(desktopLog, "The desktop has no notification area: a minimised window stays "
                           "minimised instead of hiding in it");
    m_icon.setIcon(icon);
    m_icon.setToolTip(toolTip);
    m_icon.show();
}

void SystemTrayIcon::setToolTip(const QString &toolTip)
{
    m_icon.setToolTip(toolTip);
}

void SystemTrayIcon::remove()
{
    m_icon.hide();
}

bool SystemTrayIcon::isShown() const
{
    return m_icon.isVisible();
}

void SystemTrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    // Qt reports a left press as Trigger and a right press as Context; the double click that
    // follows a press must not act a second time.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
        emit pressed();
}

} // namespace amiscan
