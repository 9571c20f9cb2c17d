#pragma once

#include <QObject>

namespace amiscan {

// Whether the user is at the computer, as the desktop tells it: the screen locked, or the screen
// saver or the session idle.
class AwayWatch : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AwayWatch)

public:
    using QObject::QObject;
    ~AwayWatch() override = default;

signals:
    // The screen was locked or went idle.
    void wentAway();
    // The user is back: nothing holds the screen locked or idle any more.
    void cameBack();
};

} // namespace amiscan
