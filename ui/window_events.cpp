// The main window minimised, restored or resized: a window minimised with the notification-area
// option leaves only the icon; otherwise the lists are laid out again for the window's size.
#include "ui/window_events.h"

#include "ui/form1.h"

#include <QEvent>
#include <QWindowStateChangeEvent>

namespace amiscan {

namespace {

class WindowEvents final : public QObject
{
public:
    explicit WindowEvents(Form1 &form) : QObject(&form), m_form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != &m_form)
            return false;
        if (event->type() == QEvent::WindowStateChange) {
            const auto *change = static_cast<QWindowStateChangeEvent *>(event);
            const bool justMinimised =
                m_form.isMinimized() && !(change->oldState() & Qt::WindowMinimized);
            if (justMinimised && m_form.hidesWhenMinimised())
                hideOnceMinimised();
            layOut();
        } else if (event->type() == QEvent::Resize) {
            layOut();
        }
        return false;
    }

private:
    // Hidden once the minimising is over: a window hidden while the window system minimises it,
    // or before a caller's own show has run, would come back.
    void hideOnceMinimised()
    {
        QMetaObject::invokeMethod(
            &m_form,
            [form = &m_form] {
                if (form->isMinimized() && form->hidesWhenMinimised())
                    form->hide();
            },
            Qt::QueuedConnection);
    }

    // Not while the panel slides: the toggle changes the height itself and lays out once at its
    // end.
    void layOut()
    {
        const bool normal = !(m_form.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
        if (m_form.isVisible() && normal && m_form.state.panelState != PanelState::Sliding)
            m_form.layoutLists();
    }

    Form1 &m_form;
};

} // namespace

void connectWindowEvents(Form1 &form)
{
    form.installEventFilter(new WindowEvents(form));
}

} // namespace amiscan
