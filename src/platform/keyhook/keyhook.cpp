#include "keyhook.h"

#include <X11/Xlib.h>

namespace keyhook {

namespace {
struct HookState {
    HookWindow *window = nullptr;
    Display *display = nullptr;
};

HookState &state()
{
    static HookState s;
    return s;
}
}  // namespace

int SetHookWindow(HookWindow *window)
{
    state().window = window;
    return 1;
}

int EnableHook()
{
    HookState &s = state();
    if (s.display)
        return 1;
    // A connection of our own: the hook must keep working whatever the toolkit's connection does.
    s.display = XOpenDisplay(nullptr);
    if (!s.display)
        return 0;
    return 1;
}

int DisableHook()
{
    HookState &s = state();
    if (s.display) {
        XCloseDisplay(s.display);
        s.display = nullptr;
    }
    return 0;
}

bool IsHookEnabled() { return state().display != nullptr; }

}  // namespace keyhook
