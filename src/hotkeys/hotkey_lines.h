#pragma once
// What the hotkey configuration window edits: for each of the 21 actions, in table order, a shortcut text,
// a system-wide flag and a pass-on flag, each shown as a line "name=value" in one of the window's three
// lists. The window shows these lines and leaves every decision to this class.
//
// The three lists always hold the same 21 actions in the same order, whatever the configuration file holds:
// the file's values are laid over the lines by action name, so keys in another order, missing keys, unknown
// keys and empty values cannot leave the lists unpaired or short. A flag line reads "1" for yes; any other
// text, whole number or not, is no.

#include "config/settings.h"
#include "platform/profile/ini_document.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

class ProfileFile;

namespace hotkeys {

// The three lists of the window, in the order of their sections in the configuration file.
enum class HotkeyList { Hotkeys = 0, SystemWide = 1, PassToNextProgram = 2 };
inline constexpr int kHotkeyListCount = 3;

// The configuration section a list is stored in ("Hotkeys", "SystemWide", "PassToNextProgram").
QString SectionName(HotkeyList list);

// True only for a text that reads as the whole number 1 (decimal, or hexadecimal after "$" or "0x").
bool IntegerToBoolean(const QString &text);
// 1 for true, 0 for false.
int BooleanToInteger(bool value);

// The state of the window's controls for one selected action.
struct HotkeySelection {
    QString text;  // the combo box's text: the stored shortcut text
    bool systemWide = false;
    bool passOnEnabled = false;  // the pass-on box can be changed only for a system-wide hotkey
    bool passOn = false;
    bool operator==(const HotkeySelection &) const = default;
};

class HotkeyLines {
public:
    // Every action with its default: no shortcut text, not system-wide, passed on.
    HotkeyLines();

    static int count() { return kHotkeyActionCount; }
    // The action's configuration key, the part of its lines before the "=".
    static QString name(int action);

    const QString &value(HotkeyList list, int action) const;
    // "name=value".
    QString line(HotkeyList list, int action) const;
    QStringList lines(HotkeyList list) const;

    // Lays the values of one configuration section over the list: each key that names an action (in any
    // case) sets that action's value; an empty value gives the action its default back. Keys that name no
    // action are left out; actions the section does not name keep their value.
    void merge(HotkeyList list, const QList<IniEntry> &section);
    // The three sections of the file, in order.
    void merge(const ProfileFile &file);

    // What selecting an action shows. Out of range: everything off and empty.
    HotkeySelection select(int action) const;
    // Stores the combo box's text and the two check marks as the action's three values. The pass-on mark is
    // stored as it stands, whether its box is enabled or not. Out of range: nothing changes.
    void assign(int action, const QString &text, bool systemWide, bool passOn);

    // What the window writes into the configuration file: the texts as they stand, the flags read by
    // IntegerToBoolean.
    SettingsHotkeys toSettings() const;

private:
    std::array<std::array<QString, kHotkeyActionCount>, kHotkeyListCount> values_;
};

}  // namespace hotkeys
