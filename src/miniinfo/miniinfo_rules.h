#pragma once
// The rules of the mini-info popup that need no window: when it pops up, where it goes, and how its
// configuration window reads and shows the display time.

#include "config/settings.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace miniinfo {

// Whether a pop-up request shows the popup. Nothing shows while the main window is visible or the mini-info
// is switched off; a forced request (the "Show Mini-Info" command, its hotkey, next and previous song) needs
// nothing more, an unforced one (playing starts, rewind, fast forward) also needs MiniInfoShowEverytime.
bool MiniInfoWanted(const SettingsMiniInfo &settings, bool forced, bool mainWindowVisible);

// The popup's top-left corner: flush with the bottom of the work area, 6 pixels from its right edge.
QPoint MiniInfoPosition(const QRect &workArea, const QSize &windowSize);

// The largest number of seconds whose milliseconds still fit the display time.
inline constexpr int kMostSeconds = 2147483;

// The text of the seconds box: the display time in whole seconds, the remainder dropped.
QString SecondsText(int displayTimeMs);

// The display time in milliseconds for the seconds box's text: a whole number from 0 to kMostSeconds,
// blanks around it allowed. Anything else gives nothing.
std::optional<int> DisplayTimeFromSecondsText(const QString &text);

// What the configuration window says about a text DisplayTimeFromSecondsText refused.
QString NotWholeSecondsText(const QString &text);

}  // namespace miniinfo
