#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

namespace amiscan {

class MainModel;

// The preferences: what the notifications tell and when, starting at login, where the password
// is kept, how long the presence log keeps what it saw. Every change applies at once: the model
// saves it in the settings file. The controls carry object names, as the main window's do.
class PreferencesWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreferencesWindow)

public:
    // autostartCommand: the program and the arguments the autostart entry runs.
    PreferencesWindow(MainModel &model, QStringList autostartCommand, QWidget *parent = nullptr);
    ~PreferencesWindow() override;

    // The controls show the model's preferences and the autostart entry as they are now.
    void showPreferences();

private:
    void buildNotifications();
    void buildStart();
    void buildPassword();
    void buildPresenceLog();
    void forgetHistory();
    void applyRules();
    void applyAutostart(bool on);
    void showKeyringState();

    MainModel &m_model;
    QStringList m_autostartCommand;
    QCheckBox *m_comingOnline = nullptr;
    QCheckBox *m_goingOffline = nullptr;
    QCheckBox *m_longOnline = nullptr;
    QSpinBox *m_longOnlineMinutes = nullptr;
    QRadioButton *m_chosenFriends = nullptr;
    QRadioButton *m_allFriends = nullptr;
    QCheckBox *m_quietHours = nullptr;
    QTimeEdit *m_quietFrom = nullptr;
    QTimeEdit *m_quietTo = nullptr;
    QCheckBox *m_scanHealth = nullptr;
    QCheckBox *m_startAtLogin = nullptr;
    QRadioButton *m_inKeyring = nullptr;
    QRadioButton *m_inFile = nullptr;
    QLabel *m_keyringState = nullptr;
    QSpinBox *m_keepDays = nullptr;
    bool m_filling = false;
};

// What the preferences say of where the password is and of the keyring.
QString keyringStateText(const MainModel &model);

} // namespace amiscan
