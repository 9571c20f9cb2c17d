#include "model/settings_table.h"

#include "model/main_state.h"

#include <variant>

namespace amiscan {

namespace {

// How a key's value is held: a flag, the panel's state (written as its number, read as a flag),
// or a text with the default written in place of an empty one.
struct TextValue
{
    QString MainState::*member;
    QString defaultText;
};
// A flag of the notifications' rules.
using NotifyFlag = bool NotificationRules::*;
using Value = std::variant<bool MainState::*, NotifyFlag, PanelState MainState::*, TextValue>;

struct Setting
{
    settings::Key key;
    Value value;
};

const std::array<Setting, settings::KeyCount> &table()
{
    static const std::array<Setting, settings::KeyCount> settings{{
        {settings::AutoStart, &MainState::autoStart},
        {settings::AutoHide, &MainState::panelState},
        {settings::UserName, TextValue{&MainState::userName, texts::UserPlaceholder}},
        {settings::UserPw, TextValue{&MainState::password, texts::PasswordPlaceholder}},
        {settings::ScanTimer, TextValue{&MainState::intervalEntry, QStringLiteral("15")}},
        {settings::TimerOn, &MainState::repeatOn},
        {settings::Filter, &MainState::onlySelected},
        {settings::FriendsOff, &MainState::hideOffline},
        {settings::DisplayUser, &MainState::userNames},
        {settings::MinimizeIcon, &MainState::trayIcon},
        {settings::NotifyOnline, &NotificationRules::comingOnline},
    }};
    return settings;
}

// The preferences' keys: the notifications' flags, minutes and times of the day ("hh:mm"), and
// where the password is kept ("PasswordInFile", a flag).
const QString PreferencesSection = QStringLiteral("Preferences");
const QString TimeFormat = QStringLiteral("hh:mm");
using OwnValue = std::variant<NotifyFlag, int NotificationRules::*, QTime NotificationRules::*,
                              PasswordPlace MainState::*>;
struct OwnSetting
{
    const char *key;
    OwnValue value;
};

const std::array<OwnSetting, 10> &ownTable()
{
    static const std::array<OwnSetting, 10> settings{{
        {"NotifyOnline", &NotificationRules::comingOnline},
        {"NotifyOffline", &NotificationRules::goingOffline},
        {"NotifyLongOnline", &NotificationRules::longOnline},
        {"LongOnlineMinutes", &NotificationRules::longOnlineMinutes},
        {"NotifyAllFriends", &NotificationRules::allFriends},
        {"QuietHours", &NotificationRules::quietHours},
        {"QuietFrom", &NotificationRules::quietFrom},
        {"QuietTo", &NotificationRules::quietTo},
        {"ScanHealth", &NotificationRules::scanHealth},
        {"PasswordInFile", &MainState::passwordPlace},
    }};
    return settings;
}

template <class... Handlers> struct Overloaded : Handlers...
{
    using Handlers::operator()...;
};
template <class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

} // namespace

void applySettings(MainState &state, const settings::ReadResult &read)
{
    for (const Setting &setting : table()) {
        const QString &text = read.values[size_t(setting.key)];
        const std::optional<bool> flag = settings::acceptedFlag(text);
        std::visit(Overloaded{
                       [&](bool MainState::*member) {
                           if (flag)
                               state.*member = *flag;
                       },
                       [&](NotifyFlag member) {
                           if (flag)
                               state.notify.*member = *flag;
                       },
                       [&](PanelState MainState::*member) {
                           if (flag)
                               state.*member = *flag ? PanelState::Hidden : PanelState::Shown;
                       },
                       [&](const TextValue &value) { state.*value.member = text; },
                   },
                   setting.value);
    }
    for (size_t i = 0; i < ownTable().size() && qsizetype(i) < read.own.size(); ++i) {
        const QString &text = read.own.at(qsizetype(i));
        const std::optional<bool> flag = settings::acceptedFlag(text);
        bool number = false;
        const int minutes = text.toInt(&number);
        const QTime time = QTime::fromString(text, TimeFormat);
        std::visit(Overloaded{
                       [&](NotifyFlag member) {
                           if (flag)
                               state.notify.*member = *flag;
                       },
                       [&](int NotificationRules::*member) {
                           if (number && minutes >= 1 && minutes <= MaxLongOnlineMinutes)
                               state.notify.*member = minutes;
                       },
                       [&](QTime NotificationRules::*member) {
                           if (time.isValid())
                               state.notify.*member = time;
                       },
                       [&](PasswordPlace MainState::*member) {
                           if (flag)
                               state.*member = *flag ? PasswordPlace::File : PasswordPlace::Keyring;
                       },
                   },
                   ownTable()[i].value);
    }
}

QList<settings::OwnKey> ownSettingKeys()
{
    QList<settings::OwnKey> keys;
    for (const OwnSetting &setting : ownTable())
        keys << settings::OwnKey{PreferencesSection, QString::fromLatin1(setting.key)};
    return keys;
}

settings::OwnValues ownSettingsToWrite(const MainState &state)
{
    settings::OwnValues values;
    for (const OwnSetting &setting : ownTable()) {
        const QString text = std::visit(
            Overloaded{
                [&](NotifyFlag member) { return settings::flagText(state.notify.*member); },
                [&](int NotificationRules::*member) {
                    return QString::number(state.notify.*member);
                },
                [&](QTime NotificationRules::*member) {
                    return (state.notify.*member).toString(TimeFormat);
                },
                [&](PasswordPlace MainState::*member) {
                    return settings::flagText(state.*member == PasswordPlace::File);
                },
            },
            setting.value);
        values.append(
            {settings::OwnKey{PreferencesSection, QString::fromLatin1(setting.key)}, text});
    }
    return values;
}

settings::Values settingsToWrite(MainState &state)
{
    settings::Values values;
    for (const Setting &setting : table()) {
        QString &text = values[size_t(setting.key)];
        std::visit(
            Overloaded{
                [&](bool MainState::*member) { text = settings::flagText(state.*member); },
                [&](NotifyFlag member) { text = settings::flagText(state.notify.*member); },
                [&](PanelState MainState::*member) { text = QString::number(int(state.*member)); },
                [&](const TextValue &value) {
                    QString &held = state.*value.member;
                    if (held.isEmpty())
                        held = value.defaultText;
                    text = held;
                },
            },
            setting.value);
    }
    return values;
}

} // namespace amiscan
