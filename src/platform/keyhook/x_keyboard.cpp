#include "x_keyboard.h"

#include "key_codes.h"
#include "x_errors.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>

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
    int eventBase, errorBase, major, minor;
    haveXTest_ = XTestQueryExtension(dpy, &eventBase, &errorBase, &major, &minor);
    // With detectable auto-repeat a held key sends presses without the releases in between, so a press of a
    // key that is already down is a repeat.
    Bool supported = False;
    detectableRepeat_ = XkbSetDetectableAutoRepeat(dpy, True, &supported) && supported;
    readModifierMap();
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
    modifierKeys_.assign(8, {});
    altMask_ = 0;
    numLockMask_ = 0;
    altIndex_ = -1;
    XModifierKeymap *map = XGetModifierMapping(dpy);
    if (!map)
        return;
    for (int index = 0; index < 8; ++index) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            const KeyCode keycode = map->modifiermap[index * map->max_keypermod + k];
            if (keycode == 0)
                continue;
            modifierKeys_[index].push_back(keycode);
            const KeySym keysym = XkbKeycodeToKeysym(dpy, keycode, 0, 0);
            if (index >= Mod1MapIndex && (keysym == XK_Alt_L || keysym == XK_Alt_R) && altIndex_ < 0)
                altIndex_ = index;
            if (index >= Mod1MapIndex && keysym == XK_Num_Lock)
                numLockMask_ = 1u << index;
        }
    }
    XFreeModifiermap(map);
    if (altIndex_ < 0)
        altIndex_ = Mod1MapIndex;
    altMask_ = 1u << altIndex_;
}

std::vector<unsigned> XKeyboard::lockVariants() const
{
    std::vector<unsigned> variants{0, LockMask};
    if (numLockMask_) {
        variants.push_back(numLockMask_);
        variants.push_back(numLockMask_ | LockMask);
    }
    return variants;
}

bool XKeyboard::toGrab(uint16_t shortcut, Grab &grab) const
{
    if (shortcut == 0 || (shortcut & ~kKnownBits) != 0)
        return false;
    const KeySymbol keysym = KeysymOfVirtualKey(shortcut & 0xFF);
    if (keysym == NoSymbol)
        return false;
    const KeyCode keycode = XKeysymToKeycode(Dpy(display_), keysym);
    if (keycode == 0)
        return false;
    unsigned modifiers = 0;
    if (shortcut & kShortcutShift)
        modifiers |= ShiftMask;
    if (shortcut & kShortcutCtrl)
        modifiers |= ControlMask;
    if (shortcut & kShortcutAlt)
        modifiers |= altMask_;
    grab = {shortcut, keycode, modifiers};
    return true;
}

bool XKeyboard::grabAll(std::vector<Grab> &grabs, std::vector<bool> &ok)
{
    Display *dpy = Dpy(display_);
    TrapErrors(dpy);
    std::vector<std::pair<unsigned long, unsigned long>> serials;
    for (const Grab &grab : grabs) {
        const unsigned long first = NextRequest(dpy);
        for (unsigned extra : lockVariants())
            XGrabKey(dpy, static_cast<int>(grab.keycode), grab.modifiers | extra, root_, False, GrabModeAsync,
                     GrabModeAsync);
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
    return all;
}

void XKeyboard::ungrab(const Grab &grab)
{
    for (unsigned extra : lockVariants())
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
    std::vector<uint16_t> unusable;
    for (uint16_t shortcut : wanted_) {
        Grab grab{};
        if (isHeld(shortcut))
            continue;
        if (toGrab(shortcut, grab))
            fresh.push_back(grab);
        else
            unusable.push_back(shortcut);
    }
    std::vector<bool> ok;
    grabAll(fresh, ok);
    for (size_t i = 0; i < fresh.size(); ++i) {
        if (ok[i])
            grabs_.push_back(fresh[i]);
        else
            unusable.push_back(fresh[i].shortcut);
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
    const unsigned others = state & ~(relevant | LockMask | numLockMask_) & 0xFF;
    if (others != 0)
        return nullptr;
    for (const Grab &grab : grabs_) {
        if (grab.keycode == keycode && grab.modifiers == relevant)
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

bool XKeyboard::anyKeyDown(const char *keymap, int modifierIndex) const
{
    for (unsigned keycode : modifierKeys_[static_cast<size_t>(modifierIndex)]) {
        if (keymap[keycode / 8] & (1 << (keycode % 8)))
            return true;
    }
    return false;
}

void XKeyboard::replay(const void *keyEvent)
{
    Display *dpy = Dpy(display_);
    const XKeyEvent &press = *static_cast<const XKeyEvent *>(keyEvent);
    // The press started an active grab of the whole keyboard; end it so the replayed key goes to the focus.
    XUngrabKeyboard(dpy, CurrentTime);
    // Step out of the way of our own key for the moment.
    std::vector<Grab> lifted;
    if (const Grab *grab = grabFor(press.keycode, press.state)) {
        lifted.push_back(*grab);
        ungrab(*grab);
    }

    char keymap[32] = {};
    XQueryKeymap(dpy, keymap);
    if (!(keymap[press.keycode / 8] & (1 << (press.keycode % 8))))
        down_.erase(press.keycode);  // let go already, perhaps while the grab was lifted

    if (haveXTest_) {
        // Faked key events go through the server like real ones, so every client takes them. The modifiers
        // of the combination may have been let go by now: hold them down for the replay.
        std::vector<unsigned> held;
        const int indices[] = {ShiftMapIndex, ControlMapIndex, altIndex_};
        for (int index : indices) {
            if (!(press.state & (1u << index)) || anyKeyDown(keymap, index))
                continue;
            if (modifierKeys_[static_cast<size_t>(index)].empty())
                continue;
            const unsigned keycode = modifierKeys_[static_cast<size_t>(index)].front();
            XTestFakeKeyEvent(dpy, keycode, True, CurrentTime);
            held.push_back(keycode);
        }
        XTestFakeKeyEvent(dpy, press.keycode, True, CurrentTime);
        XTestFakeKeyEvent(dpy, press.keycode, False, CurrentTime);
        for (auto it = held.rbegin(); it != held.rend(); ++it)
            XTestFakeKeyEvent(dpy, *it, False, CurrentTime);
    } else {
        // Without XTest, send the key to the focus window; some clients ignore such sent events.
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(dpy, &focus, &revert);
        if (focus != None && focus != PointerRoot) {
            XKeyEvent event = press;
            event.window = focus;
            event.subwindow = None;
            XSendEvent(dpy, focus, True, KeyPressMask, reinterpret_cast<XEvent *>(&event));
            event.type = KeyRelease;
            XSendEvent(dpy, focus, True, KeyReleaseMask, reinterpret_cast<XEvent *>(&event));
        }
    }
    XSync(dpy, False);

    if (!lifted.empty()) {
        std::vector<bool> ok;
        grabAll(lifted, ok);
        if (!ok[0]) {
            // Someone else took the key meanwhile.
            std::erase_if(grabs_, [&](const Grab &g) { return g.shortcut == lifted[0].shortcut; });
            std::erase(grabbed_, lifted[0].shortcut);
            failed_.push_back(lifted[0].shortcut);
        }
    }
}

void XKeyboard::replayWhenReleased(const void *keyEvent)
{
    const XKeyEvent &press = *static_cast<const XKeyEvent *>(keyEvent);
    char keymap[32] = {};
    XQueryKeymap(Dpy(display_), keymap);
    if (keymap[press.keycode / 8] & (1 << (press.keycode % 8))) {
        static_assert(sizeof(pendingPress_) >= sizeof(XEvent));
        std::memcpy(pendingPress_.data(), &press, sizeof press);
        replayPending_ = true;
        return;
    }
    replay(&press);
}

void XKeyboard::flushPendingReplay()
{
    if (!replayPending_)
        return;
    replayPending_ = false;
    XKeyEvent press;
    std::memcpy(&press, pendingPress_.data(), sizeof press);
    replay(&press);
}

void XKeyboard::dispatchEvents(const std::function<bool(uint16_t shortcut, bool repeat)> &onKey)
{
    Display *dpy = Dpy(display_);
    while (!lost() && XPending(dpy) > 0) {
        XEvent event;
        XNextEvent(dpy, &event);
        switch (event.type) {
        case KeyPress: {
            const XKeyEvent &press = event.xkey;
            if (replayPending_) {
                const XKeyEvent *pending = reinterpret_cast<const XKeyEvent *>(pendingPress_.data());
                if (pending->keycode == press.keycode) {
                    down_.insert(press.keycode);
                    break;  // an auto-repeat of the held key: its one press follows at the release
                }
                flushPendingReplay();  // another key first: keep the order of the keys
            }
            const bool repeat = down_.count(press.keycode) != 0;
            down_.insert(press.keycode);
            bool passOn = true;
            const uint16_t shortcut = shortcutOf(press.keycode, press.state);
            if (grabFor(press.keycode, press.state) && shortcut != 0)
                passOn = onKey(shortcut, repeat);
            if (passOn)
                replayWhenReleased(&press);
            break;
        }
        case KeyRelease: {
            const XKeyEvent &release = event.xkey;
            if (!detectableRepeat_ && XPending(dpy) > 0) {
                // Plain auto-repeat sends a release and a press with the same time stamp.
                XEvent next;
                XPeekEvent(dpy, &next);
                if (next.type == KeyPress && next.xkey.keycode == release.keycode && next.xkey.time == release.time)
                    break;
            }
            down_.erase(release.keycode);
            if (replayPending_ && reinterpret_cast<const XKeyEvent *>(pendingPress_.data())->keycode == release.keycode)
                flushPendingReplay();
            break;
        }
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
