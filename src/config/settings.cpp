#include "config/settings.h"
#include "config/texts.h"

Settings defaultSettings(const SettingsDefaults &defaults)
{
    Settings s;
    s.Options = {
        .autoplayonstart = false,
        .autoplayonopen = true,
        .randomset = true,
        .randomsong = true,
        .openfolderrecursive = false,
        .libraryfolder = defaults.programFolder,
        .RewindTime = 5000,
        .FastForwardTime = 5000,
        .INPUT_POSITION_RANGE = 40000,
    };
    s.Screen = {
        .top = 0,
        .left = 0,
        .width = defaults.windowWidth,
        .height = defaults.windowHeight,
        .show = false,
        .DisplayStyle = 0,
    };
    s.LastOpened = {
        .LastOpenedLibrarySetName = texts::kSetUnknown,
        .LastOpenedLibrarySongTitle = texts::kTitleUnknown,
    };
    s.Audio = {.ReleaseOnStop = true, .ReleaseOnPause = false, .ReleaseOnEOF = true, .EnableEqualizer = false};
    s.MiniInfo = {
        .ActivateMiniInfo = true, .MiniInfoShowEverytime = false, .MiniInfoTime = 3000, .DesktopNotifications = false};
    s.Hotkeys.SystemWide.fill(false);
    s.Hotkeys.PassToNextProgram.fill(true);
    return s;
}
