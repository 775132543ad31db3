#pragma once
// Reading and writing the program's settings in the configuration file "devud3.dat" (where it lives:
// config/locations.h).
//
// One load reads every key of every section; three writers store their part of the settings:
// - writeOptionsSettings: the menu command that saves the options (also run first when the main window
//   closes): Options, then MiniInfo. INPUT_POSITION_RANGE is never written.
// - writeCloseSettings: the rest of what the main window saves when it closes: Screen, LastOpened,
//   AudioSettings.
// - writeHotkeySettings: the hotkey window, when it closes: Hotkeys, SystemWide, PassToNextProgram.
// The first two write key by key, in the order of the sections' tables, each key on disk before the next;
// the first key that cannot be written ends the writer. The hotkey writer replaces the file once with all 63
// keys, so a failure leaves none of them half-written. Writers and the load report failures as a
// ProfileStatus whose message names the file; they never throw.

#include "config/locations.h"
#include "config/settings.h"
#include "platform/profile/profile_file.h"

#include <QString>

// configurationFolder() + "devud3.dat".
QString configurationFilePath();

// Every setting from the file, each key that is absent or unreadable taking its default.
Settings readSettings(const ProfileFile &file, const SettingsDefaults &defaults);

// Reads the file at path into settings. A missing file is no failure: every setting takes its default. A
// file that exists but cannot be read is a failure, and settings are left as they were.
ProfileStatus loadSettings(const QString &path, const SettingsDefaults &defaults, Settings &settings);

[[nodiscard]] ProfileStatus writeOptionsSettings(const QString &path, const Settings &settings);
[[nodiscard]] ProfileStatus writeCloseSettings(const QString &path, const Settings &settings);
[[nodiscard]] ProfileStatus writeHotkeySettings(const QString &path, const SettingsHotkeys &hotkeys);
