#include "ui/preferences_window.h"

#include "desktop/autostart.h"
#include "model/main_model.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace amiscan {

namespace {

template <class Control> Control *named(Control *control, const char *name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QHBoxLayout *row(std::initializer_list<QWidget *> widgets)
{
    auto *layout = new QHBoxLayout;
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    layout->addStretch();
    return layout;
}

} // namespace

QString keyringStateText(const MainModel &model)
{
    const MainState &state = model.state();
    if (state.passwordPlace == PasswordPlace::File)
        return QStringLiteral("The password is kept in the settings file, which only you can "
                              "read.");
    switch (state.keyringState) {
    case KeyringState::NotAsked:
        return QStringLiteral("The desktop's keyring will keep the password once you have typed "
                              "it.");
    case KeyringState::Asking:
        return QStringLiteral("Asking the desktop's keyring...");
    case KeyringState::Ready:
        return QStringLiteral("The desktop's keyring answers; it will keep the password once you "
                              "have typed it.");
    case KeyringState::Holding:
        return QStringLiteral("The desktop's keyring keeps the password.");
    case KeyringState::None:
        break;
    }
    return QStringLiteral("No keyring answered (%1): the password is kept in the settings file.")
        .arg(state.keyringReason);
}

PreferencesWindow::PreferencesWindow(MainModel &model, QStringList autostartCommand,
                                     QWidget *parent)
    : QWidget(parent, Qt::Window), m_model(model), m_autostartCommand(std::move(autostartCommand))
{
    setObjectName(QStringLiteral("Preferences"));
    setWindowTitle(QStringLiteral("Amiscan Preferences"));
    new QVBoxLayout(this);
    buildNotifications();
    buildStart();
    buildPassword();
    buildPresenceLog();
    static_cast<QVBoxLayout *>(layout())->addStretch();
    connect(&model, &MainModel::keyringStateChanged, this, [this] { showKeyringState(); });
}

PreferencesWindow::~PreferencesWindow() = default;

void PreferencesWindow::buildNotifications()
{
    auto *group = new QGroupBox(QStringLiteral("Notifications"), this);
    auto *box = new QVBoxLayout(group);
    m_comingOnline =
        named(new QCheckBox(QStringLiteral("Friends coming online")), "CheckNotifyOnline");
    m_goingOffline =
        named(new QCheckBox(QStringLiteral("Friends going offline")), "CheckNotifyOffline");
    m_longOnline = named(new QCheckBox(QStringLiteral("Friends online for longer than")),
                         "CheckNotifyLongOnline");
    m_longOnlineMinutes = named(new QSpinBox, "SpinLongOnlineMinutes");
    m_longOnlineMinutes->setRange(1, MaxLongOnlineMinutes);
    m_longOnlineMinutes->setSuffix(QStringLiteral(" minutes"));
    m_chosenFriends = named(new QRadioButton(QStringLiteral("For the chosen friends (checked in "
                                                            "the management list)")),
                            "RadioChosenFriends");
    m_allFriends = named(new QRadioButton(QStringLiteral("For all friends")), "RadioAllFriends");
    auto *friends = new QButtonGroup(group);
    friends->addButton(m_chosenFriends);
    friends->addButton(m_allFriends);
    m_quietHours = named(new QCheckBox(QStringLiteral("Nothing shown from")), "CheckQuietHours");
    m_quietFrom = named(new QTimeEdit, "TimeQuietFrom");
    m_quietTo = named(new QTimeEdit, "TimeQuietTo");
    for (QTimeEdit *time : {m_quietFrom, m_quietTo})
        time->setDisplayFormat(QStringLiteral("HH:mm"));
    m_scanHealth =
        named(new QCheckBox(QStringLiteral("Scans that fail, and work again")), "CheckScanHealth");
    auto *test =
        named(new QPushButton(QStringLiteral("Send a test notification")), "ButTestNotification");
    box->addWidget(m_comingOnline);
    box->addWidget(m_goingOffline);
    box->addLayout(row({m_longOnline, m_longOnlineMinutes}));
    box->addWidget(m_chosenFriends);
    box->addWidget(m_allFriends);
    box->addLayout(row({m_quietHours, m_quietFrom, new QLabel(QStringLiteral("to")), m_quietTo}));
    box->addWidget(m_scanHealth);
    box->addLayout(row({test}));
    layout()->addWidget(group);

    for (QCheckBox *check :
         {m_comingOnline, m_goingOffline, m_longOnline, m_quietHours, m_scanHealth})
        connect(check, &QCheckBox::toggled, this, [this] { applyRules(); });
    connect(m_allFriends, &QRadioButton::toggled, this, [this] { applyRules(); });
    connect(m_longOnlineMinutes, &QSpinBox::valueChanged, this, [this] { applyRules(); });
    for (QTimeEdit *time : {m_quietFrom, m_quietTo})
        connect(time, &QTimeEdit::timeChanged, this, [this] { applyRules(); });
    connect(test, &QPushButton::clicked, &m_model, &MainModel::sendTestNotification);
}

void PreferencesWindow::buildStart()
{
    auto *group = new QGroupBox(QStringLiteral("Start"), this);
    auto *box = new QVBoxLayout(group);
    m_startAtLogin =
        named(new QCheckBox(QStringLiteral("Start Amiscan when I log in")), "CheckStartAtLogin");
    box->addWidget(m_startAtLogin);
    box->addWidget(new QLabel(QStringLiteral("It starts in the notification area when "
                                             "\"Minimize icon\" is checked.")));
    layout()->addWidget(group);
    connect(m_startAtLogin, &QCheckBox::toggled, this, &PreferencesWindow::applyAutostart);
}

void PreferencesWindow::buildPassword()
{
    auto *group = new QGroupBox(QStringLiteral("Password"), this);
    auto *box = new QVBoxLayout(group);
    m_inKeyring = named(new QRadioButton(QStringLiteral("Kept in the desktop's keyring")),
                        "RadioPasswordInKeyring");
    m_inFile =
        named(new QRadioButton(QStringLiteral("Kept in the settings file")), "RadioPasswordInFile");
    m_keyringState = named(new QLabel, "LabKeyringState");
    m_keyringState->setWordWrap(true);
    box->addWidget(m_inKeyring);
    box->addWidget(m_inFile);
    box->addWidget(m_keyringState);
    layout()->addWidget(group);
    connect(m_inFile, &QRadioButton::toggled, this, [this](bool inFile) {
        if (m_filling)
            return;
        m_model.setPasswordPlace(inFile ? PasswordPlace::File : PasswordPlace::Keyring);
        showKeyringState();
    });
}

void PreferencesWindow::buildPresenceLog()
{
    auto *group = new QGroupBox(QStringLiteral("Presence log"), this);
    auto *box = new QVBoxLayout(group);
    m_keepDays = named(new QSpinBox, "SpinKeepDays");
    m_keepDays->setRange(0, 36500);
    m_keepDays->setSuffix(QStringLiteral(" days"));
    m_keepDays->setSpecialValueText(QStringLiteral("everything"));
    auto *forget =
        named(new QPushButton(QStringLiteral("Forget all history...")), "ButForgetHistory");
    box->addLayout(row({new QLabel(QStringLiteral("Keep")), m_keepDays}));
    box->addLayout(row({forget}));
    layout()->addWidget(group);
    connect(m_keepDays, &QSpinBox::valueChanged, this, [this](int days) {
        if (!m_filling)
            m_model.setKeepDays(days > 0 ? std::optional<int>(days) : std::nullopt);
    });
    connect(forget, &QPushButton::clicked, this, &PreferencesWindow::forgetHistory);
}

void PreferencesWindow::forgetHistory()
{
    if (QMessageBox::question(this, windowTitle(),
                              QStringLiteral("Forget everything the presence log keeps, for every "
                                             "friend? This cannot be undone."),
                              QMessageBox::Yes | QMessageBox::Cancel,
                              QMessageBox::Cancel) == QMessageBox::Yes)
        m_model.forgetAllHistory();
}

void PreferencesWindow::showPreferences()
{
    const NotificationRules &rules = m_model.state().notify;
    // What the controls show now is no change of the user's.
    const QScopedValueRollback filling(m_filling, true);
    m_comingOnline->setChecked(rules.comingOnline);
    m_goingOffline->setChecked(rules.goingOffline);
    m_longOnline->setChecked(rules.longOnline);
    m_longOnlineMinutes->setValue(rules.longOnlineMinutes);
    (rules.allFriends ? m_allFriends : m_chosenFriends)->setChecked(true);
    m_quietHours->setChecked(rules.quietHours);
    m_quietFrom->setTime(rules.quietFrom);
    m_quietTo->setTime(rules.quietTo);
    m_scanHealth->setChecked(rules.scanHealth);
    m_startAtLogin->setChecked(isAutostartOn());
    (m_model.state().passwordPlace == PasswordPlace::File ? m_inFile : m_inKeyring)
        ->setChecked(true);
    m_keepDays->setValue(m_model.state().keepDays.value_or(0));
    showKeyringState();
}

void PreferencesWindow::applyRules()
{
    if (m_filling)
        return;
    NotificationRules rules;
    rules.comingOnline = m_comingOnline->isChecked();
    rules.goingOffline = m_goingOffline->isChecked();
    rules.longOnline = m_longOnline->isChecked();
    rules.longOnlineMinutes = m_longOnlineMinutes->value();
    rules.allFriends = m_allFriends->isChecked();
    rules.quietHours = m_quietHours->isChecked();
    rules.quietFrom = m_quietFrom->time();
    rules.quietTo = m_quietTo->time();
    rules.scanHealth = m_scanHealth->isChecked();
    m_model.setNotificationRules(rules);
}

void PreferencesWindow::applyAutostart(bool on)
{
    if (m_filling)
        return;
    QString error;
    if (setAutostart(on, m_autostartCommand.value(0), m_autostartCommand.mid(1), &error))
        return;
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("The autostart entry %1 could not be %2: %3")
                             .arg(autostartEntryPath(),
                                  on ? QStringLiteral("written") : QStringLiteral("removed"),
                                  error));
    const QScopedValueRollback filling(m_filling, true);
    m_startAtLogin->setChecked(!on);
}

void PreferencesWindow::showKeyringState()
{
    m_keyringState->setText(keyringStateText(m_model));
}

} // namespace amiscan
