#pragma once

#include "store/settings_file.h"

namespace amiscan {

struct MainState;

// The settings file's keys, each mapped once to the state's value it holds: reading and writing
// both go through one table, so they cannot drift apart. The file's section, key names and order
// are the store's (store/settings_file.h).

// The preferences live in a section of their own, "Preferences"; "NotifyOnline" of files of the
// earlier version is still read in "Parameters", and the section's wins over it.

// The keys of our own sections, which readFile is asked for.
QList<settings::OwnKey> ownSettingKeys();

// Applies what the file holds: a flag key only when it reads "0" or "1", a text as read, a
// number or a time only when it reads as one within its range.
void applySettings(MainState &state, const settings::ReadResult &read);

// The values to write. A text left empty is written as its default, which the state takes too.
settings::Values settingsToWrite(MainState &state);
settings::OwnValues ownSettingsToWrite(const MainState &state);

} // namespace amiscan
