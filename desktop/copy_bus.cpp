#include "desktop/copy_bus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <array>

namespace amiscan {

namespace {

struct Method
{
    const char *name;
    CopyBus::Window window;
};
constexpr std::array<Method, 3> Methods{{
    {"ShowMainWindow", CopyBus::Window::Main},
    {"ShowPreferences", CopyBus::Window::Preferences},
    {"ShowHistory", CopyBus::Window::History},
}};

} // namespace

CopyBus::CopyBus(const QString &copyKey, const QDBusConnection &bus, QObject *parent)
    : QDBusVirtualObject(parent), m_bus(bus),
      m_service(QStringLiteral(AMISCAN_APP_ID ".Copy_") + copyKey)
{
}

CopyBus::~CopyBus()
{
    if (m_published) {
        m_bus.unregisterService(m_service);
        m_bus.unregisterObject(objectPath());
    }
}

QString CopyBus::objectPath()
{
    return u'/' + QStringLiteral(AMISCAN_APP_ID).replace(u'.', u'/');
}

QString CopyBus::interfaceName()
{
    return QStringLiteral(AMISCAN_APP_ID ".Windows");
}

bool CopyBus::publish()
{
    if (!m_bus.isConnected()) {
        m_error = m_bus.lastError().message();
        return false;
    }
    if (!m_bus.registerVirtualObject(objectPath(), this)) {
        m_error = m_bus.lastError().message();
        return false;
    }
    if (!m_bus.registerService(m_service)) {
        m_error = m_bus.lastError().message();
        m_bus.unregisterObject(objectPath());
        return false;
    }
    m_published = true;
    return true;
}

bool CopyBus::ask(Window window, int timeoutMs)
{
    if (!m_bus.isConnected()) {
        m_error = m_bus.lastError().message();
        return false;
    }
    const char *method = Methods[0].name;
    for (const Method &each : Methods) {
        if (each.window == window)
            method = each.name;
    }
    const QDBusMessage reply =
        m_bus.call(QDBusMessage::createMethodCall(m_service, objectPath(), interfaceName(),
                                                  QString::fromLatin1(method)),
                   QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    m_error = reply.errorMessage();
    return false;
}

QString CopyBus::introspect(const QString &) const
{
    QString methods;
    for (const Method &method : Methods)
        methods += QStringLiteral("<method name=\"%1\"/>").arg(QLatin1StringView(method.name));
    return QStringLiteral("<interface name=\"%1\">%2</interface>").arg(interfaceName(), methods);
}

bool CopyBus::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage ||
        (!message.interface().isEmpty() && message.interface() != interfaceName()))
        return false;
    for (const Method &method : Methods) {
        if (message.member() != QLatin1StringView(method.name))
            continue;
        switch (method.window) {
        case Window::Main:
            emit mainWindowRequested();
            break;
        case Window::Preferences:
            emit preferencesRequested();
            break;
        case Window::History:
            emit historyRequested();
            break;
        }
        connection.send(message.createReply());
        return true;
    }
    return false;
}

} // namespace amiscan
