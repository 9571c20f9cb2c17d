#pragma once

#include <QObject>
#include <QString>

class QIcon;

namespace amiscan {

// The desktop's notifications, as the main window uses them.
class Notifier : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Notifier)

public:
    using QObject::QObject;
    ~Notifier() override = default;

    // Shows a notification with the program's icon, in a category the desktop knows
    // ("presence.online", ...). Where the desktop has no notification service nothing is shown,
    // and nothing fails.
    virtual void notify(const QIcon &icon, const QString &title, const QString &text,
                        const QString &category = {}) = 0;

signals:
    // The user clicked one of our notifications, or its action "Show".
    void activated();
    // The user chose a notification's action "History".
    void historyAsked();
};

} // namespace amiscan
