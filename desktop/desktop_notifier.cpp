#include "desktop/desktop_notifier.h"

#include "desktop/desktop_log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QIcon>
#include <QImage>

namespace amiscan {

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString AppName = QStringLiteral("Amiscan");
const QString DefaultAction = QStringLiteral("default");
constexpr int IconPixels = 48;

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(Service, Path, Interface, method);
}

// The icon's pixels as the "image-data" hint carries them: (iiibiiay), RGBA bytes.
QDBusArgument imageData(const QImage &image)
{
    QDBusArgument argument;
    argument.beginStructure();
    argument << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    argument.endStructure();
    return argument;
}

} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent)
    : DesktopNotifier(QDBusConnection::sessionBus(), parent)
{
}

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus, QObject *parent)
    : Notifier(parent), m_bus(bus)
{
}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::notify(const QIcon &icon, const QString &title, const QString &text)
{
    if (!m_bus.isConnected()) {
        qCInfo(desktopLog, "No notification: there is no session bus (%s)",
               qPrintable(m_bus.lastError().message()));
        return;
    }
    listen();
    const QImage image = icon.pixmap(IconPixels).toImage().convertToFormat(QImage::Format_RGBA8888);
    // Services that read markup in the text need names like "Tom & Jerry" written as markup.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call("GetCapabilities")), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, image, title, text](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                const QDBusPendingReply<QStringList> capabilities = *answer;
                if (capabilities.isError()) {
                    qCInfo(desktopLog, "No notification: there is no notification service (%s)",
                           qPrintable(capabilities.error().message()));
                    return;
                }
                send(image, title, text,
                     capabilities.value().contains(QLatin1StringView("body-markup")));
            });
}

void DesktopNotifier::send(const QImage &image, const QString &title, const QString &text,
                           bool markup)
{
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral(AMISCAN_APP_ID)}};
    if (!image.isNull())
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(imageData(image)));
    QDBusMessage notify = call(QStringLiteral("Notify"));
    // The default action is the click on the notification itself.
    notify << AppName << 0u << QStringLiteral(AMISCAN_APP_ID) << title
           << (markup ? text.toHtmlEscaped() : text)
           << QStringList{DefaultAction, QStringLiteral("Show Amiscan")} << hints << -1;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                const QDBusPendingReply<uint> id = *answer;
                if (!id.isError())
                    m_shown.insert(id.value());
                else
                    qCInfo(desktopLog, "The notification service refused the notification: %s",
                           qPrintable(id.error().message()));
            });
}

void DesktopNotifier::listen()
{
    if (m_listening)
        return;
    m_listening = true;
    m_bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(actionInvoked(uint, QString)));
    m_bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(notificationClosed(uint, uint)));
}

void DesktopNotifier::actionInvoked(uint id, const QString &action)
{
    if (m_shown.contains(id) && action == DefaultAction)
        emit activated();
}

void DesktopNotifier::notificationClosed(uint id, uint)
{
    m_shown.remove(id);
}

} // namespace amiscan
