#pragma once

// The controls of both windows as their designs place them: named, in twips.
#include "ui/twips.h"

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

// Enter presses only the button that has the focus, in a dialog too.
inline QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                           const QRect &twips)
{
    auto *control = place<QPushButton>(parent, name, twips);
    control->setText(caption);
    control->setAutoDefault(false);
    control->setFocusPolicy(Qt::StrongFocus);
    return control;
}

} // namespace amiscan
