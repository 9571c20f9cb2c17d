#pragma once

#include <QString>
#include <QStringList>

namespace amiscan {

// The entry that starts Amiscan when the user logs in: "<app id>.desktop" in the autostart folder
// of the user's configuration ($XDG_CONFIG_HOME/autostart, by default ~/.config/autostart).
QString autostartEntryPath();
bool isAutostartOn();
// Writes the entry, which runs the program with the arguments; or removes it. False, with
// `*error` saying why, when that cannot be done.
bool setAutostart(bool on, const QString &program, const QStringList &arguments,
                  QString *error = nullptr);

// The Exec value of a desktop entry that runs the program with the arguments: each quoted where
// the entry's rules want it, percent signs doubled, then written as a string value.
QString desktopEntryExec(const QStringList &command);

} // namespace amiscan
