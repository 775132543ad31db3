#pragma once
// The keyboard-hook library: system-wide hotkeys on X11, behind three operations.
//
// SetHookWindow names the window that receives the hook's key messages (null: none); EnableHook connects to
// the X display, grabs the combinations the window marks system-wide and starts the hook's thread; it returns
// non-zero on success and 0 when there is no display to hook (or no Qt application to deliver to).
// DisableHook releases every grab, ends the thread and returns 0.
//
// Threads: every function here is called from the UI thread, the thread that called EnableHook. The hook's
// own thread owns the X connection. For each press of a grabbed combination it calls the window's
// hookMessage on the UI thread and waits for the answer (at most a second, then the key is passed on and
// the late answer only runs its action) before it withholds or passes on the key; the keys typed meanwhile
// wait in the X server and follow in their order. The UI thread never waits for the hook's thread except
// in DisableHook, which stops a pending delivery first, so DisableHook may be called from inside
// hookMessage (the key of a delivery cut short that way is passed on).

#include <cstdint>
#include <vector>

namespace keyhook {

// What the hook asks of the window it delivers to. Called on the UI thread only.
class HookWindow {
public:
    virtual ~HookWindow() = default;
    // The shortcut values (virtual-key code in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt) that
    // are to work system-wide right now.
    virtual std::vector<uint16_t> systemWideShortcuts() = 0;
    // One key combination: wParam the shortcut value, lParam 0 for an auto-repeat, 1 otherwise. Answers 1
    // to pass the key on to the window that has the focus, 0 to withhold it.
    virtual int hookMessage(uint16_t wParam, int32_t lParam) = 0;
    // The hook's connection to the X server broke (the server went away): no more hotkeys will come. The
    // hook stays enabled until DisableHook, which is still needed and safe.
    virtual void displayLost() { }
};

int SetHookWindow(HookWindow *window);
int EnableHook();
int DisableHook();
// True between a successful EnableHook and DisableHook.
bool IsHookEnabled();
// During hookMessage: the X window that had the input focus when the key was pressed (0 when unknown).
// Whether the program was in front is a question about that moment, not about when the message arrives.
unsigned long FocusAtKey();

// Asks the hook window again which combinations are system-wide and changes the grabs to match; the window
// calls it after reloading its hotkey table. Returns at once: the grabs change on the hook's thread, and
// GrabbedShortcuts shows the result when done. Nothing happens while the hook is disabled.
void ReloadGrabs();

// The combinations grabbed now, and those asked for that could not be grabbed (a key this keyboard does not
// have, or one another program already grabs), in the window's order. Both empty while disabled.
std::vector<uint16_t> GrabbedShortcuts();
std::vector<uint16_t> FailedShortcuts();

}  // namespace keyhook
