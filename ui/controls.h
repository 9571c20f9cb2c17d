#pragma once

// The controls of both windows as their designs place them: named, in twips.
#include "ui/twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace amiscan {

template <class T> T *place(QWidget *parent, const char *name, const QRect &twips)
{
    auto *control = new T(parent);
    control->setObjectName(QLatin1StringView(name));
    setTwipsGeometry(control, twips);
    return control;
}

template <class Label = QLabel>
Label *label(QWidget *parent, const char *name, const QString &caption, const QRect &twips)
{
    auto *control = place<Label>(parent, name, twips);
    // Captions may hold names from the service: never read them as markup.
    control->setTextFormat(Qt::PlainText);
    control->setText(caption);
    return control;
}

// A button that Enter presses, as Space does, while it has the focus. It is no default button:
// Enter elsewhere presses nothing, in a dialog too.
class PushButton final : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
            QPushButton::keyPressEvent(event);
            return;
        }
        // A key held down presses the button once.
        if (!event->isAutoRepeat())
            click();
        event->accept();
    }
};

// Enter presses only the button that has the focus, in a dialog too.
inline QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                           const QRect &twips)
{
    auto *control = place<PushButton>(parent, name, twips);
    control->setText(caption);
    control->setAutoDefault(false);
    control->setFocusPolicy(Qt::StrongFocus);
    return control;
}

} // namespace amiscan
