#pragma once

#include <QtGlobal>

namespace amiscan {

class MainModel;
struct MainControls;

// The user name and password boxes with their placeholders and the password mask, and the Auto
// Start option with its label. What is typed reaches the model's user name, password and saved
// password as it is typed; the password box shows one "*" per character whenever it does not
// have the focus.
class LoginBoxes final
{
    Q_DISABLE_COPY_MOVE(LoginBoxes)

public:
    LoginBoxes(const MainControls &controls, MainModel &model);
    ~LoginBoxes() = default;

    // The boxes show the stored login, the password as its mask, and the Auto Start option.
    void showLogin();

private:
    void clearListsQuietly();
    void userNameGotFocus();
    void userNameLostFocus();
    void passwordGotFocus();
    void passwordLostFocus();
    void passwordChanged(const QString &text);

    const MainControls &m_c;
    MainModel &m_model;
};

} // namespace amiscan
