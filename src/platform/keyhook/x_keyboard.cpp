#include "x_keyboard.h"

#include "key_codes.h"
#include "x_errors.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <algorithm>

namespace keyhook {

namespace {

Display *Dpy(void *display) { return static_cast<Display *>(display); }

constexpr uint16_t kKnownBits = kShortcutShift | kShortcutCtrl | kShortcutAlt | 0x00FF;

bool Contains(const std::vector<uint16_t> &values, uint16_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

std::unique_ptr<XKeyboard> XKeyboard::Open()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    return std::unique_ptr<XKeyboard>(new XKeyboard(display));
}

XKeyboard::XKeyboard(void *display) : display_(display)
{
    Display *dpy = Dpy(display_);
    TrapErrors(dpy);
    SurviveConnectionLoss(dpy);
    root_ = DefaultRootWindow(dpy);
    readModifierMap();
    selectRawKeys();
}

void XKeyboard::selectRawKeys()
{
    Display *dpy = Dpy(display_);
    int opcode = 0, eventBase = 0, errorBase = 0;
    if (!XQueryExtension(dpy, "XInputExtension", &opcode, &eventBase, &errorBase))
        return;
    // Raw events reach every client that asks, whoever has the focus or a grab (version 2.1 on).
    int major = 2, minor = 1;
    if (XIQueryVersion(dpy, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1))
        return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(dpy, root_, &mask, 1);
    xiOpcode_ = opcode;
}

bool XKeyboard::isRepeat(unsigned keycode, unsigned long time)
{
    if (xiOpcode_ < 0)
        return false;
    const auto real = std::find(realPresses_.begin(), realPresses_.end(), std::pair{keycode, time});
    if (real == realPresses_.end())
        return true;
    // Presses before this one that no grab took are of no more use.
    realPresses_.erase(realPresses_.begin(), real + 1);
    return false;
}

XKeyboard::~XKeyboard()
{
    Display *dpy = Dpy(display_);
    if (lost()) {
        // Nothing can be sent any more, and closing would report the loss again: leave the connection.
        UntrapErrors(dpy);
        return;
    }
    releaseAll();
    XSync(dpy, False);
    UntrapErrors(dpy);
    XCloseDisplay(dpy);
}

int XKeyboard::fd() const { return ConnectionNumber(Dpy(display_)); }

bool XKeyboard::lost() const { return ConnectionLost(Dpy(display_)); }

void XKeyboard::readModifierMap()
{
    Display *dpy = Dpy(display_);
    altMask_ = 0;
    numLockMask_ = 0;
    lockMasks_ = LockMask;
    altIndex_ = -1;
    XModifierKeymap *map = XGetModifierMapping(dpy);
    if (!map)
        return;
    for (int index = 0; index < 8; ++index) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            const KeyCode keycode = map->modifiermap[index * map->max_keypermod + k];
            if (keycode == 0)
                continue;
            const KeySym keysym = XkbKeycodeToKeysym(dpy, keycode, 0, 0);
            if (index >= Mod1MapIndex && (keysym == XK_Alt_L || keysym == XK_Alt_R) && altIndex_ < 0)
                altIndex_ = index;
            if (index < Mod1MapIndex)
                continue;
            if (keysym == XK_Num_Lock)
                numLockMask_ = 1u << index;
            // A lock left on must not switch the hotkeys off, so such modifiers are grabbed either way.
            if (keysym == XK_Num_Lock || keysym == XK_Scroll_Lock || keysym == XK_Kana_Lock ||
                keysym == XK_Shift_Lock || keysym == XK_Caps_Lock)
                lockMasks_ |= 1u << index;
        }
    }
    XFreeModifiermap(map);
    if (altIndex_ < 0)
        altIndex_ = Mod1MapIndex;
    altMask_ = 1u << altIndex_;
}

std::vector<unsigned> XKeyboard::lockVariants(bool keypad) const
{
    // Every combination of the lock modifiers; on the keypad only those with Num Lock off.
    std::vector<unsigned> bits;
    for (unsigned bit = 1; bit <= 0x80; bit <<= 1) {
        if ((lockMasks_ & bit) && !(keypad && bit == numLockMask_))
            bits.push_back(bit);
    }
    std::vector<unsigned> variants;
    for (unsigned subset = 0; subset < (1u << bits.size()); ++subset) {
        unsigned variant = 0;
        for (size_t i = 0; i < bits.size(); ++i) {
            if (subset & (1u << i))
                variant |= bits[i];
        }
        variants.push_back(variant);
    }
    return variants;
}

bool XKeyboard::toGrabs(uint16_t shortcut, std::vector<Grab> &grabs) const
{
    grabs.clear();
    if (shortcut == 0 || (shortcut & ~kKnownBits) != 0)
        return false;
    const uint16_t vk = shortcut & 0xFF;
    const KeySymbol keysym = KeysymOfVirtualKey(vk);
    if (keysym == NoSymbol)
        return false;
    Display *dpy = Dpy(display_);
    const KeyCode keycode = XKeysymToKeycode(dpy, keysym);
    if (keycode == 0)
        return false;
    unsigned modifiers = 0;
    if (shortcut & kShortcutShift)
        modifiers |= ShiftMask;
    if (shortcut & kShortcutCtrl)
        modifiers |= ControlMask;
    if (shortcut & kShortcutAlt)
        modifiers |= altMask_;
    grabs.push_back({shortcut, keycode, modifiers, false});
    // Insert and Delete are on the keypad too: its 0 and decimal keys while Num Lock is off.
    const KeySym keypad = vk == 0x2D ? XK_KP_Insert : vk == 0x2E ? XK_KP_Delete : NoSymbol;
    if (keypad != NoSymbol) {
        const KeyCode keypadCode = XKeysymToKeycode(dpy, keypad);
        if (keypadCode != 0 && keypadCode != keycode)
            grabs.push_back({shortcut, keypadCode, modifiers, true});
    }
    return true;
}

void XKeyboard::grabAll(std::vector<Grab> &grabs, std::vector<bool> &ok)
{
    Display *dpy = Dpy(display_);
    TrapErrors(dpy);
    std::vector<std::pair<unsigned long, unsigned long>> serials;
    for (const Grab &grab : grabs) {
        const unsigned long first = NextRequest(dpy);
        // Synchronous for the keyboard: at the press the server holds every key event that follows until
        // the hook has decided where the press goes.
        for (unsigned extra : lockVariants(grab.keypad))
            XGrabKey(dpy, static_cast<int>(grab.keycode), grab.modifiers | extra, root_, False, GrabModeAsync,
                     GrabModeSync);
        serials.emplace_back(first, NextRequest(dpy));
    }
    XSync(dpy, False);
    bool all = true;
    ok.assign(grabs.size(), true);
    for (size_t i = 0; i < grabs.size(); ++i) {
        if (!TakeErrors(serials[i].first, serials[i].second).empty()) {
            // Part of the variants may have succeeded; a half-grabbed key would work only with some lock
            // states, so let go of all of them.
            ok[i] = false;
            all = false;
            ungrab(grabs[i]);
        }
    }
    if (!all) {
        const unsigned long first = NextRequest(dpy);
        XSync(dpy, False);
        TakeErrors(0, first);
    }
}

void XKeyboard::ungrab(const Grab &grab)
{
    for (unsigned extra : lockVariants(grab.keypad))
        XUngrabKey(Dpy(display_), static_cast<int>(grab.keycode), grab.modifiers | extra, root_);
}

void XKeyboard::setGrabs(const std::vector<uint16_t> &shortcuts)
{
    wanted_.clear();
    for (uint16_t shortcut : shortcuts) {
        if (!Contains(wanted_, shortcut))
            wanted_.push_back(shortcut);
    }
    auto isHeld = [this](uint16_t shortcut) {
        return std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab &g) { return g.shortcut == shortcut; });
    };
    // Keep the grabs that stay, release the others.
    std::erase_if(grabs_, [this](const Grab &grab) {
        if (Contains(wanted_, grab.shortcut))
            return false;
        ungrab(grab);
        return true;
    });
    std::vector<Grab> fresh;
    std::vector<Grab> keypad;
    std::vector<uint16_t> unusable;
    for (uint16_t shortcut : wanted_) {
        if (isHeld(shortcut))
            continue;
        std::vector<Grab> grabs;
        if (!toGrabs(shortcut, grabs)) {
            unusable.push_back(shortcut);
            continue;
        }
        fresh.push_back(grabs.front());
        keypad.insert(keypad.end(), grabs.begin() + 1, grabs.end());
    }
    std::vector<bool> ok;
    grabAll(fresh, ok);
    for (size_t i = 0; i < fresh.size(); ++i) {
        if (ok[i])
            grabs_.push_back(fresh[i]);
        else
            unusable.push_back(fresh[i].shortcut);
    }
    // The keypad's stand-ins are a bonus: the shortcut counts as grabbed by its own key.
    std::erase_if(keypad, [&](const Grab &grab) { return Contains(unusable, grab.shortcut); });
    grabAll(keypad, ok);
    for (size_t i = 0; i < keypad.size(); ++i) {
        if (ok[i])
            grabs_.push_back(keypad[i]);
    }
    grabbed_.clear();
    failed_.clear();
    for (uint16_t shortcut : wanted_) {
        if (isHeld(shortcut))
            grabbed_.push_back(shortcut);
        else if (Contains(unusable, shortcut))
            failed_.push_back(shortcut);
    }
    XSync(Dpy(display_), False);
}

void XKeyboard::releaseAll()
{
    for (const Grab &grab : grabs_)
        ungrab(grab);
    grabs_.clear();
    grabbed_.clear();
    failed_.clear();
    wanted_.clear();
    XUngrabKeyboard(Dpy(display_), CurrentTime);
    XFlush(Dpy(display_));
}

const XKeyboard::Grab *XKeyboard::grabFor(unsigned keycode, unsigned state) const
{
    const unsigned relevant = state & (ShiftMask | ControlMask | altMask_);
    const unsigned others = state & ~(relevant | lockMasks_) & 0xFF;
    if (others != 0)
        return nullptr;
    for (const Grab &grab : grabs_) {
        if (grab.keycode == keycode && grab.modifiers == relevant && !(grab.keypad && (state & numLockMask_)))
            return &grab;
    }
    return nullptr;
}

uint16_t XKeyboard::shortcutOf(unsigned keycode, unsigned state) const
{
    Display *dpy = Dpy(display_);
    const auto code = static_cast<KeyCode>(keycode);
    KeySym keysym = XkbKeycodeToKeysym(dpy, code, 0, 0);
    // With Num Lock on (and no Shift) the keypad gives its digits.
    const KeySym numeric = XkbKeycodeToKeysym(dpy, code, 0, 1);
    if ((state & numLockMask_) && !(state & ShiftMask) && IsKeypadKey(numeric))
        keysym = numeric;
    const uint16_t vk = VirtualKeyOfKeysym(keysym);
    if (vk == 0)
        return 0;
    uint16_t shortcut = vk;
    if (state & ShiftMask)
        shortcut |= kShortcutShift;
    if (state & ControlMask)
        shortcut |= kShortcutCtrl;
    if (state & altMask_)
        shortcut |= kShortcutAlt;
    return shortcut;
}

void XKeyboard::dispatchEvents(const std::function<bool(uint16_t shortcut, bool repeat, unsigned long focus)> &onKey)
{
    Display *dpy = Dpy(display_);
    while (!lost() && XPending(dpy) > 0) {
        XEvent event;
        XNextEvent(dpy, &event);
        if (event.type == GenericEvent && event.xcookie.extension == xiOpcode_) {
            if (XGetEventData(dpy, &event.xcookie)) {
                if (event.xcookie.evtype == XI_RawKeyPress) {
                    const auto *raw = static_cast<const XIRawEvent *>(event.xcookie.data);
                    realPresses_.emplace_back(static_cast<unsigned>(raw->detail), raw->time);
                    // Presses no grab took stay unmatched; keep only the recent ones.
                    if (realPresses_.size() > 64)
                        realPresses_.erase(realPresses_.begin(), realPresses_.end() - 64);
                }
                XFreeEventData(dpy, &event.xcookie);
            }
            continue;
        }
        switch (event.type) {
        case KeyPress: {
            // Only a grab brings key events here, and this press froze the keyboard.
            const XKeyEvent &press = event.xkey;
            const bool repeat = isRepeat(press.keycode, press.time);
            bool passOn = true;
            const uint16_t shortcut = shortcutOf(press.keycode, press.state);
            if (grabFor(press.keycode, press.state) && shortcut != 0) {
                Window focus = None;
                int revert = 0;
                XGetInputFocus(dpy, &focus, &revert);
                passOn = onKey(shortcut, repeat, focus);
            }
            if (passOn) {
                // The press goes to the focus as if there were no grab; the grab ends and the events held
                // behind it follow.
                XAllowEvents(dpy, ReplayKeyboard, CurrentTime);
            } else {
                // Ending the grab drops the press and lets the events held behind it go their way.
                XUngrabKeyboard(dpy, CurrentTime);
            }
            XFlush(dpy);
            break;
        }
        case KeyRelease:
            // The grab ends at the press, so releases come only from a server that sent one before the
            // hook's answer; the press decided already.
            break;
        case MappingNotify: {
            XRefreshKeyboardMapping(&event.xmapping);
            if (event.xmapping.request == MappingPointer)
                break;
            // Key codes or modifiers may have moved: grab everything again.
            const std::vector<uint16_t> wanted = wanted_;
            for (const Grab &grab : grabs_)
                ungrab(grab);
            grabs_.clear();
            readModifierMap();
            setGrabs(wanted);
            break;
        }
        default:
            break;
        }
    }
}

}  // namespace keyhook
