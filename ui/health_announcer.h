#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

class QWidget;

namespace amiscan {

class MainModel;
class Notifier;

// The desktop notifications that tell when scans start failing and when they work again, as
// the model decides (ScanHealth); a click on one brings the window back.
class HealthAnnouncer final
{
    Q_DISABLE_COPY_MOVE(HealthAnnouncer)

public:
    // The notifications carry the window's icon.
    HealthAnnouncer(MainModel &model, QWidget *window, std::function<void()> bringBack);
    ~HealthAnnouncer();

    // The system's own notifications unless a test set others.
    void setNotifier(std::unique_ptr<Notifier> notifier);

private:
    Notifier &notifier();

    QWidget *m_window;
    std::function<void()> m_bringBack;
    std::unique_ptr<Notifier> m_notifier;
};

} // namespace amiscan
