#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>

namespace amiscan {

// How a later start reaches the running copy on the session bus, as desktop programs do: the
// copy owns a name made of the program's id and its data directory's key (one copy runs per
// data directory) and exports an object whose methods show its windows. Calls come on the bus's
// own thread; the signals reach the window's thread queued.
class CopyBus final : public QDBusVirtualObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CopyBus)

public:
    enum class Window
    {
        Main,
        Preferences,
        History,
    };

    // copyKey names the data directory (SingleInstance::dataDirKey).
    explicit CopyBus(const QString &copyKey,
                     const QDBusConnection &bus = QDBusConnection::sessionBus(),
                     QObject *parent = nullptr);
    ~CopyBus() override;

    QString serviceName() const { return m_service; }
    static QString objectPath();
    static QString interfaceName();

    // The running copy: exports the object and takes the name. False, with errorString(), when
    // there is no bus or the name is taken.
    bool publish();
    // A later start: asks the running copy for the window. False, with errorString(), when no
    // copy answered in time.
    bool ask(Window window, int timeoutMs = 5000);
    QString errorString() const { return m_error; }

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

signals:
    void mainWindowRequested();
    void preferencesRequested();
    void historyRequested();

private:
    QDBusConnection m_bus;
    QString m_service;
    QString m_error;
    bool m_published = false;
};

} // namespace amiscan
