#pragma once
// The program's settings as held in memory: one struct per section of the configuration file "devud3.dat",
// each field named exactly like its key. A default-made Settings is the state before the first read (false,
// 0 or empty, except INPUT_POSITION_RANGE); defaultSettings() gives what a file without the keys yields.

#include "hotkeys/shortcuts/hotkey_actions.h"

#include <QString>

#include <array>
#include <cstddef>

inline constexpr int kHotkeyActionCount = shortcuts::kHotkeyActionCount;

namespace settings_detail {

inline constexpr size_t kHotkeyKeyCapacity = 32;
using HotkeyKeyText = std::array<char16_t, kHotkeyKeyCapacity>;

// The keys of the action table widened to UTF-16 at compile time (a key that does not fit stops the build).
constexpr std::array<HotkeyKeyText, kHotkeyActionCount> WidenHotkeyKeys()
{
    std::array<HotkeyKeyText, kHotkeyActionCount> texts{};
    for (size_t i = 0; i < texts.size(); ++i) {
        const char *key = shortcuts::kHotkeyActions[i].key;
        size_t n = 0;
        for (; key[n] != '\0'; ++n) {
            if (n + 1 >= kHotkeyKeyCapacity)
                throw "hotkey key too long";
            texts[i][n] = static_cast<char16_t>(key[n]);
        }
    }
    return texts;
}

inline constexpr std::array<HotkeyKeyText, kHotkeyActionCount> kHotkeyKeyTexts = WidenHotkeyKeys();

}  // namespace settings_detail

// The hotkey actions in table order: their keys in the sections "Hotkeys", "SystemWide" and
// "PassToNextProgram", the order in which they are read and written, and the order of matching. Taken from
// the action table, so the file's keys and the actions cannot drift apart.
inline constexpr std::array<const char16_t *, kHotkeyActionCount> kHotkeyActionKeys = [] {
    std::array<const char16_t *, kHotkeyActionCount> keys{};
    for (size_t i = 0; i < keys.size(); ++i)
        keys[i] = settings_detail::kHotkeyKeyTexts[i].data();
    return keys;
}();

struct SettingsOptions {
    bool autoplayonstart = false;
    bool autoplayonopen = false;
    bool randomset = false;
    bool randomsong = false;
    bool openfolderrecursive = false;
    QString libraryfolder;
    int RewindTime = 0;
    int FastForwardTime = 0;
    int INPUT_POSITION_RANGE = 40000;  // read, never written
    bool operator==(const SettingsOptions &) const = default;
};

struct SettingsScreen {
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
    bool show = false;
    int DisplayStyle = 0;
    bool operator==(const SettingsScreen &) const = default;
};

struct SettingsLastOpened {
    QString LastOpenedLibrarySetName;
    QString LastOpenedLibrarySongTitle;
    bool operator==(const SettingsLastOpened &) const = default;
};

struct SettingsAudio {
    bool ReleaseOnStop = false;
    bool ReleaseOnPause = false;
    bool ReleaseOnEOF = false;
    bool EnableEqualizer = false;
    bool operator==(const SettingsAudio &) const = default;
};

struct SettingsMiniInfo {
    bool ActivateMiniInfo = false;
    bool MiniInfoShowEverytime = false;
    int MiniInfoTime = 0;               // milliseconds
    bool DesktopNotifications = false;  // a desktop notification in place of the popup
    bool operator==(const SettingsMiniInfo &) const = default;
};

// Indexed like kHotkeyActionKeys.
struct SettingsHotkeys {
    std::array<QString, kHotkeyActionCount> Hotkeys;  // shortcut texts as stored; empty for none
    std::array<bool, kHotkeyActionCount> SystemWide{};
    std::array<bool, kHotkeyActionCount> PassToNextProgram{};
    bool operator==(const SettingsHotkeys &) const = default;
};

struct Settings {
    SettingsOptions Options;
    SettingsScreen Screen;
    SettingsLastOpened LastOpened;
    SettingsAudio Audio;  // section "AudioSettings"
    SettingsMiniInfo MiniInfo;
    SettingsHotkeys Hotkeys;  // sections "Hotkeys", "SystemWide", "PassToNextProgram"
    bool operator==(const Settings &) const = default;
};

// What the defaults depend on: the program folder (with its final '/') and the main window's size at the
// moment the file is read.
struct SettingsDefaults {
    QString programFolder;
    int windowWidth = 0;
    int windowHeight = 0;
};

// The value of every setting when the file, or the key, is absent.
Settings defaultSettings(const SettingsDefaults &defaults);
