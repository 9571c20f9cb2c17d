#pragma once

// The controls of both windows as their designs place them: named, in twips.
#include "ui/twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QList>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QStyleOptionButton>
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
//
// It paints each of its looks with one palette object. The style keeps a picture of a button
// for every palette object it paints it with, and each palette set on a widget is a new one:
// Start Scan turns red and back to green at every scan, and the pictures' names would pile up
// all day. With the same objects the style finds the pictures it already has.
class PushButton final : public QPushButton
{
public:
    using QPushButton::QPushButton;

    // The palette object the button is painted with.
    const QPalette &paintedPalette() const { return m_look < 0 ? palette() : m_looks.at(m_look); }

protected:
    void changeEvent(QEvent *event) override
    {
        if (event->type() == QEvent::PaletteChange)
            rememberLook();
        QPushButton::changeEvent(event);
    }
    void initStyleOption(QStyleOptionButton *option) const override
    {
        QPushButton::initStyleOption(option);
        if (m_look < 0)
            return;
        // The same colours as the button's own palette, in the colour group it is shown in.
        const QPalette::ColorGroup group = option->palette.currentColorGroup();
        option->palette = m_looks.at(m_look);
        option->palette.setCurrentColorGroup(group);
    }
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

private:
    // A button has a few looks; a theme changed now and then adds some, and the oldest go.
    static constexpr qsizetype MostLooks = 4;

    void rememberLook()
    {
        m_look = m_looks.indexOf(palette());
        if (m_look >= 0)
            return;
        if (m_looks.size() == MostLooks)
            m_looks.removeFirst();
        m_looks.append(palette());
        m_look = m_looks.size() - 1;
    }

    QList<QPalette> m_looks;
    qsizetype m_look = -1;
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
