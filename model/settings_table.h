#pragma once

#include "store/settings_file.h"

namespace amiscan {

struct MainState;

// The settings file's keys, each mapped once to the state's value it holds: reading and writing
// both go through one table, so they cannot drift apart. The file's section, key names and order
// are the store's (store/settings_file.h).

// Applies what the file holds: a flag key only when it reads "0" or "1", a text as read.
void applySettings(MainState &state, const settings::ReadResult &read);

// The values to write. A text left empty is written as its default, which the state takes too.
settings::Values settingsToWrite(MainState &state);

} // namespace amiscan
