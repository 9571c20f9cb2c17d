#pragma once

#include "desktop/tray_icon.h"

#include <QSystemTrayIcon>

namespace amiscan {

// The notification-area icon through Qt's system tray support.
class SystemTrayIcon final : public TrayIcon
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SystemTrayIcon)

public:
    explicit SystemTrayIcon(QObject *parent = nullptr);
    ~SystemTrayIcon() override;

    bool isAvailable() const override;
    void add(const QIcon &icon, const QString &toolTip) override;
    void setToolTip(const QString &toolTip) override;
    void remove() override;
    bool isShown() const override;

    // Qt's icon, for tests of how its activations become presses.

private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon m_icon;
};

} // namespace amiscan
