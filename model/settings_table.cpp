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
using Value = std::variant<bool MainState::*, PanelState MainState::*, TextValue>;

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
        {settings::NotifyOnline, &MainState::notifyOnline},
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
                       [&](PanelState MainState::*member) {
                           if (flag)
                               state.*member = *flag ? PanelState::Hidden : PanelState::Shown;
                       },
                       [&](const TextValue &value) { state.*value.member = text; },
                   },
                   setting.value);
    }
}

settings::Values settingsToWrite(MainState &state)
{
    settings::Values values;
    for (const Setting &setting : table()) {
        QString &text = values[size_t(setting.key)];
        std::visit(
            Overloaded{
                [&](bool MainState::*member) { text = settings::flagText(state.*member); },
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
