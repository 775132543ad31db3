#pragma once
// Shortcut values and the hotkey texts stored in the configuration file.
//
// A shortcut value is 16 bits: the low byte is a Windows virtual-key code, 0x2000 is added for Shift, 0x4000
// for Ctrl and 0x8000 for Alt; 0 means no shortcut. The menu items, the hotkey table and the keyboard hook
// all use this one format.

#include <QKeyCombination>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>

namespace shortcuts {

inline constexpr uint16_t kShift = 0x2000;
inline constexpr uint16_t kCtrl = 0x4000;
inline constexpr uint16_t kAlt = 0x8000;
inline constexpr uint16_t kKeyMask = 0x00FF;

// Virtual-key codes that the hotkey texts use.
inline constexpr uint16_t kVkBack = 0x08;
inline constexpr uint16_t kVkInsert = 0x2D;
inline constexpr uint16_t kVkDelete = 0x2E;

inline constexpr int kShortcutTextCount = 60;

// The text the hotkey window offers for "no shortcut"; it is not one of the known texts.
inline constexpr char16_t kNoShortcutText[] = u"<none>";

struct ShortcutText {
    QString text;       // as compared, all upper case ("CTRL+A", "SHIFT+INSERT")
    QString shownText;  // as the hotkey window lists it ("CTRL+A", "SHIFT+Insert")
    uint16_t value;
};

// The known texts in matching order: Ctrl with A..Z, Ctrl+Alt with A..Z, then the eight Insert, Delete and
// Backspace combinations.
std::span<const ShortcutText> ShortcutTexts();

// The shortcut value of a hotkey text. Letters a..z count as upper case; nothing is trimmed, so a text with
// spaces, the empty text and every unknown text give 0.
uint16_t EnglishTextToShortcut(const QString &text);

// The hotkey window's spelling of a shortcut value ("CTRL+ALT+P", "SHIFT+Insert"); empty when no known text
// gives the value. EnglishTextToShortcut(ShortcutToText(v)) == v for every known value.
QString ShortcutToText(uint16_t shortcut);

// The list of the hotkey window's combo box: "<none>" and then the 60 texts as the window shows them.
QStringList ShortcutChoices();

// The key combination of a shortcut value for a menu item; an empty combination for 0 or a virtual-key code
// without a key.
QKeyCombination ShortcutToKeyCombination(uint16_t shortcut);

}  // namespace shortcuts
