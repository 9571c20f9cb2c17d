#include "ui/mouse_events.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace amiscan {

namespace {

class MouseFilter final : public QObject
{
public:
    MouseFilter(QEvent::Type type, std::function<bool(QMouseEvent *)> handler, QObject *parent)
        : QObject(parent), m_type(type), m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == m_type)
            m_handler(static_cast<QMouseEvent *>(event));
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type m_type;
    std::function<bool(QMouseEvent *)> m_handler;
};

// Lists receive their mouse events on the viewport.
QWidget *mouseTarget(QWidget *control)
{
    if (auto *area = qobject_cast<QAbstractScrollArea *>(control))
        return area->viewport();
    return control;
}

void install(QWidget *control, QEvent::Type type, std::function<bool(QMouseEvent *)> handler)
{
    QWidget *target = mouseTarget(control);
    target->installEventFilter(new MouseFilter(type, std::move(handler), control));
}

} // namespace

void onClick(QWidget *control, ClickHandler handler)
{
    install(control, QEvent::MouseButtonRelease,
            [control, handler = std::move(handler)](QMouseEvent *event) {
                const QWidget *target = mouseTarget(control);
                if (event->button() == Qt::LeftButton &&
                    target->rect().contains(event->position().toPoint()))
                    handler();
                return false;
            });
}

void onMousePress(QWidget *control, PressHandler handler)
{
    install(control, QEvent::MouseButtonPress, [handler = std::move(handler)](QMouseEvent *event) {
        handler(event->button());
        return false;
    });
}

void onDoubleClick(QWidget *control, ClickHandler handler)
{
    install(control, QEvent::MouseButtonDblClick, [handler = std::move(handler)](QMouseEvent *) {
        handler();
        return false;
    });
}

void onMouseMove(QWidget *control, MoveHandler handler)
{
    mouseTarget(control)->setMouseTracking(true);
    install(control, QEvent::MouseMove, [handler = std::move(handler)](QMouseEvent *event) {
        handler(event->position().toPoint());
        return false;
    });
}

} // namespace amiscan
