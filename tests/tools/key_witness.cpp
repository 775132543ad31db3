#include "key_witness.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {
Display *Dpy(void *display) { return static_cast<Display *>(display); }
constexpr unsigned kCombinationBits = kWitnessShift | kWitnessControl | kWitnessMod1;
}  // namespace

KeyWitness::~KeyWitness() { close(); }

void KeyWitness::close()
{
    if (display_)
        XCloseDisplay(Dpy(display_));
    display_ = nullptr;
}

bool KeyWitness::open(const QByteArray &display)
{
    Display *dpy = XOpenDisplay(display.constData());
    if (!dpy)
        return false;
    display_ = dpy;
    window_ = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 10, 10, 200, 100, 0, 0, 0);
    XStoreName(dpy, window_, "keywitness");
    XSelectInput(dpy, window_, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    XMapWindow(dpy, window_);
    XEvent event;
    do {
        XNextEvent(dpy, &event);
    } while (event.type != MapNotify);
    focus();
    return true;
}

void KeyWitness::focus()
{
    XSetInputFocus(Dpy(display_), window_, RevertToParent, CurrentTime);
    XSync(Dpy(display_), False);
}

bool KeyWitness::hasFocus()
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(Dpy(display_), &focus, &revert);
    return focus == window_;
}

const std::vector<WitnessKey> &KeyWitness::keys()
{
    Display *dpy = Dpy(display_);
    while (XPending(dpy) > 0) {
        XEvent event;
        XNextEvent(dpy, &event);
        if (event.type != KeyPress && event.type != KeyRelease)
            continue;
        keys_.push_back(
            {XLookupKeysym(&event.xkey, 0), event.xkey.state, event.type == KeyPress, event.xkey.send_event != 0});
    }
    return keys_;
}

void KeyWitness::clear()
{
    keys();
    keys_.clear();
}

bool KeyWitness::gotPress(unsigned long keysym, unsigned modifiers)
{
    for (const WitnessKey &key : keys()) {
        if (key.press && key.keysym == keysym && (key.state & kCombinationBits) == modifiers)
            return true;
    }
    return false;
}

bool KeyWitness::gotAnyPress(unsigned long keysym)
{
    for (const WitnessKey &key : keys()) {
        if (key.press && key.keysym == keysym)
            return true;
    }
    return false;
}

namespace {
bool g_grabFailed = false;
int NoteGrabError(Display *, XErrorEvent *)
{
    g_grabFailed = true;
    return 0;
}
}  // namespace

bool KeyWitness::grabAsOtherClient(unsigned long keysym, unsigned modifiers)
{
    Display *dpy = Dpy(display_);
    XSync(dpy, False);
    g_grabFailed = false;
    XErrorHandler previous = XSetErrorHandler(NoteGrabError);
    XGrabKey(dpy, XKeysymToKeycode(dpy, keysym), modifiers, DefaultRootWindow(dpy), False, GrabModeAsync,
             GrabModeAsync);
    XSync(dpy, False);
    XSetErrorHandler(previous);
    return !g_grabFailed;
}

void KeyWitness::ungrabAsOtherClient(unsigned long keysym, unsigned modifiers)
{
    Display *dpy = Dpy(display_);
    XUngrabKey(dpy, XKeysymToKeycode(dpy, keysym), modifiers, DefaultRootWindow(dpy));
    XSync(dpy, False);
}

unsigned KeyWitness::lockState()
{
    XkbStateRec state;
    XkbGetState(Dpy(display_), XkbUseCoreKbd, &state);
    return state.locked_mods;
}

bool KeyWitness::bindToMod3(unsigned long keysym, bool bind)
{
    Display *dpy = Dpy(display_);
    const KeyCode keycode = XKeysymToKeycode(dpy, keysym);
    XModifierKeymap *map = XGetModifierMapping(dpy);
    if (!map || keycode == 0)
        return false;
    map = bind ? XInsertModifiermapEntry(map, keycode, Mod3MapIndex)
               : XDeleteModifiermapEntry(map, keycode, Mod3MapIndex);
    // The server refuses (MappingBusy) while a modifier key is down; keys are up between the test's steps.
    const int result = XSetModifierMapping(dpy, map);
    XFreeModifiermap(map);
    XSync(dpy, False);
    return result == MappingSuccess;
}
