#pragma once
// One private X connection for the keyboard hook: passive grabs on the root window, translation of key
// events into shortcut values, and replaying a key to the window that has the focus. Not thread-safe: after
// Open, one thread at a time uses it (the UI thread until the hook thread starts, then the hook thread).

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace keyhook {

class XKeyboard {
public:
    // Connects to the display named by DISPLAY; null when there is none.
    static std::unique_ptr<XKeyboard> Open();
    ~XKeyboard();
    XKeyboard(const XKeyboard &) = delete;
    XKeyboard &operator=(const XKeyboard &) = delete;

    // The connection's file descriptor, for waiting on events.
    int fd() const;
    // True once the connection to the X server has broken; then nothing more is done with it.
    bool lost() const;

    // Grabs exactly these combinations, whatever lock modifiers (Caps Lock, Num Lock, Scroll Lock or any
    // other lock key bound to a modifier) are on; combinations no longer wanted are released. Insert and
    // Delete are grabbed on the keypad too (with Num Lock off, where those keys are Insert and Delete). A
    // combination that cannot be grabbed (no such key, an unknown bit, or another client holds the grab)
    // ends up in failed() instead of grabbed().
    void setGrabs(const std::vector<uint16_t> &shortcuts);
    const std::vector<uint16_t> &grabbed() const { return grabbed_; }
    const std::vector<uint16_t> &failed() const { return failed_; }
    void releaseAll();

    // Handles the events that have arrived. For the press of a grabbed combination it calls onKey with the
    // shortcut value and whether the press is an auto-repeat; onKey answers true to pass the key on to the
    // focused window, false to withhold it.
    //
    // The grabs freeze the keyboard at such a press: every key event after it waits in the server, in
    // order, until the answer. Passed on, the press itself is delivered to the focus as if nothing had
    // grabbed it; withheld, it is dropped. Either way the waiting events then go where they would have gone,
    // in their order and with the modifiers they had, and the grab ends at once. `focus` is the window that
    // had the input focus when the key was pressed.
    void dispatchEvents(const std::function<bool(uint16_t shortcut, bool repeat, unsigned long focus)> &onKey);

private:
    struct Grab {
        uint16_t shortcut;
        unsigned keycode;
        unsigned modifiers;
        bool keypad;  // a keypad key standing for the shortcut's key while Num Lock is off
    };

    explicit XKeyboard(void *display);
    void readModifierMap();
    // The grabs for a shortcut: its key first, then keypad keys that act as it. False when there is none.
    bool toGrabs(uint16_t shortcut, std::vector<Grab> &grabs) const;
    std::vector<unsigned> lockVariants(bool keypad) const;
    // Issues the grab requests and checks for errors; ok[i] tells whether grabs[i] holds (a failed one is
    // released in all its variants).
    void grabAll(std::vector<Grab> &grabs, std::vector<bool> &ok);
    void ungrab(const Grab &grab);
    const Grab *grabFor(unsigned keycode, unsigned state) const;
    uint16_t shortcutOf(unsigned keycode, unsigned state) const;
    void selectRawKeys();
    // Whether the press (key code and server time) is the server's auto-repeat rather than a real press.
    bool isRepeat(unsigned keycode, unsigned long time);

    void *display_;  // Display *
    unsigned long root_ = 0;
    unsigned altMask_ = 0;
    unsigned numLockMask_ = 0;
    unsigned lockMasks_ = 0;  // Caps Lock and every modifier bound to a lock key
    int altIndex_ = -1;
    std::vector<Grab> grabs_;
    std::vector<uint16_t> wanted_;
    std::vector<uint16_t> grabbed_;
    std::vector<uint16_t> failed_;
    // Real key presses seen through the input extension's raw events, which the server sends for what the
    // keyboard does and never for its auto-repeat: key code and time of each press not yet matched.
    int xiOpcode_ = -1;
    // Without the extension (a server too old for it) every press counts as real.
    std::vector<std::pair<unsigned, unsigned long>> realPresses_;
};

}  // namespace keyhook
