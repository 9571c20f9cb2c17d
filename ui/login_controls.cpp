// The login boxes keep userName, password and savedPassword in step with what is typed. The
// password box shows one "*" per character whenever it does not have the focus; the real password
// lives in savedPassword while the box shows the mask.
#include "ui/login_controls.h"
#include "platform/secret_memory.h"

#include "ui/control_events.h"
#include "ui/form1.h"
#include "ui/line_list.h"
#include "ui/mouse_events.h"
#include "ui/park_focus.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace amiscan {

namespace {

// Entering a box leaves no line selected in either list. The lists' own reaction to losing their
// current line would park the focus, taking it straight back from the box being entered.
void clearListsQuietly(Form1 &form)
{
    for (LineList *list : {form.List1, form.List2}) {
        const QSignalBlocker listSignals(list);
        const QSignalBlocker selectionSignals(list->selectionModel());
        clearCurrentLine(list);
        list->viewport()->update();
    }
}

void userNameGotFocus(Form1 &form)
{
    clearListsQuietly(form);
    if (form.TextLogin->text() == texts::UserPlaceholder)
        form.TextLogin->clear();
}

void userNameLostFocus(Form1 &form)
{
    if (form.TextLogin->text().isEmpty()) {
        form.TextLogin->setText(texts::UserPlaceholder);
        form.state.userName = texts::UserPlaceholder;
    }
}

void userNameChanged(Form1 &form, const QString &text)
{
    // A name typed equal to the placeholder counts as missing: userName takes the placeholder
    // too, rather than keeping the text typed one key before.
    form.state.userName = text;
}

void passwordGotFocus(Form1 &form)
{
    clearListsQuietly(form);
    if (form.TextPw->text() == texts::PasswordPlaceholder)
        form.TextPw->clear();
    else
        form.TextPw->setText(form.state.savedPassword);
}

void passwordLostFocus(Form1 &form)
{
    const QString text = form.TextPw->text();
    if (text == texts::PasswordPlaceholder)
        return;
    if (text.isEmpty()) {
        form.TextPw->setText(texts::PasswordPlaceholder);
        form.state.password = texts::PasswordPlaceholder;
        return;
    }
    form.state.savedPassword = text;
    // A password with a "*" never reaches `password` while it is typed (the mask is made of
    // them); take it whole here, or the settings would keep only the part before the "*".
    form.state.password = text;
    form.TextPw->setText(QString(text.size(), u'*'));
}

void passwordChanged(Form1 &form, const QString &text)
{
    // While masked the box holds only "*": never take the mask for the password.
    if (text.contains(u'*'))
        return;
    if (text == texts::PasswordPlaceholder) {
        // Typed equal to the placeholder: the password counts as missing, as the box shows.
        form.state.password = texts::PasswordPlaceholder;
        return;
    }
    form.state.savedPassword = text;
    form.state.password = form.state.savedPassword;
    if (!text.isEmpty())
        keepMemoryPrivate();
}

} // namespace

void connectLoginControls(Form1 &form)
{
    // Enter and Escape end the edit: nothing is typed, the focus is parked.
    for (QLineEdit *box : {form.TextLogin, form.TextPw})
        onEditEnd(box, [&form] { form.parkFocus(); });
    onEditFocus(form.TextLogin, [&form](bool gotFocus) {
        gotFocus ? userNameGotFocus(form) : userNameLostFocus(form);
    });
    onEditFocus(form.TextPw, [&form](bool gotFocus) {
        gotFocus ? passwordGotFocus(form) : passwordLostFocus(form);
    });
    QObject::connect(form.TextLogin, &QLineEdit::textChanged, &form,
                     [&form](const QString &text) { userNameChanged(form, text); });
    QObject::connect(form.TextPw, &QLineEdit::textChanged, &form,
                     [&form](const QString &text) { passwordChanged(form, text); });

    // The label acts for its check square; every change of value, the program's included, runs
    // the square's handling.
    onClick(form.LabCheckAutoStart, [&form] {
        form.parkFocus();
        form.CheckAutoStart->setChecked(!form.CheckAutoStart->isChecked());
    });
    QObject::connect(form.CheckAutoStart, &QCheckBox::toggled, &form, [&form] {
        if (!form.state.windowReady)
            return;
        form.ListTri->setFocus(Qt::OtherFocusReason);
        clearCurrentLine(form.List1);
    });
}

} // namespace amiscan
