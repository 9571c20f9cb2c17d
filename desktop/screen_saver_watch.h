#pragma once

#include "desktop/away_watch.h"

#include <QDBusConnection>
#include <QSet>

namespace amiscan {

// The desktop's screen saver and login session over D-Bus: the screen saver's ActiveChanged
// (org.freedesktop.ScreenSaver, and GNOME's of the same form) on the session bus, and the login
// session's Lock, Unlock and IdleHint (org.freedesktop.login1) on the system bus. Away while any
// of them says so. A missing bus or service tells nothing, and fails nothing.
class ScreenSaverWatch final : public AwayWatch
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScreenSaverWatch)

public:
    explicit ScreenSaverWatch(QObject *parent = nullptr);
    // Tests pass buses of their own.
    ScreenSaverWatch(const QDBusConnection &sessionBus, const QDBusConnection &systemBus,
                     QObject *parent = nullptr);
    ~ScreenSaverWatch() override;

    bool isAway() const { return !m_away.isEmpty(); }
    // The login session was found, and its signals are listened to.
    bool watchesLoginSession() const { return m_watchingSession; }

private slots:
    void freedesktopActiveChanged(bool active);
    void gnomeActiveChanged(bool active);
    void sessionLocked();
    void sessionUnlocked();
    void sessionPropertiesChanged(const QString &interface, const QVariantMap &changed,
                                  const QStringList &invalidated);

private:
    enum Source
    {
        FreedesktopScreenSaver,
        GnomeScreenSaver,
        SessionLock,
        SessionIdle,
    };
    void set(Source source, bool away);
    void watchLoginSession(const QString &path);

    QDBusConnection m_session;
    QDBusConnection m_system;
    QSet<Source> m_away;
    bool m_watchingSession = false;
};

} // namespace amiscan
