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
// The click on the notification itself, which the action "Show" names, and "History".
const QString DefaultAction = QStringLiteral("default");
const QString HistoryAction = QStringLiteral("history");
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

void DesktopNotifier::notify(const QIcon &icon, const QString &title, const QString &text,
                             const QString &category)
{
    if (!m_bus.isConnected()) {
        qCInfo(desktopLog, "No notification: there is no session bus (%s)",
               qPrintable(m_bus.lastError().message()));
        return;
    }
    listen();
    const QImage image = icon.pixmap(IconPixels).toImage().convertToFormat(QImage::Format_RGBA8888);
    // What the service offers decides the text's form and the actions.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call("GetCapabilities")), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, image, title, text, category](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                const QDBusPendingReply<QStringList> capabilities = *answer;
                if (capabilities.isError()) {
                    qCInfo(desktopLog, "No notification: there is no notification service (%s)",
                           qPrintable(capabilities.error().message()));
                    return;
                }
                send(image, title, text, category, capabilities.value());
            });
}

void DesktopNotifier::send(const QImage &image, const QString &title, const QString &text,
                           const QString &category, const QStringList &capabilities)
{
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral(AMISCAN_APP_ID)}};
    if (!image.isNull())
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(imageData(image)));
    if (!category.isEmpty())
        hints.insert(QStringLiteral("category"), category);
    // Services that read markup in the text need names like "Tom & Jerry" written as markup.
    const bool markup = capabilities.contains(QLatin1StringView("body-markup"));
    const QStringList actions = capabilities.contains(QLatin1StringView("actions"))
                                    ? QStringList{DefaultAction, QStringLiteral("Show"),
                                                  HistoryAction, QStringLiteral("History")}
                                    : QStringList();
    QDBusMessage notify = call(QStringLiteral("Notify"));
    notify << AppName << 0u << QStringLiteral(AMISCAN_APP_ID) << title
           << (markup ? text.toHtmlEscaped() : text) << actions << hints << -1;
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
    if (!m_shown.contains(id))
        return;
    if (action == DefaultAction)
        emit activated();
    else if (action == HistoryAction)
        emit historyAsked();
}

void DesktopNotifier::notificationClosed(uint id, uint)
{
    m_shown.remove(id);
}

} // namespace amiscan
