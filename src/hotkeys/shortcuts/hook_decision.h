#pragma once
// What the main window does with one message from the keyboard hook (WM_USER + 1): which action's menu item
// to click, what to answer the hook, and what to remember as the last hook shortcut. Pure: the window keeps
// the table and the last shortcut and only carries out the decision.

#include <cstdint>
#include <span>
#include <vector>

namespace shortcuts {

inline constexpr unsigned kHookMessage = 0x400 + 1;  // WM_USER + 1

// Answers to the hook.
inline constexpr int kWithholdKey = 0;
inline constexpr int kPassKeyOn = 1;

// One action of the hotkey table, in table order.
struct HookBinding {
    uint16_t shortcut = 0;  // the menu item's shortcut value; 0 for none
    bool systemWide = false;
    bool passToNextProgram = true;
};

struct HookDecision {
    int action = -1;                // index into the table of the item to click, -1 for none
    int answer = kPassKeyOn;        // kPassKeyOn or kWithholdKey
    uint16_t lastHookShortcut = 0;  // the value to keep for the next message
};

// programInForeground: the main window itself is the foreground window (the key then reaches it as an
// ordinary menu shortcut). lastHookShortcut: the low 16 bits of the previous message's wParam, 0 at start.
// A message is a repeat when its wParam equals lastHookShortcut and its lParam is 0; a repeat runs nothing.
// Otherwise the first system-wide action whose shortcut equals the whole wParam is clicked and the answer is
// its pass-on flag; with no such action the answer is to pass the key on. An action without a shortcut
// never matches.
HookDecision DecideHookMessage(std::span<const HookBinding> table, bool programInForeground, uint16_t lastHookShortcut,
                               uint32_t wParam, int32_t lParam);

// The distinct shortcut values the keyboard hook is to catch: those of the system-wide actions, in table
// order.
std::vector<uint16_t> SystemWideShortcuts(std::span<const HookBinding> table);

}  // namespace shortcuts
