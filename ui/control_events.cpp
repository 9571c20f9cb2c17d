#include "ui/control_events.h"

#include <QAbstractScrollArea>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <functional>

namespace amiscan {

namespace {

class EventHook final : public QObject
{
public:
    // The handler returns true to take the event.
    using Handler = std::function<bool(QEvent *)>;
    EventHook(QEvent::Type type, Handler handler, QObject *parent)
        : QObject(parent), m_type(type), m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == m_type && m_handler(event))
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type m_type;
    Handler m_handler;
};

void install(QObject *target, QEvent::Type type, EventHook::Handler handler, QObject *owner)
{
    target->installEventFilter(new EventHook(type, std::move(handler), owner));
}

} // namespace

void onRightPress(QWidget *control, ClickHandler handler)
{
    // Lists receive their mouse events on the viewport.
    auto *area = qobject_cast<QAbstractScrollArea *>(control);
    QObject *target = area ? static_cast<QObject *>(area->viewport()) : control;
    install(
        target, QEvent::MouseButtonPress,
        [handler = std::move(handler)](QEvent *event) {
            if (static_cast<QMouseEvent *>(event)->button() != Qt::RightButton)
                return false;
            handler();
            return true;
        },
        control);
}

void onKeyPress(QWidget *control, Qt::Key key, ClickHandler handler)
{
    install(
        control, QEvent::KeyPress,
        [key, handler = std::move(handler)](QEvent *event) {
            if (static_cast<QKeyEvent *>(event)->key() != key)
                return false;
            handler();
            return true;
        },
        control);
}

void onFocusOut(QWidget *control, ClickHandler handler)
{
    install(
        control, QEvent::FocusOut,
        [handler = std::move(handler)](QEvent *) {
            handler();
            return false;
        },
        control);
}

void onEditEnd(QWidget *box, ClickHandler handler)
{
    install(
        box, QEvent::KeyPress,
        [handler = std::move(handler)](QEvent *event) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape)
                return false;
            handler();
            return true;
        },
        box);
}

void onEditFocus(QWidget *box, const std::function<void(bool gotFocus)> &handler)
{
    for (const QEvent::Type type : {QEvent::FocusIn, QEvent::FocusOut})
        install(
            box, type,
            [handler](QEvent *event) {
                if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
                    handler(event->type() == QEvent::FocusIn);
                return false;
            },
            box);
}

void onEditLeft(QWidget *box, ClickHandler handler)
{
    install(
        box, QEvent::FocusOut,
        [handler = std::move(handler)](QEvent *event) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                handler();
            return false;
        },
        box);
}

} // namespace amiscan
