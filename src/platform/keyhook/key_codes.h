#pragma once
// Windows virtual-key codes for X keysyms, and back. The hook reports keys as shortcut values whose low byte
// is a virtual-key code, so every key it can grab needs a code here.

#include <cstdint>

namespace keyhook {

using KeySymbol = unsigned long;  // an X KeySym

inline constexpr uint16_t kShortcutShift = 0x2000;
inline constexpr uint16_t kShortcutCtrl = 0x4000;
inline constexpr uint16_t kShortcutAlt = 0x8000;

// The virtual-key code of a keysym, or 0 for a key without one (modifier keys among them). Upper- and
// lower-case letters give the same code; keypad digits give VK_NUMPAD0..9, keypad navigation keys the codes
// of the keys they stand for.
uint16_t VirtualKeyOfKeysym(KeySymbol keysym);

// The keysym to grab for a virtual-key code, or 0 (NoSymbol) for a code no key produces here.
KeySymbol KeysymOfVirtualKey(uint16_t vk);

}  // namespace keyhook
