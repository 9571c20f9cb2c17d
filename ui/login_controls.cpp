// The login boxes keep the model's user name, password and saved password in step with what is
// typed. The real password lives in the saved password while the box shows the mask.
#include "ui/login_controls.h"

#include "model/main_model.h"
#include "platform/secret_memory.h"
#include "ui/control_events.h"
#include "ui/form1_texts.h"
#include "ui/line_list.h"
#include "ui/main_controls.h"
#include "ui/mouse_events.h"
#include "ui/park_focus.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace amiscan {

LoginBoxes::LoginBoxes(const MainControls &c, MainModel &model) : m_c(c), m_model(model)
{
    // Enter and Escape end the edit: nothing is typed, the focus is parked.
    for (QLineEdit *box : {c.TextLogin, c.TextPw})
        onEditEnd(box, [this] { parkFocus(m_c); });
    onEditFocus(c.TextLogin,
                [this](bool gotFocus) { gotFocus ? userNameGotFocus() : userNameLostFocus(); });
    onEditFocus(c.TextPw,
                [this](bool gotFocus) { gotFocus ? passwordGotFocus() : passwordLostFocus(); });
    // A name typed equal to the placeholder counts as missing: the user name takes the
    // placeholder too, rather than keeping the text typed one key before.
    QObject::connect(c.TextLogin, &QLineEdit::textChanged, c.window,
                     [this](const QString &text) { m_model.setUserName(text); });
    QObject::connect(c.TextPw, &QLineEdit::textChanged, c.window,
                     [this](const QString &text) { passwordChanged(text); });
    // The keyring gave the password after start-up: the box shows its mask, unless in use.
    QObject::connect(&model, &MainModel::passwordRestored, c.window, [this] {
        if (!m_c.TextPw->hasFocus())
            m_c.TextPw->setText(QString(m_model.state().password.size(), u'*'));
    });

    // The label acts for its check square; every change of value, the program's included, runs
    // the square's handling.
    onClick(c.LabCheckAutoStart, [this] {
        parkFocus(m_c);
        m_c.CheckAutoStart->setChecked(!m_c.CheckAutoStart->isChecked());
    });
    QObject::connect(c.CheckAutoStart, &QCheckBox::toggled, c.window, [this](bool checked) {
        m_model.setOption(Option::AutoStart, checked);
        if (!m_model.state().windowReady)
            return;
        m_c.ListTri->setFocus(Qt::OtherFocusReason);
        clearCurrentLine(m_c.List1);
    });
}

void LoginBoxes::showLogin()
{
    const MainState &state = m_model.state();
    m_c.CheckAutoStart->setChecked(state.autoStart);
    const QString userName = state.userName;
    const QString password = state.password;
    if (!userName.isEmpty() && userName != texts::UserPlaceholder)
        m_c.TextLogin->setText(userName);
    else
        m_c.TextLogin->setText(texts::UserPlaceholder);
    // The mask's "*" never reach the password (passwordChanged).
    if (!password.isEmpty() && password != texts::PasswordPlaceholder)
        m_c.TextPw->setText(QString(password.size(), u'*'));
    else
        m_c.TextPw->setText(texts::PasswordPlaceholder);
}

// Entering a box leaves no line selected in either list. The lists' own reaction to losing their
// current line would park the focus, taking it straight back from the box being entered.
void LoginBoxes::clearListsQuietly()
{
    for (LineList *list : {m_c.List1, m_c.List2}) {
        const QSignalBlocker listSignals(list);
        const QSignalBlocker selectionSignals(list->selectionModel());
        clearCurrentLine(list);
        list->viewport()->update();
    }
}

void LoginBoxes::userNameGotFocus()
{
    clearListsQuietly();
    if (m_c.TextLogin->text() == texts::UserPlaceholder)
        m_c.TextLogin->clear();
}

void LoginBoxes::userNameLostFocus()
{
    if (m_c.TextLogin->text().isEmpty()) {
        m_c.TextLogin->setText(texts::UserPlaceholder);
        m_model.setUserName(texts::UserPlaceholder);
    }
}

void LoginBoxes::passwordGotFocus()
{
    clearListsQuietly();
    if (m_c.TextPw->text() == texts::PasswordPlaceholder)
        m_c.TextPw->clear();
    else
        m_c.TextPw->setText(m_model.state().savedPassword);
}

void LoginBoxes::passwordLostFocus()
{
    const QString text = m_c.TextPw->text();
    if (text == texts::PasswordPlaceholder)
        return;
    if (text.isEmpty()) {
        m_c.TextPw->setText(texts::PasswordPlaceholder);
        m_model.setPassword(texts::PasswordPlaceholder);
        return;
    }
    m_model.setSavedPassword(text);
    // A password with a "*" never reaches the password while it is typed (the mask is made of
    // them); take it whole here, or the settings would keep only the part before the "*".
    m_model.setPassword(text);
    m_c.TextPw->setText(QString(text.size(), u'*'));
}

void LoginBoxes::passwordChanged(const QString &text)
{
    // While masked the box holds only "*": never take the mask for the password.
    if (text.contains(u'*'))
        return;
    if (text == texts::PasswordPlaceholder) {
        // Typed equal to the placeholder: the password counts as missing, as the box shows.
        m_model.setPassword(texts::PasswordPlaceholder);
        return;
    }
    m_model.setSavedPassword(text);
    m_model.setPassword(text);
    if (!text.isEmpty())
        keepMemoryPrivate();
}

} // namespace amiscan
