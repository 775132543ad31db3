#pragma once
// The keyboard-hook library: system-wide hotkeys on X11, behind three operations.
// SetHookWindow names the window that receives the hook's key messages (null: none); EnableHook connects to
// the X display and returns non-zero on success, 0 when there is no display to hook; DisableHook releases
// everything and returns 0 on success. All three are called from the UI thread.

#include <cstdint>
#include <vector>

namespace keyhook {

// What the hook asks of the window it delivers to.
class HookWindow {
public:
    virtual ~HookWindow() = default;
    // The shortcut values (virtual-key code in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt) that
    // are to work system-wide right now.
    virtual std::vector<uint16_t> systemWideShortcuts() = 0;
    // One key combination: wParam the shortcut value, lParam 0 for an auto-repeat. Answers 1 to pass the key
    // on to the program that has the focus, 0 to withhold it.
    virtual int hookMessage(uint16_t wParam, int32_t lParam) = 0;
};

int SetHookWindow(HookWindow *window);
int EnableHook();
int DisableHook();
// True between a successful EnableHook and DisableHook.
bool IsHookEnabled();

}  // namespace keyhook
