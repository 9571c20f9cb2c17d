#pragma once

#include <QObject>
#include <QString>

class QIcon;

namespace amiscan {

// The program's icon in the desktop's notification area, as the main window uses it.
class TrayIcon : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayIcon)

public:
    using QObject::QObject;
    ~TrayIcon() override = default;

    // Whether the desktop offers a notification area at this moment.
    virtual bool isAvailable() const = 0;
    virtual void add(const QIcon &icon, const QString &toolTip) = 0;
    virtual void setToolTip(const QString &toolTip) = 0;
    // Removing an icon that is not shown does nothing.
    virtual void remove() = 0;
    virtual bool isShown() const = 0;

signals:
    // The left or the right button was pressed on the icon. A double click counts through its
    // first press only.
    void pressed();
};

} // namespace amiscan
