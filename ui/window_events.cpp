#include "ui/window_events.h"

#include "model/main_model.h"

#include <QEvent>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace amiscan {

WindowEvents::WindowEvents(QWidget *window, const MainModel &model,
                           std::function<bool()> hidesWhenMinimised, std::function<void()> layOut)
    : QObject(window), m_window(window), m_model(model),
      m_hidesWhenMinimised(std::move(hidesWhenMinimised)), m_layOut(std::move(layOut))
{
    window->installEventFilter(this);
}

bool WindowEvents::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    if (event->type() == QEvent::WindowStateChange) {
        const auto *change = static_cast<QWindowStateChangeEvent *>(event);
        const bool justMinimised =
            m_window->isMinimized() && !(change->oldState() & Qt::WindowMinimized);
        if (justMinimised && m_hidesWhenMinimised())
            hideOnceMinimised();
        layOut();
    } else if (event->type() == QEvent::Resize) {
        layOut();
    }
    return false;
}

// Hidden once the minimising is over: a window hidden while the window system minimises it, or
// before a caller's own show has run, would come back.
void WindowEvents::hideOnceMinimised()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_window->isMinimized() && m_hidesWhenMinimised())
                m_window->hide();
        },
        Qt::QueuedConnection);
}

// Not while the panel slides: the toggle changes the height itself and lays out once at its end.
void WindowEvents::layOut()
{
    const bool normal = !(m_window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
    if (m_window->isVisible() && normal && m_model.state().panelState != PanelState::Sliding)
        m_layOut();
}

} // namespace amiscan
