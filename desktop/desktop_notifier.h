#pragma once

#include "desktop/notifier.h"

#include <QDBusConnection>
#include <QSet>

class QImage;

namespace amiscan {

// Notifications through the desktop's notification service (org.freedesktop.Notifications on the
// session bus). Nothing here waits for the service: every call is answered later, and a missing
// bus or service answers nothing at all.
class DesktopNotifier final : public Notifier
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopNotifier)

public:
    // Tests pass a bus of their own.
    explicit DesktopNotifier(QObject *parent = nullptr);
    explicit DesktopNotifier(const QDBusConnection &bus, QObject *parent = nullptr);
    ~DesktopNotifier() override;

    void notify(const QIcon &icon, const QString &title, const QString &text,
                const QString &category = {}) override;

private slots:
    void actionInvoked(uint id, const QString &action);
    void notificationClosed(uint id, uint reason);

private:
    void listen();
    void send(const QImage &image, const QString &title, const QString &text,
              const QString &category, const QStringList &capabilities);

    QDBusConnection m_bus;
    bool m_listening = false;
    // Our notifications the service may still show; its signals tell every program's.
    QSet<uint> m_shown;
};

} // namespace amiscan
