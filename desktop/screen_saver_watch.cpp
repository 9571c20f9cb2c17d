#include "desktop/screen_saver_watch.h"

#include "desktop/desktop_log.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <unistd.h>

namespace amiscan {

namespace {

const QString Login = QStringLiteral("org.freedesktop.login1");
const QString LoginSession = QStringLiteral("org.freedesktop.login1.Session");

} // namespace

ScreenSaverWatch::ScreenSaverWatch(QObject *parent)
    : ScreenSaverWatch(QDBusConnection::sessionBus(), QDBusConnection::systemBus(), parent)
{
}

ScreenSaverWatch::ScreenSaverWatch(const QDBusConnection &sessionBus,
                                   const QDBusConnection &systemBus, QObject *parent)
    : AwayWatch(parent), m_session(sessionBus), m_system(systemBus)
{
    if (m_session.isConnected()) {
        // Either path: some desktops send it from both.
        m_session.connect(QStringLiteral("org.freedesktop.ScreenSaver"), QString(),
                          QStringLiteral("org.freedesktop.ScreenSaver"),
                          QStringLiteral("ActiveChanged"), this,
                          SLOT(freedesktopActiveChanged(bool)));
        m_session.connect(QStringLiteral("org.gnome.ScreenSaver"), QString(),
                          QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("ActiveChanged"),
                          this, SLOT(gnomeActiveChanged(bool)));
    } else {
        qCInfo(desktopLog, "No screen saver to watch: there is no session bus (%s)",
               qPrintable(m_session.lastError().message()));
    }
    if (!m_system.isConnected()) {
        qCInfo(desktopLog, "No login session to watch: there is no system bus (%s)",
               qPrintable(m_system.lastError().message()));
        return;
    }
    // The session this program runs in: its signals come from its own path.
    QDBusMessage ask = QDBusMessage::createMethodCall(
        Login, QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("GetSessionByPID"));
    ask << uint(::getpid());
    auto *watcher = new QDBusPendingCallWatcher(m_system.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> path = *answer;
                if (path.isError())
                    qCInfo(desktopLog, "No login session to watch: %s",
                           qPrintable(path.error().message()));
                else
                    watchLoginSession(path.value().path());
            });
}

ScreenSaverWatch::~ScreenSaverWatch() = default;

void ScreenSaverWatch::watchLoginSession(const QString &path)
{
    m_system.connect(Login, path, LoginSession, QStringLiteral("Lock"), this,
                     SLOT(sessionLocked()));
    m_system.connect(Login, path, LoginSession, QStringLiteral("Unlock"), this,
                     SLOT(sessionUnlocked()));
    m_watchingSession =
        m_system.connect(Login, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                         QStringLiteral("PropertiesChanged"), this,
                         SLOT(sessionPropertiesChanged(QString, QVariantMap, QStringList)));
}

void ScreenSaverWatch::freedesktopActiveChanged(bool active)
{
    set(FreedesktopScreenSaver, active);
}

void ScreenSaverWatch::gnomeActiveChanged(bool active)
{
    set(GnomeScreenSaver, active);
}

void ScreenSaverWatch::sessionLocked()
{
    set(SessionLock, true);
}

void ScreenSaverWatch::sessionUnlocked()
{
    set(SessionLock, false);
}

void ScreenSaverWatch::sessionPropertiesChanged(const QString &interface,
                                                const QVariantMap &changed, const QStringList &)
{
    const auto idle = changed.constFind(QStringLiteral("IdleHint"));
    if (interface == LoginSession && idle != changed.cend())
        set(SessionIdle, idle->toBool());
}

void ScreenSaverWatch::set(Source source, bool away)
{
    const bool wasAway = !m_away.isEmpty();
    if (away)
        m_away.insert(source);
    else
        m_away.remove(source);
    if (!wasAway && !m_away.isEmpty())
        emit wentAway();
    else if (wasAway && m_away.isEmpty())
        emit cameBack();
}

} // namespace amiscan
