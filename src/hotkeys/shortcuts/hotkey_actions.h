#pragma once
// The 21 hotkey actions in table order. The order is the order of the configuration keys, of the lines in
// the hotkey window and of matching a hook message. Each action runs by clicking its popup-menu item.

#include <array>

namespace shortcuts {

inline constexpr int kHotkeyActionCount = 21;

struct HotkeyAction {
    const char *key;       // configuration key in "Hotkeys", "SystemWide" and "PassToNextProgram"
    const char *menuItem;  // object name of the popup-menu item
    const char *caption;   // the item's caption
};

inline constexpr std::array<HotkeyAction, kHotkeyActionCount> kHotkeyActions = {{
    {"ShowWindow", "pop_showwindow", "Show Window"},
    {"SetRewindTime", "pop_SetRewindTime", "Set Rewind Time..."},
    {"SetFastForwardTime", "pop_SetFastForwardTime", "Set Fast Forward Time..."},
    {"ConfigureHotkeys", "pop_configureHotkeys", "Configure Hotkeys..."},
    {"ModifyAudioSettings", "pop_modifyaudiosettings", "Modify Audio Settings"},
    {"ManageLibrary", "pop_managelibrary", "Manage Library..."},
    {"OpenFile", "pop_openfile", "Open File..."},
    {"OpenFolder", "pop_openfolder", "Open Folder..."},
    {"OpenURL", "pop_openurl", "Open URL..."},
    {"Play", "pop_play", "Play"},
    {"Pause", "pop_pause", "Pause"},
    {"Stop", "pop_stop", "Stop"},
    {"Rewind", "pop_rewind", "Rewind"},
    {"FastForward", "pop_fastforward", "Fast Forward"},
    {"ShowMiniInfo", "pop_ShowMiniInfo", "Show Mini-Info"},
    {"PreviousSong", "pop_previoussong", "Previous Song"},
    {"NextSong", "pop_nextsong", "Next Song"},
    {"PlayRandomSet", "pop_playrandomset", "Play Random Set"},
    {"PlayRandomSong", "pop_playrandomsong", "Play Random Song"},
    {"About", "pop_about", "About..."},
    {"Exit", "pop_exit", "Exit"},
}};

// What an action has when the configuration file does not name it: no shortcut text, not system-wide, and
// a system-wide key is passed on to the program in the foreground.
inline constexpr const char *kDefaultHotkeyText = "";
inline constexpr bool kDefaultSystemWide = false;
inline constexpr bool kDefaultPassToNextProgram = true;

// The index of the action with the given configuration key (exact spelling), or -1.
int HotkeyActionIndex(const char *key);

}  // namespace shortcuts
